// The spreadsheet reader over a link that stands for the spreadsheet program: the steps and
// their messages, the rows it reads (first and last row, the five blank rows, ten rows per timer
// event), what it marks, and choosing a sheet.
#include "bankrec/imports/excel_import.h"
#include "bankrec/imports/import_windows.h"
#include "corelib/daytime.h"
#include "imports_fixture.h"
#include "testsupport/silent_progress_view.h"

using namespace corelib;
using namespace storage;
using namespace imports;

namespace {

struct ShownRow {
    int32_t row;
    std::string check;
    Decimal amount;
    int32_t date;
};

class ExcelImportTest : public ImportTest, public ExcelRowView {
  protected:
    ExcelImportTest() {
        // The window: each row shown is recorded, and the row reached after each timer event.
        ImportWindows w;
        w.excelImport = [this](ExcelImportJob& job) {
            job.setRowView(this);
            testsupport::SilentProgressView view;
            for (int tick = 0;; ++tick) {
                if (tick == cancelAtTick && job.cancel(view)) return ProgressResult::Cancelled;
                const bool more = job.tick(view);
                rowAfterTick.push_back(job.row());
                if (!more) break;
            }
            return ProgressResult::Completed;
        };
        w.selectSheet = [this](const std::vector<std::string>& topics) {
            offered = topics;
            return choose;
        };
        setImportWindows(std::move(w));
    }
    ~ExcelImportTest() override { setImportWindows({}); }

    void showRow(int32_t row, const std::string& check, Decimal amount, int32_t date) override {
        shown.push_back({row, check, amount, date});
    }

    ImportResult run(SheetLayout layout = {}, ImportFlags flags = {true, false, true}) {
        messages->answer(msg::OK);  // "About to process Excel spreadsheet ..."
        return runExcelImport(*session, link, layout, flags);
    }

    FakeLink link;
    std::vector<ShownRow> shown;
    std::vector<int32_t> rowAfterTick;
    std::vector<std::string> offered;
    int choose = 0;
    int cancelAtTick = -1;
};

}  // namespace

TEST_F(ExcelImportTest, CellsAreMatchedAsTheyStandAndTheRunCommits) {
    const int32_t zeros = addCheck("0001234", 12500);
    const int32_t plain = addCheck("1234", 12500);
    const int32_t other = addCheck("77", 1000);
    link.set("[cleared.ods]Sheet1", 1, {"Check", "Amount", "Cleared"});
    link.set("[cleared.ods]Sheet1", 2, {" 0001234 ", "$125.00", "01/15/2024"});
    link.set("[cleared.ods]Sheet1", 3, {"77", "10", "81234"});
    const ImportResult r = run({1, 3, 1, 2, 3});

    EXPECT_EQ(r.end, ImportEnd::Completed);
    EXPECT_EQ(GlobalResponse, RequestCompleted);
    EXPECT_EQ(marked(), (std::vector<int32_t>{zeros, other}));
    EXPECT_FALSE(row(plain).Marked);
    EXPECT_EQ(row(zeros).ClearDate, daytime::dayNumber(2024, 1, 15));
    EXPECT_EQ(row(other).ClearDate, 81234);
    EXPECT_EQ(r.counts.lines, 3);
    EXPECT_EQ(r.counts.skipped, 1);  // the title row: its "Amount" is no amount
    EXPECT_TRUE(link.closed);
    ASSERT_EQ(messages->count(), 1u);
    EXPECT_EQ(messages->last()->text, "About to process Excel spreadsheet [cleared.ods]Sheet1");
    EXPECT_EQ(messages->last()->buttons, msg::OK | msg::Cancel);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[1].row, 2);
    EXPECT_EQ(shown[1].check, "0001234");
    EXPECT_EQ(shown[1].amount, Decimal::fromCents(12500));
    EXPECT_EQ(shown[1].date, daytime::dayNumber(2024, 1, 15));
}

TEST_F(ExcelImportTest, WithoutALastRowTheRunStopsAtTheFifthBlankRowMet) {
    // Blank rows: 2 (empty), 4 ("0"), 6, 9 and 11; they count over the whole run.
    const std::string sheet = "[b.ods]S";
    for (int32_t r : {1, 3, 5, 7, 8, 10, 12, 13})
        link.set(sheet, r, {std::to_string(100 + r), "1.00"});
    link.set(sheet, 4, {"0", "1.00"});
    for (int32_t r : {1, 3, 5, 7, 8, 10, 12, 13}) addCheck(std::to_string(100 + r), 100);
    const ImportResult r = run({1, 0, 1, 2, 3}, {true, false, false});
    EXPECT_EQ(link.rowsRead.back(), 11);
    EXPECT_EQ(r.counts.marked, 6);  // rows 1 to 10; 12 and 13 never read
    EXPECT_EQ(r.counts.skipped, 5);
}

