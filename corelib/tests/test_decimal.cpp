#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "corelib/decimal.h"

using namespace corelib;

namespace {

struct ParseCase {
    const char* text;
    int64_t cents;
};

TEST(DecimalParse, AcceptsTheFormsUsersType) {
    const ParseCase cases[] = {
        {"1234.56", 123456},
        {"-1,234.5", -123450},
        {"(12.00)", -1200},
        {"12-", -1200},
        {" 7 ", 700},
        {"\t0.5\t", 50},
        {".5", 50},
        {"5.", 500},
        {"+3.10", 310},
        {"( 4.25 )", -425},
        {"1,234,567.89", 123456789},
        {"0.004", 0},
        {"0.005", 1},
        {"-0.005", -1},
        {"2.344999", 234},
        {"2.345", 235},
        {"-2.345", -235},
        {"9.999", 1000},
        {"92233720368547758.07", std::numeric_limits<int64_t>::max()},
        {"-92233720368547758.08", std::numeric_limits<int64_t>::min()},
    };
    for (const auto& c : cases) {
        auto d = Decimal::parse(c.text);
        ASSERT_TRUE(d.has_value()) << c.text;
        EXPECT_EQ(d->cents(), c.cents) << c.text;
    }
}

TEST(DecimalParse, RejectsMalformedText) {
    const char* bad[] = {"",
                         "   ",
                         "-",
                         "()",
                         "abc",
                         "1.2.3",
                         "12a",
                         "1 2",
                         "--1",
                         "(1",
                         "1)",
                         "-(1)",
                         ",123",
                         "1,",
                         "1.2,3",
                         "1,.5",
                         "$5",
                         "1e5",
                         "-12-",
                         ".",
                         "92233720368547758.08",
                         "-92233720368547758.09",
                         "99999999999999999999999"};
    for (const char* t : bad) EXPECT_FALSE(Decimal::parse(t).has_value()) << '"' << t << '"';
}

TEST(DecimalScaled, RoundsHalfAwayFromZero) {
    EXPECT_EQ(Decimal::fromScaled(123450, 4).cents(), 1235);
    EXPECT_EQ(Decimal::fromScaled(123449, 4).cents(), 1234);
    EXPECT_EQ(Decimal::fromScaled(-123450, 4).cents(), -1235);
    EXPECT_EQ(Decimal::fromScaled(-123449, 4).cents(), -1234);
    EXPECT_EQ(Decimal::fromScaled(5, 3).cents(), 1);
    EXPECT_EQ(Decimal::fromScaled(-5, 3).cents(), -1);
    EXPECT_EQ(Decimal::fromScaled(1234, 2).cents(), 1234);
    EXPECT_EQ(Decimal::fromScaled(12, 0).cents(), 1200);
    EXPECT_EQ(Decimal::fromScaled(7, 1).cents(), 70);
    EXPECT_EQ(Decimal::fromScaled(std::numeric_limits<int64_t>::max(), 30).cents(), 0);
    EXPECT_EQ(Decimal::fromScaled(std::numeric_limits<int64_t>::min(), 4).cents(),
              -92233720368547758);
}

TEST(DecimalDouble, RoundsTheDecimalValueHalfAwayFromZero) {
    EXPECT_EQ(Decimal::fromDouble(1.005).cents(), 101);
    EXPECT_EQ(Decimal::fromDouble(-1.005).cents(), -101);
    EXPECT_EQ(Decimal::fromDouble(0.1 + 0.2).cents(), 30);
    EXPECT_EQ(Decimal::fromDouble(1234.564999).cents(), 123456);
    EXPECT_EQ(Decimal::fromDouble(-0.0).cents(), 0);
    EXPECT_EQ(Decimal::fromDouble(9999999999999.99).cents(), 999999999999999);
    EXPECT_EQ(Decimal::fromDouble(std::numeric_limits<double>::quiet_NaN()).cents(), 0);
    EXPECT_EQ(Decimal::fromDouble(1e300).cents(), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(Decimal::fromDouble(-1e300).cents(), std::numeric_limits<int64_t>::min());
    // Summing cents as doubles drifts; rounding brings it back exactly.
    double sum = 0;
    for (int i = 0; i < 1000; ++i) sum += 0.01;
    EXPECT_EQ(Decimal::fromDouble(sum).cents(), 1000);
}

TEST(DecimalText, PrintsTwoDecimalsAndRoundTrips) {
    EXPECT_EQ(Decimal::fromCents(-123450).toString(), "-1234.50");
    EXPECT_EQ(Decimal::fromCents(5).toString(), "0.05");
    EXPECT_EQ(Decimal::fromCents(-5).toString(), "-0.05");
    EXPECT_EQ(Decimal().toString(), "0.00");
    EXPECT_EQ(Decimal::fromCents(std::numeric_limits<int64_t>::min()).toString(),
              "-92233720368547758.08");
    for (int64_t c : {int64_t{0}, int64_t{1}, int64_t{-99}, Decimal::kMaxCents, -Decimal::kMaxCents,
                      std::numeric_limits<int64_t>::max()}) {
        Decimal d = Decimal::fromCents(c);
        EXPECT_EQ(Decimal::parse(d.toString()), d) << c;
    }
}

TEST(DecimalRange, BindsFifteenDigits) {
    EXPECT_TRUE(Decimal::fromCents(Decimal::kMaxCents).inRange());
    EXPECT_TRUE(Decimal::fromCents(-Decimal::kMaxCents).inRange());
    EXPECT_FALSE(Decimal::fromCents(Decimal::kMaxCents + 1).inRange());
    EXPECT_FALSE(Decimal::parse("-10000000000000.00")->inRange());
}

}  // namespace
