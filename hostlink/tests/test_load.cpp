// LOADFIA and LOADCHK against a fresh suite database (SQLite, and PostgreSQL when configured).
#include <QDateTime>

#include "corelib/daytime.h"
#include "corelib/globals.h"
#include "corelib/thread_registry.h"
#include "host_suite_fixture.h"

using namespace corelib;
using namespace hostlink;

namespace {

class LoadTest : public HostSuiteTest, public ::testing::WithParamInterface<bool> {
  protected:
    void SetUp() override {
        HostSuiteTest::SetUp();
        if (!makeSuite(GetParam())) GTEST_SKIP() << "BANKREC_TEST_PG_SERVER not set";
    }

    tvhost::Transaction transaction(int id, int fiaId, int module, const char* amount) {
        tvhost::Transaction t;
        t.transactionId = id;
        t.fiaId = fiaId;
        t.sourceModuleId = module;
        t.netAmount = amount;
        t.dateProduced = QDateTime(QDate(2026, 3, 31), QTime(14, 5));
        t.description = QString("Row %1").arg(id);
        t.externalFormId = QString("%1").arg(id + 1000);
        return t;
    }

    // One LOADFIA into a fresh list.
    FIAQ loadFia() {
        FIAQ queue;
        ZORBRFIA link(queue, info_);
        LOADFIA(link);
        return queue;
    }

    const CHKQEntry* entry(const CHKQ& queue, int id) {
        for (const CHKQEntry& e : queue.entries())
            if (e.TRANSACTIONID == id) return &e;
        return nullptr;
    }
};

std::string backendName(const ::testing::TestParamInfo<bool>& info) {
    return info.param ? "PostgreSQL" : "SQLite";
}

}  // namespace

TEST_P(LoadTest, LoadFiaListsEachCashAccountWithTheFirstModuleUsagesBankCode) {
    addChartAccount("1000-000-00", "CASH1");
    addChartAccount("1010-000-00", "CASH2");
    addInstitution(10, 1, "Operating");
    addLedger(10, "CASH1");
    addLedger(10, "CASH2");
    addInstitution(20, 1, "Payroll");
    addLedger(20, "NOSUCH");           // unknown to the ledger
    addInstitution(30, 2, "Savings");  // no ledger row at all
    addUsage(1, 20, 1, 9, "PRBANK1");  // first usage of 20 is payroll ...
    addUsage(2, 20, 1, 8, "APBANK2");  // ... so its payables usage is not looked at
    addUsage(3, 10, 1, 8, "OPER");

    FIAQ queue;
    ZORBRFIA link(queue, info_);
    GlobalRequest = 4;
    resetThreadRegistry();
    LOADFIA(link);

    EXPECT_EQ(GlobalResponse, RequestCompleted);
    EXPECT_EQ(link.outcome, LoadOutcome::Completed);
    EXPECT_EQ(GlobalRequest, 0);
    EXPECT_TRUE(threadRegistrySnapshot().empty());
    EXPECT_EQ(messages_->count(), 0u) << allMessageText(messages_.get());
    ASSERT_EQ(queue.records(), 4);
    struct Want {
        int fiaid;
        const char* bank;
        const char* account;
        const char* ap;
        const char* pr;
    };
    const Want want[] = {{10, "Operating", "1000-000-00", "OPER", ""},
                         {10, "Operating", "1010-000-00", "OPER", ""},
                         {20, "Payroll", "", "", "PRBANK1"},
                         {30, "Savings", "", "", ""}};
    for (int i = 0; i < 4; ++i) {
        link.select(i + 1);
        EXPECT_EQ(link.query("FIAID"), std::to_string(want[i].fiaid)) << i;
        EXPECT_EQ(link.query("BANK"), want[i].bank) << i;
        EXPECT_EQ(link.query("BANKACCOUNT"), want[i].account) << i;
        EXPECT_EQ(link.query("APBANK"), want[i].ap) << i;
        EXPECT_EQ(link.query("PRBANK"), want[i].pr) << i;
    }
    ASSERT_EQ(progress_->options.size(), 1u);
    EXPECT_EQ(progress_->options[0].title, "Processing Records");
    EXPECT_EQ(progress_->options[0].text, "Extracting FIA's");
    EXPECT_TRUE(progress_->options[0].cancelButton);
    ASSERT_FALSE(progress_->percents.empty());
    EXPECT_EQ(progress_->percents.front(), 0);
    EXPECT_EQ(progress_->percents.back(), 100);
    // Redrawn only when the whole number changes.
    for (size_t i = 1; i < progress_->percents.size(); ++i)
        EXPECT_NE(progress_->percents[i], progress_->percents[i - 1]);
    ASSERT_FALSE(progress_->texts.empty());
    EXPECT_EQ(progress_->texts.back(), "Process Completed");
}

