// Completing a reconciliation: what is cleared, what is snapshotted, the adjustments, and that a
// cancelled or failed completion keeps nothing.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>

#include "bankrec/reconcile/update_aprec_done.h"
#include "bankrec/storage/transaction.h"
#include "completion_fixture.h"
#include "corelib/message.h"

using namespace corelib;
using namespace storage;
using namespace reconcile;
using namespace completion_tests;

namespace {

int rawExec(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    int rc = sqlite3_open(path.c_str(), &db);
    if (rc == SQLITE_OK) rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return rc;
}

struct Snap {
    int32_t activity;
    std::string type;
    uint8_t marked;
    int64_t cents;
    bool operator==(const Snap&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Snap& s) {
    return out << "{" << s.activity << " " << s.type << " " << int(s.marked) << " " << s.cents
               << "}";
}

class Completing : public CompletionTest {
  protected:
    std::vector<Snap> snapshot(int32_t reconciliationId) {
        std::vector<Snap> out;
        for (const APrac& r : all<APrac>())
            if (r.ReconciliationID == reconciliationId)
                out.push_back({r.ActivityID, r.ActivityType, r.Marked, r.Amount.cents()});
        return out;
    }
};

TEST_F(Completing, ClearsMarkedItemsSnapshotsEveryOutstandingRowAndAddsTheAdjustments) {
    const int32_t other = addBank("Payroll");
    const int32_t otherCheck = addActivity(other, {"Check", "9001", 5000, true});
    const int32_t bank = addBank("Operating");
    const int32_t manual = addActivity(bank, {"Adjustment", "", -700});
    const int32_t c1 = addActivity(bank, {"Check", "1001", 15000, true});
    const int32_t c2 = addActivity(bank, {"Check", "1002", 2025, true, 0, "", 82001});
    const int32_t c3 = addActivity(bank, {"Check", "1003", 4000, false, 0, "", 82002});
    const int32_t d1 = addActivity(bank, {"Deposit", "D1", 50000, true});
    const int32_t old = addActivity(bank, {"Check", "0990", 100, true});
    (void)activity(old);
    session_->file<APbac>().rec.Reconciled = 1;
    ASSERT_EQ(session_->file<APbac>().put(), Error::None);
    const int32_t id = openReconciliation(bank, 1250, 310);
    current(bank);

    const DoneResult result = UpdateAPrecDone(*session_);
    EXPECT_EQ(messageTexts(), "");
    ASSERT_TRUE(result.done);
    EXPECT_EQ(GlobalResponse, RequestCompleted);
    EXPECT_EQ(result.reconciliationId, id);
    ASSERT_EQ(progress_->windows.size(), 1u);
    EXPECT_EQ(progress_->windows[0].title, "Progress...");
    EXPECT_NE(progress_->windows[0].text.find("Completing reconciliation"), std::string::npos);

    // Adjustments come first in the key, then checks by date, then deposits; each item's
    // snapshot amount is the running amount: 0 until the first check.
    EXPECT_EQ(snapshot(id), (std::vector<Snap>{{manual, "Adjustment", 0, 0},
                                               {c1, "Check", 1, 15000},
                                               {c2, "Check", 1, 2025},
                                               {c3, "Check", 0, 4000},
                                               {d1, "Deposit", 1, 50000}}));
    for (const APrac& r : all<APrac>()) EXPECT_EQ(r.ChangeID + r.ChangeDate + r.ChangeTime, 0);

    const APrec rec = reconciliation(id);
    EXPECT_EQ(rec.Done, 1);
    EXPECT_EQ(rec.ChecksMarked, 2);
    EXPECT_EQ(rec.ChecksMarkedAmount, money(17025));
    EXPECT_EQ(rec.DepositsMarked, 1);
    EXPECT_EQ(rec.DepositsMarkedAmount, money(50000));
    EXPECT_EQ(session_->file<APrec>().rec.Done, 1);  // the buffer holds it as stored

    for (int32_t cleared : {c1, c2, d1}) {
        EXPECT_EQ(activity(cleared).Reconciled, 1) << cleared;
        EXPECT_EQ(activity(cleared).Marked, 1) << cleared;
        EXPECT_EQ(activity(cleared).ReconciliationID, 0) << cleared;  // linked through APrac
    }
    EXPECT_EQ(activity(c3).Reconciled, 0);
    EXPECT_EQ(activity(manual).Reconciled, 0);
    EXPECT_EQ(activity(otherCheck).Reconciled, 0);  // another bank's marked check

    // Service charge and interest stand in the register as reconciled adjustments of this
    // statement, numbered after the last activity.
    const APbac charge = activity(result.serviceChargeActivityId);
    EXPECT_EQ(charge.ActivityID, old + 1);
    EXPECT_EQ(charge.BankID, bank);
    EXPECT_EQ(charge.ReconciliationID, id);
    EXPECT_EQ(charge.ActivityType, "Adjustment");
    EXPECT_EQ(charge.Description, "Service Charge");
    EXPECT_EQ(charge.ActivityDate, rec.ServiceChargeDate);
    EXPECT_EQ(charge.Reconciled + charge.Marked, 2);
    EXPECT_EQ(charge.PaymentOrDebit, money(1250));
    EXPECT_EQ(charge.DepositOrCredit, money(0));
    EXPECT_EQ(charge.Amount, money(-1250));
    const APbac interest = activity(result.interestActivityId);
    EXPECT_EQ(interest.ActivityID, old + 2);
    EXPECT_EQ(interest.Description, "Interest Earned");
    EXPECT_EQ(interest.ReconciliationID, id);
    EXPECT_EQ(interest.PaymentOrDebit, money(0));
    EXPECT_EQ(interest.DepositOrCredit, money(310));
    EXPECT_EQ(interest.Amount, money(310));

    // The next statement: what stayed outstanding is snapshotted again, the manual adjustment
    // with 0 again (it is never reconciled); nothing to add without charge or interest.
    const int32_t next = openReconciliation(bank, 0, 0, 82060);
    current(bank);
    const DoneResult second = UpdateAPrecDone(*session_);
    ASSERT_TRUE(second.done);
    EXPECT_EQ(snapshot(next),
              (std::vector<Snap>{{manual, "Adjustment", 0, 0}, {c3, "Check", 0, 4000}}));
    EXPECT_EQ(reconciliation(next).ChecksMarked, 0);
    EXPECT_EQ(second.serviceChargeActivityId + second.interestActivityId, 0);
    EXPECT_EQ(activity(manual).Reconciled, 0);
}

class Undone : public Completing {
  protected:
    void SetUp() override {
        Completing::SetUp();
        bank_ = addBank("Operating");
        for (int i = 1; i <= 60; ++i)
            addActivity(bank_, {i % 5 ? "Check" : "Deposit", "", 100 * i, i % 2 == 0});
        id_ = openReconciliation(bank_, 1250, 310);
        current(bank_);
        before_ = all<APbac>();
    }
    // Nothing of the completion is kept: every row, the snapshot and the reconciliation as they
    // were, and the APrec buffer holds the open reconciliation.
    void expectNothingKept(const DoneResult& result) {
        EXPECT_FALSE(result.done);
        EXPECT_EQ(GlobalResponse, RequestCancelled);
        EXPECT_TRUE(all<APrac>().empty());
        const std::vector<APbac> after = all<APbac>();
        ASSERT_EQ(after.size(), before_.size());
        for (size_t i = 0; i < after.size(); ++i) {
            EXPECT_EQ(after[i].Reconciled, before_[i].Reconciled) << i;
            EXPECT_EQ(after[i].Marked, before_[i].Marked) << i;
        }
        EXPECT_EQ(session_->file<APrec>().rec.ReconciliationID, id_);
        EXPECT_EQ(session_->file<APrec>().rec.Done, 0);
        EXPECT_EQ(session_->file<APrec>().rec.ChecksMarked, 99);  // the stale totals
    }
    std::string path(FileId f) const { return storage_.filePath(f); }

