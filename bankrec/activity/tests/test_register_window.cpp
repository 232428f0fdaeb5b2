// The register and form windows, offscreen: what the user sees of the presenters' rules.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <chrono>

#include "activity_fixture.h"
#include "bankrec/activity/activity_register.h"
#include "bankrec/activity/ui/activity_list_model.h"
#include "bankrec/activity/ui/browse_apbac_window.h"
#include "bankrec/activity/ui/update_apbac_form.h"
#include "bankrec/activity/update_apbac.h"
#include "bankrec/storage/transaction.h"

using namespace corelib;
using namespace storage;
using namespace activity;

namespace {

class RegisterWindowTest : public ActivityTest {};

TEST_F(RegisterWindowTest, OneBankHidesTheSelectorAndShowsTwoLineRows) {
    const int32_t bank = addBank("Operating");
    addActivity(bank, "Check", "1001", -15000, 80001);
    const int32_t adj = addActivity(bank, "Adjustment", "SC", -2500, 80002);
    auto& f = session->file<APbac>();
    byId(adj);
    f.rec.Reconciled = 1;
    f.rec.Marked = 1;
    ASSERT_EQ(f.put(), Error::None);

    BrowseAPbacWindow window(*session, params);
    ASSERT_TRUE(window.open());
    window.show();
    EXPECT_EQ(window.windowTitle(), "Browse Transaction Register");
    EXPECT_FALSE(window.selector()->isVisible());
    EXPECT_FALSE(window.selectorPrompt()->isVisible());

    ActivityListModel* model = window.model();
    ASSERT_EQ(model->rowCount(), 2);
    EXPECT_EQ(model->headerData(3, Qt::Horizontal, Qt::DisplayRole).toString(), "Payment or Debit");
    EXPECT_EQ(model->index(0, 3).data().toString(), "150.00");
    EXPECT_EQ(model->index(1, 3).data().toString(), "25.00");
    EXPECT_EQ(model->index(1, 4).data().toString(), "R");
    EXPECT_EQ(model->index(1, 0).data(ActivityListModel::SecondLineRole).toString(), "Adjustment");
    EXPECT_GE(window.list()->rowHeight(0), 2 * window.list()->fontMetrics().height());

    // The first row is selected and deletable; the reconciled and marked one is not.
    EXPECT_EQ(window.currentRow(), 0);
    EXPECT_TRUE(window.deleteButton()->isEnabled());
    window.list()->selectRow(1);
    EXPECT_FALSE(window.deleteButton()->isEnabled());
    EXPECT_TRUE(window.viewButton()->isEnabled());
}

TEST_F(RegisterWindowTest, TwoBanksShowTheSelectorAndChoosingOneRefillsTheList) {
    const int32_t a = addBank("Alpha");
    const int32_t b = addBank("Beta");
    addActivity(a, "Check", "1", -100);
    addActivity(b, "Check", "2", -100);
    addActivity(b, "Deposit", "3", 100);

    BrowseAPbacWindow window(*session, params);
    ASSERT_TRUE(window.open());
    window.show();
    EXPECT_TRUE(window.selector()->isVisible());
    ASSERT_EQ(window.selector()->count(), 2);
    EXPECT_EQ(window.selector()->itemText(0), "Alpha");
    EXPECT_EQ(window.model()->rowCount(), 1);

    window.selector()->setCurrentIndex(1);
    emit window.selector()->activated(1);
    EXPECT_EQ(window.presenter().bankId(), b);
    EXPECT_EQ(window.model()->rowCount(), 2);
    window.close();
    EXPECT_EQ(ActivityRegister::rememberedBankId(), b);
}

TEST_F(RegisterWindowTest, NoBankDoesNotOpen) {
    BrowseAPbacWindow window(*session, params);
    EXPECT_FALSE(window.open());
    EXPECT_NE(messages->find("No banks have been defined."), nullptr);
}

TEST_F(RegisterWindowTest, CheckFormIsGreyReadOnlyAndNextDisablesAtTheLastCheck) {
    const int32_t bank = addBank("Operating");
    const int32_t first = addActivity(bank, "Check", "1001", -15000, 80001);
    addActivity(bank, "Deposit", "D1", 500, 80002);
    addActivity(bank, "Check", "1002", -2000, 80003);
    byId(first);
    ActivityForm form(*session, ActivityFormKind::Check, ViewRecord);
    UpdateAPbacForm dialog(form);
    EXPECT_EQ(dialog.windowTitle(), "Viewing Check");
    EXPECT_EQ(dialog.okButton()->text(), "Cl&ose");
    EXPECT_FALSE(dialog.cancelButton()->isVisibleTo(&dialog));
    EXPECT_EQ(dialog.fieldText("&Check:"), "1001");
    EXPECT_EQ(dialog.fieldText("&Amount:"), "150.00");

    dialog.nextButton()->click();
    EXPECT_EQ(dialog.fieldText("&Check:"), "1002");
    dialog.nextButton()->click();
    EXPECT_EQ(dialog.fieldText("&Check:"), "1002");
    EXPECT_FALSE(dialog.nextButton()->isEnabled());
    EXPECT_TRUE(dialog.previousButton()->isEnabled());
}

TEST_F(RegisterWindowTest, DepositFormListsItsLinesAndTotal) {
    const int32_t bank = addBank("Operating");
    APbac d;
    d.BankID = bank;
    d.ActivityType = "Deposit";
    d.Cash = money(1000);
    const int32_t id = add(d);
    APbda line;
    line.ActivityID = id;
    line.Order = 1;
    line.Reference = "554";
    line.Name = "Pat";
    line.Amount = money(250075);
    add(line);
    byId(id);
    ActivityForm form(*session, ActivityFormKind::Deposit, ViewRecord);
    UpdateAPbacForm dialog(form);
    ASSERT_NE(dialog.lines(), nullptr);
    ASSERT_EQ(dialog.lines()->rowCount(), 1);
    EXPECT_EQ(dialog.lines()->item(0, 2)->text(), "2,500.75");
    EXPECT_EQ(dialog.fieldText("&Amount:"), "2,510.75");
}

// A large register: opening and jumping to the end read a few pages, never every row.
TEST_F(RegisterWindowTest, AHundredThousandRowsOpenAndScrollToTheEndReadingOnlyAFewPages) {
    const int32_t bank = addBank("Big");
    {
        Transaction t(*session, {FileId::APbac}, 5);
        ASSERT_EQ(t.error(), Error::None);
        auto& f = session->file<APbac>();
        for (int32_t i = 1; i <= 100000; ++i) {
            f.clear();
            f.rec.ActivityID = i;
            f.rec.BankID = bank;
            f.rec.ActivityType = "Check";
            f.rec.ActivityDate = 80000 + i / 100;
            f.rec.Reference = std::to_string(i);
            f.rec.PaymentOrDebit = Decimal::fromCents(i);
            ASSERT_EQ(f.add(), Error::None);
        }
        ASSERT_EQ(t.commit(), Error::None);
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
