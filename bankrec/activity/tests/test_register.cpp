// The transaction register: its rows, the bank selector, paging and the Delete rule.
#include <gtest/gtest.h>

#include "activity_fixture.h"
#include "bankrec/activity/activity_register.h"
#include "bankrec/activity/register_rows.h"
#include "corelib/daytime.h"

using namespace corelib;
using namespace storage;
using namespace activity;

namespace {

APbac adjustment(int64_t cents) {
    APbac a;
    a.ActivityType = "Adjustment";
    a.Amount = Decimal::fromCents(cents);
    return a;
}

TEST(RegisterRowTest, AdjustmentsShowUnderTheColumnOfTheirSign) {
    const RegisterLines debit = registerLines(registerRow(adjustment(-2500)));
    EXPECT_EQ(debit.first[ColPayment], "25.00");
    EXPECT_EQ(debit.first[ColDeposit], "");

    const RegisterLines credit = registerLines(registerRow(adjustment(2500)));
    EXPECT_EQ(credit.first[ColPayment], "");
    EXPECT_EQ(credit.first[ColDeposit], "25.00");

    const RegisterLines zero = registerLines(registerRow(adjustment(0)));
    EXPECT_EQ(zero.first[ColPayment], "");
    EXPECT_EQ(zero.first[ColDeposit], "");
}

TEST(RegisterRowTest, ChecksAndDepositsShowTheirOwnAmountWhateverTheSign) {
    APbac check;
    check.ActivityType = "Check";
    check.PaymentOrDebit = Decimal::fromCents(150000);
    check.Amount = Decimal::fromCents(-150000);
    check.Reference = "1001";
    check.Name = "Acme";
    check.Description = "Supplies";
    check.ActivityDate = daytime::dayNumber(2026, 3, 4);
    const RegisterLines lines = registerLines(registerRow(check));
    EXPECT_EQ(lines.first[ColPayment], "1,500.00");
    EXPECT_EQ(lines.first[ColDeposit], "");
    EXPECT_EQ(lines.first[ColActivityDate], "03/04/2026");
    EXPECT_EQ(lines.first[ColCheck], "1001");
    EXPECT_EQ(lines.first[ColToOrFrom], "Acme");
    EXPECT_EQ(lines.second[ColActivityDate], "Check");
    EXPECT_EQ(lines.second[ColToOrFrom], "Supplies");

    APbac deposit;
    deposit.ActivityType = "Deposit";
    deposit.DepositOrCredit = Decimal::fromCents(8000);
    const RegisterLines dep = registerLines(registerRow(deposit));
    EXPECT_EQ(dep.first[ColDeposit], "80.00");
    EXPECT_EQ(dep.first[ColPayment], "");
}

TEST(RegisterRowTest, IndicatorAndDeleteRule) {
    APbac a;
    EXPECT_EQ(reconciledMarked(a), "");
    EXPECT_TRUE(canDeleteActivity(a));
    a.Marked = 1;
    EXPECT_EQ(reconciledMarked(a), "c");
    EXPECT_TRUE(canDeleteActivity(a));
    a.Reconciled = 1;
    EXPECT_EQ(reconciledMarked(a), "R");
    EXPECT_FALSE(canDeleteActivity(a));
    a.Marked = 0;
    EXPECT_EQ(reconciledMarked(a), "R");
    EXPECT_TRUE(canDeleteActivity(a));
}

class RegisterTest : public ActivityTest {};

TEST_F(RegisterTest, NoBankShowsTheMessageAndDoesNotOpen) {
    ActivityRegister reg(*session, params);
    EXPECT_FALSE(reg.open(0));
    ASSERT_EQ(messages->count(), 1u);
    EXPECT_EQ(messages->last()->text, "No banks have been defined.");
    EXPECT_EQ(messages->last()->caption, "Browse Transaction Register");
    EXPECT_EQ(messages->last()->icon, icon::Information);
    EXPECT_EQ(messages->last()->buttons, msg::OK);
    EXPECT_EQ(messages->beeps(), 1);
}

TEST_F(RegisterTest, OneBankHidesTheSelector) {
    const int32_t bank = addBank("Operating");
    addActivity(bank, "Check", "1001", -1000);
    ActivityRegister reg(*session, params);
    ASSERT_TRUE(reg.open(0));
    EXPECT_FALSE(reg.selectorVisible());
    EXPECT_EQ(reg.bankId(), bank);
    EXPECT_EQ(reg.rows().count(), 1);
}

TEST_F(RegisterTest, BanksListInNameOrderAndTheRememberedOneIsChosen) {
    const int32_t zulu = addBank("Zulu Savings");
    const int32_t alpha = addBank("alpha Operating");
    const int32_t mid = addBank("Mid Payroll");
    addActivity(mid, "Check", "1", -100);
    addActivity(mid, "Check", "2", -100);
    addActivity(zulu, "Deposit", "D", 100);

    ActivityRegister reg(*session, params);
    ASSERT_TRUE(reg.open(mid));
    EXPECT_TRUE(reg.selectorVisible());
    ASSERT_EQ(reg.banks().size(), 3u);
    EXPECT_EQ(reg.banks()[0].BankID, alpha);
    EXPECT_EQ(reg.banks()[2].BankID, zulu);
    EXPECT_EQ(reg.bankId(), mid);
    EXPECT_EQ(reg.rows().count(), 2);

    reg.select(2);
    EXPECT_EQ(reg.bankId(), zulu);
    EXPECT_EQ(reg.rows().count(), 1);
    reg.rememberBank();
    EXPECT_EQ(ActivityRegister::rememberedBankId(), zulu);
}

TEST_F(RegisterTest, ARememberedBankThatNoLongerExistsFallsBackToTheFirstByName) {
    addBank("Second");
    const int32_t first = addBank("First");
    ActivityRegister reg(*session, params);
    ASSERT_TRUE(reg.open(999));
    EXPECT_EQ(reg.selected(), 0);
    EXPECT_EQ(reg.bankId(), first);
}

TEST_F(RegisterTest, RowsFollowTheActivityKeyAndTheDeleteRule) {
    const int32_t bank = addBank("Operating");
    const int32_t other = addBank("Other");
    const int32_t late = addActivity(bank, "Check", "1002", -500, 80010);
    const int32_t early = addActivity(bank, "Deposit", "D1", 700, 80001);
    addActivity(other, "Check", "9", -100, 80000);
    auto& f = session->file<APbac>();
    byId(late);
    f.rec.Reconciled = 1;
    f.rec.Marked = 1;
    ASSERT_EQ(f.put(), Error::None);

    ActivityRegister reg(*session, params);
    ASSERT_TRUE(reg.open(bank));
    ASSERT_EQ(reg.rows().count(), 2);
    EXPECT_EQ(reg.rows().row(0)->rec.ActivityID, early);
    EXPECT_EQ(reg.rows().row(1)->rec.ActivityID, late);
    EXPECT_EQ(reg.rows().row(1)->reconciledMarked, "R");
    EXPECT_TRUE(reg.deleteEnabled(0));
    EXPECT_FALSE(reg.deleteEnabled(1));
    EXPECT_FALSE(reg.deleteEnabled(2));
}

TEST_F(RegisterTest, DeletingARowRefillsAroundItsNeighbour) {
    const int32_t bank = addBank("Operating");
    addActivity(bank, "Check", "1", -100, 80001);
    const int32_t second = addActivity(bank, "Check", "2", -100, 80002);
    const int32_t third = addActivity(bank, "Check", "3", -100, 80003);
    ActivityRegister reg(*session, params);
    ASSERT_TRUE(reg.open(bank));

    messages->answer(msg::OK);
    EXPECT_EQ(reg.callForm(2, DeleteRecord, {}), 1);
    EXPECT_EQ(GlobalResponse, RequestCompleted);
    EXPECT_EQ(reg.rows().count(), 2);
    EXPECT_EQ(byId(third).ActivityID, 0);

    // A view keeps the row; Cancel at the confirmation keeps the activity.
    EXPECT_EQ(reg.callForm(1, ViewRecord, {}), 1);
    messages->answer(msg::Cancel);
    EXPECT_EQ(reg.callForm(1, DeleteRecord, {}), 1);
    EXPECT_EQ(GlobalResponse, RequestCancelled);
    EXPECT_EQ(byId(second).ActivityID, second);
}

}  // namespace
