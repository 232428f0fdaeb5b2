// Calls on unopened handles, date conversion and the data folder.
#include "suite_fixture.h"
#include "suiteapi/tvapdata.h"
#include "suiteapi/tvgldata.h"
#include "suiteapi/tvpydata.h"
#include "suiteapi/tvsysdata.h"

namespace {

std::string dayNumber(const char* date) {
    char out[8] = "0000000";
    CvtCtoJ(date, out);
    return out;
}

TEST(CvtCtoJ, GivesTheJulianDayNumberOfValidDates) {
    struct Case {
        const char* date;
        const char* expected;
    };
    const Case cases[] = {
        {"01/01/2000", "2451545"},
        {"12/31/1999", "2451544"},
        {"02/29/2024", "2460370"},
        {"03/01/2024", "2460371"},
        {"11/30/2026", "2461375"},
        {"1/2/2000", "2451546"},
        {"01/01/1801", "2378862"},
        {"12/31/9999", "5373484"},
        // Impossible or malformed dates leave the output as it was.
        {"02/29/2023", "0000000"},
        {"13/01/2024", "0000000"},
        {"00/10/2024", "0000000"},
        {"04/31/2024", "0000000"},
        {"2024-01-01", "0000000"},
        {"", "0000000"},
        {"01/01/24", "0000000"},
        {"ab/cd/efgh", "0000000"},
        {"01/01/0000", "0000000"},
    };
    for (const Case& c : cases) EXPECT_EQ(dayNumber(c.date), c.expected) << c.date;
    char out[8] = "0000000";
    CvtCtoJ(nullptr, out);
    EXPECT_STREQ(out, "0000000");
}

TEST_F(SuiteTest, EveryCallOnAnUnopenedHandleReports99) {
    Field<TVSUITE_HANDLE_SIZE> never{};
    Field<TVSUITE_HANDLE_SIZE> garbage{};
    garbage.fill('x');
    garbage.back() = '\0';
    Field<TVSUITE_HANDLE_SIZE> forged{};
    std::strcpy(forged.data(), "TVS#99999999");
    Field<TVPY_RECORD_SIZE> record{};
    for (auto* handle : {&never, &garbage, &forged}) {
        auto check = [&](auto call, const char* name) {
            char status[3] = "zz";
            call(handle->data(), status);
            EXPECT_STREQ(status, "99") << name;
        };
        check([&](char* h, char* s) { ocrread(h, record.data(), "RR", s); }, "ocrread");
        check([&](char* h, char* s) { ocrwrite(h, record.data(), s); }, "ocrwrite");
        check([&](char* h, char* s) { ocrrewrite(h, record.data(), s); }, "ocrrewrite");
        check([&](char* h, char* s) { ocrdelete(h, record.data(), s); }, "ocrdelete");
        check([&](char* h, char* s) { ocrclose(h, s); }, "ocrclose");
        check([&](char* h, char* s) { csiread(h, record.data(), "RR", s); }, "csiread");
        check([&](char* h, char* s) { csiReadSeg(h, record.data(), "", "1", s); }, "csiReadSeg");
        check([&](char* h, char* s) { csiclose(h, s); }, "csiclose");
        check([&](char* h, char* s) { cscstart(h, record.data(), "GE", s); }, "cscstart");
        check([&](char* h, char* s) { cscnext(h, record.data(), s); }, "cscnext");
        check([&](char* h, char* s) { cscclose(h, s); }, "cscclose");
        check([&](char* h, char* s) { cszwrite(h, " GJ", s); }, "cszwrite");
        check([&](char* h, char* s) { cszclose(h, s); }, "cszclose");
        check([&](char* h, char* s) { FileRead("PYK", h, record.data(), "RR", s); }, "FileRead");
        check([&](char* h, char* s) { FileRewrite("PYK", h, record.data(), s); }, "FileRewrite");
        check([&](char* h, char* s) { FileUnlock("PYK", h, s); }, "FileUnlock");
        check([&](char* h, char* s) { FileClose("PYK", h, s); }, "FileClose");
    }
    // A handle of one library is not a handle of another, and a closed one is gone.
    Field<TVSUITE_HANDLE_SIZE> chart{};
    char status[3] = "zz";
    csiopen(chart.data(), "OI", "02", status);
    ASSERT_STREQ(status, "00");
    ocrread(chart.data(), record.data(), "RR", status);
    EXPECT_STREQ(status, "99");
    Field<TVSUITE_HANDLE_SIZE> copy = chart;
    csiclose(chart.data(), status);
    EXPECT_STREQ(status, "00");
    csiread(copy.data(), record.data(), "RR", status);
    EXPECT_STREQ(status, "99");
}

TEST(DataFolder, ComesFromTheCallThenTheEnvironmentThenTheCurrentDirectory) {
    char out[256];
    tvsuite_SetDataFolder(nullptr);
    unsetenv("TVSUITE_DATA");
    tvsuite_GetDataFolder(out, sizeof out);
    EXPECT_STREQ(out, ".");
    setenv("TVSUITE_DATA", "/tmp/from-env", 1);
    tvsuite_GetDataFolder(out, sizeof out);
    EXPECT_STREQ(out, "/tmp/from-env");
    tvsuite_SetDataFolder("/tmp/explicit");
    tvsuite_GetDataFolder(out, sizeof out);
    EXPECT_STREQ(out, "/tmp/explicit");
    char small[5];
    tvsuite_GetDataFolder(small, sizeof small);
    EXPECT_STREQ(small, "/tmp");
    tvsuite_SetDataFolder(nullptr);
    unsetenv("TVSUITE_DATA");
}

}  // namespace

