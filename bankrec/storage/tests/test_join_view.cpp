// Joined views: chains of files linked by keys, one filter over all their fields, key and field
// orders, walking and paging.
#include <gtest/gtest.h>

#include <algorithm>

#include "bankrec/storage/filter.h"
#include "bankrec/storage/join_view.h"
#include "bankrec/storage/transaction.h"
#include "test_engine_fixture.h"

using namespace corelib;
using namespace storage;

namespace {

TEST(JoinFilter, NamesResolveToTheFileTheirPrefixNames) {
    const FileDef* files[] = {&fileDef(FileId::APrec), &fileDef(FileId::APrac),
                              &fileDef(FileId::APbac)};
    auto column = [](int file, int field) {
        return "t" + std::to_string(file) + "." +
               std::to_string(field);  // which file and field the parser picked
    };
    struct Case {
        const char* text;
        const char* sql;
    };
    const Case cases[] = {
        {"APrec:ReconciliationID=7 AND APrac:Marked=1", "((t0.0 = ?) AND (t1.11 = ?))"},
        {"ReconciliationID = 7", "(t0.0 = ?)"},  // a bare field name is the first file's
        {"NOT apbac:reconciled", "(t2.14 = 0)"},
        {"APbac:Amount > 10.5", "(t2.21 > ?)"},  // money compares in units on any file
        {"Report:Save::APrec:ReconciliationID = APrec:ReconciliationID", "(? = t0.0)"},
    };
    FilterBindings b;
    b.bind("APrec:ReconciliationID", int64_t{7});
    for (const Case& c : cases) {
        Filter f;
        std::string message, sql;
        std::vector<FieldValue> params;
        ASSERT_EQ(f.parse(c.text, files, &message), Error::None) << c.text << ": " << message;
        ASSERT_EQ(f.toSql(b, sql, params, &message, column), Error::None) << c.text << message;
        EXPECT_EQ(sql, c.sql) << c.text;
    }
    Filter f;
    EXPECT_EQ(f.parse("APrac:NoSuchField = 1", files), Error::InvalidFilter);
    EXPECT_EQ(f.parse("APbnk:BankID = 1", files), Error::None);  // not in the chain: a bound name
    EXPECT_EQ(f.boundNames(), std::vector<std::string>{"APbnk:BankID"});
}

class JoinViews : public StorageTest {
  protected:
    void SetUp() override {
        StorageTest::SetUp();
        if (IsSkipped()) return;
        Transaction t(*session, {FileId::APbac, FileId::APrec, FileId::APrac, FileId::APbnk}, 1);
        ASSERT_EQ(t.error(), Error::None);
        ASSERT_EQ(addBank(1, 11, "Operating"), Error::None);
        ASSERT_EQ(addBank(2, 12, "Payroll"), Error::None);
        ASSERT_EQ(addBank(3, 13, "Empty"), Error::None);
        ASSERT_EQ(addBank(4, 14, "Empty"), Error::None);  // the same name, with activity 17
        ASSERT_EQ(addActivity(17, 4, 1004, "Check", "117"), Error::None);
        // Activity 1..12 of bank 1, 13..16 of bank 2.
        for (int i = 1; i <= 16; ++i)
            ASSERT_EQ(addActivity(i, i <= 12 ? 1 : 2, 1000 + (i * 5) % 7,
                                  i % 3 ? "Check" : "Deposit", std::to_string(100 + i)),
                      Error::None);
        addReconciliation(10, 1);
        addReconciliation(20, 1);
        addReconciliation(30, 2);
        // Reconciliation 10 captured activity 1..8, the even ones cleared; 20 captured 9..12;
        // 30 captured 13..16. Item 99 points at activity that no longer exists.
        int id = 0;
        for (int a = 1; a <= 8; ++a) addItem(++id, 10, a, a % 2 == 0);
        addItem(++id, 10, 99, true);
        for (int a = 9; a <= 12; ++a) addItem(++id, 20, a, true);
        for (int a = 13; a <= 16; ++a) addItem(++id, 30, a, false);
        ASSERT_EQ(t.commit(), Error::None);
    }
    void addReconciliation(int32_t id, int32_t bank) {
        auto& rec = session->file<APrec>();
        rec.clear();
        rec.rec.ReconciliationID = id;
        rec.rec.BankID = bank;
        rec.rec.EndingDate = 2000 + id;
        ASSERT_EQ(rec.add(), Error::None);
    }
    void addItem(int32_t id, int32_t reconciliation, int32_t activity, bool marked) {
        auto& rac = session->file<APrac>();
        rac.clear();
        rac.rec.ReconciliationActivityID = id;
        rac.rec.ReconciliationID = reconciliation;
        rac.rec.ActivityID = activity;
        rac.rec.ActivityType = activity % 3 ? "Check" : "Deposit";
        rac.rec.ActivityDate = 1000 + (activity * 5) % 7;
        rac.rec.Reference = std::to_string(100 + activity);
        rac.rec.Marked = marked ? 1 : 0;
        ASSERT_EQ(rac.add(), Error::None);
    }
    using Items = JoinView<APrec, APrac, APbac>;
    static std::vector<JoinLink> itemLinks(JoinKind activity = JoinKind::Inner) {
        return {JoinLink{APRAC_KEY_RECONCILIATIONID},
                JoinLink{APBAC_KEY_ACTIVITYID, {"APrac:ActivityID"}, activity}};
    }
    // (reconciliation, activity) of every row walked.
    template <class V>
    std::vector<std::pair<int32_t, int32_t>> walk(V& v) {
        std::vector<std::pair<int32_t, int32_t>> out;
        for (v.reset(); v.next() == Error::None;)
            out.emplace_back(v.template get<APrec>().ReconciliationID,
                             v.template get<APrac>().ActivityID);
        return out;
    }
};

TEST_P(JoinViews, ChainGivesEachItemWithItsActivityRowUnderOneFilter) {
    Items v(*session, APREC_KEY_RECONCILIATIONID, itemLinks());
    ASSERT_EQ(v.setFilter("APrec:ReconciliationID=10 AND APrac:Marked=1"), Error::None);
    std::vector<int32_t> activity;
    for (v.reset(); v.next() == Error::None;) {
        EXPECT_EQ(v.get<APrec>().ReconciliationID, 10);
        EXPECT_EQ(v.get<APbac>().ActivityID, v.get<APrac>().ActivityID);
        EXPECT_EQ(v.get<APbac>().Reference, v.get<APrac>().Reference);
        EXPECT_EQ(v.get<APbac>().Amount, Decimal::fromCents(v.get<APbac>().ActivityID * 100 + 5));
        activity.push_back(v.get<APrac>().ActivityID);
    }
    // The cleared items of 10 in the order they were captured; item 99 has no activity row.
    EXPECT_EQ(activity, (std::vector<int32_t>{2, 4, 6, 8}));
    int64_t n = 0;
    ASSERT_EQ(v.count(n), Error::None);
    EXPECT_EQ(n, 4);

    // A filter on the last file of the chain.
    ASSERT_EQ(v.setFilter("APbac:BankID = 2 AND APbac:ActivityType = 'deposit'"), Error::None);
    EXPECT_EQ(walk(v), (std::vector<std::pair<int32_t, int32_t>>{{30, 15}}));
}

TEST_P(JoinViews, OuterLinkKeepsRowsWithoutPartnerAsBlankRecords) {
    Items v(*session, APREC_KEY_RECONCILIATIONID, itemLinks(JoinKind::Outer));
    ASSERT_EQ(v.setFilter("APrec:ReconciliationID=10 AND APrac:Marked=1"), Error::None);
    std::vector<std::pair<int32_t, bool>> seen;
    for (v.reset(); v.next() == Error::None;) {
        seen.emplace_back(v.get<APrac>().ActivityID, v.has<APbac>());
        if (!v.has<APbac>()) {
            EXPECT_EQ(v.get<APbac>().TransactionID, 0);
        }
    }
    EXPECT_EQ(seen, (std::vector<std::pair<int32_t, bool>>{
                        {2, true}, {4, true}, {6, true}, {8, true}, {99, false}}));
    // The missing record's fields count as 0 in the filter, as a blank record's would.
    ASSERT_EQ(v.setFilter("APrec:ReconciliationID=10 AND NOT APbac:Reconciled AND "
                          "APbac:ActivityID = 0"),
              Error::None);
    EXPECT_EQ(walk(v), (std::vector<std::pair<int32_t, int32_t>>{{10, 99}}));

    // A reconciliation with no items at all stays in a view linked outward, once.
    JoinView<APbnk, APrec> banks(*session, APBNK_KEY_BANKID,
                                 {JoinLink{APREC_KEY_BANKID, {}, JoinKind::Outer}});
    std::vector<std::pair<int32_t, int32_t>> pairs;
    for (banks.reset(); banks.next() == Error::None;)
        pairs.emplace_back(banks.get<APbnk>().BankID, banks.get<APrec>().ReconciliationID);
    EXPECT_EQ(pairs, (std::vector<std::pair<int32_t, int32_t>>{
                         {1, 10}, {1, 20}, {2, 30}, {3, 0}, {4, 0}}));
}

TEST_P(JoinViews, FieldOrderAcrossFilesPagesLikeItWalksInBothDirections) {
    // Banks with their activity, as the register report reads them.
    JoinView<APbnk, APbac> v(*session, APBNK_KEY_BANKID,
                             {JoinLink{APBAC_KEY_ACTIVITY, {}, JoinKind::Outer}});
    ASSERT_EQ(v.setOrder("+APbnk:Bank, -APbac:ActivityDate, +APbac:ActivityType"), Error::None);
    ASSERT_EQ(v.setFilter("APbnk:BankID <> 1 OR APbac:ActivityDate >= 1003"), Error::None);
    struct Key {
        std::string bank;
        int32_t date;
        std::string type;
        int32_t id;
        bool operator==(const Key&) const = default;
    };
    std::vector<Key> walked;
    for (v.reset(); v.next() == Error::None;)
        walked.push_back({v.get<APbnk>().Bank, v.get<APbac>().ActivityDate,
                          v.get<APbac>().ActivityType, v.get<APbac>().ActivityID});
    int64_t n = 0;
    ASSERT_EQ(v.count(n), Error::None);
    ASSERT_EQ(static_cast<int64_t>(walked.size()), n);
    // The two "Empty" banks first, then Operating, then Payroll; dates descending within a bank.
    ASSERT_GT(walked.size(), 6u);
    EXPECT_EQ(walked[0].bank, "Empty");
    EXPECT_EQ(walked[1].bank, "Empty");
    EXPECT_EQ(walked[0].id, 17);  // bank 4's activity, then bank 3 that has none
    EXPECT_EQ(walked[1].id, 0);
    EXPECT_TRUE(std::is_sorted(walked.begin(), walked.end(), [](const Key& a, const Key& b) {
        if (a.bank != b.bank) return a.bank < b.bank;
        if (a.date != b.date) return a.date > b.date;
        return a.type < b.type;
    }));
    for (const Key& k : walked) {
        if (k.bank == "Operating") {
            EXPECT_GE(k.date, 1003);
        }
    }

    // Pages of 1 and 3 forwards, and backwards from the end, give the same rows, also where a
    // bank without activity ties with one that has some.
    std::vector<int32_t> ids;
    for (const Key& k : walked) ids.push_back(k.id);
    std::vector<JoinView<APbnk, APbac>::Fetched> page;
    for (int size : {1, 3}) {
        std::vector<int32_t> paged, back;
        JoinPosition last;
        for (const JoinPosition* after = nullptr;; after = &last) {
            ASSERT_EQ(v.fetch(after, size, page), Error::None);
            if (page.empty()) break;
            for (auto& r : page) {
                paged.push_back(std::get<APbac>(r.row).ActivityID);
                EXPECT_EQ(r.has<APbac>(), paged.back() != 0);
            }
            last = page.back().pos;
        }
        for (const JoinPosition* after = nullptr;; after = &last) {
            ASSERT_EQ(v.fetch(after, size, page, true), Error::None);
            if (page.empty()) break;
            for (auto& r : page) back.push_back(std::get<APbac>(r.row).ActivityID);
            last = page.back().pos;
        }
        EXPECT_EQ(paged, ids) << "pages of " << size;
        std::reverse(back.begin(), back.end());
        EXPECT_EQ(back, ids) << "pages of " << size;
    }
}

TEST_P(JoinViews, ReadsTheSessionsTransactionWhenItCoversTheChainAndNeverTheBuffers) {
    Items v(*session, APREC_KEY_RECONCILIATIONID, itemLinks());
    ASSERT_EQ(v.setFilter("APrec:ReconciliationID=20"), Error::None);

    auto& rac = session->file<APrac>();
    rac.clear();
    rac.rec.ReconciliationActivityID = 5;
    ASSERT_EQ(rac.get(APRAC_KEY_RECONCILIATIONACTIVITYID), Error::None);
    EXPECT_EQ(walk(v).size(), 4u);
    EXPECT_EQ(rac.rec.ReconciliationActivityID, 5);  // the buffer and current record stay
    rac.rec.Name = "changed";
    EXPECT_EQ(rac.put(), Error::None);

    {
        Transaction t(*session, {FileId::APrec, FileId::APrac, FileId::APbac}, 1);
        ASSERT_EQ(t.error(), Error::None);
        addItem(100, 20, 1, true);
        EXPECT_EQ(walk(v).size(), 5u);  // the uncommitted item is seen
        // Another session reads what is committed.
        FileSession other(folder.storage);
        Items o(other, APREC_KEY_RECONCILIATIONID, itemLinks());
        ASSERT_EQ(o.setFilter("APrec:ReconciliationID=20"), Error::None);
        EXPECT_EQ(walk(o).size(), 4u);
    }  // rolled back
    EXPECT_EQ(walk(v).size(), 4u);
}

TEST_P(JoinViews, LinksThatDoNotFitAndUnknownNamesAreRefused) {
    Items wrongKey(*session, APREC_KEY_RECONCILIATIONID,
                   {JoinLink{APBAC_KEY_ACTIVITYID}, JoinLink{APBAC_KEY_ACTIVITYID}});
    EXPECT_EQ(wrongKey.setupError(), Error::InvalidKey);
    int64_t n = 0;
    EXPECT_EQ(wrongKey.count(n), Error::InvalidKey);
    wrongKey.reset();
    EXPECT_EQ(wrongKey.next(), Error::InvalidKey);

    Items wrongField(
        *session, APREC_KEY_RECONCILIATIONID,
        {JoinLink{APRAC_KEY_RECONCILIATIONID}, JoinLink{APBAC_KEY_ACTIVITYID, {"APbnk:BankID"}}});
    EXPECT_EQ(wrongField.setupError(), Error::InvalidKey);

    Items v(*session, APREC_KEY_RECONCILIATIONID, itemLinks());
    EXPECT_EQ(v.setFilter("APrac:Nothing = 1"), Error::InvalidFilter);
    EXPECT_EQ(v.setOrder("+APbda:Order"), Error::InvalidFilter);
    v.bindings().bind("Find:Ref", std::string("101' OR '1'='1"));
    ASSERT_EQ(v.setFilter("APbac:Reference = Find:Ref"), Error::None);
    ASSERT_EQ(v.count(n), Error::None);
    EXPECT_EQ(n, 0);
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Engines, JoinViews, BANKREC_ENGINES);
