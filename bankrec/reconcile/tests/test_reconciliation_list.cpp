// The reconciliation list: the bank selector, the statements oldest first, the button states and
// where each button leads.
#include <gtest/gtest.h>

#include "bankrec/reconcile/reconciliation_list.h"
#include "reconcile_fixture.h"

using namespace corelib;
using namespace storage;
using namespace reconcile;

namespace {

class ListTest : public ReconcileTest {
  protected:
    ReconciliationList& list(int32_t remembered = 0) {
        hooks.worksheet = [this] {
            calledWith.push_back("worksheet " + std::to_string(GlobalRequest) + " " +
                                 session->file<APbnk>().rec.Bank);
        };
        hooks.viewer = [this] {
            calledWith.push_back("viewer " + std::to_string(GlobalRequest) + " " +
                                 std::to_string(session->file<APrec>().rec.ReconciliationID));
        };
        list_ = std::make_unique<ReconciliationList>(*session, params, calls, hooks);
        opened_ = list_->open(remembered);
        return *list_;
    }

    ListHooks hooks;
    std::vector<std::string> calledWith;
    std::unique_ptr<ReconciliationList> list_;
    bool opened_ = false;
};

TEST_F(ListTest, NoBankSaysSoAndTheWindowCloses) {
    list();
    EXPECT_FALSE(opened_);
    ASSERT_EQ(messages->count(), 1u);
    EXPECT_EQ(messages->last()->text, "No banks have been defined.");
    EXPECT_EQ(messages->last()->caption, "Browse Reconciliations");
    EXPECT_EQ(messages->beeps(), 1);
}

TEST_F(ListTest, OneBankNeedsNoSelectorSeveralShowTheRememberedOne) {
    const int32_t zeta = addBank("Zeta Savings");
    {
        ReconciliationList& l = list();
        EXPECT_TRUE(opened_);
        EXPECT_FALSE(l.selectorVisible());
        EXPECT_EQ(l.bankId(), zeta);
    }
    const int32_t alpha = addBank("Alpha Trust");
    ReconciliationList& l = list(zeta);
    EXPECT_TRUE(l.selectorVisible());
    ASSERT_EQ(l.banks().size(), 2u);
    EXPECT_EQ(l.banks()[0].BankID, alpha);  // name order
    EXPECT_EQ(l.bankId(), zeta);
    EXPECT_EQ(session->file<APbnk>().rec.Bank, "Zeta Savings");
    l.rememberBank();
    EXPECT_EQ(ReconciliationList::rememberedBankId(), zeta);
}

TEST_F(ListTest, StatementsOldestFirstWithTheirFigures) {
    const int32_t bank = addBank("First Bank");
    addBank("Other Bank");
    const int32_t march = addStatement(bank, day(2026, 3, 31), 150000, true);
    const int32_t january = addStatement(bank, day(2026, 1, 31), 90000, true);
    APrec open;
    open.BankID = bank;
    open.EndingDate = day(2026, 4, 30);
    open.OpeningBalance = money(150000);
    open.DepositsMarkedAmount = money(2500);
    open.ChecksMarkedAmount = money(-1234567);
    open.ServiceCharge = money(1250);
    open.InterestEarned = money(310);
    open.EndingBalance = money(141060);
    const int32_t april = add(open);
    ReconciliationList& l = list(bank);
    ASSERT_EQ(l.rows().count(), 3);
    EXPECT_EQ(l.rows().row(0)->rec.ReconciliationID, january);
    EXPECT_EQ(l.rows().row(1)->rec.ReconciliationID, march);
    EXPECT_EQ(l.rows().row(2)->rec.ReconciliationID, april);
    const auto done = listTexts(l.rows().row(0)->rec);
    EXPECT_EQ(done[ColStatus], "R");
    EXPECT_EQ(done[ColStatementDate], "01/31/2026");
    const auto texts = listTexts(l.rows().row(2)->rec);
    EXPECT_EQ(texts[ColStatus], "");
    EXPECT_EQ(texts[ColOpeningBalance], "1,500.00");
    EXPECT_EQ(texts[ColDepositsMarked], "25.00");
    EXPECT_EQ(texts[ColChecksMarked], "-12,345.67");
    EXPECT_EQ(texts[ColServiceCharge], "12.50");
    EXPECT_EQ(texts[ColInterestEarned], "3.10");
    EXPECT_EQ(texts[ColEndingBalance], "1,410.60");
    EXPECT_EQ(l.openRow(), 2);
}

TEST_F(ListTest, ButtonsFollowTheHighlightedStatement) {
    const int32_t bank = addBank("First Bank");
    ReconciliationList& l = list();
    // An empty list: a first statement can be started, checks loaded; nothing to open.
    ListButtons b = l.buttons(-1);
    EXPECT_TRUE(b.newStatement);
    EXPECT_TRUE(b.refresh);
    EXPECT_FALSE(b.post);
    EXPECT_FALSE(b.view);
    EXPECT_FALSE(b.remove);

    // Only an open statement: New off, Ed&it opens the worksheet to change it.
    const int32_t open = addStatement(bank, day(2026, 3, 31), 0, false);
    l.refresh();
    b = l.buttons(0);
    EXPECT_FALSE(b.newStatement);
    EXPECT_EQ(b.viewCaption, "Ed&it");
    EXPECT_EQ(b.viewIcon, "~smChange.ico");
    EXPECT_FALSE(b.post);
    EXPECT_TRUE(b.refresh);
    EXPECT_TRUE(b.remove);
    EXPECT_EQ(l.view(0), 0);
    ASSERT_EQ(calledWith.size(), 1u);
    EXPECT_EQ(calledWith[0], "worksheet 2 First Bank");
    // New does nothing while a statement is open.
    EXPECT_EQ(l.newStatement(0), 0);
    EXPECT_EQ(calledWith.size(), 1u);

    // Once done: V&iew opens the viewer, Post is offered, Refresh is not, New is.
    auto& rec = session->file<APrec>();
    rec.clear();
    rec.rec.ReconciliationID = open;
    ASSERT_EQ(rec.get(APREC_KEY_RECONCILIATIONID), Error::None);
    rec.rec.Done = 1;
    ASSERT_EQ(rec.put(), Error::None);
    l.refresh();
    b = l.buttons(0);
    EXPECT_TRUE(b.newStatement);
    EXPECT_EQ(b.viewCaption, "V&iew");
    EXPECT_EQ(b.viewIcon, "~smView.ico");
    EXPECT_TRUE(b.post);
    EXPECT_FALSE(b.refresh);
    EXPECT_TRUE(b.remove);
    l.view(0);
    EXPECT_EQ(calledWith.back(), "viewer 4 " + std::to_string(open));
    l.newStatement(0);
    EXPECT_EQ(calledWith.back(), "worksheet 1 First Bank");
}

TEST_F(ListTest, ABankThatCannotBeReadIsReportedAndNothingOpens) {
    const int32_t bank = addBank("First Bank");
    addStatement(bank, day(2026, 3, 31), 0, false);
    ReconciliationList& l = list();
    auto& bnk = session->file<APbnk>();
    ASSERT_EQ(bnk.erase(), Error::None);  // another station deleted it meanwhile
    l.view(0);
    EXPECT_TRUE(calledWith.empty());
    ASSERT_NE(messages->last(), nullptr);
    EXPECT_EQ(messages->last()->text,
              "Unable to get APbnk for reconciliation update, Error(33) Record Not Available");
    EXPECT_EQ(messages->last()->caption, "Browse Reconciliations");
    EXPECT_EQ(bnk.rec.BankID, 0);
}

TEST_F(ListTest, PrintAndPostCallTheirProceduresOnTheHighlightedStatement) {
    const int32_t bank = addBank("First Bank");
    const int32_t done = addStatement(bank, day(2026, 2, 28), 0, true);
    const int32_t open = addStatement(bank, day(2026, 3, 31), 0, false);
    std::vector<std::string> called;
    auto record = [&](const char* name) {
        return [&, name](FileSession& s, const shell::StartupParameters&) {
            called.push_back(std::string(name) + " " +
                             std::to_string(s.file<APrec>().rec.ReconciliationID));
            GlobalResponse = RequestCompleted;
        };
    };
    ReconciliationList& l = list();
    // Not provided yet: said so, nothing else happens.
    l.print(0);
    EXPECT_EQ(messages->last()->text, "The reconciliation report is not available yet.");
    l.post(0);
    EXPECT_EQ(messages->last()->text,
              "Posting a reconciliation to the accounting suite is not available yet.");

    calls.ReportAPrecWindow = record("ReportAPrecWindow");
    calls.ReportAPrecNewWindow = record("ReportAPrecNewWindow");
    calls.ExportAPrec = record("ExportAPrec");
    l.print(0);
    l.print(1);
    l.post(0);
    l.post(1);  // an open statement is never posted
    EXPECT_EQ(called, (std::vector<std::string>{"ReportAPrecWindow " + std::to_string(done),
                                                "ReportAPrecNewWindow " + std::to_string(open),
                                                "ExportAPrec " + std::to_string(done)}));
}

}  // namespace