    int32_t bank_ = 0;
    int32_t id_ = 0;
    std::vector<APbac> before_;
};

TEST_F(Undone, CancelHalfWayKeepsNothingAndSaysNothing) {
    progress_->cancelBeforeTick = 1;  // after the first 25 rows
    const DoneResult result = UpdateAPrecDone(*session_);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.snapshotRows, 25);  // written, then rolled back
    expectNothingKept(result);
    EXPECT_EQ(messages_->count(), 0u);
    // The same statement completes afterwards.
    progress_->cancelBeforeTick = -1;
    current(bank_);
    EXPECT_TRUE(UpdateAPrecDone(*session_).done);
    EXPECT_EQ(all<APrac>().size(), 60u);
}

TEST_F(Undone, AFailedRowWriteShowsTheWriteErrorAndRollsEverythingBack) {
    // The 40th row cannot be written (as a full disk would refuse it).
    ASSERT_EQ(rawExec(path(FileId::APbac),
                      "CREATE TRIGGER refuse BEFORE UPDATE ON APbac WHEN OLD.ActivityID = 40 "
                      "BEGIN SELECT RAISE(ABORT, 'disk full'); END"),
              SQLITE_OK);
    const DoneResult result = UpdateAPrecDone(*session_);
    expectNothingKept(result);
    ASSERT_EQ(messages_->count(), 1u);
    EXPECT_EQ(messages_->last()->caption, "Process PUT Error");
    EXPECT_NE(messages_->last()->text.find("making changes to the APbac file"), std::string::npos);
    EXPECT_NE(messages_->last()->text.find("disk full"), std::string::npos);
}

TEST_F(Undone, SnapshotNumberingThatKeepsFailingAsksAndGivesUpOnCancel) {
    ASSERT_EQ(rawExec(path(FileId::APrac),
                      "CREATE TRIGGER refuse BEFORE INSERT ON APrac "
                      "BEGIN SELECT RAISE(ABORT, 'no room'); END"),
              SQLITE_OK);
    messages_->answers({msg::Retry, msg::Cancel});  // three more attempts, then give up
    const DoneResult result = UpdateAPrecDone(*session_);
    expectNothingKept(result);
    ASSERT_EQ(messages_->count(), 2u);
    for (const auto& m : messages_->messages()) {
        EXPECT_EQ(m.caption, "Auto Increment Error");
        EXPECT_NE(m.text.find("no room"), std::string::npos);
    }
}

TEST_F(Undone, StepFailuresShowTheirTextAndLeaveTheReconciliationOpen) {
    // Another station holds the activity file: the transaction waits a second, then gives up.
    {
        FileSession other(storage_);
        Transaction held(other, {FileId::APbac}, 1);
        ASSERT_EQ(held.error(), Error::None);
        const auto start = std::chrono::steady_clock::now();
        const DoneResult result = UpdateAPrecDone(*session_);
        const auto waited = std::chrono::steady_clock::now() - start;
        EXPECT_GE(waited, std::chrono::milliseconds(900));
        EXPECT_LT(waited, std::chrono::milliseconds(5000));
        expectNothingKept(result);
        ASSERT_EQ(messages_->count(), 1u);
        EXPECT_EQ(messages_->last()->caption, "Progress...");
        EXPECT_EQ(messages_->last()->icon, icon::Information);
        EXPECT_EQ(messages_->last()->text.rfind("Unable to begin transaction, Error(48):", 0), 0u)
            << messages_->last()->text;
    }
    // A bank without an open reconciliation.
    messages_->clear();
    const int32_t empty = addBank("Savings");
    current(empty);
    const DoneResult none = UpdateAPrecDone(*session_);
    EXPECT_FALSE(none.done);
    EXPECT_EQ(GlobalResponse, RequestCancelled);
    ASSERT_EQ(messages_->count(), 1u);
    EXPECT_EQ(messages_->last()->text,
              "Unable to get APrec for update, Error(33):" + storageErrorText(Error::NoRecord));
    EXPECT_TRUE(all<APrac>().empty());
}

}  // namespace
