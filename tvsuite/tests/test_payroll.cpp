// The payroll check and bank reconciliation files and their record locks.
#include "suite_fixture.h"
#include "suiteapi/tvpydata.h"

namespace {

class PayrollTest : public SuiteTest {
  protected:
    // The demo's check of Maria Delgado, run 42.
    static std::string checkKey() {
        return "000000317"
               "11/13/2026"
               "000000042"
               "0007001"
               "0020455";
    }
    static std::string brkKey(const char* type, const char* ref, const char* seq) {
        return pad("PAYROLL", 10) + "11/13/2026" + type + std::string(10 - strlen(ref), ' ') + ref +
               seq;
    }
    std::string open(const char* type, Field<TVSUITE_HANDLE_SIZE>& path, const char* mode) {
        char status[3] = "zz";
        FileOpen(type, path.data(), mode, "02", status);
        return status;
    }
    std::string read(const char* type, Field<TVSUITE_HANDLE_SIZE>& path, const std::string& key,
                     const char* mode, Field<TVPY_RECORD_SIZE>& record) {
        record.fill('\0');
        std::memcpy(record.data(), key.data(), key.size());
        char status[3] = "zz";
        FileRead(type, path.data(), record.data(), mode, status);
        return status;
    }
};

TEST_F(PayrollTest, ReadsAndRewritesACheckRecord) {
    Field<TVSUITE_HANDLE_SIZE> pyk{};
    ASSERT_EQ(open("PYK", pyk, "OB"), "00");
    Field<TVPY_RECORD_SIZE> record{};
    ASSERT_EQ(read("PYK", pyk, checkKey(), "RR", record), "00");
    EXPECT_EQ(std::string(record.data() + PYK_NAME_OFS, 13), "Maria Delgado");
    EXPECT_EQ(record[PYK_RECSTATUS_OFS], 'O');
    EXPECT_EQ(strlen(record.data()), size_t{TVPY_RECORD_LEN});
    record[PYK_RECSTATUS_OFS] = 'R';
    char status[3] = "zz";
    FileRewrite("PYK", pyk.data(), record.data(), status);
    EXPECT_STREQ(status, "00");
    ASSERT_EQ(read("PYK", pyk, checkKey(), "RR", record), "00");
    EXPECT_EQ(record[PYK_RECSTATUS_OFS], 'R');

    std::string other = checkKey();
    other[0] = '9';
    EXPECT_EQ(read("PYK", pyk, other, "RR", record), "23");
    FileRewrite("PYK", pyk.data(), record.data(), status);
    EXPECT_STREQ(status, "23");
    FileClose("PYK", pyk.data(), status);
    EXPECT_STREQ(status, "00");
}

TEST_F(PayrollTest, FindsBankRecordsByTypeCheckOrOther) {
    Field<TVSUITE_HANDLE_SIZE> brk{};
    ASSERT_EQ(open("BRK", brk, "OB"), "00");
    Field<TVPY_RECORD_SIZE> record{};
    EXPECT_EQ(read("BRK", brk, brkKey("C", "20455", "001"), "RR", record), "00");
    EXPECT_EQ(record[BRK_STATUS_OFS], 'O');
    // The direct deposit is kept under "U", not "C".
    EXPECT_EQ(read("BRK", brk, brkKey("C", "451", "003"), "RR", record), "23");
    EXPECT_EQ(read("BRK", brk, brkKey("U", "451", "003"), "RR", record), "00");
    char status[3];
    FileClose("BRK", brk.data(), status);
}

TEST_F(PayrollTest, ALockHeldByAnotherFileBlocksReadsAndRewritesUntilUnlocked) {
    Field<TVSUITE_HANDLE_SIZE> first{}, second{};
    ASSERT_EQ(open("PYK", first, "OB"), "00");
    ASSERT_EQ(open("PYK", second, "OB"), "00");
    Field<TVPY_RECORD_SIZE> record{};
    ASSERT_EQ(read("PYK", first, checkKey(), "RL", record), "00");
    EXPECT_EQ(read("PYK", first, checkKey(), "RL", record), "00");  // its own lock
    EXPECT_EQ(read("PYK", second, checkKey(), "RL", record), "51");
    EXPECT_EQ(read("PYK", second, checkKey(), "RR", record), "51");
    char status[3] = "zz";
    ASSERT_EQ(read("PYK", first, checkKey(), "RR", record), "00");
    FileRewrite("PYK", second.data(), record.data(), status);
    EXPECT_STREQ(status, "51");

    // Another record stays free.
    const std::string okafor =
        "000000322"
        "11/13/2026"
        "000000042"
        "0007002"
        "0020456";
    EXPECT_EQ(read("PYK", second, okafor, "RL", record), "00");

    FileUnlock("PYK", first.data(), status);
    EXPECT_STREQ(status, "00");
    EXPECT_EQ(read("PYK", second, checkKey(), "RL", record), "00");
    // Taking a new lock dropped the second file's lock on Okafor's check.
    EXPECT_EQ(read("PYK", first, okafor, "RL", record), "00");
    // Closing releases the lock.
    FileClose("PYK", first.data(), status);
    EXPECT_EQ(read("PYK", second, okafor, "RR", record), "00");
    FileClose("PYK", second.data(), status);
}

TEST_F(PayrollTest, RefusesBadTypesModesAndInquiryRewrites) {
    Field<TVSUITE_HANDLE_SIZE> path{};
    EXPECT_EQ(open("XYZ", path, "OB"), "30");
    EXPECT_EQ(open("PYK", path, "RW"), "30");
    ASSERT_EQ(open("PYK", path, "OI"), "00");
    Field<TVPY_RECORD_SIZE> record{};
    ASSERT_EQ(read("PYK", path, checkKey(), "RR", record), "00");
    char status[3] = "zz";
    FileRewrite("PYK", path.data(), record.data(), status);
    EXPECT_STREQ(status, "37");
    EXPECT_EQ(read("BRK", path, checkKey(), "RR", record), "30");  // the file is "PYK"
    EXPECT_EQ(read("PYK", path, checkKey(), "RX", record), "30");
    FileClose("PYK", path.data(), status);
    EXPECT_STREQ(status, "00");
}

}  // namespace
