// Deleting a reconciliation: what goes, what stays, and that a deletion stopped half-way leaves
// every file as it was.
#include <gtest/gtest.h>

#include "bankrec/reconcile/update_aprec_delete.h"
#include "bankrec/storage/transaction.h"
#include "reconcile_fixture.h"

using namespace corelib;
using namespace storage;
using namespace reconcile;

namespace {

class DeleteTest : public ReconcileTest {
  protected:
    // A done statement with two cleared checks, a cleared deposit of three lines, an outstanding
    // check and a service charge adjustment; another deposit with two lines of its own stays
    // outside it, and an earlier statement captured the first check while it was outstanding.
    void SetUp() override {
        bank = addBank("First Bank");
        earlier = addStatement(bank, day(2026, 2, 28), 100000, true);
        check1 = addCheck(bank, "1001", 2500, 0, 1, 1);
        check2 = addCheck(bank, "1002", 4000, 0, 1, 1);
        deposit = addDeposit(bank, 9000, 0, 1, 1);
        for (int64_t cents : {1000, 3000, 5000}) addLine(deposit, cents);
        outstanding = addCheck(bank, "1003", 700);
        otherDeposit = addDeposit(bank, 1200);
        addLine(otherDeposit, 200);
        addLine(otherDeposit, 1000);
        later = addStatement(bank, day(2026, 3, 31), 102500, true);
        for (int32_t a : {check1, check2, deposit}) addSnapshot(later, a, true);
        addSnapshot(later, outstanding, false);
        earlierCopy = addSnapshot(earlier, check1, false);
        APbac charge;
        charge.BankID = bank;
        charge.ReconciliationID = later;
        charge.ActivityType = "Adjustment";
        charge.Description = "Service Charge";
        charge.Reconciled = charge.Marked = 1;
        charge.PaymentOrDebit = money(1250);
        charge.Amount = money(-1250);
        adjustment = add(charge);
        ASSERT_NE(adjustment, 0);
        makeCurrent(bank, later);
    }

    int32_t deleteLater() { return UpdateAPrecDelete(*session, "Browse Reconciliations"); }

    // Everything SetUp made is still there.
    void expectUnchanged() {
        EXPECT_EQ(statement(later).ReconciliationID, later);
        EXPECT_EQ(count<APrac>(), 5);
        EXPECT_EQ(count<APbac>(), 6);
        EXPECT_EQ(count<APbda>(), 5);
        EXPECT_EQ(activity(check1).Reconciled, 1);
    }

