// The bank files in the windows: the wizard's new types and pages, "Select Account", and the
// "Import Exceptions" window with its printed list and CSV file.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTimer>

#include "bank_test_data.h"
#include "bankrec/imports/bank_import.h"
#include "bankrec/imports/import_windows.h"
#include "bankrec/imports/ui/import_exceptions_window.h"
#include "bankrec/imports/ui/import_windows_qt.h"
#include "bankrec/imports/ui/import_wizard_window.h"
#include "bankrec/reports/ui/printer_target.h"
#include "bankrec/storage/file_services.h"
#include "corelib/zor_preview.h"
#include "imports_fixture.h"
#include "wizard_steps.h"

using namespace corelib;
using namespace storage;
using namespace imports;

namespace {

using test::whenOpen;

class BankWindowTest : public ImportTest {
  protected:
    BankWindowTest() {
        EXPECT_EQ(openFile(*session, FileId::SYcfg), Error::None);
        installImportWindows();
    }
    ~BankWindowTest() override {
        setImportWindows({});
        setPreviewBackend(nullptr);
        closeFile(*session, FileId::SYcfg);
    }
    ImportResult sample() {
        ImportResult r;
        r.end = ImportEnd::Completed;
        r.counts = {4, 1, 0, 2, 0, 0};
        r.warnings = {"the file's trailer (99) counts 12 records, there are 13"};
        r.exceptions = {
            {MarkOutcome::NotMatched, 2, "16,475,4000,,BR2,1235/", "check 1235 of 40.00"},
            {MarkOutcome::Ambiguous, 3, "16,175,50000,,BR3,,DEPOSIT, \"SPLIT\"/",
             "2 deposits of 500.00 from 01/10/2024 to 01/15/2024"}};
        r.counts.ambiguous = 1;
        return r;
    }
};

}  // namespace

TEST_F(BankWindowTest, TheWizardOffersTheBankFilesWithPagesOfTheirOwn) {
    std::string filter;
    ImportWizardWindow w(*session, nullptr,
                         [&filter](const std::string&, const std::string&, const std::string& f) {
                             filter = f;
                             return std::string();
                         });
    w.show();
    EXPECT_EQ(w.typeButton(ImportType::Bai2)->text(), "&BAI2 cash-management file from the bank");
    w.typeButton(ImportType::Bai2)->click();
    w.nextButton()->click();
    EXPECT_TRUE(w.fileEntry()->isEnabled());
    EXPECT_FALSE(w.decimalBox()->isEnabled());
    w.fileButton()->click();
    EXPECT_EQ(filter, "BAI2 Files (*.bai *.bai2 *.txt);;All Files (*.*)");
    w.nextButton()->click();
    EXPECT_EQ(w.pages()->currentIndex(), 6);
    EXPECT_TRUE(w.depositBox()->isVisible());
    EXPECT_TRUE(w.entry("ImportDepositDays")->isEnabled());
    w.depositBox()->setChecked(false);
    EXPECT_FALSE(w.entry("ImportDepositDays")->isEnabled());
    w.nextButton()->click();
    EXPECT_EQ(w.pages()->currentIndex(), 5);
    EXPECT_NE(w.summaryLabel()->text().indexOf("Credits are not matched to deposits."), -1);

    // OFX: its own page, the deposit controls moved onto it.
    w.previousButton()->click();
    w.previousButton()->click();
    w.previousButton()->click();
    w.typeButton(ImportType::Ofx)->click();
    w.nextButton()->click();
    w.fileButton()->click();
    EXPECT_EQ(filter, "OFX Files (*.ofx *.qfx *.qbo);;All Files (*.*)");
    w.nextButton()->click();
    EXPECT_EQ(w.pages()->currentIndex(), 7);
    EXPECT_TRUE(w.depositBox()->isVisible());
    EXPECT_FALSE(w.depositBox()->isChecked());

    // The fixed page's date format follows "Import Date &Cleared".
    w.previousButton()->click();
    w.previousButton()->click();
    w.typeButton(ImportType::Fixed)->click();
    w.nextButton()->click();
    w.clearedBox()->setChecked(false);
    w.nextButton()->click();
    EXPECT_EQ(w.pages()->currentIndex(), 3);
    EXPECT_FALSE(w.dateFormatBox()->isEnabled());
    w.clearedBox()->setChecked(true);
    EXPECT_TRUE(w.dateFormatBox()->isEnabled());
    w.dateFormatBox()->setCurrentIndex(w.dateFormatBox()->findText("MMDDYY"));
    EXPECT_EQ(w.wizard().settings().clearedFormat, ClearedDateFormat::MMDDYY);
    w.reject();
}

