// Filter texts into parameterised SQL, and views over them with paging.
#include <gtest/gtest.h>

#include <numeric>
#include <tuple>

#include "bankrec/storage/filter.h"
#include "bankrec/storage/storage_error.h"
#include "bankrec/storage/transaction.h"
#include "bankrec/storage/view.h"
#include "test_engine_fixture.h"

using namespace corelib;
using namespace storage;

namespace {

std::string show(const FieldValue& v) {
    if (auto* i = std::get_if<int64_t>(&v)) return std::to_string(*i);
    if (auto* d = std::get_if<Decimal>(&v)) return "c" + std::to_string(d->cents());
    return "'" + std::get<std::string>(v) + "'";
}

struct Case {
    const char* text;
    const char* sql;
    const char* params;  // shown as "1,'Check',c1050"
};

}  // namespace

TEST(FilterParser, TurnsTextsIntoParameterisedConditions) {
    const Case cases[] = {
        {"APbac:BankID = Bank:BankID AND (NOT APbac:Reconciled AND APbac:ActivityType = 'Check')",
         "((\"BankID\" = ?) AND ((\"Reconciled\" = 0) AND (\"ActivityType\" = ?)))", "7,'Check'"},
        {"APbac:BankID=APbnk:BankID AND NOT APbac:Reconciled",
         "((\"BankID\" = ?) AND (\"Reconciled\" = 0))", "7"},
        {"apbac:bankid <> 3 or BankID >= -2", "((\"BankID\" <> ?) OR (\"BankID\" >= ?))", "3,-2"},
        {"APbac:Amount > 10.5 AND APbac:Amount <= 12", "((\"Amount\" > ?) AND (\"Amount\" <= ?))",
         "c1050,c1200"},
        {"APbac:Reference < 'it''s'", "(\"Reference\" < ?)", "'it's'"},
        {"APbac:Name = \"say \"\"hi\"\"\"", "(\"Name\" = ?)", "'say \"hi\"'"},
        {"APbac:BankID = BRW2::Sort1:Reset:APbnk:BankID", "(\"BankID\" = ?)", "7"},
        {"APbac:Description", "(\"Description\" <> '')", ""},
        {"NOT NOT (APbac:Marked)", "(NOT (\"Marked\" = 0))", ""},
        {"NOT APbac:Reference", "(\"Reference\" = '')", ""},
        {"a:b OR APbac:Marked", "((? <> 0) OR (\"Marked\" <> 0))", "1"},
        {"   ", "1 = 1", ""},
    };
    FilterBindings b;
    b.bind("Bank:BankID", int64_t{7});
    b.bind("APBNK:BANKID", int64_t{7});
    b.bind("A:B", std::string("x"));
    for (const Case& c : cases) {
        Filter f;
        std::string message;
        ASSERT_EQ(f.parse(c.text, fileDef(FileId::APbac), &message), Error::None)
            << c.text << ": " << message;
        std::string sql;
        std::vector<FieldValue> params;
        ASSERT_EQ(f.toSql(b, sql, params, &message), Error::None) << c.text << ": " << message;
        EXPECT_EQ(sql, c.sql) << c.text;
        std::string shown;
        for (const FieldValue& p : params) shown += (shown.empty() ? "" : ",") + show(p);
        EXPECT_EQ(shown, c.params) << c.text;
    }
}

TEST(FilterParser, RejectsMalformedFilters) {
    const char* bad[] = {
        "APbac:BankID =",
        "APbac:BankID = 1 AND",
        "(APbac:BankID = 1",
        "APbac:BankID = 1)",
        "APbac:Reference = 'open",
        "APbac:BankID = 1 ; DROP TABLE APbac",
        "APbac:NoSuchField = 1",
        "APbac:BankID == 1",
        "= 1",
        "APbac:BankID = 1 = 2",
        "APbac:BankID 1",
        "99999999999999999999 = APbac:BankID",
        "APbac:BankID = 1.5.2",
        "AND",
        "APbac:BankID = #",
    };
    for (const char* text : bad) {
        Filter f;
        std::string message;
        EXPECT_EQ(f.parse(text, fileDef(FileId::APbac), &message), Error::InvalidFilter) << text;
        EXPECT_FALSE(message.empty()) << text;
        EXPECT_TRUE(f.empty()) << text;
    }
}