    int32_t bank = 0, earlier = 0, later = 0, check1 = 0, check2 = 0, deposit = 0, outstanding = 0,
            otherDeposit = 0, adjustment = 0, earlierCopy = 0;
};

TEST_F(DeleteTest, ClearedItemsTheirLinesTheSnapshotAndTheAdjustmentsGoTheRestStays) {
    messages->answer(msg::Yes);
    EXPECT_EQ(deleteLater(), RequestCompleted);
    EXPECT_EQ(GlobalResponse, RequestCompleted);

    const RecordedMessage& ask = messages->messages().at(0);
    EXPECT_EQ(ask.text,
              "Currently highlighted reconciliation dated 03/31/2026 is about to be deleted. "
              "Once deleted, all associated check information for the the cleared checks will "
              "also be deleted. Are you sure you wish to do this?");
    EXPECT_EQ(ask.caption, "Browse Reconciliations");
    EXPECT_EQ(ask.buttons, msg::Yes | msg::No);
    EXPECT_EQ(ask.defaultButton, msg::No);  // Enter alone deletes nothing
    EXPECT_EQ(messages->count(), 1u);

    EXPECT_EQ(statement(later).ReconciliationID, 0);
    for (int32_t gone : {check1, check2, deposit, adjustment})
        EXPECT_EQ(activity(gone).ActivityID, 0) << gone;
    // The outstanding check stays in the register, unreconciled; the other deposit keeps its lines.
    EXPECT_EQ(activity(outstanding).ActivityID, outstanding);
    EXPECT_EQ(activity(outstanding).Reconciled, 0);
    EXPECT_EQ(count<APbda>(), 2);
    auto& bda = session->file<APbda>();
    bda.clear();
    bda.rec.ActivityID = otherDeposit;
    EXPECT_EQ(bda.get(APBDA_KEY_ACTIVITYID), Error::None);
    // Only the earlier statement's snapshot row is left; it no longer points at the deleted check.
    EXPECT_EQ(count<APrac>(), 1);
    auto& rac = session->file<APrac>();
    rac.clear();
    rac.rec.ReconciliationActivityID = earlierCopy;
    ASSERT_EQ(rac.get(APRAC_KEY_RECONCILIATIONACTIVITYID), Error::None);
    EXPECT_EQ(rac.rec.ActivityID, 0);
    EXPECT_EQ(rac.rec.Reference, "1001");
    EXPECT_EQ(statement(earlier).ReconciliationID, earlier);

    ASSERT_EQ(progress.options.size(), 1u);
    EXPECT_EQ(progress.options[0].title, "Progress...");
    EXPECT_EQ(progress.rangeHigh, 4);
}

TEST_F(DeleteTest, NoChangesNothing) {
    messages->answer(msg::No);
    EXPECT_EQ(deleteLater(), RequestCancelled);
    expectUnchanged();
    EXPECT_TRUE(progress.options.empty());
}

TEST_F(DeleteTest, CancelInTheProgressWindowRollsBackTheRowsAlreadyDeleted) {
    // Enough snapshot rows for two timer ticks: the first tick deletes 25 of them.
    for (int i = 0; i < 30; ++i)
        addSnapshot(later, addCheck(bank, std::to_string(2000 + i), 100, 0, 1, 1), true);
    makeCurrent(bank, later);
    cancelBeforeTick(1);
    messages->answer(msg::Yes);
    EXPECT_EQ(deleteLater(), RequestCancelled);
    EXPECT_EQ(statement(later).ReconciliationID, later);
    EXPECT_EQ(count<APrac>(), 35);
    EXPECT_EQ(count<APbac>(), 36);
    EXPECT_EQ(count<APbda>(), 5);
}

TEST_F(DeleteTest, MissingClearedActivityCancelRollsBackIgnoreSkipsOnlyThatItem) {
    {
        auto& bac = session->file<APbac>();
        bac.clear();
        bac.rec.ActivityID = check2;
        ASSERT_EQ(bac.get(APBAC_KEY_ACTIVITYID), Error::None);
        ASSERT_EQ(bac.erase(), Error::None);
    }
    makeCurrent(bank, later);
    messages->answers({msg::Yes, msg::Cancel});
    EXPECT_EQ(deleteLater(), RequestCancelled);
    const RecordedMessage* missing = messages->find("Unable to get associated activity APbac");
    ASSERT_NE(missing, nullptr);
    EXPECT_EQ(missing->text,
              "Unable to get associated activity APbac, Error(33):Record Not Available");
    EXPECT_EQ(missing->buttons, msg::Ignore | msg::Cancel);
    EXPECT_EQ(missing->defaultButton, msg::Cancel);
    EXPECT_EQ(statement(later).ReconciliationID, later);
    EXPECT_EQ(count<APrac>(), 5);
    EXPECT_EQ(activity(check1).ActivityID, check1);  // read before the missing one: rolled back

    messages->clear();
    makeCurrent(bank, later);
    messages->answers({msg::Yes, msg::Ignore});
    EXPECT_EQ(deleteLater(), RequestCompleted);
    EXPECT_EQ(statement(later).ReconciliationID, 0);
    EXPECT_EQ(count<APrac>(), 1);
    EXPECT_EQ(activity(check1).ActivityID, 0);
    EXPECT_EQ(activity(outstanding).ActivityID, outstanding);
}

TEST_F(DeleteTest, AStationHoldingTheFilesStopsItBeforeAnythingIsDeleted) {
    auto other = station();
    Transaction hold(*other, {FileId::APbda}, 1);
    ASSERT_EQ(hold.error(), Error::None);
    messages->answer(msg::Yes);
    EXPECT_EQ(deleteLater(), RequestCancelled);
    const RecordedMessage* last = messages->last();
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->text.rfind("Unable to begin transaction, Error(48):", 0), 0u) << last->text;
    EXPECT_EQ(last->caption, "Browse Reconciliations");
    hold.rollback();
    expectUnchanged();
}

TEST_F(DeleteTest, AnOpenStatementLosesOnlyItsRecordAndKeepsTheMarks) {
    const int32_t open = addStatement(bank, day(2026, 4, 30), 0, false);
    const int32_t marked = addCheck(bank, "1010", 500, 0, 1, 0);
    makeCurrent(bank, open);
    messages->answer(msg::Yes);
    EXPECT_EQ(UpdateAPrecDelete(*session, "Browse Reconciliations"), RequestCompleted);
    EXPECT_EQ(statement(open).ReconciliationID, 0);
    EXPECT_EQ(activity(marked).Marked, 1);
    EXPECT_EQ(count<APrac>(), 5);
}

}  // namespace