TEST_P(LoadTest, LoadFiaGivesACashAccountSharedByAccountsToEachOfThem) {
    addChartAccount("1000-000-00", "CASH1");
    addChartAccount("1010-000-00", "CASH2");
    addInstitution(10, 1, "Operating");
    addLedger(10, "CASH1");
    addInstitution(20, 1, "Pooled");
    addLedger(20, "CASH2");
    addLedger(20, "CASH1");
    addInstitution(30, 1, "Other fund");
    addLedger(30, "CASH1");
    const FIAQ queue = loadFia();
    EXPECT_EQ(GlobalResponse, RequestCompleted);
    std::vector<std::pair<int32_t, std::string>> got;
    for (const FIAQEntry& e : queue.entries()) got.emplace_back(e.FIAID, e.BANKACCOUNT);
    const std::vector<std::pair<int32_t, std::string>> want = {
        {10, "1000-000-00"}, {20, "1000-000-00"}, {20, "1010-000-00"}, {30, "1000-000-00"}};
    EXPECT_EQ(got, want);
}

TEST_P(LoadTest, LoadFiaShowsUnknownCashAccountsOnlyWithTheDebugSwitch) {
    addInstitution(20, 1, "Payroll");
    addLedger(20, "NOSUCH");
    addInstitution(30, 1, "Savings");
    addLedger(30, "NOSUCH");
    (void)loadFia();
    EXPECT_EQ(messages_->count(), 0u);

    HOSTLINK_SetCommandLine({"bankrec", "Division=2", "/debug"});
    const FIAQ again = loadFia();
    HOSTLINK_SetCommandLine({});
    ASSERT_EQ(messages_->count(), 2u);  // for each account that names it
    EXPECT_EQ(messages_->last()->text, "error=23(NOSUCH)");
    EXPECT_EQ(messages_->last()->buttons, msg::OK);
    ASSERT_EQ(again.records(), 2);
    EXPECT_EQ(again.entries()[0].BANKACCOUNT, "");
    EXPECT_EQ(again.entries()[1].BANKACCOUNT, "");
}

TEST_P(LoadTest, LoadFiaOfAnEmptySuiteOrCancelledAnswersTwo) {
    FIAQ queue;
    ZORBRFIA link(queue, info_);
    LOADFIA(link);
    EXPECT_EQ(GlobalResponse, RequestCancelled);
    EXPECT_EQ(link.outcome, LoadOutcome::Empty);
    EXPECT_EQ(queue.records(), 0);

    addInstitution(10, 1, "Operating");
    cancelBeforeTick(0);
    LOADFIA(link);
    EXPECT_EQ(GlobalResponse, RequestCancelled);
    EXPECT_EQ(link.outcome, LoadOutcome::Cancelled);
    EXPECT_EQ(queue.records(), 0);
}

