// The value rules every reader shares: check numbers, amounts, dates, fixed positions and the
// comma rule, on the lines a bank's list holds.
#include <gtest/gtest.h>

#include <optional>

#include "bankrec/imports/import_values.h"
#include "corelib/daytime.h"

using namespace corelib;
using namespace imports;

namespace {

picture::Formats monthDayYear() {
    picture::Formats f;
    f.shortDate = "MM/dd/yyyy";
    return f;
}

picture::Formats dayMonthYear() {
    picture::Formats f;
    f.shortDate = "dd.MM.yyyy";
    return f;
}

std::string amountText(std::string_view text, bool assumeDecimal) {
    const std::optional<Decimal> d = importAmount(text, assumeDecimal);
    return d ? d->toString() : "none";
}

// A line padded to the record width, as the text file reader gives it.
std::string padded(std::string line) {
    line.resize(1024, ' ');
    return line;
}

}  // namespace

TEST(ImportValues, FixedFormatLineWithTheDefaultPositions) {
    const ImportFlags all{true, false, true};
    const ImportedCheck c =
        readFixedLine(padded("0001234       125.0001/15/2024"), FixedLayout{}, all, monthDayYear());
    EXPECT_EQ(c.reference, "1234");
    EXPECT_EQ(c.amount, Decimal::fromCents(12500));
    EXPECT_EQ(c.clearDate, daytime::dayNumber(2024, 1, 15));

    // Without the optional fields the same line asks for the check alone.
    const ImportedCheck bare =
        readFixedLine(padded("0001234       125.0001/15/2024"), FixedLayout{}, ImportFlags{false});
    EXPECT_EQ(bare.reference, "1234");
    EXPECT_EQ(bare.amount, Decimal());
    EXPECT_EQ(bare.clearDate, 0);
}

TEST(ImportValues, FixedPositionsOutsideTheLineGiveEmptyFields) {
    const std::string line = "12345";
    EXPECT_EQ(fixedSlice(line, 1, 3), "123");
    EXPECT_EQ(fixedSlice(line, 4, 99), "45");
    EXPECT_EQ(fixedSlice(line, -3, 2), "12");
    EXPECT_EQ(fixedSlice(line, 6, 9), "");
    EXPECT_EQ(fixedSlice(line, 3, 2), "");
    EXPECT_EQ(fixedSlice(line, INT32_MIN, INT32_MAX), "12345");
}

TEST(ImportValues, TextCheckNumbersAreWholeNumbersInPlainDecimal) {
    struct Case {
        const char* field;
        const char* reference;
    } cases[] = {
        {" 000123 ", "123"},
        {"1234", "1234"},
        {"\t77\t", "77"},
        {"+5", "5"},
        {"-5", "-5"},
        {"0", ""},
        {"0000", ""},
        {"", ""},
        {"   ", ""},
        {"12a", ""},
        {"1 2", ""},
        {"12.00", ""},
        {"+", ""},
        {"-0", ""},
        {"123456789012345678901234", "123456789012345678901234"},
    };
    for (const Case& c : cases) EXPECT_EQ(textCheckReference(c.field), c.reference) << c.field;
}

TEST(ImportValues, SpreadsheetCheckCellsKeepTheirText) {
    EXPECT_EQ(sheetCheckReference(" 0001234 "), "0001234");
    EXPECT_EQ(sheetCheckReference("CHK-12"), "CHK-12");
    EXPECT_EQ(sheetCheckReference("1234"), "1234");
    // Blank rows: empty or numerically zero.
    for (const char* blank : {"", "   ", "0", "000", "0.00", "-0"})
        EXPECT_EQ(sheetCheckReference(blank), "") << blank;
}

