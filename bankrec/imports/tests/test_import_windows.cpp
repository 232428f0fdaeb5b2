// The import's windows offscreen, as the clerk reaches them: the worksheet's "&Import" opens the
// wizard, its pages and buttons, the "..." file choice, Cancel and the close box storing
// nothing, Finish running the reader and the worksheet recounting; "Select Spreadsheet" and
// "Excel Import Data" during a spreadsheet import; the whole path from the frame's "&Reconcile"
// through the list's worksheet to the wizard, as the program installs it.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTimer>

#include "bankrec/imports/excel_import.h"
#include "bankrec/imports/import_windows.h"
#include "bankrec/imports/ui/import_windows_qt.h"
#include "bankrec/imports/ui/import_wizard_window.h"
#include "bankrec/reconcile/reconcile_calls.h"
#include "bankrec/reconcile/ui/browse_aprec_window.h"
#include "bankrec/reconcile/ui/reconcile_widgets.h"
#include "bankrec/reconcile/ui/statement_summary.h"
#include "bankrec/reconcile/ui/update_aprec_new_form.h"
#include "bankrec/reconcile/update_aprec_new.h"
#include "bankrec/shell/procedure_table.h"
#include "bankrec/shell/startup.h"
#include "bankrec/shell/startup_parameters.h"
#include "bankrec/shell/ui/main_frame.h"
#include "bankrec/storage/file_services.h"
#include "corelib/message_box.h"
#include "corelib/thread_registry.h"
#include "corelib/ui/thread_event_filter.h"
#include "imports_fixture.h"
#include "wizard_steps.h"

using namespace corelib;
using namespace storage;
using namespace imports;

namespace {

using test::whenOpen;

// Presses the worksheet's "&Import" and, in the wizard it opens, imports the comma-separated
// `file` with the stored layout. Whether the wizard opened.
bool importCommaFile(QWidget& worksheet, const std::string& file) {
    auto opened = std::make_shared<bool>(false);
    test::finishWizard(ImportType::Comma, file, opened);
    worksheet.findChild<QPushButton*>("?IMPORT:BUTTON")->click();
    return *opened;
}

// The text of every label of the current page, joined.
std::string pageText(ImportWizardWindow& w) {
    std::string all;
    for (QLabel* l : w.pages()->currentWidget()->findChildren<QLabel*>())
        all += l->text().toStdString() + "\n";
    return all;
}

class ImportWindowTest : public ImportTest {
  protected:
    ImportWindowTest() {
        EXPECT_EQ(openFile(*session, FileId::SYcfg), Error::None);
        installImportWindows();
    }
    ~ImportWindowTest() override {
        setImportWindows({});
        closeFile(*session, FileId::SYcfg);
    }
    struct Chosen {
        std::string title, current, filter;
    };
    FileChooser chooser(std::string answer) {
        return [this, answer](const std::string& t, const std::string& c, const std::string& f) {
            chosen = {t, c, f};
            return answer;
        };
    }
    Chosen chosen;
};

}  // namespace

TEST_F(ImportWindowTest, WizardPagesTextsAndButtonsFollowTheType) {
    ImportWizardWindow w(*session, nullptr, chooser(""));
    w.show();
    EXPECT_EQ(w.windowTitle(), "Import Marked Checks Wizard");
    EXPECT_NE(pageText(w).find("This wizard will let you mark a series of checks as cleared\n"
                               "using a list of checks provided in one of the following formats:"),
              std::string::npos);
    EXPECT_TRUE(w.typeButton(ImportType::Spreadsheet)->isChecked());
    EXPECT_EQ(w.typeButton(ImportType::Comma)->text(), "&Comma separated text file");
    EXPECT_FALSE(w.previousButton()->isEnabled());
    EXPECT_TRUE(w.nextButton()->isEnabled());
    EXPECT_FALSE(w.finishButton()->isEnabled());

    // The spreadsheet: page 2 without a file, then the column page.
    w.nextButton()->click();
    EXPECT_EQ(w.pages()->currentIndex(), 1);
    EXPECT_FALSE(w.fileEntry()->isEnabled());
    EXPECT_FALSE(w.fileButton()->isEnabled());
    w.nextButton()->click();
    EXPECT_EQ(w.pages()->currentIndex(), 2);
    EXPECT_EQ(w.entry("ChkLastRow")->text(), "");  // 0 shows blank
    EXPECT_NE(
        pageText(w).find("will cause the processing to stop after encountering 5 blank rows."),
        std::string::npos);

    // Comma separated: 2, 5, 6, and back 5.
    w.previousButton()->click();
    w.previousButton()->click();
    w.typeButton(ImportType::Comma)->click();
    w.nextButton()->click();
    EXPECT_TRUE(w.fileEntry()->isEnabled());
    w.nextButton()->click();
    EXPECT_EQ(w.pages()->currentIndex(), 4);
    w.nextButton()->click();
    EXPECT_EQ(w.pages()->currentIndex(), 5);
    EXPECT_TRUE(w.previousButton()->isEnabled());
    EXPECT_FALSE(w.nextButton()->isEnabled());
    EXPECT_TRUE(w.finishButton()->isEnabled());
    EXPECT_EQ(w.summaryLabel()->text().toStdString(), importSummary(w.wizard().settings()));
    w.previousButton()->click();
    EXPECT_EQ(w.pages()->currentIndex(), 4);
    w.reject();
}

