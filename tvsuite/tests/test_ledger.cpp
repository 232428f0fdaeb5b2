// The ledger: account forms and segments, journal codes, loading a journal and posting.
#include <QFile>

#include "suite_fixture.h"
#include "suiteapi/tvgldata.h"
#include "tvsuite/suite_admin.h"

namespace {

class LedgerTest : public SuiteTest {
  protected:
    std::string internal(const std::string& external) {
        Field<TVGL_INTERNAL_SIZE> out{};
        cstCvtE55toI("02", external.c_str(), out.data());
        return out.data();
    }

    // Writes the lines as one entry of terminal 0007 and posts it: {batch, error}.
    std::pair<std::string, std::string> post(const std::vector<std::string>& lines,
                                             const char* date = "11/30/2026") {
        Field<TVSUITE_HANDLE_SIZE> handle{};
        char status[3] = "zz";
        cszopen(handle.data(), "OO", "0007", status);
        EXPECT_STREQ(status, "00");
        for (const std::string& line : lines) {
            cszwrite(handle.data(), line.c_str(), status);
            EXPECT_STREQ(status, "00") << line;
        }
        cszclose(handle.data(), status);
        Field<TVGL_RESULT_SIZE> result{};
        Field<TVGL_WORK_SIZE> work{};
        std::memset(work.data(), ' ', TVGL_WORK_SIZE - 1);
        cstPost("7", "2", "0", date, "I", result.data(), work.data());
        return {result.data(), trimmed(work.data())};
    }

