// The BAI2 and OFX readers against the record files: paid checks and deposits marked, ambiguous
// credits listed, the account chooser, trailers that do not add up, files that are missing or
// of another kind, Cancel, and the exceptions list of every reader.

#include "bank_test_data.h"
#include "bankrec/imports/bank_import.h"
#include "bankrec/imports/excel_import.h"
#include "bankrec/imports/import_windows.h"
#include "bankrec/imports/text_import.h"
#include "bankrec/storage/transaction.h"
#include "corelib/daytime.h"
#include "imports_fixture.h"

using namespace corelib;
using namespace storage;
using namespace imports;

namespace {

class BankImportTest : public ImportTest {
  protected:
    BankImportTest() {
        ImportWindows w;
        w.selectAccount = [this](const std::vector<std::string>& accounts) {
            offered = accounts;
            return choose;
        };
        setImportWindows(std::move(w));
    }
    ~BankImportTest() override { setImportWindows({}); }

    int32_t addDeposit(int64_t cents, int32_t date, uint8_t marked = 0) {
        storage::APbac a;
        a.BankID = bank;
        a.ActivityType = "Deposit";
        a.Reference = "D" + std::to_string(date);
        a.ActivityDate = date;
        a.DepositOrCredit = Decimal::fromCents(cents);
        a.Marked = marked;
        return add(a);
    }
    ImportResult bai2(const std::string& path, BankImportOptions options = {}) {
        return runBankImport(*session, path, BankFormat::Bai2, options);
    }
    ImportResult ofx(const std::string& path, BankImportOptions options = {}) {
        return runBankImport(*session, path, BankFormat::Ofx, options);
    }
    // Clears every mark, so a second run starts from the same rows.
    void unmarkAll() {
        auto& f = session->file<APbac>();
        for (int32_t id : marked()) {
            f.clear();
            f.rec.ActivityID = id;
            ASSERT_EQ(f.get(APBAC_KEY_ACTIVITYID), Error::None);
            f.rec.Marked = 0;
            f.rec.ClearDate = 0;
            ASSERT_EQ(f.put(), Error::None);
        }
    }

    std::vector<std::string> offered;
    int choose = 0;
    const int32_t jan15 = daytime::dayNumber(2024, 1, 15);
};

}  // namespace

TEST_F(BankImportTest, Bai2PaidChecksAndACreditMarkTheChosenAccountsRows) {
    const int32_t c1234 = addCheck("1234", 12500);
    const int32_t c1235 = addCheck("1235", 4000);
    const int32_t c77 = addCheck("77", 9900);  // the other account's check
    const int32_t deposit = addDeposit(50000, jan15 - 3);
    addDeposit(50000, jan15 - 9);  // outside the five days
    addDeposit(50000, jan15 + 1);  // after the posting date

    const ImportResult r = bai2(writeFile("f.bai", testData("two_accounts.bai")));
    EXPECT_EQ(offered,
              (std::vector<std::string>{"1111111 (USD, 3 items)", "2222222 (USD, 1 item)"}));
    EXPECT_EQ(r.end, ImportEnd::Completed);
    EXPECT_EQ(GlobalResponse, RequestCompleted);
    EXPECT_EQ(marked(), (std::vector<int32_t>{c1234, c1235, deposit}));
    EXPECT_FALSE(row(c77).Marked);
    // The group's as-of date is the date cleared of checks and deposits alike.
    EXPECT_EQ(row(c1234).ClearDate, jan15);
    EXPECT_EQ(row(deposit).ClearDate, jan15);
    EXPECT_EQ(r.counts.lines, 3);
    EXPECT_EQ(r.counts.marked, 3);
    EXPECT_TRUE(r.exceptions.empty());
    EXPECT_EQ(progress.texts, std::vector<std::string>{"Importing BAI2 file"});
    EXPECT_EQ(progress.percents.back(), 100);

    // The second account, chosen: its check, and the same file again marks nothing more.
    choose = 1;
    ImportResult second = bai2(writeFile("f.bai", testData("two_accounts.bai")));
    EXPECT_TRUE(row(c77).Marked);
    choose = 0;
    second = bai2(writeFile("f.bai", testData("two_accounts.bai")));
    EXPECT_EQ(second.counts.marked, 0);
    EXPECT_EQ(second.counts.alreadyMarked, 3);

    // The chooser cancelled: nothing is read.
    choose = -1;
    unmarkAll();
    EXPECT_EQ(bai2(writeFile("f.bai", testData("two_accounts.bai"))).end, ImportEnd::Cancelled);
    EXPECT_TRUE(marked().empty());
}