TEST(ImportValues, AmountsKeepOnlyDigitsMinusAndPoint) {
    struct Case {
        const char* text;
        bool assumeDecimal;
        const char* value;
    } cases[] = {
        {"125", true, "1.25"},            // two implied decimals
        {"1.5", true, "1.50"},            // a point: as written
        {"125", false, "125.00"},         // flag clear: as written
        {"$1,234.56", false, "1234.56"},  // currency sign and thousands comma dropped
        {"$1,234", true, "12.34"},        // ... and then no point
        {"(125.00)", false, "125.00"},    // parentheses dropped: positive
        {"-42.10", false, "-42.10"},
        {"42.10-", false, "-42.10"},  // a trailing minus
        {" 7 ", false, "7.00"},
        {"1.005", false, "1.01"},  // rounded half away from zero
        {"", false, "none"},
        {"abc", false, "none"},
        {"1.2.3", false, "none"},
        {"--5", false, "none"},
        {"99999999999999999999", false, "none"},  // beyond DECIMAL(15,2)
        {"9999999999999.99", false, "9999999999999.99"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(amountText(c.text, c.assumeDecimal), c.value) << c.text << " " << c.assumeDecimal;
}

TEST(ImportValues, DatesWithASlashFollowTheShortDateOthersAreDayNumbers) {
    EXPECT_EQ(importDate("01/15/2024", monthDayYear()), daytime::dayNumber(2024, 1, 15));
    EXPECT_EQ(importDate(" 1/5/2024 ", monthDayYear()), daytime::dayNumber(2024, 1, 5));
    // The picture's order: a day-first short date reads the same text as 1 February.
    EXPECT_EQ(importDate("01/02/2024", dayMonthYear()), daytime::dayNumber(2024, 2, 1));
    EXPECT_EQ(importDate("81234", monthDayYear()), 81234);
    EXPECT_EQ(importDate("13/45/2024", monthDayYear()), 0);
    EXPECT_EQ(importDate("2024-01-15", monthDayYear()), 0);
    EXPECT_EQ(importDate("", monthDayYear()), 0);
    EXPECT_EQ(importDate("-5", monthDayYear()), 0);
    EXPECT_EQ(importDate("99999999999", monthDayYear()), 0);  // beyond the last date
    EXPECT_EQ(importDate("1/8/77777", monthDayYear()), 0);
}

TEST(ImportValues, CommaFieldsFollowTheQuoteRule) {
    struct Case {
        const char* line;
        std::vector<std::string_view> fields;
    } cases[] = {
        {"1234,125.00,01/15/2024", {"1234", "125.00", "01/15/2024"}},
        {"1234,\"1,125.00\",01/15/2024", {"1234", "1,125.00", "01/15/2024"}},
        {"'1234','12,5',x", {"1234", "12,5", "x"}},
        // After the closing quote the rest of the field is passed over.
        {"\"12\"34,5", {"12", "5"}},
        // A quote of the other kind does not close the field; no escapes.
        {"\"it's\",2", {"it's", "2"}},
        {"\"a\"\"b\",2", {"a", "2"}},
        // A quote inside an unquoted field is just a character.
        {"O'Brien,5", {"O'Brien", "5"}},
        // An unclosed quote runs to the end of the line.
        {"\"1234,5", {"1234,5"}},
        {",,", {"", "", ""}},
        {"", {""}},
    };
    for (const Case& c : cases) EXPECT_EQ(commaFields(c.line), c.fields) << c.line;
}

TEST(ImportValues, CommaLineGivesTheSameValuesAsTheFixedExample) {
    const ImportFlags all{true, false, true};
    const ImportedCheck c =
        readCommaLine(padded("0001234,\"125.00\",01/15/2024"), CommaLayout{}, all, monthDayYear());
    EXPECT_EQ(c.reference, "1234");
    EXPECT_EQ(c.amount, Decimal::fromCents(12500));
    EXPECT_EQ(c.clearDate, daytime::dayNumber(2024, 1, 15));

    // The padded line's trailing blanks make the last field blank, not a missing one: a layout
    // naming field 3 of a two-field line gets no date and no failure.
    const ImportedCheck two =
        readCommaLine(padded("1234,125.00"), CommaLayout{}, all, monthDayYear());
    EXPECT_EQ(two.reference, "1234");
    EXPECT_EQ(two.clearDate, 0);
}

TEST(ImportValues, ACommaFieldNamedTwiceGoesToTheCheckNumberFirst) {
    const ImportFlags all{true, false, true};
    // Amount and check on field 1: the check number wins, the amount is empty (the line is
    // passed over, as one without an amount).
    EXPECT_TRUE(readCommaLine("1234,5.00,01/15/2024", CommaLayout{1, 1, 3}, all).skip());
    // Date on the amount's field: the amount wins, the date is empty.
    const ImportedCheck c =
        readCommaLine("1234,5.00,01/15/2024", CommaLayout{1, 2, 2}, all, monthDayYear());
    EXPECT_EQ(c.amount, Decimal::fromCents(500));
    EXPECT_EQ(c.clearDate, 0);
}

TEST(ImportValues, LinesWithoutACheckNumberOrWithoutAnAmountAreSkipped) {
    const ImportFlags withAmount{true, false, false};
    EXPECT_TRUE(readCommaLine("Check,Amount,Date", CommaLayout{}, withAmount).skip());
    EXPECT_TRUE(readCommaLine("0,5.00", CommaLayout{}, withAmount).skip());
    EXPECT_TRUE(readCommaLine("1234,n/a", CommaLayout{}, withAmount).skip());
    // Without amounts a line with a check number and anything else counts.
    EXPECT_FALSE(readCommaLine("1234,n/a", CommaLayout{}, ImportFlags{false}).skip());
    // A date that is no date does not skip the line: it clears without a date.
    const ImportedCheck c = readCommaLine("1234,5.00,someday", CommaLayout{}, {true, false, true});
    EXPECT_FALSE(c.skip());
    EXPECT_EQ(c.clearDate, 0);
}

TEST(ImportValues, LeadingZerosStayInASpreadsheetAndGoInATextFile) {
    const ImportFlags none{false};
    EXPECT_EQ(readSheetRow(" 0001234 ", "", "", none).reference, "0001234");
    EXPECT_EQ(readCommaLine(" 0001234 ", CommaLayout{}, none).reference, "1234");
}
