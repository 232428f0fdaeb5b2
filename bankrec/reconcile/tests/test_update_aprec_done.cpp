// Completing a reconciliation: what is cleared, what is snapshotted, the adjustments, and that a
// cancelled or failed completion keeps nothing.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>

#include "bankrec/reconcile/update_aprec_done.h"
#include "bankrec/storage/transaction.h"
#include "corelib/message.h"
#include "reconcile_fixture.h"

using namespace corelib;
using namespace storage;
using namespace reconcile;

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

class Completing : public ReconcileTest {
  protected:
    // The bank's open statement with a service charge and interest, dated at its end, and stale
    // totals that completion must count afresh.
    int32_t openStatement(int32_t bank, int64_t charge, int64_t interest, int32_t ending) {
        APrec r;
        r.BankID = bank;
        r.EndingDate = ending;
        r.ServiceCharge = money(charge);
        r.ServiceChargeDate = charge ? ending : 0;
        r.InterestEarned = money(interest);
        r.InterestEarnedDate = interest ? ending : 0;
        r.ChecksMarked = 99;
        const int32_t id = add(r);
        makeCurrent(bank);
        return id;
    }
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
    const int32_t otherCheck = addCheck(other, "9001", 5000, 0, 1);
    const int32_t bank = addBank("Operating");
    APbac adjustment;
    adjustment.BankID = bank;
    adjustment.ActivityType = "Adjustment";
    adjustment.Amount = money(-700);
    const int32_t manual = add(adjustment);
    const int32_t c1 = addCheck(bank, "1001", 15000, day(2026, 3, 2), 1);
    const int32_t c2 = addCheck(bank, "1002", 2025, day(2026, 3, 3), 1);
    const int32_t c3 = addCheck(bank, "1003", 4000, day(2026, 3, 4));
    const int32_t d1 = addDeposit(bank, 50000, 0, 1);
    const int32_t old = addCheck(bank, "0990", 100, 0, 1, 1);
    const int32_t id = openStatement(bank, 1250, 310, day(2026, 3, 31));

    const DoneResult result = UpdateAPrecDone(*session);
    EXPECT_EQ(messageTexts(), "");
    ASSERT_TRUE(result.done);
    EXPECT_EQ(GlobalResponse, RequestCompleted);
    EXPECT_EQ(result.reconciliationId, id);
    ASSERT_EQ(progress.options.size(), 1u);
    EXPECT_EQ(progress.options[0].title, "Progress...");
    EXPECT_EQ(progress.options[0].text, "Processing Records\nCompleting reconciliation");

    // Adjustments come first in the key, then checks by date, then deposits; each item's
    // snapshot amount is the running amount: 0 until the first check.
    EXPECT_EQ(snapshot(id), (std::vector<Snap>{{manual, "Adjustment", 0, 0},
                                               {c1, "Check", 1, 15000},
                                               {c2, "Check", 1, 2025},
                                               {c3, "Check", 0, 4000},
                                               {d1, "Deposit", 1, 50000}}));
    for (const APrac& r : all<APrac>()) EXPECT_EQ(r.ChangeID + r.ChangeDate + r.ChangeTime, 0);

    const APrec rec = statement(id);
    EXPECT_EQ(rec.Done, 1);
    EXPECT_EQ(rec.ChecksMarked, 2);
    EXPECT_EQ(rec.ChecksMarkedAmount, money(17025));
    EXPECT_EQ(rec.DepositsMarked, 1);
    EXPECT_EQ(rec.DepositsMarkedAmount, money(50000));

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
    const int32_t next = openStatement(bank, 0, 0, day(2026, 4, 30));
    const DoneResult second = UpdateAPrecDone(*session);
    ASSERT_TRUE(second.done);
    EXPECT_EQ(snapshot(next),
              (std::vector<Snap>{{manual, "Adjustment", 0, 0}, {c3, "Check", 0, 4000}}));
    EXPECT_EQ(statement(next).ChecksMarked, 0);
    EXPECT_EQ(second.serviceChargeActivityId + second.interestActivityId, 0);
    EXPECT_EQ(activity(manual).Reconciled, 0);
}

