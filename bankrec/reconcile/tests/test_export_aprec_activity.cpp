// Gathering a completed statement's cleared items into the suite's check list.
#include <gtest/gtest.h>

#include "bankrec/reconcile/export_aprec_activity.h"
#include "bankrec/reconcile/update_aprec_done.h"
#include "completion_fixture.h"

using namespace corelib;
using namespace storage;
using namespace reconcile;
using namespace completion_tests;

namespace {

class Extracting : public CompletionTest {
  protected:
    void SetUp() override {
        CompletionTest::SetUp();
        bank_ = addBank("Operating");
        auto& b = session_->file<APbnk>();
        b.rec.APBank = "OPER";
        b.rec.PRBank = "PAYROLL";
        ASSERT_EQ(b.put(), Error::None);
    }
    // Completes the bank's open statement and gathers its cleared items.
    std::vector<hostlink::CHKQEntry> extract(int32_t reconciliationId) {
        current(bank_);
        EXPECT_TRUE(UpdateAPrecDone(*session_).done);
        queue_.clear();
        EXPECT_TRUE(ExportAPrecActivity(*session_, reconciliationId, link_));
        return queue_.entries();
    }

    int32_t bank_ = 0;
    hostlink::INFO info_;
    hostlink::CHKQ queue_;
    hostlink::ZORBRCHK link_{queue_, info_};
};

TEST_F(Extracting, OneEntryPerClearedSuiteTransactionWithTheBankCodeOfItsSource) {
    addActivity(bank_, {"Check", "1001", 41237, true, 501, "AP"});
    addActivity(bank_, {"Check", "20455", 164218, true, 502, "PR", 82001});
    addActivity(bank_, {"Check", "1002", 9815, false, 503, "AP", 82002});  // outstanding
    addActivity(bank_, {"Deposit", "JE-12T", 50000, true, 504, "GL"});
    addActivity(bank_, {"Deposit", "D1107", 532000, true, 505, "CR", 82001});
    // The same suite transaction twice (a row duplicated by hand): one entry, from the first.
    addActivity(bank_, {"Check", "1003", 5790, true, 506, "AP", 82003});
    addActivity(bank_, {"Check", "1003-dup", 1, true, 506, "AP", 82004});
    // Rows entered here, not loaded from the suite: nothing for the suite to mark.
    addActivity(bank_, {"Check", "M1", 100, true, 0, ""});
    addActivity(bank_, {"Check", "M2", 200, true, 0, ""});
    const int32_t id = openReconciliation(bank_, 1250, 0);

    const std::vector<hostlink::CHKQEntry> entries = extract(id);
    ASSERT_EQ(entries.size(), 5u);
    std::vector<int32_t> ids;
    for (const auto& e : entries) ids.push_back(e.TRANSACTIONID);
    // The order the items were captured in: checks by date, then deposits by date.
    EXPECT_EQ(ids, (std::vector<int32_t>{501, 502, 506, 504, 505}));
    const auto& ap = entries[0];
    EXPECT_EQ(ap.SOURCE, "AP");
    EXPECT_EQ(ap.BANK, "OPER");
    EXPECT_EQ(ap.REFERENCE, "1001");
    EXPECT_EQ(ap.NAME, "Payee 1001");
    EXPECT_EQ(ap.DESCRIPTION, "Item 1001");
    EXPECT_EQ(ap.AMOUNT, money(41237));  // the captured amount
    EXPECT_EQ(ap.ACTIVITYDATE, 82000);
    EXPECT_EQ(entries[1].BANK, "PAYROLL");
    EXPECT_EQ(entries[2].REFERENCE, "1003");
    EXPECT_EQ(entries[3].BANK, "");  // a ledger deposit
    EXPECT_EQ(entries[4].BANK, "");  // cash receipts
    EXPECT_EQ(session_->file<APrec>().rec.ReconciliationID, id);

    // Another statement's items are not this one's.
    addActivity(bank_, {"Check", "1004", 700, true, 507, "AP"});
    const int32_t next = openReconciliation(bank_, 0, 0, 82060);
    const auto later = extract(next);
    ASSERT_EQ(later.size(), 1u);
    EXPECT_EQ(later[0].TRANSACTIONID, 507);
    ASSERT_EQ(progress_->windows.size(), 4u);
    EXPECT_NE(progress_->windows[1].text.find("Extracting Reconciliation Activity"),
              std::string::npos);
}

TEST_F(Extracting, CancelKeepsTheEntriesGatheredSoFar) {
    for (int i = 1; i <= 60; ++i) addActivity(bank_, {"Check", "", 100 * i, true, 1000 + i, "AP"});
    const int32_t id = openReconciliation(bank_);
    current(bank_);
    ASSERT_TRUE(UpdateAPrecDone(*session_).done);
    progress_->cancelBeforeTick = 1;
    EXPECT_TRUE(ExportAPrecActivity(*session_, id, link_));
    EXPECT_EQ(queue_.records(), 25);
    EXPECT_EQ(queue_.entries().front().TRANSACTIONID, 1001);
    EXPECT_EQ(session_->file<APrec>().rec.ReconciliationID, id);
    EXPECT_EQ(messages_->count(), 0u);
}

}  // namespace
