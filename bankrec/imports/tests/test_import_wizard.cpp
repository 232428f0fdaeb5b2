// The wizard's rules: the pages each type shows and the buttons on each, the controls the
// choices enable, the summary texts, what Cancel and Finish store, and the reader Finish starts.
#include "bankrec/imports/import_wizard.h"
#include "bankrec/storage/file_services.h"
#include "wizard_fixture.h"

using namespace corelib;
using namespace storage;
using namespace imports;

namespace {

using ImportWizardTest = WizardTest;

ImportSettings spreadsheet() {
    ImportSettings s;
    s.checkColumn = 2;
    s.amountColumn = 4;
    s.clearedColumn = 5;
    return s;
}

}  // namespace

TEST_F(ImportWizardTest, EachTypeShowsItsOwnPageBetweenTheSecondAndTheSummary) {
    ImportWizard w(*session);
    ASSERT_TRUE(w.load());
    EXPECT_EQ(walk(w), (std::vector<int>{1, 2, 3, 6, 3, 2, 1}));
    w.settings().type = ImportType::Fixed;
    EXPECT_EQ(walk(w), (std::vector<int>{1, 2, 4, 6, 4, 2, 1}));
    w.settings().type = ImportType::Comma;
    EXPECT_EQ(walk(w), (std::vector<int>{1, 2, 5, 6, 5, 2, 1}));
}

TEST_F(ImportWizardTest, ButtonsAndControlsFollowThePageAndTheChoices) {
    ImportWizard w(*session);
    ASSERT_TRUE(w.load());
    struct State {
        bool previous, next, finish;
    };
    const auto state = [&w] {
        return State{w.previousEnabled(), w.nextEnabled(), w.finishEnabled()};
    };
    const auto is = [](State s, bool p, bool n, bool f) {
        return s.previous == p && s.next == n && s.finish == f;
    };
    EXPECT_TRUE(is(state(), false, true, false));  // page 1
    w.next();
    EXPECT_TRUE(is(state(), true, true, false));  // page 2
    w.next();
    EXPECT_TRUE(is(state(), true, true, false));  // page 3
    w.next();
    EXPECT_TRUE(is(state(), true, false, true));  // page 6

    // The file name belongs to the text types; amount and date controls to their check boxes.
    EXPECT_FALSE(w.fileControlsEnabled());
    w.settings().type = ImportType::Comma;
    EXPECT_TRUE(w.fileControlsEnabled());
    w.settings().amount = false;
    w.settings().cleared = true;
    EXPECT_FALSE(w.amountControlsEnabled());
    EXPECT_TRUE(w.clearedControlsEnabled());
}

TEST_F(ImportWizardTest, SpreadsheetSummaryNamesItsColumnsAndRows) {
    ImportSettings s = spreadsheet();
    s.amount = true;
    s.assumeDecimal = true;
    s.cleared = true;
    s.firstRow = 2;
    s.lastRow = 40;
    EXPECT_EQ(importSummary(s),
              "The import wizard will now import cleared checks from a currently open and active "
              "spreadsheet.\n\nColumn 2 contains the check number. \n\nColumn 4 contains the "
              "amount of the check.  If there is no decimal point in the imported amount, two "
              "decimal places will be assumed.\n\nColumn 5 contains the date that the check "
              "cleared.\n\nImporting will start from row 2 and end at row 40.");

    // No amount: no amount and no decimal sentence, even with the decimal box left checked; no
    // last row: no end row.
    s.amount = false;
    s.cleared = false;
    s.firstRow = 1;
    s.lastRow = 0;
    EXPECT_EQ(importSummary(s),
              "The import wizard will now import cleared checks from a currently open and active "
              "spreadsheet.\n\nColumn 2 contains the check number. \n\nImporting will start from "
              "row 1.");

    s.workbook = "/home/clerk/march.ods";
    EXPECT_EQ(importSummary(s).rfind("The import wizard will now import cleared checks from the "
                                     "workbook file \"/home/clerk/march.ods\".\n\n",
                                     0),
              0u);
}

