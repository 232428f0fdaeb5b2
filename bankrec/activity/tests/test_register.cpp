// The transaction register: its rows, the bank selector, paging and the Delete rule.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTableView>
#include <chrono>

#include "bankrec/activity/activity_register.h"
#include "bankrec/activity/register_rows.h"
#include "bankrec/activity/tests/activity_fixture.h"
#include "bankrec/activity/ui/activity_list_model.h"
#include "bankrec/activity/ui/browse_apbac_window.h"
#include "bankrec/storage/transaction.h"
#include "corelib/daytime.h"

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
    ASSERT_EQ(f.put(), 0);

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

// A large register: opening and jumping to the end read a few pages, never every row.
TEST_F(RegisterTest, AHundredThousandRowsOpenAndScrollToTheEndReadingOnlyAFewPages) {
    const int32_t bank = addBank("Big");
    {
        Transaction t(*session, {FileId::APbac}, 5);
        ASSERT_EQ(t.error(), 0);
        auto& f = session->file<APbac>();
        for (int32_t i = 1; i <= 100000; ++i) {
            f.clear();
            f.rec.ActivityID = i;
            f.rec.BankID = bank;
            f.rec.ActivityType = "Check";
            f.rec.ActivityDate = 80000 + i / 100;
            f.rec.Reference = std::to_string(i);
            f.rec.PaymentOrDebit = Decimal::fromCents(i);
            ASSERT_EQ(f.add(), 0);
        }
        ASSERT_EQ(t.commit(), 0);
    }
    const auto start = std::chrono::steady_clock::now();
    ActivityRegister reg(*session, params);
    ASSERT_TRUE(reg.open(bank));
    ActivityPager& rows = reg.rows();
    ASSERT_EQ(rows.count(), 100000);
    for (int64_t i = 0; i < 40; ++i) ASSERT_NE(rows.row(i), nullptr);
    const auto opened = std::chrono::steady_clock::now();
    for (int64_t i = 99999; i >= 99960; --i) ASSERT_NE(rows.row(i), nullptr);
    EXPECT_EQ(rows.row(99999)->rec.ActivityID, 100000);
    EXPECT_EQ(rows.row(0)->rec.ActivityID, 1);
    const auto scrolled = std::chrono::steady_clock::now();

    EXPECT_LE(rows.heldRows(), 600);
    EXPECT_LE(rows.rowsRead(), 300);
    const double openMs = std::chrono::duration<double, std::milli>(opened - start).count();
    const double endMs = std::chrono::duration<double, std::milli>(scrolled - opened).count();
    std::printf(
        "register of 100000 rows: opened in %.1f ms, end reached in %.1f ms, %lld rows read\n",
        openMs, endMs, static_cast<long long>(rows.rowsRead()));
    EXPECT_LT(openMs + endMs, 2000.0);

    // A jump into the middle reads its way from the nearest known page and still holds few rows.
    EXPECT_EQ(rows.row(50000)->rec.ActivityID, 50001);
    EXPECT_EQ(rows.row(50001)->rec.ActivityID, 50002);
    EXPECT_LE(rows.heldRows(), 600);

    // The window over the same register: shown, then scrolled to its last row.
    const auto windowStart = std::chrono::steady_clock::now();
    BrowseAPbacWindow window(*session, params);
    ASSERT_TRUE(window.open());
    window.resize(900, 500);
    window.show();
    QCoreApplication::processEvents();
    window.list()->scrollToBottom();
    window.list()->selectRow(99999);
    QCoreApplication::processEvents();
    const double windowMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - windowStart)
            .count();
    ActivityPager& shown = window.presenter().rows();
    EXPECT_EQ(window.model()->rowCount(), 100000);
    EXPECT_EQ(window.currentRow(), 99999);
    EXPECT_LE(shown.heldRows(), 600);
    EXPECT_LE(shown.rowsRead(), 400);
    std::printf(
        "register window of 100000 rows: shown and scrolled to the end in %.1f ms, "
        "%lld rows held\n",
        windowMs, static_cast<long long>(shown.heldRows()));
    EXPECT_LT(windowMs, 3000.0);
}

}  // namespace
