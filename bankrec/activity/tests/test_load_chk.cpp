// Loading the suite's open transactions into the activity register.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "activity_fixture.h"
#include "bankrec/activity/load_chk.h"
#include "bankrec/storage/file_session.h"
#include "corelib/globals.h"
#include "corelib/message_box.h"

#include <functional>

using namespace corelib;
using namespace storage;
using namespace hostlink;
using namespace activity;

namespace {

class LoadChkTest : public ActivityTest {
  protected:
    void SetUp() override {
        makeSuite();
        bankId = addBank("Operating", 11);
    }
    ChkLoadCounts load(int32_t bank = 0, int32_t fiaId = 11) {
        return LoadChkThread(*session, params, bank ? bank : bankId, fiaId);
    }
    int32_t bankId = 0;
};

TEST_F(LoadChkTest, EachSourceBecomesItsActivityTypeAndAmounts) {
    suiteTransaction(1, 11, 8, "-150.00", "Acme Supply", "1001");
    suiteTransaction(2, 11, 10, "80.00", "Counter deposit", "D-7");
    suiteTransaction(3, 11, 6, "500.00", "Transfer in");
    suiteTransaction(4, 11, 6, "-500.00", "Transfer out");
    suiteTransaction(5, 11, 9, "-1234.56", "Pat Payee", "5001");

    const ChkLoadCounts counts = load();
    EXPECT_EQ(counts.entries, 5);
    EXPECT_EQ(counts.added, 5);
    EXPECT_EQ(GlobalResponse, RequestCompleted);

    const APbac ap = byTransaction(1);
    EXPECT_EQ(ap.ActivityType, "Check");
    EXPECT_EQ(ap.Source, "AP");
    EXPECT_EQ(ap.Reference, "1001");
    EXPECT_EQ(ap.Name, "Acme Supply");
    EXPECT_EQ(ap.PaymentOrDebit, money(15000));
    EXPECT_EQ(ap.DepositOrCredit, money(0));
    EXPECT_EQ(ap.Amount, money(-15000));
    EXPECT_EQ(ap.BankID, bankId);

    const APbac cr = byTransaction(2);
    EXPECT_EQ(cr.ActivityType, "Deposit");
    EXPECT_EQ(cr.DepositOrCredit, money(8000));
    EXPECT_EQ(cr.PaymentOrDebit, money(0));
    EXPECT_EQ(cr.Description, "Counter deposit");
    EXPECT_EQ(cr.Amount, money(8000));

    const APbac glIn = byTransaction(3);
    EXPECT_EQ(glIn.ActivityType, "Deposit");
    EXPECT_EQ(glIn.Description, "Transfer in");
    EXPECT_EQ(glIn.Name, "");
    EXPECT_EQ(glIn.DepositOrCredit, money(50000));
    EXPECT_EQ(glIn.Reference, "JE-3T");

    const APbac glOut = byTransaction(4);
    EXPECT_EQ(glOut.ActivityType, "Check");
    EXPECT_EQ(glOut.Name, "Transfer out");
    EXPECT_EQ(glOut.PaymentOrDebit, money(50000));
    EXPECT_EQ(glOut.Amount, money(-50000));

    const APbac pr = byTransaction(5);
    EXPECT_EQ(pr.ActivityType, "Check");
    EXPECT_EQ(pr.PaymentOrDebit, money(123456));

    // New rows are numbered from 1 and are neither marked nor reconciled.
    EXPECT_EQ(byTransaction(1).ActivityID, 1);
    EXPECT_EQ(byTransaction(5).ActivityID, 5);
    EXPECT_EQ(pr.Marked, 0);
    EXPECT_EQ(pr.Reconciled, 0);
}

TEST_F(LoadChkTest, EntriesOfAnotherSourceAreSkippedNotStoredWithThePreviousValues) {
    suiteTransaction(1, 11, 8, "-150.00", "Acme Supply", "1001");
    suiteTransaction(2, 11, 12, "-75.00", "Other module", "X1");
    suiteTransaction(3, 11, 10, "80.00", "Counter deposit", "D-7");

    const ChkLoadCounts counts = load();
    EXPECT_EQ(counts.entries, 3);
    EXPECT_EQ(counts.added, 2);
    EXPECT_EQ(counts.otherSourceSkipped, 1);
    EXPECT_EQ(byTransaction(2).ActivityID, 0);
    EXPECT_EQ(count<APbac>(), 2);
}

TEST_F(LoadChkTest, ATransactionWithoutIdentifierIsSkippedRatherThanAddedAgainAtEveryLoad) {
    // A row of TransactionID 0 is left out of the key it would be found by again, and 0 marks
    // the rows entered here.
    suiteTransaction(0, 11, 8, "-42.00", "No identifier", "1000");
    suiteTransaction(1, 11, 8, "-150.00", "Acme Supply", "1001");
    for (int run = 1; run <= 2; ++run) {
        const ChkLoadCounts counts = load();
        EXPECT_EQ(counts.entries, 2) << "load " << run;
        EXPECT_EQ(counts.noTransactionSkipped, 1) << "load " << run;
        EXPECT_EQ(count<APbac>(), 1) << "load " << run;
        EXPECT_EQ(GlobalResponse, RequestCompleted);
    }
    EXPECT_EQ(byTransaction(1).Reference, "1001");
    EXPECT_EQ(messages->count(), 0u);
}

TEST_F(LoadChkTest, NothingToLoadStoresNothingAndAnswersCancelled) {
    suiteTransaction(1, 12, 8, "-150.00", "Another account", "1001");
    const ChkLoadCounts counts = load();
    EXPECT_EQ(counts.entries, 0);
    EXPECT_EQ(counts.suite, hostlink::LoadOutcome::Empty);
    EXPECT_EQ(count<APbac>(), 0);
    EXPECT_EQ(GlobalResponse, RequestCancelled);
}

// Nothing to load and a suite that cannot be read both answer 2; the counts tell them apart.
TEST_F(LoadChkTest, AnUnreachableSuiteIsReportedAsAFailedReadNotAsNothingToLoad) {
    params.SERVERNAME = "sqlite:" + folder() + "/no/such/folder";
    const ChkLoadCounts counts = load();
    EXPECT_EQ(counts.suite, hostlink::LoadOutcome::Failed);
    EXPECT_EQ(counts.entries, 0);
    ASSERT_NE(messages->find("could not be opened"), nullptr);
}

TEST_F(LoadChkTest, LoadingTwiceAddsAndRewritesNothing) {
    for (int id = 1; id <= 4; ++id) suiteTransaction(id, 11, id % 2 ? 8 : 10, "-10.00", "N");
    ASSERT_EQ(load().added, 4);

    // Put a stamp no load would write, to see whether any row is rewritten.
    auto& f = session->file<APbac>();
    for (int32_t id = 1; id <= 4; ++id) {
        byId(id);
        f.rec.ChangeDate = 5;
        f.rec.ChangeTime = 7;
        ASSERT_EQ(f.put(), Error::None);
    }
    const ChkLoadCounts again = load();
    EXPECT_EQ(again.added, 0);
    EXPECT_EQ(again.updated, 0);
    EXPECT_EQ(again.unchanged, 4);
    EXPECT_EQ(count<APbac>(), 4);
    for (int32_t id = 1; id <= 4; ++id) {
        const APbac a = byId(id);
        EXPECT_EQ(a.ChangeDate, 5) << "row " << id;
        EXPECT_EQ(a.ChangeTime, 7) << "row " << id;
    }
    EXPECT_EQ(messages->count(), 0u);
}

TEST_F(LoadChkTest, ChangedSuiteAmountRewritesOpenRowsButKeepsReconcilingState) {
    suiteTransaction(1, 11, 8, "-150.00", "Acme", "1001");
    suiteTransaction(2, 11, 8, "-60.00", "Beta", "1002");
    load();

    // Row 1 is reconciled, row 2 marked in an open reconciliation with a clear date.
    auto& f = session->file<APbac>();
    byTransaction(1);
    f.rec.Reconciled = 1;
    f.rec.Marked = 1;
    ASSERT_EQ(f.put(), Error::None);
    byTransaction(2);
    f.rec.Marked = 1;
    f.rec.ReconciliationID = 9;
    f.rec.ClearDate = 81000;
    ASSERT_EQ(f.put(), Error::None);

    setSuiteAmount(1, "-175.00");
    setSuiteAmount(2, "-65.00");
    const ChkLoadCounts counts = load();
    EXPECT_EQ(counts.reconciledSkipped, 1);
    EXPECT_EQ(counts.updated, 1);

    const APbac reconciled = byTransaction(1);
    EXPECT_EQ(reconciled.Amount, money(-15000));
    EXPECT_EQ(reconciled.PaymentOrDebit, money(15000));

    const APbac marked = byTransaction(2);
    EXPECT_EQ(marked.Amount, money(-6500));
    EXPECT_EQ(marked.PaymentOrDebit, money(6500));
    EXPECT_EQ(marked.Marked, 1);
    EXPECT_EQ(marked.ReconciliationID, 9);
    EXPECT_EQ(marked.ClearDate, 81000);
}

TEST_F(LoadChkTest, ATransactionUnderAnotherBankMovesUnlessReconciled) {
    const int32_t other = addBank("Old account", 12);
    suiteTransaction(1, 11, 8, "-150.00", "Acme", "1001");
    suiteTransaction(2, 11, 8, "-20.00", "Beta", "1002");
    // Both transactions were first loaded under the other bank.
    load(other);
    auto& f = session->file<APbac>();
    byTransaction(2);
    f.rec.Reconciled = 1;
    ASSERT_EQ(f.put(), Error::None);

    const ChkLoadCounts counts = load(bankId);
    EXPECT_EQ(counts.added, 0);
    EXPECT_EQ(byTransaction(1).BankID, bankId);
    EXPECT_EQ(byTransaction(2).BankID, other);
    EXPECT_EQ(count<APbac>(), 2);
}

TEST_F(LoadChkTest, LoaderNumbersAfterExistingActivity) {
    addActivity(bankId, "Adjustment", "SC", -2500);
    addActivity(bankId, "Adjustment", "IE", 100);
    suiteTransaction(1, 11, 8, "-150.00", "Acme", "1001");
    load();
    EXPECT_EQ(byTransaction(1).ActivityID, 3);
}

TEST_F(LoadChkTest, ALoaderInsideTheCallersTransactionLeavesItToTheCaller) {
    ChkLink link(params);
    link.link.FIAID = 11;
    suiteTransaction(1, 11, 8, "-150.00", "Acme", "1001");
    suiteTransaction(2, 11, 10, "80.00", "Counter", "D1");
    LOADCHK(link.link);
    ASSERT_EQ(session->begin({FileId::APbac}, 1), Error::None);
    {
        ChkLoader loader(*session, link.link, bankId);
        loader.runToEnd(1);
        EXPECT_EQ(loader.counts().added, 2);
    }
    EXPECT_TRUE(session->inTransaction());
    ASSERT_EQ(session->rollback(), Error::None);
    EXPECT_EQ(count<APbac>(), 0);
}

TEST_F(LoadChkTest, ASliceThatCannotBeCommittedIsReportedAndNotCounted) {
    addActivity(bankId, "Adjustment", "SC", -2500);
    for (int id = 1; id <= 3; ++id) suiteTransaction(id, 11, 8, "-10.00", "Acme", "100");
    // Another program reads the activity file all through the load.
    sqlite3* reader = nullptr;
    ASSERT_EQ(sqlite3_open(storage.filePath(FileId::APbac).c_str(), &reader), SQLITE_OK);
    sqlite3_stmt* read = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(reader, "SELECT * FROM APbac", -1, &read, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(read), SQLITE_ROW);
    session->setRecoverMilliseconds(200);
    const ChkLoadCounts counts = load();
    sqlite3_finalize(read);
    sqlite3_close(reader);

    EXPECT_EQ(counts.added, 0);
    EXPECT_EQ(counts.failed, 3);
    EXPECT_EQ(GlobalResponse, RequestCancelled);
    EXPECT_EQ(count<APbac>(), 1);
    EXPECT_NE(messages->find("attempting to update a record from the file"), nullptr);
    EXPECT_EQ(load().added, 3);  // the next refresh brings them
}

TEST(ChkEntryValuesTest, SourceIsComparedWithoutTrailingBlanksOrCase) {
    hostlink::CHKQ queue;
    hostlink::INFO info;
    ZORBRCHK link(queue, info);
    ASSERT_TRUE(link.addCheck(1, 80000, Decimal::fromCents(-500), "gl", "", "JE-1T", "Name", ""));
    ASSERT_TRUE(link.addCheck(2, 80000, Decimal::fromCents(0), "GL", "", "JE-2T", "Zero", ""));
    link.select(1);
    ChkEntryValues v;
    ASSERT_TRUE(readChkEntry(link, v));
    EXPECT_EQ(v.ActivityType, "Check");
    EXPECT_EQ(v.PaymentOrDebit, Decimal::fromCents(500));
    // A journal of exactly 0 is a deposit, as any amount that is not negative.
    link.select(2);
    ASSERT_TRUE(readChkEntry(link, v));
    EXPECT_EQ(v.ActivityType, "Deposit");
    EXPECT_EQ(v.Description, "Zero");
    EXPECT_EQ(v.Name, "");
}

}  // namespace

