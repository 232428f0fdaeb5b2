// The fixed-format and comma-separated readers against the record files: matching and marking,
// the one transaction of a run (cancel, a failed rewrite, a transaction that cannot begin), the
// files that cannot be read, long lines, and the progress by bytes.
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>

#include "bankrec/imports/text_import.h"
#include "bankrec/storage/transaction.h"
#include "corelib/daytime.h"
#include "imports_fixture.h"

using namespace corelib;
using namespace storage;
using namespace imports;

namespace {

// A fixed-format line with the default positions: check 1-7, amount 8-20, date 21-30.
std::string fixedLine(const std::string& check, const std::string& amount,
                      const std::string& date = "") {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%-7s%13s%-10s\n", check.c_str(), amount.c_str(), date.c_str());
    return buf;
}

class TextImportTest : public ImportTest {
  protected:
    ImportResult fixed(const std::string& path, bool amount = true, bool cleared = false,
                       bool assumeDecimal = false) {
        return UpdateAPrecFixed(*session, path, amount, assumeDecimal, cleared, 1, 7, 8, 20, 21,
                                30);
    }
    ImportResult comma(const std::string& path, bool amount = true, bool cleared = false) {
        return UpdateAPrecComma(*session, path, amount, false, cleared, 1, 2, 3);
    }
    // Makes every rewrite of one APbac row fail, as a disk or driver failure would.
    void refuseRewriteOf(int32_t activityId) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(storage.filePath(FileId::APbac).c_str(), &db), SQLITE_OK);
        const std::string sql =
            "CREATE TRIGGER refuse BEFORE UPDATE ON APbac WHEN "
            "OLD.ActivityID = " +
            std::to_string(activityId) + " BEGIN SELECT RAISE(ABORT, 'disk full'); END;";
        EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }
};

}  // namespace

TEST_F(TextImportTest, FixedFileMarksEachMatchingCheckWithItsDateAndStamp) {
    const int32_t a = addCheck("1234", 12500);
    const int32_t b = addCheck("1240", 990);
    const int32_t c = addCheck("1250", 700);
    const int32_t elsewhere = addCheck("1234", 12500, otherBank);
    glo_UserID = 12;
    const std::string path =
        writeFile("cleared.txt", "Bank of the Harbour - cleared items\n" +
                                     fixedLine("0001234", "125.00", "01/15/2024") +
                                     fixedLine("1240", "$9.90", "01/16/2024") +
                                     fixedLine("1250", "7.01", "01/17/2024") +  // amount differs
                                     fixedLine("9999", "1.00") + "\n");
    const ImportResult r = fixed(path, true, true);
    glo_UserID = 0;

    EXPECT_EQ(r.end, ImportEnd::Completed);
    EXPECT_EQ(GlobalResponse, RequestCompleted);
    EXPECT_EQ(marked(), (std::vector<int32_t>{a, b}));
    EXPECT_EQ(r.counts.lines, 6);
    EXPECT_EQ(r.counts.marked, 2);
    EXPECT_EQ(r.counts.notMatched, 2);
    EXPECT_EQ(r.counts.skipped, 2);  // the title and the blank line
    const APbac first = row(a);
    EXPECT_EQ(first.ClearDate, daytime::dayNumber(2024, 1, 15));
    EXPECT_EQ(first.ChangeID, 12);
    EXPECT_EQ(first.ChangeDate, daytime::today());
    EXPECT_EQ(row(c).ClearDate, 0);
    EXPECT_FALSE(row(elsewhere).Marked);
    EXPECT_EQ(messages->count(), 0u);
    EXPECT_EQ(progress.titles, std::vector<std::string>{"Processing Records"});
    EXPECT_EQ(progress.texts, std::vector<std::string>{"Importing fixed format text file"});
}

TEST_F(TextImportTest, CommaFileWithQuotedFieldsMarksLikeTheFixedOne) {
    const int32_t a = addCheck("1234", 112500);
    const int32_t b = addCheck("88", 500);
    const std::string path = writeFile("cleared.csv",
                                       "Check,Amount,Cleared\r\n"
                                       "0001234,\"1,125.00\",01/15/2024\r\n"
                                       "'88','5.00'  ,'01/16/2024'\r\n");
    const ImportResult r = comma(path, true, true);
    EXPECT_EQ(r.end, ImportEnd::Completed);
    EXPECT_EQ(marked(), (std::vector<int32_t>{a, b}));
    EXPECT_EQ(row(a).ClearDate, daytime::dayNumber(2024, 1, 15));
    EXPECT_EQ(row(b).ClearDate, daytime::dayNumber(2024, 1, 16));
    EXPECT_EQ(progress.texts, std::vector<std::string>{""});  // no descriptive line
}

