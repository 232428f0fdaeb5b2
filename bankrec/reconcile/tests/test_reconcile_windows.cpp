// The reconciliation windows offscreen: the list's buttons, the worksheet's Done, grey fields and
// difference as marks change, closing it unsaved, the range dialog and the viewer's prompts and
// stepping.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include "bankrec/reconcile/reconciliation_list.h"
#include "bankrec/reconcile/ui/browse_aprec_window.h"
#include "bankrec/reconcile/ui/reconcile_widgets.h"
#include "bankrec/reconcile/ui/statement_summary.h"
#include "bankrec/reconcile/ui/update_aprec_form.h"
#include "bankrec/reconcile/ui/update_aprec_new_form.h"
#include "bankrec/reconcile/ui/update_aprec_range_window.h"
#include "bankrec/shell/procedure_table.h"
#include "bankrec/shell/ui/session_manager.h"
#include "corelib/thread_registry.h"
#include "corelib/ui/thread_event_filter.h"
#include "reconcile_fixture.h"

using namespace corelib;
using namespace storage;
using namespace reconcile;

namespace {

class ReconcileWindowTest : public ReconcileTest {
  protected:
    void SetUp() override {
        bank = addBank("First Bank");
        Worksheet::lastSaved().reset();
    }
    std::unique_ptr<Worksheet> worksheet() {
        makeCurrent(bank);
        auto w = std::make_unique<Worksheet>(*session, params, calls);
        EXPECT_TRUE(w->open());
        return w;
    }
    int32_t bank = 0;
};

TEST_F(ReconcileWindowTest, ListButtonsFollowTheHighlightedStatement) {
    addStatement(bank, day(2026, 1, 31), 0, true);
    const int32_t open = addStatement(bank, day(2026, 2, 28), 0, false);
    BrowseAPrecWindow window(*session, params, calls);
    ASSERT_TRUE(window.open());
    window.show();
    EXPECT_EQ(window.windowTitle(), "Browse Reconciliations");
    EXPECT_TRUE(window.selector()->isHidden());  // one bank
    EXPECT_TRUE(window.selectorPrompt()->isHidden());
    // The latest statement, open, is highlighted.
    EXPECT_EQ(window.currentRow(), 1);
    EXPECT_EQ(window.viewButton()->text(), "Ed&it");
    EXPECT_FALSE(window.viewButton()->icon().isNull());
    EXPECT_FALSE(window.newButton()->isEnabled());
    EXPECT_FALSE(window.postButton()->isEnabled());
    EXPECT_TRUE(window.refreshButton()->isEnabled());
    EXPECT_TRUE(window.deleteButton()->isEnabled());

    window.list()->selectRow(0);
    EXPECT_EQ(window.viewButton()->text(), "V&iew");
    EXPECT_TRUE(window.postButton()->isEnabled());
    EXPECT_FALSE(window.refreshButton()->isEnabled());

    // Deleting the open statement (answering Yes) enables New.
    window.list()->selectRow(1);
    messages->answer(msg::Yes);
    window.deleteButton()->click();
    EXPECT_EQ(statement(open).ReconciliationID, 0);
    EXPECT_EQ(window.list()->model()->rowCount(), 1);
    EXPECT_TRUE(window.newButton()->isEnabled());
}

TEST_F(ReconcileWindowTest, TheListStartedAsASessionClosesBothWaysWithoutAMessage) {
    addStatement(bank, day(2026, 1, 31), 0, false);
    resetThreadRegistry();
    installThreadEventFilter();
    {
        QMdiArea area;
        shell::SessionManager sessions(&area, shell::procedureTable(), params, storage);
        for (bool titleBar : {false, true}) {
            ASSERT_NE(sessions.start("BrowseAPrec"), 0);
            QApplication::processEvents();
            ASSERT_EQ(area.subWindowList().size(), 1);
            QMdiSubWindow* sub = area.subWindowList().at(0);
            EXPECT_EQ(sub->windowTitle(), "Browse Reconciliations");
            if (titleBar)
                sub->close();
            else
                sub->findChild<BrowseAPrecWindow*>()->closeButton()->click();
            QApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            EXPECT_TRUE(area.subWindowList().isEmpty());
            EXPECT_EQ(sessions.count(), 0);
        }
    }
    EXPECT_EQ(messages->count(), 0u) << messages->last()->text;
    resetThreadRegistry();
}

TEST_F(ReconcileWindowTest, TwoBanksShowTheSelectorAndNoBankNoWindow) {
    addBank("Another Bank");
    {
        BrowseAPrecWindow window(*session, params, calls);
        ASSERT_TRUE(window.open());
        window.show();
        EXPECT_FALSE(window.selector()->isHidden());
        EXPECT_EQ(window.selector()->count(), 2);
        EXPECT_EQ(window.selector()->currentText(), "Another Bank");
        EXPECT_TRUE(window.newButton()->isEnabled());
    }
    auto& b = session->file<APbnk>();
    for (int32_t id : {1, 2}) {
        b.clear();
        b.rec.BankID = id;
        ASSERT_EQ(b.get(APBNK_KEY_BANKID), Error::None);
        ASSERT_EQ(b.erase(), Error::None);
    }
    BrowseAPrecWindow empty(*session, params, calls);
    EXPECT_FALSE(empty.open());
    EXPECT_EQ(messages->last()->text, "No banks have been defined.");
}

TEST_F(ReconcileWindowTest, WorksheetDifferenceAndDoneFollowTheMarks) {
    addStatement(bank, day(2026, 1, 31), 100000, true);
    addCheck(bank, "1001", 2500);
    addCheck(bank, "1002", 1000);
    addDeposit(bank, 500);
    auto w = worksheet();
    UpdateAPrecNewForm form(*w);
    form.show();
    EXPECT_EQ(form.windowTitle(), "Adding Reconciliation [First Bank]");
    EXPECT_EQ(form.tabs()->currentIndex(), 1);  // the checks
    EXPECT_EQ(form.field(SummaryField::OpeningBalance)->text(), "1,000.00");
    EXPECT_EQ(form.field(SummaryField::EndingDate)->text(), "02/28/2026");
    EXPECT_EQ(form.difference()->text(), "1,000.00");
    EXPECT_FALSE(form.doneButton()->isEnabled());

    // Typing the closing balance.
    QLineEdit* ending = form.field(SummaryField::EndingBalance);
    ending->setText("965.00");
    emit ending->editingFinished();
    EXPECT_EQ(form.difference()->text(), "35.00");
    EXPECT_FALSE(form.doneButton()->isEnabled());

    // Mark the first check: the button says Mark, the highlight moves down.
    QTableView* checks = form.list(WorksheetList::Checks);
    checks->selectRow(0);
    EXPECT_EQ(form.markButton(WorksheetList::Checks)->text(), "&Mark");
    form.markButton(WorksheetList::Checks)->click();
    EXPECT_EQ(checks->currentIndex().row(), 1);
    EXPECT_EQ(checks->model()->index(0, 0).data().toString(), "c");
    EXPECT_EQ(form.summary()->checksCount()->text(), "1");
    EXPECT_EQ(form.summary()->checksAmount()->text(), "25.00");
    EXPECT_EQ(form.difference()->text(), "10.00");
    form.markButton(WorksheetList::Checks)->click();  // the second check
    EXPECT_EQ(form.difference()->text(), "0.00");
    EXPECT_TRUE(form.doneButton()->isEnabled());
    checks->selectRow(0);
    EXPECT_EQ(form.markButton(WorksheetList::Checks)->text(), "Un&mark");
    form.markButton(WorksheetList::Checks)->click();
    EXPECT_EQ(form.difference()->text(), "25.00");
    EXPECT_FALSE(form.doneButton()->isEnabled());

    // A deposit on its own tab.
    form.tabs()->setCurrentIndex(0);
    form.list(WorksheetList::Deposits)->selectRow(0);
    form.markButton(WorksheetList::Deposits)->click();
    EXPECT_EQ(form.summary()->depositsCount()->text(), "1");
    EXPECT_EQ(form.difference()->text(), "30.00");
    form.reject();
}

TEST_F(ReconcileWindowTest, ChargeFieldsAreGreyForABankThatDoesNotPostThem) {
    const int32_t quiet = addBank("Quiet Bank", false);
    bank = quiet;
    auto w = worksheet();
    UpdateAPrecNewForm form(*w);
    form.show();
    for (SummaryField f : {SummaryField::ServiceCharge, SummaryField::ServiceChargeDate,
                           SummaryField::InterestEarned, SummaryField::InterestEarnedDate}) {
        PictureEdit* e = form.field(f);
        EXPECT_TRUE(e->isReadOnly());
        EXPECT_EQ(e->focusPolicy(), Qt::NoFocus);
        EXPECT_EQ(e->palette().color(QPalette::Base), QColor(192, 192, 192));
    }
    EXPECT_FALSE(form.field(SummaryField::EndingBalance)->isReadOnly());
    form.reject();
}

TEST_F(ReconcileWindowTest, ClosingAnUnsavedNewWorksheetWithTheTitleBarDeletesItsStatement) {
    auto w = worksheet();
    const int32_t id = w->record().ReconciliationID;
    {
        UpdateAPrecNewForm form(*w);
        form.show();
        EXPECT_EQ(statement(id).ReconciliationID, id);
        form.close();
    }
    EXPECT_EQ(statement(id).ReconciliationID, 0);
    EXPECT_EQ(w->response(), RequestCancelled);

    // Saved with OK, the statement stays.
    auto again = worksheet();
    const int32_t kept = again->record().ReconciliationID;
    UpdateAPrecNewForm form(*again);
    form.show();
    form.okButton()->click();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(statement(kept).ReconciliationID, kept);
}

TEST_F(ReconcileWindowTest, RangeDialogRefusesABackwardRangeAndMarksAGoodOne) {
    for (const char* ref : {"1001", "1002", "1003"}) addCheck(bank, ref, 100);
    makeCurrent(bank);
    UpdateAPrecRangeWindow window(*session);
    window.show();
    EXPECT_EQ(window.windowTitle(), "Mark / Unmark Range of Checks");
    EXPECT_TRUE(window.markBox()->isChecked());
    window.fromEdit()->setText("1003");
    window.toEdit()->setText("1001");
    window.okButton()->click();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(messages->last()->caption, "Mark / Unmark Range of Checks");
    window.fromEdit()->setText("1001");
    window.toEdit()->setText("1002");
    window.okButton()->click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.dialog().result().count, 2);
    EXPECT_EQ(activity(1).Marked, 1);
    EXPECT_EQ(activity(3).Marked, 0);
}

