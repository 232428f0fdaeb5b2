// The payables check register: keyed checks, the bank header and the clearing run.
#include <fstream>

#include "suite_fixture.h"
#include "suiteapi/tvapdata.h"
#include "suiteapi/tvwole.h"
#include "tvsuite/suite_admin.h"

namespace {

class RegisterTest : public SuiteTest {
  protected:
    void SetUp() override {
        SuiteTest::SetUp();
        char status[3] = "zz";
        ocropen(handle_.data(), "OB", "02", status);
        ASSERT_STREQ(status, "00");
    }
    void TearDown() override {
        char status[3];
        ocrclose(handle_.data(), status);
        SuiteTest::TearDown();
    }

    void putCheckKey(const char* bank, const char* ext, const char* run, const char* internal) {
        ocrInit(record_.data());
        ocrPutBank(record_.data(), bank);
        ocrPutType(record_.data(), "C");
        ocrPutExt(record_.data(), ext);
        ocrPutRun(record_.data(), run);
        ocrPutInt(record_.data(), internal);
    }
    void putHeaderKey(const char* bank) {
        ocrInit(record_.data());
        ocrPutBank(record_.data(), bank);
        ocrPutType(record_.data(), "B");
    }
    std::string call(void (*op)(char*, char*, char*)) {
        char status[3] = "zz";
        op(handle_.data(), record_.data(), status);
        return status;
    }
    std::string read() {
        char status[3] = "zz";
        ocrread(handle_.data(), record_.data(), "RR", status);
        return status;
    }
    template <size_t N>
    std::string get(void (*getter)(const char*, char*)) {
        Field<N + 1> out{};
        getter(record_.data(), out.data());
        return out.data();
    }
    tvsuite::Listing registerRows() {
        tvsuite::SuiteAdmin admin;
        EXPECT_EQ(admin.open(folder()), "");
        tvsuite::Listing listing;
        EXPECT_EQ(admin.listRegister(2, listing), "");
        return listing;
    }