TEST_F(ExcelImportTest, RowsAreReadFromTheFirstRowToTheLastTenPerTimerEvent) {
    for (int32_t r = 1; r <= 40; ++r) link.set("[a]S", r, {std::to_string(r)});
    run({3, 25, 1, 2, 3}, {false, false, false});
    EXPECT_EQ(link.rowsRead.front(), 3);
    EXPECT_EQ(link.rowsRead.back(), 25);
    // Rows 3-9 in the first event, then 10-19, 20-25 and the stop.
    EXPECT_EQ(rowAfterTick, (std::vector<int32_t>{10, 20, 26}));
}

TEST_F(ExcelImportTest, EachStepThatFailsSaysSoAndEndsTheRun) {
    // The program cannot be reached.
    link.refuseConnect = true;
    EXPECT_EQ(runExcelImport(*session, link, {}, {}).end, ImportEnd::Failed);
    EXPECT_EQ(messages->last()->text, "Unable to connect with Excel\nError: Calc is not running");
    EXPECT_EQ(messages->last()->caption, "Error...");
    EXPECT_EQ(GlobalResponse, RequestCancelled);

    // No sheet open.
    messages->clear();
    link.refuseConnect = false;
    EXPECT_EQ(runExcelImport(*session, link, {}, {}).end, ImportEnd::Failed);
    EXPECT_EQ(messages->last()->text, "No currently active spreadsheet");
    EXPECT_EQ(messages->last()->caption, "Error...");
    EXPECT_TRUE(offered.empty());  // the chooser did not open

    // The user cancels the chooser, then the question before processing.
    messages->clear();
    link.set("[a]S", 1, {"1"});
    choose = -1;
    runExcelImport(*session, link, {}, {});
    EXPECT_EQ(messages->count(), 0u);
    choose = 0;
    messages->answer(msg::Cancel);
    runExcelImport(*session, link, {}, {});
    EXPECT_TRUE(link.rowsRead.empty());

    // The chosen sheet cannot be opened.
    messages->clear();
    link.refuseTopic = true;
    EXPECT_EQ(run().end, ImportEnd::Failed);
    EXPECT_EQ(messages->last()->text,
              "Unable to connect with Excel topic [a]S\nError: the document was closed");
    EXPECT_TRUE(link.rowsRead.empty());
}

TEST_F(ExcelImportTest, ACellThatCannotBeReadEndsTheRunKeepingItsMarks) {
    const int32_t first = addCheck("1", 100);
    addCheck("2", 100);
    link.set("[a]S", 1, {"1", "1.00"});
    link.set("[a]S", 2, {"2", "1.00"});
    link.failAtRow = 2;
    const ImportResult r = run({}, {true, false, false});
    EXPECT_EQ(r.end, ImportEnd::Completed);
    EXPECT_EQ(GlobalResponse, RequestCompleted);
    EXPECT_EQ(marked(), std::vector<int32_t>{first});
    EXPECT_EQ(messages->last()->text, "Unable to read Excel\nError: the sheet went away");
}

TEST_F(ExcelImportTest, CancelYesLeavesNothingOfTheRunMarked) {
    for (int32_t r = 1; r <= 30; ++r) {
        addCheck(std::to_string(r), 100);
        link.set("[a]S", r, {std::to_string(r), "1.00"});
    }
    cancelAtTick = 2;
    messages->answers({msg::OK, msg::Yes});
    const ImportResult r = runExcelImport(*session, link, {1, 30, 1, 2, 3}, {true, false, false});
    EXPECT_EQ(r.end, ImportEnd::Cancelled);
    EXPECT_EQ(r.counts.marked, 19);
    EXPECT_TRUE(marked().empty());
    EXPECT_EQ(GlobalResponse, RequestCancelled);
}

TEST_F(ExcelImportTest, TheChosenTopicIsTheOneProcessed) {
    link.set("[a.ods]First", 1, {"1"});
    link.set("[a.ods]Second", 1, {"2"});
    const int32_t two = addCheck("2", 100);
    choose = 1;
    run({1, 1, 1, 2, 3}, {false, false, false});
    EXPECT_EQ(offered, (std::vector<std::string>{"[a.ods]First", "[a.ods]Second"}));
    EXPECT_EQ(marked(), std::vector<int32_t>{two});
}

TEST(SelectSheet, TopicListsSplitAtColonsAndCommas) {
    EXPECT_EQ(splitTopics("Excel:[Book1]Sheet1, Excel:[Book1]Sheet2 ,Excel:System"),
              (std::vector<std::string>{"[Book1]Sheet1", "[Book1]Sheet2", "System"}));
    // Everything up to a colon is the program's name; text without one holds no topic.
    EXPECT_EQ(splitTopics("no topics here"), std::vector<std::string>{});
    EXPECT_EQ(splitTopics("a:,b:x"), (std::vector<std::string>{"", "x"}));
    EXPECT_EQ(splitTopics("a:b:c,d"), std::vector<std::string>{"b:c"});
    EXPECT_EQ(splitTopics(""), std::vector<std::string>{});
}
