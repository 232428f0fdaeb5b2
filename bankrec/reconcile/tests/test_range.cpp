// Range marking: which check numbers fall in a range, what is marked and reported, and what a
// stopped run keeps.
#include <gtest/gtest.h>

#include "bankrec/reconcile/update_aprec_range.h"
#include "reconcile_fixture.h"

using namespace corelib;
using namespace storage;
using namespace reconcile;

namespace {

TEST(ComparisonForm, RightJustifiedUpperCaseText) {
    EXPECT_EQ(comparisonForm("abc"), std::string(17, ' ') + "ABC");
    EXPECT_EQ(comparisonForm(""), std::string(20, ' '));
    struct Case {
        const char* from;
        const char* to;
        bool valid;
    };
    // clang-format off
    const Case cases[] = {
        {"99", "100", true},     // plain numbers in numeric order
        {"0099", "100", false},  // right-aligned text: the longer one sorts after
        {"100", "0099", true},
        {"200", "100", false},
        {"ABC", "abc", true},    // the same bound in either case
        {"1005", "1005", true},  // a range of one number
        {"A1", "B1", true},
        {"9A", "99", false},     // letters after digits
        {"", "1", true},
    };
    // clang-format on
    for (const Case& c : cases)
        EXPECT_EQ(validRange(c.from, c.to), c.valid) << c.from << ".." << c.to;
}

class RangeTest : public ReconcileTest {
  protected:
    void SetUp() override {
        bank = addBank("First Bank");
        makeCurrent(bank);
    }
    RangeResult run(const std::string& from, const std::string& to, uint8_t mark = 1) {
        makeCurrent(bank);
        return UpdateAPrecRange(*session, from, to, mark);
    }
    int32_t bank = 0;
};

TEST_F(RangeTest, MarksTheChecksInTheRangeAndSaysHowManyForWhatTotal) {
    const int32_t c1001 = addCheck(bank, "1001", 10000);
    const int32_t c1003 = addCheck(bank, "1003", 2550);
    const int32_t c1005 = addCheck(bank, "1005", 125);
    const int32_t c1006 = addCheck(bank, "1006", 99900);
    const RangeResult r = run("1001", "1005");
    EXPECT_EQ(r.count, 3);
    EXPECT_EQ(r.total, money(12675));
    for (int32_t id : {c1001, c1003, c1005}) EXPECT_EQ(activity(id).Marked, 1) << id;
    EXPECT_EQ(activity(c1006).Marked, 0);
    ASSERT_EQ(messages->count(), 1u);
    EXPECT_EQ(messages->last()->text, "3 Check(s) have been marked for a total of 126.75");
    EXPECT_EQ(messages->last()->caption, "Bank Reconciliation");
    EXPECT_EQ(progress.options.at(0).title, "Progress...");

    // Marking again counts the same checks, though none needs writing.
    messages->clear();
    const RangeResult again = run("1001", "1005");
    EXPECT_EQ(again.count, 3);
    EXPECT_EQ(again.written, 0);
    EXPECT_EQ(messages->last()->text, "3 Check(s) have been marked for a total of 126.75");
}

TEST_F(RangeTest, NumbersCompareRightAlignedAndLettersWithoutRegardToCase) {
    const int32_t n99 = addCheck(bank, "99", 100);
    const int32_t n100 = addCheck(bank, "100", 100);
    const int32_t n0099 = addCheck(bank, "0099", 100);
    EXPECT_EQ(run("99", "100").count, 2);
    EXPECT_EQ(activity(n99).Marked, 1);
    EXPECT_EQ(activity(n100).Marked, 1);
    EXPECT_EQ(activity(n0099).Marked, 0);

    const int32_t upper = addCheck(bank, "ABC", 100);
    const int32_t lower = addCheck(bank, "abc", 100);
    const int32_t next = addCheck(bank, "ABD", 100);
    EXPECT_EQ(run("ABC", "abc").count, 2);
    EXPECT_EQ(activity(upper).Marked, 1);
    EXPECT_EQ(activity(lower).Marked, 1);
    EXPECT_EQ(activity(next).Marked, 0);
}

TEST_F(RangeTest, UnmarkingAndWhatIsNeverTouched) {
    const int32_t open1 = addCheck(bank, "500", 1000, 0, 1);
    const int32_t open2 = addCheck(bank, "501", 1000, 0, 1);
    const int32_t reconciled = addCheck(bank, "502", 1000, 0, 1, 1);
    const int32_t deposit = addDeposit(bank, 1000, 0, 1);
    {
        auto& f = session->file<APbac>();
        f.clear();
        f.rec.ActivityID = deposit;
        ASSERT_EQ(f.get(APBAC_KEY_ACTIVITYID), Error::None);
        f.rec.Reference = "501";
        ASSERT_EQ(f.put(), Error::None);
    }
    const int32_t otherBank = addBank("Other Bank");
    const int32_t elsewhere = addCheck(otherBank, "501", 1000, 0, 1);
    const RangeResult r = run("500", "510", 0);
    EXPECT_EQ(r.count, 2);
    EXPECT_EQ(activity(open1).Marked, 0);
    EXPECT_EQ(activity(open2).Marked, 0);
    EXPECT_EQ(activity(reconciled).Marked, 1);
    EXPECT_EQ(activity(deposit).Marked, 1);
    EXPECT_EQ(activity(elsewhere).Marked, 1);
    EXPECT_EQ(messages->last()->text, "2 Check(s) have been unmarked for a total of 20.00");
}

TEST_F(RangeTest, AnEmptyRangeSaysNothingAndAnInvalidOneIsRefusedInTheDialog) {
    addCheck(bank, "1001", 100);
    EXPECT_EQ(run("2000", "3000").count, 0);
    EXPECT_EQ(messages->count(), 0u);
    const size_t runs = progress.options.size();

    RangeDialog dialog(*session);
    dialog.from = "200";
    dialog.to = "100";
    EXPECT_FALSE(dialog.accept());
    ASSERT_EQ(messages->count(), 1u);
    EXPECT_EQ(messages->last()->text,
              "An invalid range has been entered! The to value must be greater than the from "
              "value in the range.");
    EXPECT_EQ(messages->last()->caption, "Mark / Unmark Range of Checks");
    EXPECT_EQ(progress.options.size(), runs);  // nothing was run

    dialog.from = "1001";
    dialog.to = "1001";
    EXPECT_TRUE(dialog.accept());
    EXPECT_EQ(dialog.result().count, 1);
    EXPECT_EQ(GlobalResponse, RequestCompleted);
}

TEST_F(RangeTest, CancelKeepsTheChecksMarkedBeforeIt) {
    for (int i = 0; i < 40; ++i) addCheck(bank, std::to_string(3000 + i), 100);
    cancelBeforeTick(1);  // after the first page of 25
    const RangeResult r = run("3000", "3039");
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(r.count, 25);
    auto& f = session->file<APbac>();
    int marked = 0;
    for (int32_t id = 1; id <= 40; ++id) {
        f.clear();
        f.rec.ActivityID = id;
        if (f.get(APBAC_KEY_ACTIVITYID) == Error::None && f.rec.Marked) ++marked;
    }
    EXPECT_EQ(marked, 25);
    EXPECT_EQ(messages->last()->text, "25 Check(s) have been marked for a total of 25.00");
}

}  // namespace