TEST(FilterParser, ValuesThatDoNotSuitTheirComparisonAreRefused) {
    const char* bad[] = {"APbac:BankID = Unbound:Name", "APbac:Amount = 'ten'",
                         "APbac:BankID = 1.25", "APbac:Amount > 99999999999999999"};
    for (const char* text : bad) {
        Filter f;
        ASSERT_EQ(f.parse(text, fileDef(FileId::APbac)), Error::None) << text;
        std::string sql, message;
        std::vector<FieldValue> params;
        EXPECT_EQ(f.toSql(FilterBindings{}, sql, params, &message), Error::InvalidFilter) << text;
        EXPECT_FALSE(message.empty()) << text;
    }
}

class Views : public StorageTest {
  protected:
    void SetUp() override {
        StorageTest::SetUp();
        if (IsSkipped()) return;
        Transaction t(*session, {FileId::APbac}, 1);
        ASSERT_EQ(t.error(), Error::None);
        // Bank 1: checks 1..40 (every fourth reconciled), deposits 41..45; bank 2: checks 46..50.
        for (int i = 1; i <= 50; ++i) {
            int32_t bank = i <= 45 ? 1 : 2;
            const char* type = i > 40 && i <= 45 ? "Deposit" : "Check";
            ASSERT_EQ(addActivity(i, bank, 1000 + (i * 7) % 13, type, std::to_string(100 + i),
                                  i % 4 == 0 ? 1 : 0),
                      Error::None);
        }
        ASSERT_EQ(t.commit(), Error::None);
    }
    static constexpr const char* kOpenChecks =
        "APbac:BankID = Bank:BankID AND (NOT APbac:Reconciled AND APbac:ActivityType = 'Check')";
};

TEST_P(Views, WalkTheFilteredRowsInKeyOrderIntoTheFileBuffer) {
    View<APbac> v(*session, APBAC_KEY_RECONCILED);
    v.bindings().bind("Bank:BankID", int64_t{1});
    ASSERT_EQ(v.setFilter(kOpenChecks), Error::None);
    int64_t n = 0;
    ASSERT_EQ(v.count(n), Error::None);
    EXPECT_EQ(n, 30);
    auto& bac = session->file<APbac>();
    std::vector<std::pair<int32_t, int32_t>> seen;  // (date, id)
    for (v.reset(); v.next() == Error::None;) {
        EXPECT_EQ(bac.rec.BankID, 1);
        EXPECT_EQ(bac.rec.Reconciled, 0);
        EXPECT_EQ(bac.rec.ActivityType, "Check");
        seen.emplace_back(bac.rec.ActivityDate, bac.rec.ActivityID);
        bac.rec.Marked = 1;  // the view's row is current: put() writes it
        ASSERT_EQ(bac.put(), Error::None);
    }
    ASSERT_EQ(seen.size(), 30u);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end(),
                               [](auto& a, auto& b) { return a.first < b.first; }));
    EXPECT_EQ(storedInt(FileId::APbac, "SELECT count(*) FROM \"APbac\" WHERE \"Marked\" = 1"), 30);
    // Backwards from the end gives the same rows reversed.
    std::vector<std::pair<int32_t, int32_t>> back;
    for (v.resetEnd(); v.previous() == Error::None;)
        back.emplace_back(bac.rec.ActivityDate, bac.rec.ActivityID);
    std::reverse(back.begin(), back.end());
    EXPECT_EQ(back, seen);
    // A new binding takes effect at the next read.
    v.bindings().bind("Bank:BankID", int64_t{2});
    ASSERT_EQ(v.count(n), Error::None);
    EXPECT_EQ(n, 4);  // 46..50 less the reconciled 48
}

