#include <gtest/gtest.h>

#include "corelib/text.h"

using namespace corelib;

TEST(Text, CaseBlindComparisonOrdersAndMatchesAsciiLetters) {
    EXPECT_TRUE(text::equalNoCase("BrowseAPbac", "BROWSEAPBAC"));
    EXPECT_FALSE(text::equalNoCase("abc", "abcd"));
    EXPECT_LT(text::compareNoCase("apple", "Banana"), 0);
    EXPECT_GT(text::compareNoCase("b", "A"), 0);
    EXPECT_LT(text::compareNoCase("ab", "AB "), 0);
    EXPECT_EQ(text::compareNoCase("Same", "sAME"), 0);
    EXPECT_TRUE(text::startsWithNoCase("Button:OK", "button"));
    EXPECT_FALSE(text::startsWithNoCase("But", "button"));
}

TEST(Text, TrailingBlanksIncludeTabsLineEndsAndNuls) {
    EXPECT_EQ(text::trimRight(std::string("Bank \t\r\n\0", 9)), "Bank");
    EXPECT_EQ(text::trimRight("  lead kept"), "  lead kept");
    EXPECT_EQ(text::trimRight("   "), "");
}

TEST(Text, CuttingNeverSplitsAUtf8Character) {
    const std::string s = "Caf\xC3\xA9s";  // "Cafés": the é is two bytes
    EXPECT_EQ(text::cutBytes(s, 4), "Caf");
    EXPECT_EQ(text::cutBytes(s, 5), "Caf\xC3\xA9");
    EXPECT_EQ(text::cutBytes(s, 99), s);
    EXPECT_EQ(text::cutCharacters(s, 4), "Caf\xC3\xA9");
    EXPECT_EQ(text::cutCharacters(s, 0), "");
    EXPECT_EQ(text::cutCharacters(s, 9), s);
}

TEST(Text, WholeNumbersAreReadWholeOrNotAtAll) {
    EXPECT_EQ(text::parseLong("42"), 42);
    EXPECT_EQ(text::parseLong(" +7 "), 7);
    EXPECT_EQ(text::parseLong("-1"), -1);
    EXPECT_EQ(text::parseLong("2147483647"), 2147483647);
    EXPECT_EQ(text::parseLong("-2147483648"), INT32_MIN);
    // Too large for 32 bits: refused, never cut to some other number.
    EXPECT_EQ(text::parseLong("2147483648"), std::nullopt);
    EXPECT_EQ(text::parseLong("4294967297"), std::nullopt);
    EXPECT_EQ(text::parseLong("99999999999999999999"), std::nullopt);
    for (const char* bad : {"", "  ", "+", "12a", "1 2", "0x10", "1.5", "--3"})
        EXPECT_EQ(text::parseLong(bad), std::nullopt) << bad;
}

TEST(Text, CsvFieldsAreQuotedOnlyWhenTheyMustBe) {
    EXPECT_EQ(text::csvField("check 77 of 9.99"), "check 77 of 9.99");
    EXPECT_EQ(text::csvField(""), "");
    EXPECT_EQ(text::csvField("16,475,4000/"), "\"16,475,4000/\"");
    EXPECT_EQ(text::csvField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(text::csvField("two\nlines\r"), "\"two\nlines\r\"");
}