namespace {

// Garbage in every argument gives a failure status, never a crash or a "00".
TEST_F(SuiteTest, GarbageArgumentsAreRefused) {
    std::srand(7);
    auto garbage = [](size_t length) {
        std::string text(length, ' ');
        for (char& c : text) c = static_cast<char>(1 + std::rand() % 255);
        return text;
    };
    for (int round = 0; round < 200; ++round) {
        const std::string junk = garbage(1 + std::rand() % 400);
        char status[3] = "zz";
        Field<TVSUITE_HANDLE_SIZE> handle{};
        ocropen(handle.data(), junk.c_str(), junk.c_str(), status);
        EXPECT_STRNE(status, "00");
        ocropen(handle.data(), "OB", "02", status);
        ASSERT_STREQ(status, "00");
        Field<TVAP_RECORD_SIZE> record{};
        std::memcpy(record.data(), junk.data(), std::min(junk.size(), record.size() - 1));
        ocrPutExt(record.data(), junk.c_str());
        ocrwrite(handle.data(), record.data(), status);
        EXPECT_STRNE(status, "00");
        ocrclose(handle.data(), status);

        cszopen(handle.data(), "OO", "0099", status);
        ASSERT_STREQ(status, "00");
        cszwrite(handle.data(), (" " + junk).c_str(), status);
        EXPECT_STREQ(status, "30");
        cszclose(handle.data(), status);

        Field<TVGL_INTERNAL_SIZE> internal{};
        cstCvtE55toI("02", junk.c_str(), internal.data());
        EXPECT_STREQ(internal.data(), "");
        Field<TVGL_EXTERNAL55_SIZE> external{};
        cstCvtItoE55("02", junk.c_str(), external.data());
        EXPECT_STREQ(external.data(), "");
        Field<4> count{};
        cstGetSegCnt(junk.c_str(), count.data());
        EXPECT_STREQ(count.data(), "000");

        Field<TVGL_ERROR_SIZE> error{};
        cstLoadJnl(junk.c_str(), error.data(), junk.c_str(), nullptr, nullptr, nullptr);
        EXPECT_NE(std::string(error.data()).find_first_not_of(' '), std::string::npos);

        Field<TVSUITE_HANDLE_SIZE> path{};
        FileOpen("PYK", path.data(), "OB", "02", status);
        ASSERT_STREQ(status, "00");
        Field<TVPY_RECORD_SIZE> payroll{};
        std::memcpy(payroll.data(), junk.data(), std::min(junk.size(), payroll.size() - 1));
        FileRead("PYK", path.data(), payroll.data(), "RL", status);
        EXPECT_STREQ(status, "23");
        FileClose("PYK", path.data(), status);

        char day[8] = "0000000";
        CvtCtoJ(junk.c_str(), day);
        EXPECT_STREQ(day, "0000000");
    }
}

}  // namespace
