// A bank's paid-items ("positive pay") file read through positions alone: serial, amount in
// implied cents, paid date in each of the date formats.
#include <gtest/gtest.h>

#include "bankrec/imports/import_values.h"
#include "corelib/daytime.h"

using namespace imports;
using corelib::daytime::dayNumber;

namespace {

// Serial 1-10, amount 11-20 (implied cents), paid date from 21.
const FixedLayout kPaidItems{1, 10, 11, 20, 21, 30};

corelib::picture::Formats monthFirst() {
    corelib::picture::Formats f;
    f.shortDate = "MM/dd/yyyy";
    return f;
}

}  // namespace

TEST(PaidItems, EachDateFormatReadsItsLayout) {
    const int32_t day = dayNumber(2024, 1, 15);
    const struct {
        ClearedDateFormat format;
        const char* date;
    } cases[] = {
        {ClearedDateFormat::YYYYMMDD, "20240115"},   {ClearedDateFormat::YYMMDD, "240115"},
        {ClearedDateFormat::MMDDYYYY, "01152024"},   {ClearedDateFormat::MMDDYY, "011524"},
        {ClearedDateFormat::MMDDYYYY, "01-15-2024"}, {ClearedDateFormat::Standard, "01/15/2024"},
    };
    for (const auto& c : cases) {
        const ImportFlags flags{true, true, true, c.format};
        const std::string line = std::string("0000001234") + "0000012500" + c.date;
        const ImportedCheck check = readFixedLine(line, kPaidItems, flags, monthFirst());
        EXPECT_EQ(check.reference, "1234") << c.date;
        EXPECT_EQ(check.amount, corelib::Decimal::fromCents(12500)) << c.date;
        EXPECT_EQ(check.clearDate, day) << c.date;
    }
}

TEST(PaidItems, DatesThatDoNotFitTheFormatGiveNoDate) {
    EXPECT_EQ(importDate("2024011", ClearedDateFormat::YYYYMMDD), 0);   // a digit short
    EXPECT_EQ(importDate("20241301", ClearedDateFormat::YYYYMMDD), 0);  // no 13th month
    EXPECT_EQ(importDate("02302024", ClearedDateFormat::MMDDYYYY), 0);  // no 30 February
    EXPECT_EQ(importDate("2024O115", ClearedDateFormat::YYYYMMDD), 0);  // a letter O
    EXPECT_EQ(importDate("", ClearedDateFormat::MMDDYY), 0);
    EXPECT_EQ(importDate("991231", ClearedDateFormat::YYMMDD), dayNumber(1999, 12, 31));
    EXPECT_EQ(importDate("010170", ClearedDateFormat::MMDDYY), dayNumber(1970, 1, 1));
    EXPECT_EQ(importDate("010169", ClearedDateFormat::MMDDYY), dayNumber(2069, 1, 1));
    // Standard keeps the day number rule.
    EXPECT_EQ(importDate("81000", ClearedDateFormat::Standard), 81000);
}

TEST(PaidItems, FormatNamesRoundTrip) {
    for (ClearedDateFormat f :
         {ClearedDateFormat::Standard, ClearedDateFormat::YYYYMMDD, ClearedDateFormat::YYMMDD,
          ClearedDateFormat::MMDDYYYY, ClearedDateFormat::MMDDYY})
        EXPECT_EQ(clearedDateFormat(clearedDateFormatName(f)), f);
    EXPECT_EQ(clearedDateFormat("yymmdd"), ClearedDateFormat::YYMMDD);
    EXPECT_EQ(clearedDateFormat("standard"), ClearedDateFormat::Standard);
    EXPECT_FALSE(clearedDateFormat("DDMMYY").has_value());
}
