// The "Register Report" window, offscreen: reached from the register's Print button, restoring
// and saving the selection, and running the report with OK.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include "bankrec/activity/ui/activity_list_model.h"
#include "bankrec/activity/ui/browse_apbac_window.h"
#include "bankrec/reports/ui/report_apbac_window.h"
#include "corelib/daytime.h"
#include "corelib/ui/zor_calendar.h"
#include "corelib/ui/zor_enumprinters.h"
#include "report_fixture.h"

using namespace corelib;
using namespace activity;

namespace reports::testing {
namespace {

class RegisterWindowTest : public ReportTest {
  protected:
    RegisterWindowTest() {
        alpha = addBank("Alpha Operating");
        beta = addBank("Beta Savings");
        addRow(beta, "Check", "1001", daytime::dayNumber(2026, 3, 2), -5000, "Payee");
    }
    // A window printing to a PDF in the test folder instead of a printer.
    std::unique_ptr<RegisterReportWindow> window() {
        auto w = std::make_unique<RegisterReportWindow>(
            *session, nullptr, nullptr,
            [this](const std::string&) { return std::make_unique<PdfTarget>(pdfFile()); });
        w->load();
        return w;
    }
    std::string pdfFile() const { return folder() + "/register.pdf"; }
    QPushButton* button(RegisterReportWindow& w, const QString& text) {
        for (QPushButton* b : w.findChildren<QPushButton*>())
            if (b->text() == text) return b;
        return nullptr;
    }

    int32_t alpha = 0;
    int32_t beta = 0;
};

TEST_F(RegisterWindowTest, OpensWithTheRememberedSelectionAndTheBanksByName) {
    RegisterSelection s;
    s.BankSelectBox = 1;
    s.BankID = beta;
    s.FromDate = daytime::dayNumber(2026, 3, 1);
    s.ToDate = daytime::dayNumber(2026, 3, 31);
    s.PreviewReport = 0;
    s.Include = 2;
    s.remember();

    auto w = window();
    w->show();
    EXPECT_EQ(w->windowTitle(), "Register Report");
    ASSERT_EQ(w->bankList()->count(), 2);
    EXPECT_EQ(w->bankList()->itemText(0), "Alpha Operating");
    EXPECT_EQ(w->bankList()->currentText(), "Beta Savings");
    EXPECT_TRUE(w->selectBank()->isChecked());
    EXPECT_TRUE(w->bankList()->isEnabled());
    EXPECT_EQ(w->fromDate()->text(), "03/01/2026");
    EXPECT_EQ(w->toDate()->text(), "03/31/2026");
    EXPECT_TRUE(w->includeButton(2)->isChecked());
    EXPECT_FALSE(w->previewBox()->isChecked());
    // The bank list is usable only while "Select:" is chosen.
    w->allBanks()->setChecked(true);
    EXPECT_FALSE(w->bankList()->isEnabled());

    // The printer list holds the print system's printers; with none, the clerk is told.
    std::vector<PrinterEntry> printers;
    ZOR_ENUMPRINTERS(printers);
    EXPECT_EQ(w->printerList()->topLevelItemCount(), static_cast<int>(printers.size()));
    if (printers.empty()) {
        const RecordedMessage* m = messages->find("No printers defined.");
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(m->text,
                  "No printers defined. Printing this report may not work unless printers are "
                  "added to the system.");
        EXPECT_EQ(messages->beeps(), 1);
    } else {
        EXPECT_NE(w->printerList()->currentItem(), nullptr);
    }
}

TEST_F(RegisterWindowTest, TypedDatesAreReadAndABadOneIsRefused) {
    auto w = window();
    w->fromDate()->setText("3/5/26");
    emit w->fromDate()->editingFinished();
    EXPECT_EQ(w->selection().FromDate, daytime::dayNumber(2026, 3, 5));
    EXPECT_EQ(w->fromDate()->text(), "03/05/2026");
    const int beeps = messages->beeps();
    w->fromDate()->setText("13/45/2026");
    emit w->fromDate()->editingFinished();
    EXPECT_EQ(w->selection().FromDate, daytime::dayNumber(2026, 3, 5));
    EXPECT_EQ(w->fromDate()->text(), "03/05/2026");
    EXPECT_EQ(messages->beeps(), beeps + 1);
    w->toDate()->clear();
    emit w->toDate()->editingFinished();
    EXPECT_EQ(w->selection().ToDate, 0);

    // The calendar button opens the calendar on the field's date and takes the date chosen.
    int32_t shownOn = 0;
    QTimer::singleShot(0, [&] {
        auto* calendar = qobject_cast<CalendarWindow*>(QApplication::activeModalWidget());
        ASSERT_NE(calendar, nullptr);
        shownOn = calendar->date();
        calendar->setDate(daytime::dayNumber(2026, 4, 30));
        calendar->accept();
    });
    w->fromCalendar()->click();
    EXPECT_EQ(shownOn, daytime::dayNumber(2026, 3, 5));
    EXPECT_EQ(w->fromDate()->text(), "04/30/2026");
    EXPECT_EQ(w->selection().FromDate, daytime::dayNumber(2026, 4, 30));
}

TEST_F(RegisterWindowTest, OkSavesTheSelectionRunsTheReportAndCloses) {
    auto w = window();
    w->show();
    w->selectBank()->setChecked(true);
    w->bankList()->setCurrentIndex(1);
    w->fromDate()->setText("03/01/2026");
    w->toDate()->setText("03/31/2026");  // still being typed when OK is pressed
    w->includeButton(1)->setChecked(true);
    w->previewBox()->setChecked(false);
    button(*w, "OK")->click();

    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(w->result(), QDialog::Accepted);
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(pdfFile())));
    EXPECT_NE(pdfText(pdfFile()).find("Beta Savings"), std::string::npos);
    const RegisterSelection back = RegisterSelection::remembered();
    EXPECT_EQ(back.BankSelectBox, 1);
    EXPECT_EQ(back.BankID, beta);
    EXPECT_EQ(back.ToDate, daytime::dayNumber(2026, 3, 31));
    EXPECT_EQ(back.Include, 1);
    EXPECT_EQ(back.PreviewReport, 0);
}

TEST_F(RegisterWindowTest, CancelAndTheCloseBoxSaveTheSelectionAndPrintNothing) {
    for (int how = 0; how < 2; ++how) {
        auto w = window();
        w->show();
        w->includeButton(how + 1)->setChecked(true);
        if (how == 0)
            button(*w, "Cancel")->click();
        else
            w->close();
        EXPECT_FALSE(w->isVisible());
        EXPECT_EQ(RegisterSelection::remembered().Include, how + 1);
    }
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(pdfFile())));
}

TEST_F(RegisterWindowTest, RegistersPrintButtonOpensTheWindow) {
    BrowseAPbacWindow browse(*session, params);
    ASSERT_TRUE(browse.open());
    browse.show();
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* w = qobject_cast<RegisterReportWindow*>(QApplication::activeModalWidget());
        ASSERT_NE(w, nullptr);
        seen = w->windowTitle() == "Register Report";
        w->reject();
    });
    browse.printButton()->click();
    EXPECT_TRUE(seen);
    EXPECT_TRUE(browse.isVisible());
    EXPECT_EQ(browse.model()->rowCount(), 0);  // Alpha, the first bank, has no activity
}

}  // namespace
}  // namespace reports::testing