class Undone : public Completing {
  protected:
    Undone() {
        bank_ = addBank("Operating");
        for (int i = 1; i <= 60; ++i) {
            if (i % 5)
                addCheck(bank_, std::to_string(1000 + i), 100 * i, 0, i % 2 == 0);
            else
                addDeposit(bank_, 100 * i, 0, i % 2 == 0);
        }
        id_ = openStatement(bank_, 1250, 310, day(2026, 3, 31));
        before_ = all<APbac>();
        makeCurrent(bank_);
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
        EXPECT_EQ(session->file<APrec>().rec.ReconciliationID, id_);
        EXPECT_EQ(session->file<APrec>().rec.Done, 0);
        EXPECT_EQ(session->file<APrec>().rec.ChecksMarked, 99);  // the stale totals
    }
    std::string path(FileId f) const { return storage.filePath(f); }

    int32_t bank_ = 0;
    int32_t id_ = 0;
    std::vector<APbac> before_;
};

TEST_F(Undone, CancelHalfWayKeepsNothingAndSaysNothing) {
    cancelBeforeTick(1);  // after the first 25 rows
    const DoneResult result = UpdateAPrecDone(*session);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.snapshotRows, 25);  // written, then rolled back
    expectNothingKept(result);
    EXPECT_EQ(messages->count(), 0u);
    // The same statement completes afterwards.
    cancelBeforeTick(-1);
    makeCurrent(bank_);
    EXPECT_TRUE(UpdateAPrecDone(*session).done);
    EXPECT_EQ(all<APrac>().size(), 60u);
}

TEST_F(Undone, AFailedRowWriteShowsTheWriteErrorAndRollsEverythingBack) {
    // The 40th row cannot be written (as a full disk would refuse it).
    ASSERT_EQ(rawExec(path(FileId::APbac),
                      "CREATE TRIGGER refuse BEFORE UPDATE ON APbac WHEN OLD.ActivityID = 40 "
                      "BEGIN SELECT RAISE(ABORT, 'disk full'); END"),
              SQLITE_OK);
    const DoneResult result = UpdateAPrecDone(*session);
    expectNothingKept(result);
    ASSERT_EQ(messages->count(), 1u);
    EXPECT_EQ(messages->last()->caption, "Process PUT Error");
    EXPECT_NE(messages->last()->text.find("making changes to the APbac file"), std::string::npos);
    EXPECT_NE(messages->last()->text.find("disk full"), std::string::npos);
}

TEST_F(Undone, SnapshotNumberingThatKeepsFailingAsksAndGivesUpOnCancel) {
    ASSERT_EQ(rawExec(path(FileId::APrac),
                      "CREATE TRIGGER refuse BEFORE INSERT ON APrac "
                      "BEGIN SELECT RAISE(ABORT, 'no room'); END"),
              SQLITE_OK);
    messages->answers({msg::Retry, msg::Cancel});  // three more attempts, then give up
    const DoneResult result = UpdateAPrecDone(*session);
    expectNothingKept(result);
    ASSERT_EQ(messages->count(), 2u);
    for (const auto& m : messages->messages()) {
        EXPECT_EQ(m.caption, "Auto Increment Error");
        EXPECT_NE(m.text.find("no room"), std::string::npos);
    }
}

TEST_F(Undone, StepFailuresShowTheirTextAndLeaveTheReconciliationOpen) {
    // Another station holds the activity file: the transaction waits a second, then gives up.
    {
        auto other = station();
        Transaction held(*other, {FileId::APbac}, 1);
        ASSERT_EQ(held.error(), Error::None);
        const auto start = std::chrono::steady_clock::now();
        const DoneResult result = UpdateAPrecDone(*session);
        const auto waited = std::chrono::steady_clock::now() - start;
        EXPECT_GE(waited, std::chrono::milliseconds(900));
        EXPECT_LT(waited, std::chrono::milliseconds(5000));
        expectNothingKept(result);
        ASSERT_EQ(messages->count(), 1u);
        EXPECT_EQ(messages->last()->caption, "Progress...");
        EXPECT_EQ(messages->last()->icon, icon::Information);
        EXPECT_EQ(messages->last()->text.rfind("Unable to begin transaction, Error(48):", 0), 0u)
            << messages->last()->text;
    }
    // A bank without an open reconciliation.
    messages->clear();
    makeCurrent(addBank("Savings"));
    const DoneResult none = UpdateAPrecDone(*session);
    EXPECT_FALSE(none.done);
    EXPECT_EQ(GlobalResponse, RequestCancelled);
    ASSERT_EQ(messages->count(), 1u);
    EXPECT_EQ(messages->last()->text,
              "Unable to get APrec for update, Error(33):" + storageErrorText(Error::NoRecord));
    EXPECT_TRUE(all<APrac>().empty());
}

}  // namespace
