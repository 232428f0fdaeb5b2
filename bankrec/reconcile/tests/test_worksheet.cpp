// The worksheet: the statement it opens or adds, the dates it proposes, marking and recounting,
// the difference, the completion checks, saving against another station, and closing unsaved.
#include <gtest/gtest.h>

#include "bankrec/reconcile/reconcile_texts.h"
#include "bankrec/reconcile/statement_dates.h"
#include "bankrec/reconcile/update_aprec_new.h"
#include "bankrec/reconcile/update_aprec_range.h"
#include "bankrec/storage/transaction.h"
#include "reconcile_fixture.h"
#include "suiteapi/tvapdata.h"

using namespace corelib;
using namespace storage;
using namespace reconcile;

namespace {

TEST(StatementDates, OneMonthOnWithMonthEndsKeptAtMonthEnds) {
    struct Case {
        int32_t previous;
        int32_t expected;
    };
    const Case cases[] = {
        {day(2024, 1, 31), day(2024, 2, 29)},  // leap year
        {day(2026, 1, 31), day(2026, 2, 28)},  // common year
        {day(2026, 11, 30), day(2026, 12, 31)},
        {day(2025, 12, 31), day(2026, 1, 31)},  // into the next year
        {day(2026, 3, 15), day(2026, 4, 15)},
        {day(2026, 1, 30), day(2026, 3, 2)},  // 30 February carried into March
        {day(2024, 1, 30), day(2024, 3, 1)},
        {day(2026, 2, 28), day(2026, 3, 31)},
        {day(2026, 4, 30), day(2026, 5, 31)},
        {day(2026, 12, 15), day(2027, 1, 15)},
        {0, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(nextStatementDate(c.previous), c.expected) << c.previous;
}

class WorksheetTest : public ReconcileTest {
  protected:
    void SetUp() override {
        bank = addBank("First Bank");
        Worksheet::lastSaved().reset();
    }

    // A worksheet on the bank, opened as the list opens it.
    std::unique_ptr<Worksheet> open(FileSession* on = nullptr, int32_t onBank = 0) {
        FileSession& s = on ? *on : *session;
        auto& b = s.file<APbnk>();
        b.clear();
        b.rec.BankID = onBank ? onBank : bank;
        EXPECT_EQ(b.get(APBNK_KEY_BANKID), Error::None);
        WorksheetHooks hooks;
        hooks.rangeWindow = [&s, this] {
            rangeResult = UpdateAPrecRange(s, rangeFrom, rangeTo, 1);
        };
        auto w = std::make_unique<Worksheet>(s, params, calls, hooks);
        EXPECT_TRUE(w->open());
        return w;
    }
    int64_t indexOf(Worksheet& w, WorksheetList which, int32_t activityId) {
        for (int64_t i = 0; i < w.list(which).count(); ++i)
            if (w.list(which).row(i)->rec.ActivityID == activityId) return i;
        return -1;
    }
    // The bank's register header in the stand-in suite: mode and status.
    std::pair<std::string, std::string> header(const char* apBank) {
        std::array<char, TVSUITE_HANDLE_SIZE> handle{};
        std::array<char, TVAP_RECORD_SIZE + 1> rec{};
        char st[3] = "zz";
        ocropen(handle.data(), "OI", "02", st);
        EXPECT_STREQ(st, "00");
        ocrInit(rec.data());
        ocrPutBank(rec.data(), apBank);
        ocrPutType(rec.data(), "B");
        ocrread(handle.data(), rec.data(), "RR", st);
        std::pair<std::string, std::string> out{"missing", "missing"};
        if (std::string(st) == "00") {
            char mode[2] = {}, status[2] = {};
            ocrGetMode(rec.data(), mode);
            ocrGetStatus(rec.data(), status);
            out = {mode, status};
        }
        ocrclose(handle.data(), st);
        return out;
    }
    void setApBank(const char* code) {
        auto& b = session->file<APbnk>();
        b.clear();
        b.rec.BankID = bank;
        ASSERT_EQ(b.get(APBNK_KEY_BANKID), Error::None);
        b.rec.APBank = code;
        ASSERT_EQ(b.put(), Error::None);
    }

    int32_t bank = 0;
    std::string rangeFrom, rangeTo;
    RangeResult rangeResult;
};

TEST_F(WorksheetTest, AFirstStatementStartsAtZeroAndIsStoredAtOnce) {
    auto w = open();
    EXPECT_TRUE(w->adding());
    EXPECT_EQ(w->title(), "Adding Reconciliation [First Bank]");
    EXPECT_EQ(count<APrec>(), 1);
    const APrec& r = w->record();
    EXPECT_NE(r.ReconciliationID, 0);
    EXPECT_EQ(r.BankID, bank);
    EXPECT_EQ(r.ChangeID, 7);
    EXPECT_EQ(r.OpeningDate, 0);
    EXPECT_EQ(r.EndingDate, 0);
    EXPECT_EQ(r.ServiceChargeDate, 0);
    EXPECT_TRUE(w->doneEnabled());
    // Nothing to balance, yet no opening date: Done stops there and asks for it.
    EXPECT_EQ(w->done(), Worksheet::Outcome::Stay);
    EXPECT_EQ(messages->last()->text,
              "Closing date from previous statement required to complete reconciliation.");
    EXPECT_EQ(messages->last()->caption, "Bank Reconciliation");
    EXPECT_EQ(w->focusField(), SummaryField::OpeningDate);
}

TEST_F(WorksheetTest, ANewStatementFollowsTheLatestOneAndAnOpenOneIsReopened) {
    addStatement(bank, day(2025, 12, 31), 80000, true);
    addStatement(bank, day(2026, 1, 31), 123456, true);
    int32_t id = 0;
    {
        auto w = open();
        EXPECT_TRUE(w->adding());
        const APrec& r = w->record();
        EXPECT_EQ(r.OpeningDate, day(2026, 1, 31));
        EXPECT_EQ(r.OpeningBalance, money(123456));
        EXPECT_EQ(r.EndingDate, day(2026, 2, 28));
        EXPECT_EQ(r.ServiceChargeDate, day(2026, 2, 28));
        EXPECT_EQ(r.InterestEarnedDate, day(2026, 2, 28));
        EXPECT_TRUE(r.EndingBalance.isZero());
        id = r.ReconciliationID;
        EXPECT_EQ(w->ok(), Worksheet::Outcome::Close);
        EXPECT_EQ(w->response(), RequestCompleted);
    }
    auto again = open();
    EXPECT_FALSE(again->adding());
    EXPECT_EQ(again->title(), "Changing Reconciliation [First Bank]");
    EXPECT_EQ(again->record().ReconciliationID, id);
    EXPECT_EQ(count<APrec>(), 3);
}

TEST_F(WorksheetTest, MarkingTwiceRestoresCountTotalAndTheRow) {
    const int32_t check = addCheck(bank, "1001", 12345);
    addCheck(bank, "1002", 500);
    const int32_t deposit = addDeposit(bank, 99999);
    auto w = open();
    const int64_t row = indexOf(*w, WorksheetList::Checks, check);
    ASSERT_GE(row, 0);
    EXPECT_EQ(w->markCaption(WorksheetList::Checks, row), "&Mark");
    EXPECT_EQ(w->markIcon(WorksheetList::Checks, row), "~CheckOn.ico");

    ASSERT_TRUE(w->mark(WorksheetList::Checks, row));
    EXPECT_EQ(activity(check).Marked, 1);  // written at once
    EXPECT_EQ(w->record().ChecksMarked, 1);
    EXPECT_EQ(w->record().ChecksMarkedAmount, money(12345));
    EXPECT_EQ(Worksheet::marker(w->list(WorksheetList::Checks).row(row)->rec), "c");
    EXPECT_EQ(w->markCaption(WorksheetList::Checks, row), "Un&mark");
    EXPECT_EQ(w->markIcon(WorksheetList::Checks, row), "~CheckOff.ico");
    EXPECT_EQ(w->difference(), money(-12345));

    ASSERT_TRUE(w->mark(WorksheetList::Checks, row));
    EXPECT_EQ(activity(check).Marked, 0);
    EXPECT_EQ(w->record().ChecksMarked, 0);
    EXPECT_TRUE(w->record().ChecksMarkedAmount.isZero());
    EXPECT_EQ(w->markCaption(WorksheetList::Checks, row), "&Mark");

    ASSERT_TRUE(w->mark(WorksheetList::Deposits, indexOf(*w, WorksheetList::Deposits, deposit)));
    EXPECT_EQ(w->record().DepositsMarked, 1);
    EXPECT_EQ(w->record().DepositsMarkedAmount, money(99999));
    // The statement's figures reach the file only when it is saved.
    auto& f = session->file<APrec>();
    const int32_t id = w->record().ReconciliationID;
    EXPECT_EQ(statement(id).DepositsMarked, 0);
    (void)f;
}

TEST_F(WorksheetTest, AMarkThatCannotBeReadOrWrittenIsReportedAndTheFiguresFollowTheFile) {
    const int32_t check = addCheck(bank, "1001", 2500);
    auto w = open();
    const int64_t row = indexOf(*w, WorksheetList::Checks, check);
    // Another station deletes the row: the read fails, nothing changes.
    auto other = station();
    auto& o = other->file<APbac>();
    o.rec.ActivityID = check;
    ASSERT_EQ(o.get(APBAC_KEY_ACTIVITYID), Error::None);
    ASSERT_EQ(o.erase(), Error::None);
    EXPECT_FALSE(w->mark(WorksheetList::Checks, row));
    EXPECT_EQ(messages->last()->text,
              "Unable to get APbac for update, Error(33):Record Not Available");
    EXPECT_EQ(w->record().ChecksMarked, 0);
    EXPECT_EQ(w->difference(), money(0));
}

TEST_F(WorksheetTest, OpeningRecountsFromTheMarksAndAnUnsavedNewStatementIsDeletedOnClose) {
    const int32_t c1 = addCheck(bank, "1001", 1000);
    addCheck(bank, "1002", 2000);
    const int32_t d1 = addDeposit(bank, 5000);
    addCheck(bank, "1003", 700, 0, 1, 1);  // reconciled: in neither list nor the totals
    APbac adjustment;
    adjustment.BankID = bank;
    adjustment.ActivityType = "Adjustment";
    adjustment.Marked = 1;
    adjustment.PaymentOrDebit = money(999);
    add(adjustment);
    int32_t first = 0;
    {
        auto w = open();
        first = w->record().ReconciliationID;
        EXPECT_EQ(w->list(WorksheetList::Checks).count(), 2);
        EXPECT_EQ(w->list(WorksheetList::Deposits).count(), 1);
        ASSERT_TRUE(w->mark(WorksheetList::Checks, indexOf(*w, WorksheetList::Checks, c1)));
        ASSERT_TRUE(w->mark(WorksheetList::Deposits, indexOf(*w, WorksheetList::Deposits, d1)));
        w->closeWithoutSaving();
        EXPECT_EQ(w->response(), RequestCancelled);
    }
    EXPECT_EQ(statement(first).ReconciliationID, 0);
    EXPECT_EQ(count<APrec>(), 0);
    EXPECT_EQ(activity(c1).Marked, 1);

    auto w = open();
    EXPECT_TRUE(w->adding());
    EXPECT_EQ(w->record().ChecksMarked, 1);
    EXPECT_EQ(w->record().ChecksMarkedAmount, money(1000));
    EXPECT_EQ(w->record().DepositsMarked, 1);
    EXPECT_EQ(w->record().DepositsMarkedAmount, money(5000));
    EXPECT_EQ(w->difference(), money(4000));
}

TEST_F(WorksheetTest, OneCentOffKeepsDoneDisabledAndTheCheckStillStopsIt) {
    const int32_t check = addCheck(bank, "1001", 10001);
    addStatement(bank, day(2026, 2, 28), 50000, true);
    auto w = open();
    ASSERT_TRUE(w->mark(WorksheetList::Checks, indexOf(*w, WorksheetList::Checks, check)));
    w->record().EndingBalance = money(40000);
    EXPECT_EQ(w->difference(), money(-1));
    EXPECT_FALSE(w->doneEnabled());
    EXPECT_EQ(w->done(), Worksheet::Outcome::Stay);
    EXPECT_EQ(messages->last()->text,
              "Reconciliation not in balance. Difference must be zero before reconciliation can "
              "be completed.");
    w->record().EndingBalance = money(39999);
    EXPECT_TRUE(w->difference().isZero());
    EXPECT_TRUE(w->doneEnabled());
}

TEST_F(WorksheetTest, AServiceChargeNeedsItsDateAZeroOneDoesNot) {
    addStatement(bank, day(2026, 2, 28), 50000, true);
    auto w = open();
    APrec& r = w->record();
    r.ServiceCharge = money(1250);
    r.EndingBalance = money(48750);
    r.ServiceChargeDate = 0;
    EXPECT_EQ(w->done(), Worksheet::Outcome::Stay);
    EXPECT_EQ(messages->last()->text,
              "Date required for service charge before reconciliation can be completed.");
    EXPECT_EQ(w->focusField(), SummaryField::ServiceChargeDate);

    r.ServiceCharge = money(0);
    r.EndingBalance = money(50000);
    r.InterestEarned = money(310);
    r.EndingBalance = money(50310);
    r.InterestEarnedDate = 0;
    EXPECT_EQ(w->done(), Worksheet::Outcome::Stay);
    EXPECT_EQ(messages->last()->text,
              "Date required for interest earned before reconciliation can be completed.");

    r.InterestEarnedDate = day(2026, 3, 31);
    messages->answer(msg::No);
    EXPECT_EQ(w->done(), Worksheet::Outcome::Stay);
    const RecordedMessage* ask = messages->last();
    EXPECT_EQ(ask->text,
              "Completing the reconciliation will cause any service charges or interest earned "
              "to be posted to the General Ledger and any marked checks to be cleared.This "
              "function cannot then be undone.\n\nAre you sure you want to do this?");
    EXPECT_EQ(ask->buttons, msg::Yes | msg::No);
    EXPECT_EQ(ask->defaultButton, msg::No);
    // No leaves the statement unsaved.
    EXPECT_TRUE(statement(r.ReconciliationID).InterestEarned.isZero());
}

TEST_F(WorksheetTest, NoToTheCompletionQuestionReleasesTheSuitesRegisterAndARefusalStops) {
    makeSuite();
    setApBank("APB");
    addStatement(bank, day(2026, 2, 28), 0, true);
    auto w = open();
    messages->answer(msg::No);
    EXPECT_EQ(w->done(), Worksheet::Outcome::Stay);
    EXPECT_EQ(header("APB"), (std::pair<std::string, std::string>{" ", "0"}));

    // A void run in the suite holds the bank: the refusal is shown and nothing is asked.
    std::array<char, TVSUITE_HANDLE_SIZE> handle{};
    std::array<char, TVAP_RECORD_SIZE + 1> rec{};
    char st[3] = "zz";
    ocropen(handle.data(), "OB", "02", st);
    ocrInit(rec.data());
    ocrPutBank(rec.data(), "APB");
    ocrPutType(rec.data(), "B");
    ocrPutMode(rec.data(), "V");
    ocrrewrite(handle.data(), rec.data(), st);
    ASSERT_STREQ(st, "00");
    ocrclose(handle.data(), st);
    messages->clear();
    EXPECT_EQ(w->done(), Worksheet::Outcome::Stay);
    ASSERT_EQ(messages->count(), 1u);
    EXPECT_EQ(messages->last()->text, "Void Run in Process. Please try later.");
    EXPECT_EQ(header("APB").first, "V");
}

TEST_F(WorksheetTest, DoneSavesThenCompletesThenExportsAndCloses) {
    makeSuite();
    setApBank("APB");
    addStatement(bank, day(2026, 2, 28), 10000, true);
    const int32_t check = addCheck(bank, "1001", 2500);
    std::vector<std::string> called;
    auto w = open();
    const int32_t id = w->record().ReconciliationID;
    ASSERT_TRUE(w->mark(WorksheetList::Checks, 0));
    w->record().EndingBalance = money(7500);

    // Completion not provided: said so, the statement stays open and the suite is let go.
    messages->answer(msg::Yes);
    EXPECT_EQ(w->done(), Worksheet::Outcome::Stay);
    EXPECT_EQ(messages->last()->text, "Completing a reconciliation is not available yet.");
    EXPECT_EQ(header("APB"), (std::pair<std::string, std::string>{" ", "0"}));
    EXPECT_EQ(statement(id).EndingBalance, money(7500));  // but saved

    calls.UpdateAPrecDone = [&](FileSession& s, const shell::StartupParameters&) {
        called.push_back("done bank " + std::to_string(s.file<APbnk>().rec.BankID) + " " +
                         header("APB").first + " " + moneyText(statement(id).EndingBalance));
        GlobalResponse = RequestCompleted;
    };
    calls.ExportAPrec = [&](FileSession& s, const shell::StartupParameters&) {
        called.push_back("export " + std::to_string(s.file<APrec>().rec.ReconciliationID));
    };
    w->record().EndingBalance = money(7500);
    messages->answer(msg::Yes);
    EXPECT_EQ(w->done(), Worksheet::Outcome::Close);
    EXPECT_EQ(w->response(), RequestCompleted);
    EXPECT_EQ(called, (std::vector<std::string>{"done bank " + std::to_string(bank) + " R 75.00",
                                                "export " + std::to_string(id)}));
    EXPECT_EQ(activity(check).Marked, 1);
}

TEST_F(WorksheetTest, TwoStationsSavingOneStatementGetTheChangeConflictNeverAnOverwrite) {
    addStatement(bank, day(2026, 2, 28), 10000, true);
    int32_t id = 0;
    {
        auto w = open();  // adds the open statement and saves it
        id = w->record().ReconciliationID;
        ASSERT_EQ(w->ok(), Worksheet::Outcome::Close);
    }
    auto other = station();
    auto mine = open();
    auto theirs = open(other.get());
    ASSERT_FALSE(theirs->adding());
    ASSERT_EQ(theirs->record().ReconciliationID, id);

    theirs->record().EndingBalance = money(22222);
    ASSERT_EQ(theirs->ok(), Worksheet::Outcome::Close);

    mine->record().EndingBalance = money(11111);
    EXPECT_EQ(mine->ok(), Worksheet::Outcome::Stay);
    EXPECT_EQ(messages->last()->caption, "Record Was Not Updated");
    EXPECT_EQ(statement(id).EndingBalance, money(22222));   // theirs kept
    EXPECT_EQ(mine->record().EndingBalance, money(22222));  // and shown
    ASSERT_TRUE(mine->conflictPending());
    ASSERT_TRUE(mine->recallEntered(SummaryField::EndingBalance));
    EXPECT_EQ(mine->record().EndingBalance, money(11111));
    EXPECT_EQ(mine->ok(), Worksheet::Outcome::Close);
    EXPECT_EQ(statement(id).EndingBalance, money(11111));
}

TEST_F(WorksheetTest, RangeMarkingIsCountedAndTheHistoryKeyRecallsTheLastSavedStatement) {
    for (const char* ref : {"1001", "1002", "1003", "1004", "1005", "1006"})
        addCheck(bank, ref, 1000);
    addStatement(bank, day(2026, 2, 28), 10000, true);
    {
        auto w = open();
        rangeFrom = "1001";
        rangeTo = "1005";
        w->range();
        EXPECT_EQ(rangeResult.count, 5);
        EXPECT_EQ(w->record().ChecksMarked, 5);
        EXPECT_EQ(w->record().ChecksMarkedAmount, money(5000));
        EXPECT_EQ(w->difference(), money(5000));
        w->record().EndingBalance = money(5000);
        w->record().EndingDate = day(2026, 3, 27);
        EXPECT_EQ(w->ok(), Worksheet::Outcome::Close);
        EXPECT_EQ(statement(w->record().ReconciliationID).ChecksMarked, 5);
    }
    // The history key brings back a field of that statement in another worksheet.
    const int32_t second = addBank("Second Bank");
    auto w = open(nullptr, second);
    ASSERT_TRUE(w->recallHistory(SummaryField::EndingDate));
    EXPECT_EQ(w->record().EndingDate, day(2026, 3, 27));
    EXPECT_EQ(w->record().EndingBalance, money(0));
}

TEST_F(WorksheetTest, ChargeFieldsFollowTheBanksPostingFlags) {
    const int32_t quiet = addBank("Quiet Bank", false);
    auto w = open(nullptr, quiet);
    EXPECT_FALSE(w->serviceChargeEnabled());
    EXPECT_FALSE(w->interestEnabled());
    EXPECT_FALSE(w->editable(SummaryField::ServiceChargeDate));
    EXPECT_TRUE(w->editable(SummaryField::EndingBalance));
    auto other = open();
    EXPECT_TRUE(other->serviceChargeEnabled());
    EXPECT_TRUE(other->editable(SummaryField::InterestEarned));
}

TEST_F(WorksheetTest, AHundredThousandOutstandingItemsKeepOnlyAFewPagesInMemory) {
    {
        Transaction t(*session, {FileId::APbac}, 2);
        ASSERT_EQ(t.error(), Error::None);
        auto& f = session->file<APbac>();
        for (int i = 1; i <= 100000; ++i) {
            f.clear();
            f.rec.ActivityID = i;
            f.rec.BankID = bank;
            f.rec.ActivityType = i % 5 == 0 ? "Deposit" : "Check";
            f.rec.Reference = std::to_string(100000 + i);
            f.rec.ActivityDate = day(2026, 1, 1) + i % 300;
            f.rec.PaymentOrDebit = money(i % 5 == 0 ? 0 : 100 + i);
            f.rec.DepositOrCredit = money(i % 5 == 0 ? 100 + i : 0);
            f.rec.Marked = i % 3 == 0 ? 1 : 0;
            ASSERT_EQ(f.add(), Error::None);
        }
        ASSERT_EQ(t.commit(), Error::None);
    }
    auto w = open();
    auto& checks = w->list(WorksheetList::Checks);
    EXPECT_EQ(checks.count(), 80000);
    EXPECT_EQ(w->list(WorksheetList::Deposits).count(), 20000);
    // Scroll through the top, jump to the end and back to the middle.
    for (int64_t i = 0; i < 500; ++i) ASSERT_NE(checks.row(i), nullptr);
    ASSERT_NE(checks.row(79999), nullptr);
    ASSERT_NE(checks.row(40000), nullptr);
    const int64_t fewPages = 6 * checks.pageSize();
    EXPECT_LE(checks.heldRows(), fewPages);
    EXPECT_LE(w->list(WorksheetList::Deposits).heldRows(), fewPages);
    // The totals still cover every marked row.
    int64_t cents = 0, marked = 0;
    for (int i = 3; i <= 100000; i += 3)
        if (i % 5 != 0) {
            cents += 100 + i;
            ++marked;
        }
    EXPECT_EQ(w->record().ChecksMarked, marked);
    EXPECT_EQ(w->record().ChecksMarkedAmount, money(cents));
}

}  // namespace