TEST_F(ImportWindowTest, CheckBoxesEnableTheirFieldsOnEveryPage) {
    ImportWizardWindow w(*session, nullptr, chooser(""));
    w.show();
    w.amountBox()->setChecked(false);
    w.clearedBox()->setChecked(true);
    EXPECT_FALSE(w.decimalBox()->isEnabled());
    for (const char* amount : {"ChkAmountECol", "ChkAmountStart", "ChkAmountEnd", "ChkAmountCCol"})
        EXPECT_FALSE(w.entry(amount)->isEnabled()) << amount;
    for (const char* cleared : {"ChkClearedECol", "ChkClearedStart", "ChkClearedCCol"})
        EXPECT_TRUE(w.entry(cleared)->isEnabled()) << cleared;
    w.amountBox()->setChecked(true);
    w.clearedBox()->setChecked(false);
    EXPECT_TRUE(w.decimalBox()->isEnabled());
    EXPECT_TRUE(w.entry("ChkAmountCCol")->isEnabled());
    EXPECT_FALSE(w.entry("ChkClearedEnd")->isEnabled());
    w.reject();
}

TEST_F(ImportWindowTest, TheFileButtonChoosesATextFile) {
    ImportWizardWindow w(*session, nullptr, chooser("/srv/bank/march.csv"));
    w.show();
    w.typeButton(ImportType::Fixed)->click();
    w.nextButton()->click();
    w.fileEntry()->setText("old.txt");
    w.fileButton()->click();
    EXPECT_EQ(chosen.title, "Choose a File");
    EXPECT_EQ(chosen.current, "old.txt");
    EXPECT_EQ(chosen.filter, "Text Files (*.txt);;Comma Delimited (*.csv);;All Files (*.*)");
    EXPECT_EQ(w.fileEntry()->text(), "/srv/bank/march.csv");
    w.reject();
}

TEST_F(ImportWindowTest, CancelAndTheCloseBoxStoreNothing) {
    for (int way = 0; way < 2; ++way) {
        ImportWizardWindow w(*session, nullptr, chooser(""));
        w.show();
        w.typeButton(ImportType::Fixed)->click();
        w.nextButton()->click();
        w.fileEntry()->setText("changed.txt");
        if (way == 0)
            w.cancelButton()->click();
        else
            w.close();
        EXPECT_FALSE(w.isVisible());
        EXPECT_EQ(GlobalResponse, RequestCancelled);
    }
    ImportWizardWindow again(*session, nullptr, chooser(""));
    EXPECT_TRUE(again.typeButton(ImportType::Spreadsheet)->isChecked());
    EXPECT_EQ(again.fileEntry()->text(), "");
}

TEST_F(ImportWindowTest, ImportFromTheWorksheetMarksTheChecksAndTheWorksheetRecounts) {
    addCheck("1001", 2500);
    addCheck("1002", 1000);
    const std::string file = writeFile("bank.csv", "1001,25.00\n");
    shell::StartupParameters params;
    params.DIVISION = 4;
    params.DATAPATH = sandbox.path();
    reconcile::ReconcileCalls calls;
    useImportWizard(calls);
    reconcile::Worksheet worksheet(*session, params, calls);
    ASSERT_TRUE(worksheet.open());
    reconcile::UpdateAPrecNewForm form(worksheet);
    form.show();
    EXPECT_EQ(form.summary()->checksCount()->text(), "0");

    EXPECT_TRUE(importCommaFile(form, file));
    EXPECT_EQ(GlobalResponse, RequestCompleted);
    EXPECT_EQ(form.summary()->checksCount()->text(), "1");
    EXPECT_EQ(form.summary()->checksAmount()->text(), "25.00");
    form.reject();
}