    Field<TVSUITE_HANDLE_SIZE> handle_{};
    Field<TVAP_RECORD_SIZE> record_{};
};

TEST_F(RegisterTest, InsertsANewCheckAndReadsItBack) {
    putCheckKey("OPER", "10300", "17", "5100");
    EXPECT_EQ(read(), "23");
    putCheckKey("OPER", "10300", "17", "5100");
    ocrPutAmount(record_.data(), "-150.00");
    ocrPutVendor(record_.data(), "100045");
    ocrPutName(record_.data(), "Office Depot Supply");
    EXPECT_EQ(call(ocrwrite), "00");
    EXPECT_EQ(call(ocrwrite), "22");

    putCheckKey("OPER", "0010300", "00017", "0005100");
    ASSERT_EQ(read(), "00");
    EXPECT_EQ(get<TVAP_AMOUNT_LEN>(ocrGetAmount), "-000000000000150.00");
    EXPECT_EQ(get<TVAP_VENDOR_LEN>(ocrGetVendor), "000100045");
    EXPECT_EQ(trimmed(get<TVAP_NAME_LEN>(ocrGetName).c_str()), "Office Depot Supply");
    EXPECT_EQ(get<TVAP_EXT_LEN>(ocrGetExt), "0010300");
    EXPECT_EQ(get<TVAP_BANK_LEN>(ocrGetBank), "OPER      ");
}

TEST_F(RegisterTest, RewritesAnExistingCheckWithNewAmountVendorAndName) {
    putCheckKey("OPER", "10231", "15", "5001");
    ASSERT_EQ(read(), "00");
    EXPECT_EQ(get<TVAP_AMOUNT_LEN>(ocrGetAmount), "-000000000000412.37");
    ocrPutAmount(record_.data(), "-000000000000400.00");
    ocrPutVendor(record_.data(), "100046");
    ocrPutName(record_.data(), "Office Depot Supply Inc");
    EXPECT_EQ(call(ocrrewrite), "00");
    putCheckKey("OPER", "10231", "15", "5001");
    ASSERT_EQ(read(), "00");
    EXPECT_EQ(get<TVAP_AMOUNT_LEN>(ocrGetAmount), "-000000000000400.00");
    EXPECT_EQ(get<TVAP_VENDOR_LEN>(ocrGetVendor), "000100046");

    putCheckKey("OPER", "99999", "15", "5001");
    EXPECT_EQ(call(ocrrewrite), "23");
    putCheckKey("OPER", "10231", "15", "5001");
    EXPECT_EQ(call(ocrdelete), "00");
    EXPECT_EQ(read(), "23");
    EXPECT_EQ(call(ocrdelete), "23");
}

TEST_F(RegisterTest, KeepsTheBankHeaderModesStatusAndUseCount) {
    putHeaderKey("OPER");
    ASSERT_EQ(read(), "00");
    EXPECT_EQ(get<1>(ocrGetMode), " ");
    EXPECT_EQ(get<1>(ocrGetStatus), "0");
    EXPECT_EQ(get<TVAP_USECNT_LEN>(ocrGetUseCnt), "00000");
    ocrPutMode(record_.data(), "R");
    ocrPutStatus(record_.data(), "1");
    EXPECT_EQ(call(ocrrewrite), "00");
    putHeaderKey("OPER");
    ASSERT_EQ(read(), "00");
    EXPECT_EQ(get<1>(ocrGetMode), "R");
    EXPECT_EQ(get<1>(ocrGetStatus), "1");

    // A bank without a header gets one written.
    putHeaderKey("NEWBANK");
    EXPECT_EQ(read(), "23");
    putHeaderKey("NEWBANK");
    ocrPutMode(record_.data(), "V");
    ocrPutStatus(record_.data(), "2");
    ocrPutUseCnt(record_.data(), "3");
    EXPECT_EQ(call(ocrwrite), "00");
    putHeaderKey("NEWBANK");
    ASSERT_EQ(read(), "00");
    EXPECT_EQ(get<1>(ocrGetMode), "V");
    EXPECT_EQ(get<TVAP_USECNT_LEN>(ocrGetUseCnt), "00003");
}

TEST_F(RegisterTest, RefusesMalformedRecordsAndChangesThroughAnInquiryHandle) {
    putCheckKey("OPER", "12AB", "1", "1");
    EXPECT_EQ(call(ocrwrite), "30");
    EXPECT_EQ(read(), "30");
    putCheckKey("", "1", "1", "1");
    EXPECT_EQ(call(ocrwrite), "30");
    putCheckKey("OPER", "1", "1", "1");
    ocrPutType(record_.data(), "X");
    EXPECT_EQ(call(ocrwrite), "30");
    putCheckKey("OPER", "1", "1", "1");
    ocrPutAmount(record_.data(), "twelve");
    EXPECT_EQ(call(ocrwrite), "30");
    putCheckKey("OPER", "123456789", "1", "1");  // too long for the field
    EXPECT_EQ(call(ocrwrite), "30");
    char status[3] = "zz";
    ocrread(handle_.data(), record_.data(), "XX", status);
    EXPECT_STREQ(status, "30");

    Field<TVSUITE_HANDLE_SIZE> inquiry{};
    ocropen(inquiry.data(), "OI", "02", status);
    ASSERT_STREQ(status, "00");
    putCheckKey("OPER", "10231", "15", "5001");
    ocrread(inquiry.data(), record_.data(), "RR", status);
    EXPECT_STREQ(status, "00");
    ocrrewrite(inquiry.data(), record_.data(), status);
    EXPECT_STREQ(status, "37");
    ocrclose(inquiry.data(), status);

    ocropen(inquiry.data(), "OX", "02", status);
    EXPECT_STREQ(status, "30");
    ocropen(inquiry.data(), "OB", "123", status);
    EXPECT_STREQ(status, "30");
}

class ClearingTest : public RegisterTest {
  protected:
    std::string writePostingFile(const std::string& bank) {
        const std::string name = "zor0007.txt";
        std::ofstream file(folder() + "/" + name);
        file << std::string(10, 'N') << pad(bank, 10) << std::string(35, ' ')
             << std::string(200, '0') << ' ' << "\r\n";
        return name;
    }
    int clear(tvsuite::TvWole& object, const std::string& file) {
        return object.loadProcess(folder(), "OCW042", "", "1", "2461375", "02", "12", "0007", file,
                                  "0", "0", folder(), "", "");
    }
};

TEST_F(ClearingTest, ClearsTheChecksPostedSinceTheLastRunAndReleasesTheHeader) {
    // The reconciliation claims the bank, then posts one new and one existing check.
    putHeaderKey("OPER");
    ASSERT_EQ(read(), "00");
    ocrPutMode(record_.data(), "R");
    ocrPutStatus(record_.data(), "1");
    ASSERT_EQ(call(ocrrewrite), "00");
    putCheckKey("OPER", "10231", "15", "5001");
    ASSERT_EQ(read(), "00");
    ASSERT_EQ(call(ocrrewrite), "00");
    putCheckKey("OPER", "10300", "17", "5100");
    ocrPutAmount(record_.data(), "-20.00");
    ASSERT_EQ(call(ocrwrite), "00");
    putCheckKey("PRVEND", "30012", "3", "5101");
    ASSERT_EQ(read(), "00");
    ASSERT_EQ(call(ocrrewrite), "00");  // another bank: not cleared by this run

    auto object = tvsuite::TvWole::create("tvwole");
    ASSERT_TRUE(object);
    EXPECT_LE(object->objectName().size(), 20u);
    EXPECT_EQ(clear(*object, writePostingFile("OPER")), 0) << object->lastError();
    EXPECT_EQ(object->lastClearedCount(), 2);

    int cleared = 0;
    for (const auto& row : registerRows().rows) {
        const bool isCleared = row[12] == "2461375";
        cleared += isCleared;
        if (isCleared) {
            EXPECT_EQ(row[0], "OPER");
        }
    }
    EXPECT_EQ(cleared, 2);
    putHeaderKey("OPER");
    ASSERT_EQ(read(), "00");
    EXPECT_EQ(get<1>(ocrGetMode), " ");
    EXPECT_EQ(get<1>(ocrGetStatus), "0");

    // A second run finds nothing new.
    EXPECT_EQ(clear(*object, writePostingFile("OPER")), 0);
    EXPECT_EQ(object->lastClearedCount(), 0);
    tvsuite::SuiteAdmin admin;
    ASSERT_EQ(admin.open(folder()), "");
    tvsuite::Listing runs;
    ASSERT_EQ(admin.listClearingRuns(2, runs), "");
    ASSERT_EQ(runs.rows.size(), 2u);
    EXPECT_EQ(runs.rows[0][7], "2");
}

TEST_F(ClearingTest, RefusesUnknownProcessesAndBadPostingFiles) {
    EXPECT_FALSE(tvsuite::TvWole::create("Excel.Application"));
    auto object = tvsuite::TvWole::create("tvwole");
    ASSERT_TRUE(object);
    EXPECT_NE(object->loadProcess(folder(), "OCW999", "", "1", "2461375", "02", "1", "0007",
                                  writePostingFile("OPER"), "0", "0", folder(), "", ""),
              0);
    EXPECT_EQ(object->lastError(), "Unknown process OCW999.");
    EXPECT_NE(clear(*object, "missing.txt"), 0);
    {
        std::ofstream file(folder() + "/bad.txt");
        file << "not a header\n";
    }
    EXPECT_NE(clear(*object, "bad.txt"), 0);
    EXPECT_NE(object->loadProcess(folder(), "OCW042", "", "1", "0000000", "02", "1", "0007",
                                  writePostingFile("OPER"), "0", "0", folder(), "", ""),
              0);
    tvsuite::SuiteAdmin admin;
    ASSERT_EQ(admin.open(folder()), "");
    tvsuite::Listing runs;
    ASSERT_EQ(admin.listClearingRuns(2, runs), "");
    EXPECT_TRUE(runs.rows.empty());
}

}  // namespace