TEST_P(Views, PageThroughRowsAfterAndBeforeAPosition) {
    View<APbac> v(*session, APBAC_KEY_ACTIVITYID);
    ASSERT_EQ(v.setFilter("APbac:BankID = 1"), Error::None);
    std::vector<View<APbac>::Row> page;
    std::vector<int32_t> ids;
    const ViewPosition* after = nullptr;
    ViewPosition last;
    do {
        ASSERT_EQ(v.fetch(after, 10, page), Error::None);
        for (auto& r : page) ids.push_back(r.rec.ActivityID);
        if (!page.empty()) {
            last = page.back().pos;
            after = &last;
        }
    } while (!page.empty());
    ASSERT_EQ(ids.size(), 45u);
    EXPECT_EQ(ids.front(), 1);
    EXPECT_EQ(ids.back(), 45);
    EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()));

    ASSERT_EQ(v.fetch(nullptr, 3, page, true), Error::None);  // the last rows, nearest first
    ASSERT_EQ(page.size(), 3u);
    EXPECT_EQ(page[0].rec.ActivityID, 45);
    EXPECT_EQ(page[2].rec.ActivityID, 43);
    ViewPosition at = page[2].pos;
    ASSERT_EQ(v.fetch(&at, 2, page, true), Error::None);
    ASSERT_EQ(page.size(), 2u);
    EXPECT_EQ(page[0].rec.ActivityID, 42);
    EXPECT_EQ(page[1].rec.ActivityID, 41);
}

TEST_P(Views, SumCountsAndTotalsTheFilteredRowsExactlyInCents) {
    View<APbac> v(*session, APBAC_KEY_RECONCILED);
    v.bindings().bind("Bank:BankID", int64_t{2});
    ASSERT_EQ(v.setFilter(kOpenChecks), Error::None);
    int64_t n = -1, cents = -1;
    ASSERT_EQ(v.sum("APbac:Amount", n, cents), Error::None);
    EXPECT_EQ(n, 4);  // 46, 47, 49, 50
    EXPECT_EQ(cents, (46 + 47 + 49 + 50) * 100 + 4 * 5);
    // No rows: zero, not an error.
    v.bindings().bind("Bank:BankID", int64_t{9});
    ASSERT_EQ(v.sum("Amount", n, cents), Error::None);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(cents, 0);
    // Only number fields of the view's own file can be summed.
    EXPECT_EQ(v.sum("APbac:Reference", n, cents), Error::InvalidFilter);
    EXPECT_EQ(v.sum("APrac:Amount", n, cents), Error::InvalidFilter);
}

TEST_P(Views, PagesSeekPastTheKeyFieldsTheFilterPinsWithoutLosingOrRepeatingRows) {
    // Bank 3: checks whose type differs in case and whose dates and references repeat, so the
    // order falls through to the activity number and the row.
    {
        Transaction t(*session, {FileId::APbac}, 1);
        ASSERT_EQ(t.error(), Error::None);
        for (int i = 0; i < 23; ++i)
            ASSERT_EQ(addActivity(100 + i, 3, 500 + i % 3, i % 2 ? "CHECK" : "check",
                                  std::to_string(i % 4)),
                      Error::None);
        ASSERT_EQ(t.commit(), Error::None);
    }
    View<APbac> v(*session, APBAC_KEY_RECONCILED);
    v.bindings().bind("Bank:BankID", int64_t{3});
    ASSERT_EQ(v.setFilter(kOpenChecks), Error::None);
    std::vector<int32_t> forward, backward;
    std::vector<View<APbac>::Row> page;
    ViewPosition at;
    for (const ViewPosition* after = nullptr;; after = &at) {
        ASSERT_EQ(v.fetch(after, 4, page), Error::None);
        if (page.empty()) break;
        for (auto& r : page) forward.push_back(r.rec.ActivityID);
        at = page.back().pos;
    }
    for (const ViewPosition* after = nullptr;; after = &at) {
        ASSERT_EQ(v.fetch(after, 5, page, true), Error::None);
        if (page.empty()) break;
        for (auto& r : page) backward.push_back(r.rec.ActivityID);
        at = page.back().pos;
    }
    ASSERT_EQ(forward.size(), 23u);
    std::reverse(backward.begin(), backward.end());
    EXPECT_EQ(backward, forward);
    // Date, then reference, then activity number.
    std::vector<int32_t> expected(23);
    std::iota(expected.begin(), expected.end(), 100);
    std::sort(expected.begin(), expected.end(), [](int32_t a, int32_t b) {
        auto k = [](int32_t id) {
            int i = id - 100;
            return std::make_tuple(500 + i % 3, std::to_string(i % 4), id);
        };
        return k(a) < k(b);
    });
    EXPECT_EQ(forward, expected);
}

