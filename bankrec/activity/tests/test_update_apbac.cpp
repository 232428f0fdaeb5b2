// The activity forms: dispatch, view mode, Previous/Next, deposit lines and delete.
#include <gtest/gtest.h>

#include <filesystem>

#include "activity_fixture.h"
#include "bankrec/activity/update_apbac.h"
#include "bankrec/storage/transaction.h"
#include "corelib/globals.h"

using namespace corelib;
using namespace storage;
using namespace activity;

namespace {

TEST(ActivityFormKindTest, TypeIsComparedInCapitalsAndAnythingElseIsACheck) {
    EXPECT_EQ(activityFormKind("adjustment"), ActivityFormKind::Adjustment);
    EXPECT_EQ(activityFormKind("DEPOSIT"), ActivityFormKind::Deposit);
    EXPECT_EQ(activityFormKind("Check"), ActivityFormKind::Check);
    EXPECT_EQ(activityFormKind(""), ActivityFormKind::Check);
    EXPECT_EQ(activityFormKind("Transfer"), ActivityFormKind::Check);
}

class UpdateAPbacTest : public ActivityTest {
  protected:
    void SetUp() override { bank = addBank("Operating"); }
    int32_t bank = 0;
};

TEST_F(UpdateAPbacTest, ViewModeTitlesAndButtons) {
    const int32_t id = addActivity(bank, "deposit", "D1", 1000);
    byId(id);
    GlobalRequest = ViewRecord;
    std::string title, ok;
    bool cancel = true;
    ActivityFormKind kind = ActivityFormKind::Check;
    ActivityFormHooks hooks;
    hooks.show = [&](ActivityForm& form) {
        title = form.title();
        ok = form.okCaption();
        cancel = form.cancelVisible();
        kind = form.kind();
    };
    EXPECT_EQ(UpdateAPbac(*session, hooks), RequestCompleted);
    EXPECT_EQ(kind, ActivityFormKind::Deposit);
    EXPECT_EQ(title, "Viewing Deposit");
    EXPECT_EQ(ok, "Cl&ose");
    EXPECT_FALSE(cancel);

    ActivityForm adjustment(*session, ActivityFormKind::Adjustment, DeleteRecord);
    EXPECT_EQ(adjustment.title(), "Update Bank Activity [Adjustment]");
    EXPECT_EQ(adjustment.okCaption(), "&OK");
    EXPECT_EQ(adjustment.procedure(), "UpdateAPbacAdjustment");
}

TEST_F(UpdateAPbacTest, NextInACheckFormSkipsOtherTypesAndStopsAtTheBanksLastCheck) {
    const int32_t other = addBank("Other");
    const int32_t c1 = addActivity(bank, "Check", "1001", -100, 80001);
    addActivity(bank, "Deposit", "D1", 500, 80002);
    addActivity(bank, "Adjustment", "SC", -25, 80003);
    const int32_t c2 = addActivity(bank, "Check", "1002", -200, 80004);
    addActivity(bank, "Deposit", "D2", 500, 80005);
    addActivity(other, "Check", "9001", -300, 80000);  // another bank sorts after this one

    byId(c1);
    ActivityForm form(*session, ActivityFormKind::Check, ViewRecord);
    ASSERT_TRUE(form.next());
    EXPECT_EQ(form.record().ActivityID, c2);
    EXPECT_TRUE(form.nextEnabled());

    EXPECT_FALSE(form.next());
    EXPECT_EQ(form.record().ActivityID, c2);
    EXPECT_FALSE(form.nextEnabled());
    EXPECT_TRUE(form.previousEnabled());
    EXPECT_EQ(messages->beeps(), 1);
    EXPECT_EQ(session->file<APbac>().rec.ActivityID, c2);

    ASSERT_TRUE(form.previous());
    EXPECT_EQ(form.record().ActivityID, c1);
    EXPECT_TRUE(form.nextEnabled());
    EXPECT_FALSE(form.previous());
    EXPECT_FALSE(form.previousEnabled());
    EXPECT_EQ(form.record().ActivityID, c1);
}

TEST_F(UpdateAPbacTest, DepositShowsItsLinesInOrderAndTheComputedTotals) {
    APbac d;
    d.BankID = bank;
    d.ActivityType = "Deposit";
    d.Reference = "D1";
    d.Cash = money(1000);
    d.Coin = money(25);
    d.Checks = money(1);  // stale: the form recomputes it from the lines
    const int32_t id = add(d);
    for (int order : {2, 1, 3}) {
        APbda line;
        line.ActivityID = id;
        line.Order = order;
        line.Reference = "R" + std::to_string(order);
        line.Amount = money(order * 1000);
        add(line);
    }
    APbda foreign;
    foreign.ActivityID = id + 1;
    foreign.Amount = money(99999);
    add(foreign);

    byId(id);
    ActivityForm form(*session, ActivityFormKind::Deposit, ViewRecord);
    ASSERT_EQ(form.lines().size(), 3u);
    EXPECT_EQ(form.lines()[0].Reference, "R1");
    EXPECT_EQ(form.lines()[2].Reference, "R3");
    EXPECT_EQ(form.checks(), money(6000));
    EXPECT_EQ(form.depositOrCredit(), money(7025));
}

TEST_F(UpdateAPbacTest, DeletingADepositRemovesItsLinesAndKeepsReconciliationCopies) {
    const int32_t id = addActivity(bank, "Deposit", "D1", 3000);
    for (int order = 1; order <= 2; ++order) {
        APbda line;
        line.ActivityID = id;
        line.Order = order;
        add(line);
    }
    APrec rec;
    rec.BankID = bank;
    const int32_t recId = add(rec);
    APrac copy;
    copy.ReconciliationID = recId;
    copy.ActivityID = id;
    copy.ActivityType = "Deposit";
    copy.Reference = "D1";
    const int32_t copyId = add(copy);

    byId(id);
    GlobalRequest = DeleteRecord;
    bool shown = false;
    int busy = 0;
    ActivityFormHooks hooks;
    hooks.show = [&](ActivityForm&) { shown = true; };
    hooks.waitCursor = [&](bool on) { busy += on ? 1 : -1; };
    messages->answer(msg::OK);
    EXPECT_EQ(UpdateAPbac(*session, hooks), RequestCompleted);
    EXPECT_FALSE(shown);
    EXPECT_EQ(busy, 0);
    ASSERT_NE(messages->find("Press OK to confirm deletion"), nullptr);
    EXPECT_EQ(byId(id).ActivityID, 0);
    EXPECT_EQ(count<APbda>(), 0);
    auto& f = session->file<APrac>();
    f.clear();
    f.rec.ReconciliationActivityID = copyId;
    ASSERT_EQ(f.get(APRAC_KEY_RECONCILIATIONACTIVITYID), Error::None);
    EXPECT_EQ(f.rec.ActivityID, 0);
    EXPECT_EQ(f.rec.Reference, "D1");
}

// The register holds only APbnk and APbac open: the deposit form opens its lines' file itself,
// so on a fresh data folder it is created instead of being reported missing.
TEST_F(UpdateAPbacTest, ADepositInAFreshFolderOpensItsLinesFileThroughTheOpenService) {
    const int32_t id = addActivity(bank, "Deposit", "D1", 3000);
    closeFile(*session, FileId::APbda);
    std::erase(opened, FileId::APbda);
    ASSERT_TRUE(std::filesystem::remove(storage.filePath(FileId::APbda)));
    const auto lastText = [&] { return messages->last() ? messages->last()->text : ""; };

    byId(id);
    GlobalRequest = ViewRecord;
    EXPECT_EQ(UpdateAPbac(*session), RequestCompleted);
    EXPECT_EQ(messages->count(), 0u) << lastText();
    EXPECT_EQ(fileUseCount(storage, FileId::APbda), 0);  // let go when the form closed

    byId(id);
    GlobalRequest = DeleteRecord;
    messages->answer(msg::OK);
    EXPECT_EQ(UpdateAPbac(*session), RequestCompleted);
    EXPECT_EQ(messages->count(), 1u) << lastText();  // the confirmation alone
    EXPECT_EQ(byId(id).ActivityID, 0);
}

TEST_F(UpdateAPbacTest, AFailedDeleteAsksToTryAgainAndKeepsTheRow) {
    const int32_t id = addActivity(bank, "Check", "1001", -100);
    byId(id);
    // Another station holds the activity file for writing.
    FileSession other(storage);
    ASSERT_EQ(other.begin({FileId::APbac}, 1), Error::None);
    GlobalRequest = DeleteRecord;
    messages->answers({msg::OK, msg::OK, msg::No});
    EXPECT_EQ(UpdateAPbac(*session), RequestCancelled);
    (void)other.rollback();
    ASSERT_NE(messages->find("attempting to frame the delete transaction"), nullptr);
    ASSERT_NE(messages->find("An error was experienced deleting this record."), nullptr);
    EXPECT_EQ(byId(id).ActivityID, id);
}

TEST_F(UpdateAPbacTest, ARowBothReconciledAndMarkedIsNotDeleted) {
    const int32_t id = addActivity(bank, "Check", "1001", -100);
    auto& f = session->file<APbac>();
    byId(id);
    f.rec.Reconciled = 1;
    f.rec.Marked = 1;
    ASSERT_EQ(f.put(), Error::None);
    GlobalRequest = DeleteRecord;
    EXPECT_EQ(UpdateAPbac(*session), RequestCancelled);
    EXPECT_EQ(messages->count(), 0u);
    EXPECT_EQ(byId(id).ActivityID, id);
}

}  // namespace