TEST_F(ReconcileWindowTest, ViewerShowsBatchesAndStepsThroughTheBanksStatements) {
    const int32_t first = addStatement(bank, day(2026, 1, 31), 10000, true);
    APrec posted;
    posted.BankID = bank;
    posted.Done = 1;
    posted.EndingDate = day(2026, 2, 28);
    posted.EndingBalance = money(20000);
    posted.ServiceCharge = money(1250);
    posted.ServiceChargeBatch = 42;
    const int32_t second = add(posted);
    const int32_t check = addCheck(bank, "1001", 700, 0, 1, 1);
    addSnapshot(second, check, true);
    addSnapshot(second, addCheck(bank, "1002", 300), false);
    makeCurrent(bank, second);
    ReconciliationViewer viewer(*session, params, calls);
    viewer.open();
    UpdateAPrecForm form(viewer);
    form.show();
    EXPECT_EQ(form.windowTitle(), "Viewing Reconciliation");
    EXPECT_EQ(form.summary()->serviceChargePrompt()->text(), "Service Charge (42T)...");
    EXPECT_EQ(form.summary()->interestPrompt()->text(), "Interest Earned............");
    EXPECT_TRUE(form.summary()->field(SummaryField::EndingBalance)->isReadOnly());
    ASSERT_EQ(form.checks()->model()->rowCount(), 2);
    EXPECT_EQ(form.checks()->model()->index(0, 0).data().toString(), "R");
    EXPECT_EQ(form.checks()->model()->index(1, 0).data().toString(), "");

    form.nextButton()->click();  // the latest already: beep, Next off
    EXPECT_FALSE(form.nextButton()->isEnabled());
    EXPECT_EQ(messages->beeps(), 1);
    form.previousButton()->click();
    EXPECT_EQ(viewer.record().ReconciliationID, first);
    EXPECT_EQ(form.summary()->field(SummaryField::EndingBalance)->text(), "100.00");
    EXPECT_EQ(form.summary()->serviceChargePrompt()->text(), "Service Charge............");
    EXPECT_EQ(form.checks()->model()->rowCount(), 0);
    EXPECT_TRUE(form.nextButton()->isEnabled());
    form.previousButton()->click();
    EXPECT_FALSE(form.previousButton()->isEnabled());
    EXPECT_EQ(viewer.record().ReconciliationID, first);
    form.reject();
}

}  // namespace