TEST_P(Views, QuotesInValuesCannotReachTheSql) {
    View<APbac> v(*session, APBAC_KEY_ACTIVITYID);
    v.bindings().bind("Find:Ref", std::string("x' OR '1'='1"));
    ASSERT_EQ(v.setFilter("APbac:Reference = Find:Ref"), Error::None);
    int64_t n = -1;
    ASSERT_EQ(v.count(n), Error::None);
    EXPECT_EQ(n, 0);
    ASSERT_EQ(v.setFilter("APbac:Reference = '101'' OR ''1''=''1'"), Error::None);
    ASSERT_EQ(v.count(n), Error::None);
    EXPECT_EQ(n, 0);
    v.bindings().bind("Find:Ref", std::string("101'); DROP TABLE APbac; --"));
    ASSERT_EQ(v.setFilter("APbac:Reference = Find:Ref"), Error::None);
    ASSERT_EQ(v.count(n), Error::None);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(storedInt(FileId::APbac, "SELECT count(*) FROM \"APbac\""), 50);
}

TEST_P(Views, FilterErrorsAreReportedAndLeaveTheViewAsItWas) {
    View<APbac> v(*session, APBAC_KEY_ACTIVITYID);
    ASSERT_EQ(v.setFilter("APbac:BankID = 2"), Error::None);
    EXPECT_EQ(v.setFilter("APbac:BankID = = 2"), Error::InvalidFilter);
    EXPECT_EQ(session->lastError().number, Error::InvalidFilter);
    int64_t n = 0;
    ASSERT_EQ(v.count(n), Error::None);
    EXPECT_EQ(n, 5);
    ASSERT_EQ(v.setFilter("APbac:BankID = Bank:BankID"), Error::None);
    EXPECT_EQ(v.count(n), Error::InvalidFilter);  // nothing bound
    v.reset();
    EXPECT_EQ(v.next(), Error::InvalidFilter);
    EXPECT_EQ(v.setOrder(APBNK_KEY_BANK), Error::InvalidKey);
}

TEST_P(Views, FieldOrderWithMixedDirectionsWalksAndPagesAlike) {
    View<APbac> v(*session, APBAC_KEY_ACTIVITYID);
    ASSERT_EQ(v.setOrder("-APbac:ActivityType, +APbac:ActivityDate, +APbac:Reference"),
              Error::None);
    ASSERT_EQ(v.setFilter("APbac:BankID = 1 AND NOT APbac:Reconciled"), Error::None);
    auto& bac = session->file<APbac>();
    struct Key {
        std::string type;
        int32_t date;
        std::string ref;
        int32_t id;
    };
    std::vector<Key> walked;
    for (v.reset(); v.next() == Error::None;)
        walked.push_back(
            {bac.rec.ActivityType, bac.rec.ActivityDate, bac.rec.Reference, bac.rec.ActivityID});
    ASSERT_EQ(walked.size(), 34u);  // 45 rows of bank 1, less the 11 reconciled
    EXPECT_EQ(walked.front().type, "Deposit");
    EXPECT_EQ(walked.back().type, "Check");
    EXPECT_TRUE(std::is_sorted(walked.begin(), walked.end(), [](const Key& a, const Key& b) {
        if (a.type != b.type) return a.type > b.type;
        if (a.date != b.date) return a.date < b.date;
        return a.ref < b.ref;
    }));
    // Pages of 4 give the same rows in the same order; backwards from the end, reversed.
    std::vector<int32_t> paged, back;
    std::vector<View<APbac>::Row> page;
    ViewPosition last;
    for (const ViewPosition* after = nullptr;; after = &last) {
        ASSERT_EQ(v.fetch(after, 4, page), Error::None);
        if (page.empty()) break;
        for (auto& r : page) paged.push_back(r.rec.ActivityID);
        last = page.back().pos;
    }
    for (const ViewPosition* after = nullptr;; after = &last) {
        ASSERT_EQ(v.fetch(after, 4, page, true), Error::None);
        if (page.empty()) break;
        for (auto& r : page) back.push_back(r.rec.ActivityID);
        last = page.back().pos;
    }
    std::vector<int32_t> ids;
    for (const Key& k : walked) ids.push_back(k.id);
    EXPECT_EQ(paged, ids);
    std::reverse(back.begin(), back.end());
    EXPECT_EQ(back, ids);
    EXPECT_EQ(v.setOrder("+APbac:NoSuchField"), Error::InvalidFilter);
}

INSTANTIATE_TEST_SUITE_P(Engines, Views, BANKREC_ENGINES);