    tvsuite::Listing ledger() {
        tvsuite::SuiteAdmin admin;
        EXPECT_EQ(admin.open(folder()), "");
        tvsuite::Listing listing;
        EXPECT_EQ(admin.listLedger(2, listing), "");
        return listing;
    }
};

TEST_F(LedgerTest, ConvertsKnownAccountsBothWaysAndBlanksUnknownOnes) {
    const std::string form = internal("1000-100-00");
    EXPECT_EQ(form, "003" + pad("1000", 19) + " " + pad("100", 19) + " " + pad("00", 19) + " ");
    EXPECT_EQ(internal(" 1000 - 100 - 00 "), form);
    Field<TVGL_EXTERNAL55_SIZE> e55{};
    cstCvtItoE55("02", form.c_str(), e55.data());
    EXPECT_STREQ(e55.data(), "1000-100-00");
    Field<TVGL_EXTERNAL_SIZE> e{};
    cstCvtItoE("02", form.c_str(), e.data());
    EXPECT_STREQ(e.data(), "1000-100-00");

    EXPECT_EQ(internal("9999-000-00"), "");  // not in the chart
    EXPECT_EQ(internal("1000--00"), "");     // empty segment
    EXPECT_EQ(internal(""), "");
    Field<TVGL_INTERNAL_SIZE> out{};
    cstCvtE55toI("03", "1000-000-00", out.data());  // another division's chart is empty
    EXPECT_STREQ(out.data(), "");
    cstCvtE55toI("x", "1000-000-00", out.data());
    EXPECT_STREQ(out.data(), "");
    cstCvtItoE55("02", "garbage", e55.data());
    EXPECT_STREQ(e55.data(), "");
}

TEST_F(LedgerTest, ReadsEverySegmentWithStatusAndDescription) {
    Field<TVSUITE_HANDLE_SIZE> handle{};
    Field<TVGL_CSI_RECORD_SIZE> record{};
    char status[3] = "zz";
    csiopen(handle.data(), "OI", "02", status);
    ASSERT_STREQ(status, "00");
    const std::string budget = internal("4999-000-00");
    Field<4> count{};
    cstGetSegCnt(budget.c_str(), count.data());
    EXPECT_STREQ(count.data(), "003");

    Field<TVGL_CSI_EXTID_LEN + 1> value{};
    Field<TVGL_CSI_DESC_LEN + 1> desc{};
    Field<2> letter{};
    csiReadSeg(handle.data(), record.data(), budget.c_str(), "1", status);
    EXPECT_STREQ(status, "00");
    csiGetExtID(record.data(), value.data());
    csiGetDesc(record.data(), desc.data());
    csiGetStatus(record.data(), letter.data());
    EXPECT_EQ(trimmed(value.data()), "4999");
    EXPECT_EQ(trimmed(desc.data()), "Budgetary Control");
    EXPECT_STREQ(letter.data(), "B");
    csiReadSeg(handle.data(), record.data(), budget.c_str(), "002", status);
    EXPECT_STREQ(status, "00");
    csiReadSeg(handle.data(), record.data(), budget.c_str(), "4", status);
    EXPECT_STREQ(status, "30");

    // A segment value the chart does not hold.
    const std::string unknown =
        "003" + pad("7777", 19) + " " + pad("000", 19) + " " + pad("00", 19) + " ";
    csiReadSeg(handle.data(), record.data(), unknown.c_str(), "1", status);
    EXPECT_STREQ(status, "23");
    csiclose(handle.data(), status);
    EXPECT_STREQ(status, "00");
}

TEST_F(LedgerTest, LooksAccountsUpByStringId) {
    Field<TVSUITE_HANDLE_SIZE> handle{};
    Field<TVGL_CSI_RECORD_SIZE> record{};
    char status[3] = "zz";
    csiopen(handle.data(), "OI", "2", status);
    ASSERT_STREQ(status, "00");
    csiPutID(record.data(), "GL00100003");
    csiread(handle.data(), record.data(), "RR", status);
    EXPECT_STREQ(status, "00");
    Field<TVGL_CSI_EXTID_LEN + 1> ext{};
    csiGetExtID(record.data(), ext.data());
    EXPECT_EQ(trimmed(ext.data()), "1010-000-00");
    csiPutID(record.data(), "NOSUCHID");
    csiread(handle.data(), record.data(), "RR", status);
    EXPECT_STREQ(status, "23");
    csiGetExtID(record.data(), ext.data());
    EXPECT_EQ(trimmed(ext.data()), "");
    csiclose(handle.data(), status);
}

TEST_F(LedgerTest, WalksJournalCodesFromAStartKey) {
    Field<TVSUITE_HANDLE_SIZE> handle{};
    Field<TVGL_CSC_RECORD_SIZE> record{};
    char status[3] = "zz";
    cscopen(handle.data(), "OI", "02", status);
    ASSERT_STREQ(status, "00");
    cscPutRcdType(record.data(), "1");
    cscPutKeyJnlAbbr(record.data(), "     ");
    cscstart(handle.data(), record.data(), "GE", status);
    ASSERT_STREQ(status, "00");
    std::vector<std::string> seen;
    Field<6> abbr{};
    Field<2> type{}, post{}, budget{};
    for (cscnext(handle.data(), record.data(), status); std::string(status) == "00";
         cscnext(handle.data(), record.data(), status)) {
        cscGetKeyJnlAbbr(record.data(), abbr.data());
        cscGetRcdType(record.data(), type.data());
        cscGetPost(record.data(), post.data());
        cscGetBudget(record.data(), budget.data());
        seen.push_back(std::string(type.data()) + trimmed(abbr.data()) + post.data() +
                       budget.data());
    }
    EXPECT_STREQ(status, "10");
    EXPECT_EQ(seen,
              (std::vector<std::string>{"1BA01", "1CD00", "1CR00", "1GJ00", "1YE10", "2RJ00"}));
    Field<31> desc{};
    Field<4> nbr{};
    cscPutRcdType(record.data(), "1");
    cscPutKeyJnlAbbr(record.data(), "GJ");
    cscstart(handle.data(), record.data(), "EQ", status);
    EXPECT_STREQ(status, "00");
    cscnext(handle.data(), record.data(), status);
    cscGetDesc(record.data(), desc.data());
    cscGetKeyJnlNbr(record.data(), nbr.data());
    EXPECT_EQ(trimmed(desc.data()), "General Journal");
    EXPECT_STREQ(nbr.data(), "001");
    cscPutKeyJnlAbbr(record.data(), "ZZ");
    cscstart(handle.data(), record.data(), "EQ", status);
    EXPECT_STREQ(status, "23");
    cscclose(handle.data(), status);
}

TEST_F(LedgerTest, LoadsAJournalWithItsBudgetFlagOrNamesTheUnknownOne) {
    Field<TVGL_ERROR_SIZE> error{};
    Field<TVGL_JNL_HEAD_SIZE> head{};
    Field<TVGL_JNL_LAYOUT_SIZE> layout{};
    Field<TVGL_JNL_FLAGS_SIZE> flags{};
    cstLoadJnl("02", error.data(), " BA   ", head.data(), layout.data(), flags.data());
    EXPECT_EQ(trimmed(error.data()), "");
    EXPECT_EQ(flags[TVGL_JNL_FLAGS_BUDGET_OFS], '1');
    EXPECT_EQ(std::string(head.data(), 5), "BA   ");
    EXPECT_EQ(std::string(layout.data(), 4), "003-");
    cstLoadJnl("02", error.data(), " GJ", head.data(), layout.data(), flags.data());
    EXPECT_EQ(flags[TVGL_JNL_FLAGS_BUDGET_OFS], '0');

    flags.fill('\0');
    cstLoadJnl("02", error.data(), " QQ   ", head.data(), layout.data(), flags.data());
    EXPECT_EQ(trimmed(error.data()), "Journal QQ not in system.");
    EXPECT_EQ(flags[0], '\0');  // areas untouched
    cstLoadJnl("02", error.data(), " RJ   ", head.data(), layout.data(), flags.data());
    EXPECT_EQ(trimmed(error.data()), "Journal RJ not in system.");  // not a journal record
}

TEST_F(LedgerTest, PostsABalancedEntryAsABatchReadableAfterwards) {
    const auto [batch, error] =
        post({journalLine("GJ", "Service Charge", -1250, internal("1000-000-00")),
              journalLine("GJ", "Service Charge", 1250, internal("5100-000-00"))});
    EXPECT_EQ(error, "");
    EXPECT_EQ(batch, "1");
    const auto second = post({journalLine("GJ", "Interest Earned", 310, internal("1000-000-00")),
                              journalLine("GJ", "Interest Earned", -310, internal("4300-000-00"))});
    EXPECT_EQ(second.first, "2");

    const tvsuite::Listing listing = ledger();
    ASSERT_EQ(listing.rows.size(), 4u);
    EXPECT_EQ(listing.rows[0][0], "1");
    EXPECT_EQ(listing.rows[0][2], "11/30/2026");
    EXPECT_EQ(listing.rows[0][4], "1000-000-00");
    EXPECT_EQ(listing.rows[0][5], "-12.50");
    EXPECT_EQ(listing.rows[1][4], "5100-000-00");
    EXPECT_EQ(listing.rows[1][5], "12.50");
    EXPECT_EQ(listing.rows[1][6], "Service Charge");
    EXPECT_EQ(listing.rows[3][0], "2");
}

TEST_F(LedgerTest, RefusesEntriesTheLedgerCannotTake) {
    const std::string cash = internal("1000-000-00");
    const std::string bogus =
        "003" + pad("7777", 19) + " " + pad("000", 19) + " " + pad("00", 19) + " ";
    // The inactive and budget accounts are in the chart, so their internal forms convert.
    const std::string inactive = internal("1050-000-00");
    const std::string budget = internal("4999-000-00");
    ASSERT_NE(inactive, "");
    ASSERT_NE(budget, "");
    struct Case {
        const char* name;
        std::vector<std::string> lines;
        const char* error;
    };
    const Case cases[] = {
        {"unknown journal",
         {journalLine("QQ", "x", -100, cash), journalLine("QQ", "x", 100, cash)},
         "Journal QQ not in system."},
        {"unknown account",
         {journalLine("GJ", "x", -100, cash), journalLine("GJ", "x", 100, bogus)},
         "Account 7777-000-00 not in system."},
        {"inactive account",
         {journalLine("GJ", "x", -100, cash), journalLine("GJ", "x", 100, inactive)},
         "Account 1050-000-00 not in active."},
        {"budget account, ordinary journal",
         {journalLine("GJ", "x", -100, cash), journalLine("GJ", "x", 100, budget)},
         "GJ is not a budget journal."},
        {"out of balance",
         {journalLine("GJ", "x", -100, cash), journalLine("GJ", "x", 90, cash)},
         "Journal entry out of balance by -0.10."},
        {"two journals",
         {journalLine("GJ", "x", -100, cash), journalLine("CD", "x", 100, cash)},
         "Journal entry mixes journals GJ and CD."},
        {"no lines", {}, "No journal lines to post."},
    };
    for (const Case& c : cases) {
        const auto [batch, error] = post(c.lines);
        EXPECT_EQ(batch, "0") << c.name;
        EXPECT_EQ(error, c.error) << c.name;
    }
    EXPECT_TRUE(ledger().rows.empty());

    // The budget account is fine with the budget journal.
    const auto [batch, error] =
        post({journalLine("BA", "x", -100, cash), journalLine("BA", "x", 100, budget)});
    EXPECT_EQ(error, "");
    EXPECT_EQ(batch, "1");
}

TEST_F(LedgerTest, RejectsMalformedLinesAndPostingArguments) {
    Field<TVSUITE_HANDLE_SIZE> handle{};
    char status[3] = "zz";
    cszopen(handle.data(), "OO", "0007", status);
    ASSERT_STREQ(status, "00");
    const std::string good = journalLine("GJ", "x", 100, internal("1000-000-00"));
    std::string badAmount = good;
    badAmount.replace(TVGL_LINE_AMOUNT_OFS, 19, pad("12,50", 19));
    std::string badCount = good;
    badCount.replace(TVGL_LINE_ACCOUNT_OFS, 3, "009");
    std::string noLead = good;
    noLead[0] = 'X';
    std::string trailing = good + "junk";
    for (const std::string& line :
         {badAmount, badCount, noLead, trailing, good.substr(0, 100), std::string()}) {
        cszwrite(handle.data(), line.c_str(), status);
        EXPECT_STREQ(status, "30") << line;
    }
    cszwrite(handle.data(), nullptr, status);
    EXPECT_STREQ(status, "30");
    cszclose(handle.data(), status);

    Field<TVGL_RESULT_SIZE> result{};
    Field<TVGL_WORK_SIZE> work{};
    cstPost("7", "2", "0", "02/30/2026", "I", result.data(), work.data());
    EXPECT_STREQ(result.data(), "0");
    EXPECT_EQ(trimmed(work.data()), "Invalid posting date 02/30/2026.");
    cstPost("7", "200", "0", "11/30/2026", "I", result.data(), work.data());
    EXPECT_EQ(trimmed(work.data()), "Invalid division 200.");
    cstPost(nullptr, nullptr, nullptr, nullptr, nullptr, result.data(), work.data());
    EXPECT_STREQ(result.data(), "0");
}

TEST_F(LedgerTest, LedgerCallsFailWhenTheSuiteFilesAreMissing) {
    QTemporaryDir empty;
    tvsuite_SetDataFolder(empty.path().toUtf8().constData());
    Field<TVSUITE_HANDLE_SIZE> handle{};
    char status[3] = "zz";
    csiopen(handle.data(), "OI", "02", status);
    EXPECT_STREQ(status, "35");
    Field<TVGL_ERROR_SIZE> error{};
    cstLoadJnl("02", error.data(), " GJ   ", nullptr, nullptr, nullptr);
    EXPECT_EQ(trimmed(error.data()), "Unable to open the journal file.");
    EXPECT_FALSE(QFile::exists(empty.filePath("tvsuite.db")));
}

}  // namespace