TEST_F(BankImportTest, ACreditWithTwoCandidateDepositsIsListedNeverGuessed) {
    const int32_t a = addDeposit(50000, jan15 - 1);
    const int32_t b = addDeposit(50000, jan15 - 4);
    addCheck("1234", 12500);
    addCheck("1235", 4000);
    const ImportResult r = bai2(writeFile("f.bai", testData("two_accounts.bai")));
    EXPECT_FALSE(row(a).Marked);
    EXPECT_FALSE(row(b).Marked);
    EXPECT_EQ(r.counts.ambiguous, 1);
    EXPECT_EQ(r.counts.marked, 2);
    ASSERT_EQ(r.exceptions.size(), 1u);
    EXPECT_EQ(r.exceptions[0].outcome, MarkOutcome::Ambiguous);
    EXPECT_EQ(r.exceptions[0].line, 7);  // the file's line, for the clerk to find it there
    EXPECT_EQ(r.exceptions[0].text, "16,175,50000,,BR3,,DEPOSIT/");
    EXPECT_EQ(r.exceptions[0].note.rfind("2 deposits of 500.00 from ", 0), 0u)
        << r.exceptions[0].note;

    // With one of them marked the other is the only candidate left.
    unmarkAll();
    auto& f = session->file<APbac>();
    f.clear();
    f.rec.ActivityID = a;
    ASSERT_EQ(f.get(APBAC_KEY_ACTIVITYID), Error::None);
    f.rec.Marked = 1;
    ASSERT_EQ(f.put(), Error::None);
    const ImportResult again = bai2(writeFile("f.bai", testData("two_accounts.bai")));
    EXPECT_TRUE(row(b).Marked);
    EXPECT_EQ(again.counts.ambiguous, 0);

    // Deposits not matched: the credit is passed over (skipped), never listed.
    unmarkAll();
    const ImportResult off =
        bai2(writeFile("f.bai", testData("two_accounts.bai")), {true, true, false, 5});
    EXPECT_EQ(off.counts.skipped, 1);
    EXPECT_TRUE(off.exceptions.empty());
}

TEST_F(BankImportTest, OfxSgmlAndXmlFormsMarkTheSameRows) {
    const int32_t c1234 = addCheck("1234", 12500);
    const int32_t c1235 = addCheck("1235", 4000);
    addCheck("998877", 50000);  // a deposit's REFNUM is no check number
    const int32_t deposit = addDeposit(50000, jan15);

    const ImportResult sgml = ofx(writeFile("s.ofx", testData("statement.ofx")));
    const std::vector<int32_t> sgmlMarks = marked();
    const int32_t cleared = row(c1234).ClearDate;
    unmarkAll();
    const ImportResult xml = ofx(writeFile("s.qfx", testData("statement.qfx")));
    EXPECT_EQ(marked(), sgmlMarks);
    EXPECT_EQ(sgmlMarks, (std::vector<int32_t>{c1234, c1235, deposit}));
    EXPECT_EQ(cleared, jan15);
    EXPECT_EQ(row(c1235).ClearDate, jan15 + 1);
    for (const ImportResult* r : {&sgml, &xml}) {
        EXPECT_EQ(r->end, ImportEnd::Completed);
        EXPECT_EQ(r->counts.lines, 5);
        EXPECT_EQ(r->counts.marked, 3);
        EXPECT_EQ(r->counts.notMatched, 1);
        EXPECT_EQ(r->counts.skipped, 1);  // the transaction without a date
        ASSERT_EQ(r->exceptions.size(), 1u);
        EXPECT_EQ(r->exceptions[0].note, "debit of 5.00 without a check number");
    }
    EXPECT_EQ(sgml.exceptions[0].text, xml.exceptions[0].text);
    // Each names the line its transaction starts on in its own file.
    EXPECT_EQ(sgml.exceptions[0].line, 19);
    EXPECT_EQ(xml.exceptions[0].line, 47);
}

TEST_F(BankImportTest, TrailersThatDoNotAddUpAreShownAndTheClerkDecides) {
    const int32_t c = addCheck("1234", 12500);
    std::string text = testData("two_accounts.bai");
    text.replace(text.find("49,566500,6/"), 12, "49,566400,6/");
    const std::string path = writeFile("bad.bai", text);

    messages->answer(msg::No);
    ImportResult r = bai2(path);
    EXPECT_EQ(r.end, ImportEnd::Cancelled);
    EXPECT_TRUE(marked().empty());
    ASSERT_EQ(messages->count(), 1u);
    EXPECT_NE(messages->last()->text.find("the control total in its trailer (49) is 566400"),
              std::string::npos);
    EXPECT_NE(messages->last()->text.find("Import it anyway?"), std::string::npos);

    messages->answer(msg::Yes);
    r = bai2(path);
    EXPECT_EQ(r.end, ImportEnd::Completed);
    EXPECT_EQ(marked(), std::vector<int32_t>{c});
    EXPECT_FALSE(r.warnings.empty());
}