TEST_F(BankWindowTest, FinishShowsTheExceptionsBesideTheWorksheet) {
    addCheck("1234", 12500);
    const std::string file = writeFile("s.ofx", testData("statement.ofx"));
    test::finishWizard(ImportType::Ofx, file);
    QWidget owner;
    UpdateAPrecImport(*session, &owner);
    EXPECT_EQ(GlobalResponse, RequestCompleted);
    auto* shown = owner.findChild<ImportExceptionsWindow*>();
    ASSERT_NE(shown, nullptr);
    EXPECT_FALSE(shown->isModal());
    EXPECT_EQ(shown->windowTitle(), "Import Exceptions");
    EXPECT_EQ(shown->countsLabel()->text(),
              "5 lines read, 1 marked, 0 already marked, 3 not matched, 0 ambiguous, 1 skipped");
    EXPECT_EQ(shown->table()->rowCount(), 3);
    shown->closeButton()->click();
}

TEST_F(BankWindowTest, SeveralAccountsAreChosenFromAList) {
    const int32_t other = addCheck("77", 9900);
    whenOpen<SelectSheetWindow>([](SelectSheetWindow& s) {
        EXPECT_EQ(s.windowTitle(), "Select Account");
        ASSERT_EQ(s.list()->count(), 2);
        EXPECT_EQ(s.list()->item(1)->text(), "2222222 (USD, 1 item)");
        s.list()->setCurrentRow(1);
        s.okButton()->click();
    });
    const ImportResult r = runBankImport(*session, writeFile("f.bai", testData("two_accounts.bai")),
                                         BankFormat::Bai2, {});
    EXPECT_EQ(r.end, ImportEnd::Completed);
    EXPECT_EQ(marked(), std::vector<int32_t>{other});
}

TEST_F(BankWindowTest, TheExceptionsArePrintedThroughThePreviewAndSavedAsCsv) {
    const std::string pdf = sandbox.file("exceptions.pdf");
    reports::ReportOutput output;
    output.preview = true;
    output.printer = [pdf] { return std::make_unique<reports::QPrinterTarget>("", pdf); };
    std::string saveAs = sandbox.file("exceptions.csv");
    ImportExceptionsWindow w(
        sample(), nullptr,
        [&saveAs](const std::string&, const std::string&, const std::string&) { return saveAs; },
        output);
    w.show();
    EXPECT_EQ(w.table()->rowCount(), 2);
    EXPECT_EQ(w.table()->item(1, 1)->text(), "Ambiguous");
    EXPECT_TRUE(w.findChild<QLabel*>()->text().startsWith("4 lines read"));

    // The preview shows the list; not printed.
    auto preview = std::make_shared<ScriptedPreview>(false);
    setPreviewBackend(preview);
    EXPECT_EQ(w.printList(), reports::ReportResult::NotPrinted);
    EXPECT_EQ(preview->shown(), 1);
    EXPECT_EQ(preview->lastPageCount(), 1);
    // Printed: the pages go to the printer (a PDF here).
    setPreviewBackend(std::make_shared<ScriptedPreview>(true));
    EXPECT_EQ(w.printList(), reports::ReportResult::Printed);
    EXPECT_TRUE(std::filesystem::exists(pdf));

    ASSERT_TRUE(w.saveList());
    std::ifstream in(saveAs);
    std::stringstream csv;
    csv << in.rdbuf();
    EXPECT_EQ(csv.str(),
              "\"4 lines read, 1 marked, 0 already marked, 2 not matched, 1 ambiguous, 0 "
              "skipped\"\r\n"
              "\"Warning: the file's trailer (99) counts 12 records, there are 13\"\r\n"
              "Line,Result,Looked for,Text\r\n"
              "2,Not matched,check 1235 of 40.00,\"16,475,4000,,BR2,1235/\"\r\n"
              "3,Ambiguous,2 deposits of 500.00 from 01/10/2024 to 01/15/2024,"
              "\"16,175,50000,,BR3,,DEPOSIT, \"\"SPLIT\"\"/\"\r\n");

    // A folder that does not exist: told, nothing half written.
    saveAs = sandbox.file("no/such/folder/x.csv");
    EXPECT_FALSE(w.saveList());
    ASSERT_NE(messages->last(), nullptr);
    EXPECT_EQ(messages->last()->text.rfind("The exceptions could not be saved in ", 0), 0u);
    w.closeButton()->click();
    EXPECT_FALSE(w.isVisible());
}
