// The wizard's bank-file types and the paid-items date format: their pages, controls, summary,
// the settings Finish stores for every user of the division, and the reader Finish starts.

#include "bank_test_data.h"
#include "bankrec/imports/import_windows.h"
#include "bankrec/imports/import_wizard.h"
#include "bankrec/storage/file_services.h"
#include "corelib/daytime.h"
#include "wizard_fixture.h"

using namespace corelib;
using namespace storage;
using namespace imports;

namespace {

using BankWizardTest = WizardTest;

}  // namespace

TEST_F(BankWizardTest, BankFilesShowTheirOwnPageAndTheControlsTheyUse) {
    ImportWizard w(*session);
    ASSERT_TRUE(w.load());
    w.settings().type = ImportType::Bai2;
    EXPECT_EQ(walk(w), (std::vector<int>{1, 2, 7, 6, 7, 2, 1}));
    w.settings().type = ImportType::Ofx;
    EXPECT_EQ(walk(w), (std::vector<int>{1, 2, 8, 6, 8, 2, 1}));
    w.next();
    w.next();
    EXPECT_EQ(w.page(), 8);
    EXPECT_TRUE(w.previousEnabled() && w.nextEnabled() && !w.finishEnabled());
    EXPECT_TRUE(w.fileControlsEnabled());
    EXPECT_TRUE(w.amountControlsEnabled());
    EXPECT_FALSE(w.decimalEnabled());  // bank amounts have their own form
    w.settings().deposits = false;
    EXPECT_FALSE(w.depositDaysEnabled());
    // The type changed while on another type's page: on to the summary, back to page 2.
    w.settings().type = ImportType::Fixed;
    w.next();
    EXPECT_EQ(w.page(), 6);
    w.previous();
    EXPECT_EQ(w.page(), 4);
    while (w.previousEnabled()) w.previous();
    EXPECT_EQ(walk(w), (std::vector<int>{1, 2, 4, 6, 4, 2, 1}));
    EXPECT_TRUE(w.decimalEnabled());
}

TEST_F(BankWizardTest, SummariesOfTheBankFilesAndOfAPaidItemsLayout) {
    ImportSettings s;
    s.type = ImportType::Bai2;
    s.fileName = "/data/prevday.bai";
    s.cleared = true;
    s.depositDays = 3;
    EXPECT_EQ(importSummary(s),
              "The import wizard will now mark the checks and deposits the BAI2 file "
              "\"/data/prevday.bai\" reports as paid.\n\nChecks are matched by their number and "
              "amount. The file's date is recorded as the date cleared.\n\nCredits are matched to "
              "a deposit of the same amount dated up to 3 days before the posting date; a credit "
              "that more than one deposit could be is listed, never marked.\n\nWhat does not "
              "match is listed when the import is done.");
    s.type = ImportType::Ofx;
    s.amount = false;
    s.cleared = false;
    s.deposits = false;
    EXPECT_NE(importSummary(s).find("OFX file \"/data/prevday.bai\""), std::string::npos);
    EXPECT_NE(importSummary(s).find("matched by their number.\n\nCredits are not matched"),
              std::string::npos);

    s.type = ImportType::Fixed;
    s.cleared = true;
    s.clearedFormat = ClearedDateFormat::MMDDYY;
    EXPECT_NE(importSummary(s).find("contain the date that the check cleared. The date is "
                                    "written MMDDYY."),
              std::string::npos);
    s.clearedFormat = ClearedDateFormat::Standard;
    EXPECT_EQ(importSummary(s).find("The date is written"), std::string::npos);
}

TEST_F(BankWizardTest, FinishStoresTheNewSettingsAndRunsTheBankReader) {
    const int32_t check = addCheck("1234", 12500);
    const std::string file = writeFile("statement.ofx", testData("statement.ofx"));
    {
        ImportWizard w(*session);
        ASSERT_TRUE(w.load());
        EXPECT_EQ(w.settings().clearedFormat, ClearedDateFormat::Standard);
        EXPECT_TRUE(w.settings().deposits);
        EXPECT_EQ(w.settings().depositDays, 5);
        w.settings().type = ImportType::Ofx;
        w.settings().fileName = file;
        w.settings().cleared = true;
        w.settings().clearedFormat = ClearedDateFormat::YYYYMMDD;
        w.settings().depositDays = 9;
        const ImportResult r = w.finish();
        EXPECT_EQ(r.end, ImportEnd::Completed);
        EXPECT_EQ(r.counts.lines, 5);
    }
    EXPECT_EQ(marked(), std::vector<int32_t>{check});
    EXPECT_EQ(row(check).ClearDate, daytime::dayNumber(2024, 1, 15));

    // Another clerk of the division: the same choices.
    sandbox.setSettingsFiles(sandbox.file("other-user.ini"), sandbox.machineSettings());
    FileSession station(storage);
    ASSERT_EQ(openFile(station, FileId::SYcfg), Error::None);
    ImportWizard other(station);
    ASSERT_TRUE(other.load());
    EXPECT_EQ(other.settings().type, ImportType::Ofx);
    EXPECT_EQ(other.settings().fileName, file);
    EXPECT_EQ(other.settings().clearedFormat, ClearedDateFormat::YYYYMMDD);
    EXPECT_EQ(other.settings().depositDays, 9);
    closeFile(station, FileId::SYcfg);
}