TEST_F(ImportWizardTest, TextFileSummariesNameTheFileAndItsPositionsOrFields) {
    ImportSettings s;
    s.type = ImportType::Fixed;
    s.fileName = "/srv/bank/cleared.txt";
    s.amount = true;
    s.cleared = true;
    EXPECT_EQ(importSummary(s),
              "The import wizard will now import cleared checks from the fixed formatted text file "
              "\"/srv/bank/cleared.txt\".\n\nPositions 1 through 7 contain the check number. "
              "\n\nPositions 8 through 20 contain the amount of the check. \n\nPositions 21 "
              "through 30 contain the date that the check cleared.");

    s.type = ImportType::Comma;
    s.fileName = "c.csv";
    s.cleared = false;
    s.assumeDecimal = true;
    EXPECT_EQ(importSummary(s),
              "The import wizard will now import cleared checks from the comma separated text file "
              "\"c.csv\".\n\nColumn 1 contains the check number. \n\nColumn 2 contains the amount "
              "of the check.  If there is no decimal point in the imported amount, two decimal "
              "places will be assumed.");
}

TEST_F(ImportWizardTest, CancelStoresNothingAndFinishStoresForTheNextRunOfAnyUser) {
    {
        ImportWizard w(*session);
        ASSERT_TRUE(w.load());
        w.settings().type = ImportType::Comma;
        w.settings().fileName = "x.csv";
    }  // closed without Finish
    ImportWizard again(*session);
    ASSERT_TRUE(again.load());
    EXPECT_EQ(again.settings().type, ImportType::Spreadsheet);
    EXPECT_EQ(again.settings().fileName, "");

    // Finish: the settings are stored, then the comma reader runs with them.
    const int32_t check = addCheck("4321", 990);
    again.settings().type = ImportType::Comma;
    again.settings().fileName = writeFile("bank.csv", "x,4321,9.90\n");
    again.settings().checkField = 2;
    again.settings().amountField = 3;
    again.settings().clearedField = 1;
    again.settings().workbook = "/home/clerk/mine.ods";
    const ImportResult r = again.finish();
    EXPECT_EQ(r.end, ImportEnd::Completed);
    EXPECT_EQ(marked(), std::vector<int32_t>{check});

    ImportWizard same(*session);
    ASSERT_TRUE(same.load());
    EXPECT_EQ(same.settings().workbook, "/home/clerk/mine.ods");

    // Another clerk of the division, on another station: the same layout, not the workbook.
    sandbox.setSettingsFiles(sandbox.file("other-user.ini"), sandbox.machineSettings());
    FileSession station(storage);
    ASSERT_EQ(openFile(station, FileId::SYcfg), Error::None);
    ImportWizard other(station);
    ASSERT_TRUE(other.load());
    EXPECT_EQ(other.settings().type, ImportType::Comma);
    EXPECT_EQ(other.settings().fileName, sandbox.file("bank.csv"));
    EXPECT_EQ(other.settings().checkField, 2);
    EXPECT_EQ(other.settings().clearedField, 1);
    EXPECT_EQ(other.settings().workbook, "");
    closeFile(station, FileId::SYcfg);

    // Without windows, "&Import" runs the stored layout at once and stores nothing.
    const int32_t second = addCheck("5555", 100);
    writeFile("bank.csv", "x,5555,1.00\n");
    EXPECT_EQ(runStoredImport(*session).end, ImportEnd::Completed);
    EXPECT_EQ(marked(), (std::vector<int32_t>{check, second}));
}

TEST_F(ImportWizardTest, StoredValuesThatAreNoNumbersGiveTheDefaults) {
    shell::Configuration c;
    c.registerDefaults();
    ASSERT_EQ(c.setAll(*session, {{"ImportType", "7"},
                                  {"ChkFirstRow", "two"},
                                  {"ChkCheckEnd", "12"},
                                  {"ImportAmount", "0"}}),
              shell::Configuration::SetResult::Stored);
    ImportWizard w(*session);
    ASSERT_TRUE(w.load());
    EXPECT_EQ(w.settings().type, ImportType::Spreadsheet);
    EXPECT_EQ(w.settings().firstRow, 1);
    EXPECT_EQ(w.settings().checkEnd, 12);
    EXPECT_FALSE(w.settings().amount);
}
