// Gathering a completed statement's cleared items into the suite's check list.
#include <gtest/gtest.h>

#include "bankrec/reconcile/export_aprec_activity.h"
#include "bankrec/reconcile/update_aprec_done.h"
#include "reconcile_fixture.h"

using namespace corelib;
using namespace storage;
using namespace reconcile;

namespace {

class Extracting : public ReconcileTest {
  protected:
    Extracting() {
        bank_ = addBank("Operating");
        auto& b = session->file<APbnk>();
        b.rec.APBank = "OPER";
        b.rec.PRBank = "PAYROLL";
        EXPECT_EQ(b.put(), Error::None);
    }
    // A check or deposit loaded from suite transaction `id` of module `source`.
    int32_t item(bool check, const char* reference, int64_t cents, bool marked, int32_t id,
                 const char* source, int32_t date = 0) {
        const int32_t a = check ? addCheck(bank_, reference, cents, date, marked)
                                : addDeposit(bank_, cents, date, marked);
        (void)activity(a);
        auto& f = session->file<APbac>();
        f.rec.TransactionID = id;
        f.rec.Source = source;
        f.rec.Reference = reference;
        EXPECT_EQ(f.put(), Error::None);
        return a;
    }
    // Completes the bank's open statement and gathers its cleared items.
    std::vector<hostlink::CHKQEntry> extract(int32_t ending) {
        const int32_t id = addStatement(bank_, ending, 0, false);
        makeCurrent(bank_);
        EXPECT_TRUE(UpdateAPrecDone(*session).done);
        queue_.clear();
        EXPECT_TRUE(ExportAPrecActivity(*session, id, link_));
        EXPECT_EQ(session->file<APrec>().rec.ReconciliationID, id);
        return queue_.entries();
    }

    int32_t bank_ = 0;
    hostlink::INFO info_;
    hostlink::CHKQ queue_;
    hostlink::ZORBRCHK link_{queue_, info_};
};

TEST_F(Extracting, OneEntryPerClearedSuiteTransactionWithTheBankCodeOfItsSource) {
    item(true, "1001", 41237, true, 501, "AP", day(2026, 3, 2));
    item(true, "20455", 164218, true, 502, "PR", day(2026, 3, 3));
    item(true, "1002", 9815, false, 503, "AP", day(2026, 3, 4));  // outstanding
    item(false, "JE-12T", 50000, true, 504, "GL", day(2026, 3, 2));
    item(false, "D1107", 532000, true, 505, "CR", day(2026, 3, 3));
    // The same suite transaction twice (a row duplicated by hand): one entry, from the first.
    item(true, "1003", 5790, true, 506, "AP", day(2026, 3, 5));
    item(true, "1003-dup", 1, true, 506, "AP", day(2026, 3, 6));
    // Rows entered here, not loaded from the suite: nothing for the suite to mark.
    addCheck(bank_, "M1", 100, day(2026, 3, 2), 1);
    addCheck(bank_, "M2", 200, day(2026, 3, 2), 1);

    const std::vector<hostlink::CHKQEntry> entries = extract(day(2026, 3, 31));
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
    EXPECT_EQ(ap.AMOUNT, money(41237));  // the captured amount
    EXPECT_EQ(ap.ACTIVITYDATE, day(2026, 3, 2));
    EXPECT_EQ(entries[1].BANK, "PAYROLL");
    EXPECT_EQ(entries[2].REFERENCE, "1003");
    EXPECT_EQ(entries[3].BANK, "");  // a ledger deposit
    EXPECT_EQ(entries[4].BANK, "");  // cash receipts

    // Another statement's items are not this one's.
    item(true, "1004", 700, true, 507, "AP", day(2026, 4, 2));
    const auto later = extract(day(2026, 4, 30));
    ASSERT_EQ(later.size(), 1u);
    EXPECT_EQ(later[0].TRANSACTIONID, 507);
    ASSERT_EQ(progress.options.size(), 4u);
    EXPECT_EQ(progress.options[1].text, "Processing Records\nExtracting Reconciliation Activity");
}

TEST_F(Extracting, CancelKeepsTheEntriesGatheredSoFar) {
    for (int i = 1; i <= 60; ++i) item(true, "", 100 * i, true, 1000 + i, "AP");
    const int32_t id = addStatement(bank_, day(2026, 3, 31), 0, false);
    makeCurrent(bank_);
    ASSERT_TRUE(UpdateAPrecDone(*session).done);
    cancelBeforeTick(1);
    EXPECT_TRUE(ExportAPrecActivity(*session, id, link_));
    EXPECT_EQ(queue_.records(), 25);
    EXPECT_EQ(queue_.entries().front().TRANSACTIONID, 1001);
    EXPECT_EQ(session->file<APrec>().rec.ReconciliationID, id);
    EXPECT_EQ(messages->count(), 0u);
}

}  // namespace
