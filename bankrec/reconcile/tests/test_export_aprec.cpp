// Completing a statement against the stand-in suite: the cleared items marked reconciled in the
// suite, service charge and interest posted to its ledger, and what a later "&Post" does.
#include <gtest/gtest.h>

#include <QFile>

#include "bankrec/reconcile/export_aprec.h"
#include "bankrec/reconcile/update_aprec_done.h"
#include "completion_suite_fixture.h"
#include "corelib/daytime.h"

using namespace corelib;
using namespace storage;
using namespace reconcile;

namespace {

const int32_t kNov30 = daytime::dayNumber(2026, 11, 30);

class DemoSuite : public CompletionSuiteTest, public ::testing::WithParamInterface<bool> {
  protected:
    void SetUp() override {
        CompletionSuiteTest::SetUp();
        if (!makeDemo(GetParam())) GTEST_SKIP() << "BANKREC_TEST_PG_SERVER not set";
    }
};

TEST_P(DemoSuite, CompletingAStatementClearsItInTheSuiteAndPostsChargeAndInterest) {
    // The payroll account: payroll checks, a vendor payment made through payables (bank code
    // PRVEND, which the clerk sets in the bank form) and a refund deposited. Its direct deposit
    // cleared with an earlier statement.
    addSuiteTransaction(1020, 102, 10, "250.00", "Refund - state fund", "D1125");
    suiteExec("UPDATE " + tvhost::tableName(suite(), "FIATransaction") +
              " SET \"FIStatus\" = 'R' WHERE \"TransactionID\" = 1013");
    const int32_t bank = prepareBank("Payroll Account", "PRVEND");
    const int32_t payables = byTransaction(1015), payroll = byTransaction(1011);
    const int32_t outstanding = byTransaction(1012), deposit = byTransaction(1020);
    for (int32_t id : {payables, payroll, deposit}) mark(id);

    // The Payroll Account's November statement, with the refund deposited too.
    APrec sheet;
    sheet.BankID = bank;
    payrollStatement(sheet);
    sheet.EndingBalance += money(25000);
    const int32_t id = add(sheet);
    makeCurrent(bank);
    ASSERT_TRUE(UpdateAPrecDone(*session).done);
    const ExportResult sent = ExportAPrec(*session, params);
    EXPECT_EQ(messageTexts(), "");
    ASSERT_TRUE(sent.ran);
    EXPECT_EQ(sent.itemsSent, 3);
    EXPECT_TRUE(sent.serviceChargePosted);
    EXPECT_TRUE(sent.interestPosted);

    // Our files.
    for (int32_t cleared : {payables, payroll, deposit}) EXPECT_EQ(activity(cleared).Reconciled, 1);
    EXPECT_EQ(activity(outstanding).Reconciled, 0);
    std::vector<std::pair<int32_t, int64_t>> snapshot;  // marked, amount
    for (const APrac& r : all<APrac>()) snapshot.emplace_back(r.Marked, r.Amount.cents());
    EXPECT_EQ(snapshot, (std::vector<std::pair<int32_t, int64_t>>{
                            {1, 164218}, {0, 131877}, {1, 24500}, {1, 25000}}));
    const APrec done = statement(id);
    EXPECT_EQ(done.Done, 1);
    EXPECT_EQ(done.ChecksMarked, 2);
    EXPECT_EQ(done.ChecksMarkedAmount, money(188718));
    EXPECT_EQ(done.DepositsMarked, 1);
    EXPECT_EQ(done.DepositsMarkedAmount, money(25000));
    int adjustments = 0;
    for (const APbac& a : all<APbac>()) adjustments += a.ReconciliationID == id ? 1 : 0;
    EXPECT_EQ(adjustments, 2);
    EXPECT_GT(done.ServiceChargeBatch, 0);
    EXPECT_EQ(done.InterestEarnedBatch, done.ServiceChargeBatch + 1);
    EXPECT_EQ(sent.serviceChargeBatch, done.ServiceChargeBatch);

    // The suite: the three transactions reconciled today, the outstanding one still open.
    const std::string today = QDate::currentDate().toString("yyyy-MM-dd").toStdString();
    for (int t : {1011, 1015, 1020}) {
        EXPECT_EQ(transaction(t, "FIStatus"), "R") << t;
        EXPECT_EQ(transaction(t, "ReconDate").substr(0, 10), today) << t;
    }
    EXPECT_EQ(transaction(1012, "FIStatus"), "O");
    // The payroll check and its bank reconciliation record.
    const std::vector<std::string> payrollRows = listing("payroll");
    int reconciledPayroll = 0;
    for (const std::string& row : payrollRows)
        if (row.find("20455") != std::string::npos) {
            EXPECT_TRUE(row.find(" R Maria Delgado") != std::string::npos ||
                        row.find(" RY Maria Delgado") != std::string::npos)
                << row;
            ++reconciledPayroll;
        }
    EXPECT_EQ(reconciledPayroll, 2);
    // The payables check rewritten and cleared by one clearing run for the statement's date.
    const std::vector<std::string> clearing = listing("clearing");
    ASSERT_EQ(clearing.size(), 1u);
    EXPECT_NE(clearing[0].find("OCW042 PRVEND"), std::string::npos) << clearing[0];
    bool registerCleared = false;
    for (const std::string& row : listing("register"))
        if (row.rfind("PRVEND C 0030012", 0) == 0) registerCleared = row.back() != '0';
    EXPECT_TRUE(registerCleared);
    // Two ledger batches with exactly the described lines.
    const std::string sc = std::to_string(done.ServiceChargeBatch);
    const std::string ie = std::to_string(done.InterestEarnedBatch);
    EXPECT_EQ(listing("ledger"),
              (std::vector<std::string>{sc + " GJ 11/30/2026 1010-000-00 -12.50 Service Charge",
                                        sc + " GJ 11/30/2026 5100-000-00 12.50 Service Charge",
                                        ie + " GJ 11/30/2026 1010-000-00 3.10 Interest Earned",
                                        ie + " GJ 11/30/2026 4300-000-00 -3.10 Interest Earned"}));

    // "&Post" again: the items go to the suite again, which passes over what it has reconciled
    // already; the ledger gets nothing.
    (void)statement(id);
    const ExportResult again = ExportAPrec(*session, params);
    EXPECT_EQ(messageTexts(), "");
    EXPECT_EQ(again.itemsSent, 3);
    EXPECT_FALSE(again.serviceChargePosted || again.interestPosted);
    EXPECT_EQ(listing("ledger").size(), 4u);
    EXPECT_EQ(listing("clearing").size(), 1u);
    EXPECT_EQ(statement(id).ServiceChargeBatch, done.ServiceChargeBatch);
}

INSTANTIATE_TEST_SUITE_P(SqliteAndPostgres, DemoSuite, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Postgres" : "Sqlite"; });

class Posting : public CompletionSuiteTest {
  protected:
    void SetUp() override {
        CompletionSuiteTest::SetUp();
        ASSERT_TRUE(makeDemo(false));
        bank_ = prepareBank("Operating Account");
        mark(byTransaction(1001));
        mark(byTransaction(1006));
    }
    // Completes the open statement with service charge 12.50 and interest 3.10.
    int32_t complete() {
        APrec sheet;
        sheet.BankID = bank_;
        sheet.EndingDate = kNov30;
        sheet.ServiceCharge = money(1250);
        sheet.ServiceChargeDate = kNov30;
        sheet.InterestEarned = money(310);
        sheet.InterestEarnedDate = kNov30;
        const int32_t id = add(sheet);
        makeCurrent(bank_);
        EXPECT_TRUE(UpdateAPrecDone(*session).done);
        return id;
    }
    int32_t bank_ = 0;
};

TEST_F(Posting, ABankThatNoLongerPostsServiceChargesGetsTheAdjustmentButNoBatch) {
    setBank([](APbnk& b) { b.ServiceChargePost = 0; });
    const int32_t id = complete();
    const ExportResult r = ExportAPrec(*session, params);
    EXPECT_EQ(messageTexts(), "");
    EXPECT_FALSE(r.serviceChargePosted);
    EXPECT_TRUE(r.interestPosted);
    EXPECT_EQ(statement(id).ServiceChargeBatch, 0);
    int charges = 0;
    for (const APbac& a : all<APbac>())
        charges += a.ReconciliationID == id && a.Description == "Service Charge" ? 1 : 0;
    EXPECT_EQ(charges, 1);
    for (const std::string& line : listing("ledger"))
        EXPECT_EQ(line.find("Service Charge"), std::string::npos) << line;
}

TEST_F(Posting, ALedgerThatRefusesTheServiceChargeAccountStillTakesTheInterest) {
    // An account the ledger does not know, then one it knows but has closed.
    setBank([](APbnk& b) { b.ServiceChargeAccount = "9999-000-00"; });
    const int32_t id = complete();
    ExportResult r = ExportAPrec(*session, params);
    ASSERT_EQ(messages->count(), 1u);
    EXPECT_EQ(messages->last()->text,
              "While attempting to post service charge, Account 9999-000-00 not in system.");
    EXPECT_EQ(messages->last()->caption, "Bank Reconciliation");
    EXPECT_EQ(messages->beeps(), 1);
    EXPECT_FALSE(r.serviceChargePosted);
    EXPECT_TRUE(r.interestPosted);
    EXPECT_EQ(statement(id).ServiceChargeBatch, 0);
    const int32_t interestBatch = statement(id).InterestEarnedBatch;
    EXPECT_GT(interestBatch, 0);

    messages->clear();
    makeCurrent(bank_);
    setBank([](APbnk& b) { b.ServiceChargeAccount = "1050-000-00"; });
    (void)statement(id);
    r = ExportAPrec(*session, params);
    ASSERT_EQ(messages->count(), 1u);
    EXPECT_EQ(messages->last()->text,
              "While attempting to post service charge, Account 1050-000-00 not in active.");
    EXPECT_EQ(statement(id).ServiceChargeBatch, 0);
    EXPECT_EQ(listing("ledger").size(), 2u);  // the interest only

    // Mended, "&Post" posts the service charge alone.
    messages->clear();
    makeCurrent(bank_);
    setBank([](APbnk& b) { b.ServiceChargeAccount = "5100-000-00"; });
    (void)statement(id);
    r = ExportAPrec(*session, params);
    EXPECT_EQ(messageTexts(), "");
    EXPECT_TRUE(r.serviceChargePosted);
    EXPECT_FALSE(r.interestPosted);
    EXPECT_GT(statement(id).ServiceChargeBatch, interestBatch);
    EXPECT_EQ(statement(id).InterestEarnedBatch, interestBatch);
    EXPECT_EQ(listing("ledger").size(), 4u);
}

TEST_F(Posting, AStatementWithNoClearedItemSendsNothingToTheSuite) {
    for (const APbac& a : all<APbac>()) {
        (void)activity(a.ActivityID);
        session->file<APbac>().rec.Marked = 0;
        ASSERT_EQ(session->file<APbac>().put(), Error::None);
    }
    complete();
    const ExportResult r = ExportAPrec(*session, params);
    EXPECT_EQ(messageTexts(), "");
    EXPECT_EQ(r.itemsSent, 0);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(folder() + "/zor0007.txt")));  // no POSTCHK
    EXPECT_EQ(transaction(1001, "FIStatus"), "O");
    EXPECT_TRUE(r.serviceChargePosted && r.interestPosted);
}