TEST_F(TextImportTest, ChecksSharingANumberAreMarkedOneAtATimeByAmount) {
    const int32_t small = addCheck("1234", 1000);
    const int32_t first = addCheck("1234", 5000);
    const int32_t second = addCheck("1234", 5000);
    const std::string line = "1234,50.00\n";

    // The first row with the amount is marked; the one passed over by its amount stays.
    ImportResult r = comma(writeFile("a.csv", line));
    EXPECT_EQ(marked(), (std::vector<int32_t>{first}));
    // The same line again stops at the marked row: nothing more is marked.
    r = comma(writeFile("b.csv", line + line));
    EXPECT_EQ(r.counts.alreadyMarked, 2);
    EXPECT_EQ(r.counts.marked, 0);
    EXPECT_EQ(marked(), (std::vector<int32_t>{first}));
    EXPECT_FALSE(row(second).Marked);
    EXPECT_FALSE(row(small).Marked);
}

TEST_F(TextImportTest, WithoutAmountsTheFirstRowOfTheNumberIsMarkedWhateverItIs) {
    const int32_t deposit = addCheck("500", 100000, 0, "Deposit");
    const int32_t check = addCheck("500", 2500);
    const ImportResult r = comma(writeFile("a.csv", "500,25.00\n"), false);
    EXPECT_EQ(r.counts.marked, 1);
    EXPECT_EQ(marked(), (std::vector<int32_t>{deposit}));
    EXPECT_FALSE(row(check).Marked);
}

TEST_F(TextImportTest, AssumeDecimalReadsAmountsWithoutAPointAsCents) {
    const int32_t a = addCheck("10", 125);
    const int32_t b = addCheck("11", 150);
    const int32_t c = addCheck("12", 12500);
    fixed(writeFile("a.txt",
                    fixedLine("10", "125") + fixedLine("11", "1.5") + fixedLine("12", "125")),
          true, false, true);
    EXPECT_EQ(marked(), (std::vector<int32_t>{a, b}));
    EXPECT_FALSE(row(c).Marked);
}

TEST_F(TextImportTest, CancelYesUndoesTheWholeRunCancelNoRunsOn) {
    std::string content;
    std::vector<int32_t> ids;
    storage::Transaction adding(*session, {FileId::APbac}, 1);
    for (int i = 0; i < 200; ++i) {
        ids.push_back(addCheck(std::to_string(1000 + i), 100 + i));
        content += fixedLine(std::to_string(1000 + i), Decimal::fromCents(100 + i).toString());
    }
    ASSERT_EQ(adding.commit(), Error::None);
    const std::string path = writeFile("many.txt", content);

    // Yes after two ticks (some 70 lines marked): nothing of the run stays.
    cancelBeforeTick(2);
    messages->answer(msg::Yes);
    ImportResult r = fixed(path);
    EXPECT_EQ(r.end, ImportEnd::Cancelled);
    EXPECT_EQ(GlobalResponse, RequestCancelled);
    EXPECT_GT(r.counts.marked, 0);
    EXPECT_TRUE(marked().empty());
    const RecordedMessage* question = messages->last();
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(question->text,
              "Canceling this function will undo what has currently been imported.  Are you "
              "sure that you wish to do this?");
    EXPECT_EQ(question->caption, "Bank Reconciliation");
    EXPECT_EQ(question->buttons, msg::Yes | msg::No);
    EXPECT_EQ(messages->beeps(), 1);

    // No: the run goes on to the end and keeps everything.
    cancelBeforeTick(2);
    messages->answer(msg::No);
    r = fixed(path);
    EXPECT_EQ(r.end, ImportEnd::Completed);
    EXPECT_EQ(r.counts.marked, 200);
    EXPECT_EQ(marked(), ids);
}