TEST_F(BankImportTest, MissingFilesAndFilesOfAnotherKindMarkNothing) {
    addCheck("1234", 12500);
    const std::string missing = sandbox.file("none.bai");
    ImportResult r = bai2(missing);
    EXPECT_EQ(r.end, ImportEnd::Failed);
    EXPECT_FALSE(std::filesystem::exists(missing));  // never created
    ASSERT_EQ(messages->count(), 1u);
    EXPECT_EQ(messages->last()->caption, "File Access Error");

    messages->clear();
    r = bai2(writeFile("s.ofx", testData("statement.ofx")));
    EXPECT_EQ(r.end, ImportEnd::Failed);
    ASSERT_EQ(messages->count(), 1u);
    EXPECT_NE(messages->last()->text.find("is not a BAI2 file"), std::string::npos);

    messages->clear();
    r = ofx(sandbox.path());  // a folder
    EXPECT_EQ(r.end, ImportEnd::Failed);
    EXPECT_TRUE(marked().empty());
}

TEST_F(BankImportTest, CancelYesUndoesTheRun) {
    std::string body;
    storage::Transaction adding(*session, {FileId::APbac}, 1);
    for (int i = 0; i < 100; ++i) {
        addCheck(std::to_string(5000 + i), 100 + i);
        body += "16,475," + std::to_string(100 + i) + ",,BR," + std::to_string(5000 + i) + "/\n";
    }
    ASSERT_EQ(adding.commit(), Error::None);
    const std::string text = "01,B,C,240116,0800,1,,,2/\n02,C,B,1,240115,,USD,2/\n03,9,USD/\n" +
                             body + "49,0,0/\n98,0,1,0/\n99,0,1,0/\n";
    messages->answer(msg::Yes);  // import although the trailers do not add up
    cancelBeforeTick(2);
    messages->answer(msg::Yes);  // undo
    const ImportResult r = bai2(writeFile("many.bai", text));
    EXPECT_EQ(r.end, ImportEnd::Cancelled);
    EXPECT_GT(r.counts.marked, 0);
    EXPECT_TRUE(marked().empty());
}

TEST_F(BankImportTest, EveryTextReaderListsWhatDidNotMatch) {
    addCheck("1001", 2500);
    const int32_t paid = addCheck("1002", 7000);
    // A paid-items file: serial, amount in implied cents, YYYYMMDD.
    const std::string paidItems =
        "0000001002000000700020240115\n"
        "0000001003000000100020240115\n"
        "                            \n";
    ImportResult r = UpdateAPrecFixed(*session, writeFile("p.txt", paidItems), true, true, true, 1,
                                      10, 11, 20, 21, 28, ClearedDateFormat::YYYYMMDD);
    EXPECT_EQ(marked(), std::vector<int32_t>{paid});
    EXPECT_EQ(row(paid).ClearDate, jan15);
    EXPECT_EQ(r.counts.lines, 3);
    EXPECT_EQ(r.counts.skipped, 1);
    ASSERT_EQ(r.exceptions.size(), 1u);
    EXPECT_EQ(r.exceptions[0].line, 2);
    EXPECT_EQ(r.exceptions[0].text, "0000001003000000100020240115");
    EXPECT_EQ(r.exceptions[0].note, "check 1003 of 10.00");

    r = UpdateAPrecComma(*session, writeFile("c.csv", "1001,26.00\n1002,70.00\n"), true, false,
                         false, 1, 2, 3);
    EXPECT_EQ(r.counts.alreadyMarked, 1);
    ASSERT_EQ(r.exceptions.size(), 1u);
    EXPECT_EQ(r.exceptions[0].text, "1001,26.00");
    EXPECT_EQ(r.exceptions[0].outcome, MarkOutcome::NotMatched);
}

TEST_F(BankImportTest, TheSpreadsheetReaderListsRowsThatDidNotMatch) {
    const int32_t c = addCheck("0042", 1000);
    FakeLink link;
    link.set("Book:Sheet1", 1, {"0042", "10.00"});
    link.set("Book:Sheet1", 2, {"0043", "11.00"});
    messages->answer(msg::OK);  // "About to process Excel spreadsheet ..."
    const ImportResult r = runExcelImport(*session, link, SheetLayout{1, 2}, {true, false, false});
    EXPECT_EQ(marked(), std::vector<int32_t>{c});
    ASSERT_EQ(r.exceptions.size(), 1u);
    EXPECT_EQ(r.exceptions[0].line, 2);
    EXPECT_EQ(r.exceptions[0].text, "row 2: \"0043\" \"11.00\"");
}