TEST_P(LoadTest, LoadChkMapsEachSourceModule) {
    auto gl = transaction(1, 50, 6, "-500.0000");
    gl.runOrBatch = 1234;
    auto ap = transaction(2, 50, 8, "-150.1250");
    auto prElectronic = transaction(3, 50, 9, "-900.0049");
    prElectronic.electronic = true;
    prElectronic.runOrBatch = 77;
    auto prPaper = transaction(4, 50, 9, "-0.0050");
    prPaper.externalFormId = "PAYCHECK-000000000012345";  // longer than a reference
    auto cr = transaction(5, 50, 10, "80.0000");
    auto other = transaction(6, 50, 7, "1.0000");
    auto reconciled = transaction(7, 50, 8, "-1.0000");
    reconciled.fiStatus = "R";
    auto otherAccount = transaction(8, 51, 8, "-1.0000");
    for (const auto& t : {gl, ap, prElectronic, prPaper, cr, other, reconciled, otherAccount})
        addTransaction(t);

    CHKQ queue;
    ZORBRCHK link(queue, info_);
    link.FIAID = 50;
    LOADCHK(link);

    EXPECT_EQ(GlobalResponse, RequestCompleted);
    ASSERT_EQ(queue.records(), 6);
    struct Want {
        int id;
        const char* source;
        const char* name;
        const char* description;
        const char* reference;
        int64_t cents;
    };
    const Want want[] = {
        {1, "GL", "Row 1", "", "JE-1234T", -50000},
        {2, "AP", "Row 2", "", "1002", -15013},  // four decimals rounded half away from zero
        {3, "PR", "Row 3", "", "DirDep77", -90000},
        {4, "PR", "Row 4", "", "PAYCHECK-00000000001", -1},
        {5, "CR", "", "Row 5", "1005", 8000},
        {6, "", "", "", "", 100},
    };
    for (const Want& w : want) {
        const CHKQEntry* e = entry(queue, w.id);
        ASSERT_NE(e, nullptr) << w.id;
        EXPECT_EQ(e->SOURCE, w.source) << w.id;
        EXPECT_EQ(e->NAME, w.name) << w.id;
        EXPECT_EQ(e->DESCRIPTION, w.description) << w.id;
        EXPECT_EQ(e->REFERENCE, w.reference) << w.id;
        EXPECT_EQ(e->AMOUNT.cents(), w.cents) << w.id;
        EXPECT_EQ(e->ACTIVITYDATE, daytime::dayNumber(2026, 3, 31)) << w.id;
        EXPECT_EQ(e->BANK, "") << w.id;
    }
    EXPECT_EQ(progress_->options.at(0).text, "Extracting Check's");
    EXPECT_EQ(progress_->texts.back(), "Process Completed");
}

TEST_P(LoadTest, LoadChkNeverQueuesATransactionTwice) {
    addTransaction(transaction(1, 50, 8, "-10.0000"));
    addTransaction(transaction(2, 50, 8, "-20.0000"));
    CHKQ queue;
    ZORBRCHK link(queue, info_);
    link.FIAID = 50;
    ASSERT_TRUE(link.addCheck(2, 0, Decimal::fromCents(-1), "AP", "", "kept", "", ""));
    LOADCHK(link);
    ASSERT_EQ(queue.records(), 2);
    EXPECT_EQ(queue.entries()[0].REFERENCE, "kept");
    EXPECT_EQ(queue.entries()[1].TRANSACTIONID, 1);
}

TEST_P(LoadTest, LoadChkOfAnAccountWithoutOpenTransactionsAnswersTwo) {
    auto reconciled = transaction(1, 50, 8, "-10.0000");
    reconciled.fiStatus = "R";
    addTransaction(reconciled);
    CHKQ queue;
    ZORBRCHK link(queue, info_);
    link.FIAID = 50;
    LOADCHK(link);
    EXPECT_EQ(GlobalResponse, RequestCancelled);
    EXPECT_EQ(link.outcome, LoadOutcome::Empty);
    EXPECT_EQ(queue.records(), 0);
    EXPECT_EQ(messages_->count(), 0u);
}

TEST_P(LoadTest, LoadChkReadsPastThePageSize) {
    QSqlDatabase db = QSqlDatabase::database(adminConnection_);
    ASSERT_EQ(tvhost::addBulkAccounts(db, 60, 1, 2500, 1).toStdString(), "");
    CHKQ queue;
    ZORBRCHK link(queue, info_);
    link.FIAID = 60;
    LOADCHK(link);
    EXPECT_EQ(GlobalResponse, RequestCompleted);
    EXPECT_EQ(link.outcome, LoadOutcome::Completed);
    ASSERT_EQ(queue.records(), 2500);
    EXPECT_EQ(queue.entries().front().TRANSACTIONID, 1);
    EXPECT_EQ(queue.entries().back().TRANSACTIONID, 2500);
    EXPECT_EQ(progress_->percents.back(), 100);
}

TEST_P(LoadTest, LoadChkCancelledKeepsWhatWasRead) {
    QSqlDatabase db = QSqlDatabase::database(adminConnection_);
    ASSERT_EQ(tvhost::addBulkAccounts(db, 60, 1, 1500, 1).toStdString(), "");
    CHKQ queue;
    ZORBRCHK link(queue, info_);
    link.FIAID = 60;
    cancelBeforeTick(0);
    LOADCHK(link);
    EXPECT_EQ(GlobalResponse, RequestCancelled);
    EXPECT_EQ(link.outcome, LoadOutcome::Cancelled);
    EXPECT_EQ(queue.records(), 1000);  // the first page, read on opening
}

INSTANTIATE_TEST_SUITE_P(Suite, LoadTest, ::testing::Bool(), backendName);