TEST_F(ImportWindowTest, SpreadsheetImportShowsTheSheetChoiceAndTheRowsBeingRead) {
    FakeLink link;
    link.delayMs = 3;  // ten rows take longer than a timer event's slice
    for (int32_t r = 1; r <= 30; ++r)
        link.set("[march.ods]Cleared", r, {std::to_string(r), "1.00"});
    link.set("[march.ods]Notes", 1, {"x"});
    for (int32_t r = 1; r <= 30; ++r) addCheck(std::to_string(r), 100);

    whenOpen<SelectSheetWindow>([](SelectSheetWindow& s) {
        EXPECT_EQ(s.windowTitle(), "Select Spreadsheet");
        EXPECT_EQ(s.list()->count(), 2);
        EXPECT_EQ(s.list()->currentRow(), 0);
        s.okButton()->click();
    });
    messages->answers({msg::OK, msg::No});  // "About to process ...", then No to Cancel
    bool pressed = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* w = qobject_cast<ExcelImportWindow*>(QApplication::activeModalWidget());
        if (!w || pressed) return;
        if (w->rowField()->text().isEmpty()) return;
        EXPECT_EQ(w->windowTitle(), "Excel Import Data");
        pressed = true;
        w->cancelButton()->click();
    });
    poll.start(0);
    const ImportResult r = runExcelImport(*session, link, {1, 30, 1, 2, 3}, {true, false, false});
    poll.stop();
    EXPECT_TRUE(pressed);
    EXPECT_EQ(r.end, ImportEnd::Completed);  // No: the import ran on
    EXPECT_EQ(r.counts.marked, 30);
    EXPECT_EQ(messages->last()->text.rfind("Canceling this function will undo", 0), 0u);
}

TEST_F(ImportWindowTest, ImportReachedFromTheFramesReconciliationListRecountsTheWorksheet) {
    addCheck("1001", 2500);
    addCheck("1002", 1000);
    ASSERT_EQ(openFile(*session, FileId::APrec), Error::None);
    storage::APrec statement;
    statement.BankID = bank;
    statement.EndingDate = 81030;
    EXPECT_NE(add(statement), 0);
    closeFile(*session, FileId::APrec);
    const std::string file = writeFile("bank.csv", "1001,25.00\n");

    // The program as main() starts it: the wizard is the worksheet's "&Import".
    corelib::resetThreadRegistry();
    auto backend = std::make_unique<ScriptedMessages>();
    ScriptedMessages* shown = backend.get();
    shell::Startup startup("bankrec", {"Division=4", "DataPath=" + sandbox.path()});
    ASSERT_EQ(startup.run(std::move(backend)), 0);
    corelib::installThreadEventFilter();
    useImportWizard(reconcile::reconcileCalls());
    {
        // The program's windows; the suite's account loading has no suite to read here.
        shell::ProcedureTable table = shell::procedureTable();
        table.add("LoadFIAThread", [](shell::Session&) -> QWidget* { return nullptr; });
        shell::MainFrame frame(startup, table);
        frame.setShowProcedure(nullptr);
        ASSERT_TRUE(frame.open());
        frame.show();
        frame.findChild<QAction*>("EditReconcile")->trigger();
        QApplication::processEvents();
        ASSERT_EQ(frame.mdiArea()->subWindowList().size(), 1);
        auto* list =
            frame.mdiArea()->subWindowList().at(0)->findChild<reconcile::BrowseAPrecWindow*>();
        ASSERT_NE(list, nullptr);
        ASSERT_TRUE(list->viewButton()->isEnabled());  // "Ed&it" on the open statement

        std::string before, after, amount;
        bool wizardSeen = false;
        whenOpen<reconcile::UpdateAPrecNewForm>([&](reconcile::UpdateAPrecNewForm& form) {
            before = form.summary()->checksCount()->text().toStdString();
            wizardSeen = importCommaFile(form, file);
            after = form.summary()->checksCount()->text().toStdString();
            amount = form.summary()->checksAmount()->text().toStdString();
            form.close();  // the title bar's X
        });
        list->viewButton()->click();
        EXPECT_TRUE(wizardSeen);
        EXPECT_EQ(before, "0");
        EXPECT_EQ(after, "1");
        EXPECT_EQ(amount, "25.00");
        EXPECT_EQ(shown->count(), 0u) << shown->last()->text;
        list->closeButton()->click();
        QApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(frame.mdiArea()->subWindowList().isEmpty());
        frame.close();
    }
    reconcile::reconcileCalls().UpdateAPrecImport = nullptr;
    setImportWindows({});
    startup.finish();
    corelib::ThisMessageBox.kill();
    corelib::resetThreadRegistry();
    EXPECT_EQ(marked().size(), 1u);
}