TEST_F(Posting, ARefusedRegisterClaimSendsAndPostsNothingAndTheStatementStaysDone) {
    setRegisterHeader("OPER", "V", "0");
    const int32_t id = complete();
    ExportResult r = ExportAPrec(*session, params);
    ASSERT_EQ(messages->count(), 1u);
    EXPECT_EQ(messages->last()->text, "Void Run in Process. Please try later.");
    EXPECT_EQ(messages->last()->caption, "Bank Reconciliation");
    EXPECT_EQ(r.refusal, "Void Run in Process. Please try later.");
    EXPECT_EQ(r.itemsSent, 0);
    EXPECT_EQ(transaction(1001, "FIStatus"), "O");
    EXPECT_TRUE(listing("ledger").empty());
    EXPECT_EQ(statement(id).Done, 1);

    setRegisterHeader("OPER", " ", "2");
    messages->clear();
    (void)statement(id);
    r = ExportAPrec(*session, params);
    EXPECT_EQ(r.refusal, "Reconciliation being Posted. Please try later.");

    // Once the suite's run is over, "&Post" sends and posts it all.
    setRegisterHeader("OPER", " ", "0");
    messages->clear();
    (void)statement(id);
    r = ExportAPrec(*session, params);
    EXPECT_EQ(messageTexts(), "");
    EXPECT_EQ(r.itemsSent, 2);
    EXPECT_EQ(transaction(1001, "FIStatus"), "R");
    EXPECT_EQ(listing("ledger").size(), 4u);
}

TEST_F(Posting, AnOpenReconciliationIsNeverSentOrPosted) {
    APrec open;
    open.BankID = bank_;
    open.EndingDate = kNov30;
    open.ServiceCharge = money(1250);
    open.ServiceChargeDate = kNov30;
    add(open);
    const ExportResult r = ExportAPrec(*session, params);
    EXPECT_FALSE(r.ran);
    EXPECT_EQ(messageTexts(), "");
    EXPECT_TRUE(listing("ledger").empty());
    EXPECT_EQ(transaction(1001, "FIStatus"), "O");
}

}  // namespace