namespace {

// Answers every message with its first button, except the question whether to save again,
// which first lets `beforeRetry` run and is answered Yes.
class RetryBackend : public MessageBackend {
  public:
    explicit RetryBackend(std::function<void()> beforeRetry)
        : beforeRetry_(std::move(beforeRetry)) {}
    int32_t show(const MessageRequest& request) override {
        texts.push_back(request.text);
        if (request.text.find("Do you want to try to save again?") != std::string::npos) {
            beforeRetry_();
            return msg::Yes;
        }
        return msg::OK;
    }
    void beep() override {}
    [[noreturn]] void halt(int32_t exitCode) override { throw ProgramHalted{exitCode}; }
    std::vector<std::string> texts;

  private:
    std::function<void()> beforeRetry_;
};

// Every entry left would wait as long for the held file and fail alike: hundreds of entries
// would keep an unattended run (or a clerk answering Cancel) busy for hours.
TEST_F(LoadChkTest, AFileHeldElsewhereWithRetryDeclinedEndsTheRunAtTheFirstEntry) {
    for (int id = 1; id <= 3; ++id) suiteTransaction(id, 11, 8, "-10.00", "Payee", "100");
    FileSession other(storage);
    ASSERT_EQ(other.begin({FileId::APbac}, 1), Error::None);
    const ChkLoadCounts counts = load();
    (void)other.rollback();
    EXPECT_EQ(counts.failed, 1);
    EXPECT_EQ(counts.notHandled, 2);
    EXPECT_EQ(counts.entries, 1);
    EXPECT_EQ(count<APbac>(), 0);
    ASSERT_NE(messages->find("Attempts to automatically number this record have failed."), nullptr);

    // Free again: the next run loads everything.
    EXPECT_EQ(load().added, 3);
}

TEST_F(LoadChkTest, ARewriteThatFailsAsksToTryAgainAndYesWritesItOnceTheFileIsFree) {
    suiteTransaction(1, 11, 8, "-150.00", "Acme", "1001");
    load();
    setSuiteAmount(1, "-175.00");

    // Another station holds the activity file for writing while the load runs.
    FileSession other(storage);
    ASSERT_EQ(other.begin({FileId::APbac}, 1), Error::None);
    auto backend = std::make_shared<RetryBackend>([&] { (void)other.rollback(); });
    auto previous = ThisMessageBox.setBackend(backend);
    const ChkLoadCounts counts = load();
    ThisMessageBox.setBackend(previous);

    EXPECT_EQ(counts.updated, 1);
    EXPECT_EQ(counts.failed, 0);
    EXPECT_EQ(byTransaction(1).Amount, money(-17500));
    ASSERT_GE(backend->texts.size(), 2u);
    EXPECT_NE(backend->texts.back().find("try to save again"), std::string::npos);
}

}  // namespace