TEST_F(TextImportTest, AFailedRewriteKeepsNothingOfTheRun) {
    const int32_t a = addCheck("1", 100);
    const int32_t b = addCheck("2", 200);
    const int32_t c = addCheck("3", 300);
    refuseRewriteOf(b);
    const ImportResult r = comma(writeFile("a.csv", "1,1.00\n2,2.00\n3,3.00\n"));
    EXPECT_EQ(r.end, ImportEnd::Failed);
    EXPECT_EQ(GlobalResponse, RequestCancelled);
    EXPECT_TRUE(marked().empty());
    ASSERT_EQ(messages->count(), 1u);
    const std::string& text = messages->last()->text;
    EXPECT_EQ(text.rfind("Error occured during transaction update, Error(90) - " +
                             storage.fileName(FileId::APbac) + " - ",
                         0),
              0u)
        << text;
    EXPECT_NE(text.find(" File error(1811) - disk full"), std::string::npos) << text;
    // The buffer was put back too: the row can be marked by the next run once it can be written.
    EXPECT_FALSE(row(a).Marked);
    EXPECT_FALSE(row(c).Marked);
}

TEST_F(TextImportTest, AFileThatCannotBeOpenedIsReportedAndNothingIsCreated) {
    addCheck("1", 100);
    const std::string missing = sandbox.file("nowhere.txt");
    ImportResult r = fixed(missing);
    EXPECT_EQ(r.end, ImportEnd::Failed);
    EXPECT_EQ(GlobalResponse, RequestCancelled);
    EXPECT_FALSE(std::filesystem::exists(missing));
    ASSERT_EQ(messages->count(), 1u);
    EXPECT_EQ(messages->last()->caption, "File Access Error");
    EXPECT_EQ(messages->last()->text,
              "File (" + missing + ") could not be opened.  Error: File Not Found (2).");
    EXPECT_TRUE(progress.titles.empty());  // no progress window, no "Process Completed"

    messages->clear();
    r = comma(sandbox.folder("a folder"));
    EXPECT_EQ(r.end, ImportEnd::Failed);
    ASSERT_EQ(messages->count(), 1u);
    EXPECT_EQ(messages->last()->caption, "File Access Error");
    EXPECT_TRUE(marked().empty());
}

TEST_F(TextImportTest, ALineLongerThanTheRecordIsCutNotSplit) {
    addCheck("1234", 100);
    const int32_t hidden = addCheck("1235", 100);
    // Were the line split at 1024, its tail would read as a line of its own asking for 1235.
    std::string line = "1234,1.00,";
    line.resize(1024, ' ');
    line += "1235,1.00\n";
    const ImportResult r = comma(writeFile("long.csv", line + "1234,1.00\n"));
    EXPECT_EQ(r.counts.lines, 2);
    EXPECT_EQ(r.counts.marked, 1);
    EXPECT_EQ(r.counts.alreadyMarked, 1);
    EXPECT_FALSE(row(hidden).Marked);
}

TEST_F(TextImportTest, ProgressFollowsTheBytesReadAbout1000PerTick) {
    std::string content;
    for (int i = 0; i < 300; ++i) content += fixedLine(std::to_string(i + 1), "1.00");  // 31 bytes
    fixed(writeFile("a.txt", content));
    const int64_t size = static_cast<int64_t>(content.size());
    // Each tick reads whole lines until at least 1000 bytes went by.
    EXPECT_EQ(progress.ticks, static_cast<int>((size + 1022) / 1023));
    ASSERT_FALSE(progress.percents.empty());
    EXPECT_EQ(progress.percents.front(), 0);
    EXPECT_EQ(progress.percents.back(), 100);
    EXPECT_TRUE(std::is_sorted(progress.percents.begin(), progress.percents.end()));
}

TEST_F(TextImportTest, ATransactionThatCannotBeginAsksAndAbortMarksNothing) {
    addCheck("1", 100);
    FileSession other(storage);
    storage::Transaction hold(other, {FileId::APbac}, 1);
    ASSERT_EQ(hold.error(), Error::None);
    messages->answer(msg::Abort);
    const ImportResult r = comma(writeFile("a.csv", "1,1.00\n"));
    EXPECT_EQ(r.end, ImportEnd::Failed);
    ASSERT_EQ(messages->count(), 2u);
    EXPECT_EQ(messages->messages()[0].text.rfind("Unable to start transaction frame Error(48)", 0),
              0u);
    EXPECT_EQ(messages->messages()[0].buttons, msg::Abort | msg::Retry);
    EXPECT_EQ(messages->messages()[1].text.rfind("Error occured during transaction update, ", 0),
              0u);
    hold.rollback();
    EXPECT_TRUE(marked().empty());
    EXPECT_TRUE(progress.titles.empty());
}
