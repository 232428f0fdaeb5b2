#include <gtest/gtest.h>

#include <QLocale>
#include <cstdint>
#include <limits>
#include <optional>

#include "corelib/daytime.h"
#include "corelib/picture.h"

using namespace corelib;

namespace {

using picture::Formats;
using picture::Picture;

Picture pic(const char* text) {
    auto p = Picture::parse(text);
    EXPECT_TRUE(p.has_value()) << text;
    return p.value_or(Picture{});
}

Formats usFormats() {
    return Formats{};
}  // MM/dd/yyyy, h:mm AP

Formats dayFirstFormats() {
    Formats f;
    f.shortDate = "dd.MM.yyyy";
    f.shortTime = "HH:mm";
    return f;
}

struct NumberCase {
    const char* picture;
    int64_t cents;
    const char* padded;
    const char* trimmed;
};

TEST(NumberPicture, FormatsByTable) {
    const NumberCase cases[] = {
        {"@n-19.2", -123456, "          -1,234.56", "-1,234.56"},
        {"@n-19.2", 123456, "           1,234.56", "1,234.56"},
        {"@n-19.2", 0, "               0.00", "0.00"},
        {"@n-19.2", 5, "               0.05", "0.05"},
        {"n-19.2", -99999999999999999, "-999999999999999.99", "-999999999999999.99"},
        {"@n-19.2", -999999999999999, "  -9999999999999.99", "-9999999999999.99"},
        {"@n-21.2", -999999999999999, "-9,999,999,999,999.99", "-9,999,999,999,999.99"},
        {"@n-18.2", -99999999999999999, "##################", "##################"},
        {"n-24.2", -99999999999999999, " -999,999,999,999,999.99", "-999,999,999,999,999.99"},
        {"@n(19.2)b", -123456, "         (1,234.56)", "(1,234.56)"},
        {"@n(19.2)b", 123456, "          1,234.56 ", "1,234.56"},
        {"@n(19.2)b", 0, "                   ", ""},
        {"@n-19.2b", 0, "                   ", ""},
        {"@n-19.2b", -1, "              -0.01", "-0.01"},
        {"@n-019.2", -123456, "-000000000001234.56", "-000000000001234.56"},
        {"@n019.2", 123456, "0000000000001234.56", "0000000000001234.56"},
        {"@n-13", 4200, "           42", "42"},
        {"@n-13", 123456789, "    1,234,568", "1,234,568"},
        {"@n-13", -150, "           -2", "-2"},
        {"@n-13", -149, "           -1", "-1"},
        {"@n-13", -49, "            0", "0"},
        {"@n-15.2", 100000000, "   1,000,000.00", "1,000,000.00"},
        {"@n-14.2", -1, "         -0.01", "-0.01"},
        {"@n10", 123456, "     1,235", "1,235"},
        {"@n10.2", 123456, "  1,234.56", "1,234.56"},
        {"@n_10.2", -123456, "  -1234.56", "-1234.56"},
        {"@n_5", 1234500, "12345", "12345"},
        {"@n*12.2", 123456, "****1,234.56", "****1,234.56"},
        {"@n12.2-", -123456, "   1,234.56-", "1,234.56-"},
        {"@n12.2-", 123456, "   1,234.56 ", "1,234.56"},
        {"@n-10.1", 125, "       1.3", "1.3"},
        {"@n-10.4", 125, "    1.2500", "1.2500"},
        {"@n-", -123456, "-1,235", "-1,235"},
        {"@n-.2", -123456, "-1,234.56", "-1,234.56"},
        {"@n-5.2", 123456, "#####", "#####"},
        {"@n(9.2)", -123456, "(1234.56)", "(1234.56)"},
        {"@n(10.2)", -123456, "(1,234.56)", "(1,234.56)"},
        {"@n(10.2)", 123456, " 1,234.56 ", "1,234.56"},
        {"@n(8.2)", 123456, "1,234.56", "1,234.56"},
    };
    for (const auto& c : cases) {
        const auto t = picture::formatNumber(pic(c.picture), Decimal::fromCents(c.cents));
        EXPECT_EQ(t.padded, c.padded) << c.picture << " " << c.cents;
        EXPECT_EQ(t.trimmed, c.trimmed) << c.picture << " " << c.cents;
    }
}

TEST(NumberPicture, FormatsWholeNumbersAndPatterns) {
    EXPECT_EQ(picture::formatInteger(pic("@n-13"), -1234567).padded, "   -1,234,567");
    EXPECT_EQ(picture::formatInteger(pic("@n-14"), 12).trimmed, "12");
    EXPECT_EQ(picture::formatInteger(pic("@n-30"), std::numeric_limits<int64_t>::min()).trimmed,
              "-9,223,372,036,854,775,808");
    EXPECT_EQ(picture::formatInteger(pic("<<<<<#"), 12).padded, "12    ");
    EXPECT_EQ(picture::formatInteger(pic("<<<<<#"), 123456).padded, "123456");
    EXPECT_EQ(picture::formatInteger(pic("<<<<<#"), 1234567).padded, "######");
    EXPECT_EQ(picture::formatInteger(pic("#####"), 42).padded, "   42");
    EXPECT_EQ(picture::formatNumber(pic("<<<#"), Decimal::fromCents(250)).padded, "3   ");
    EXPECT_EQ(picture::format("@n-19.2", Decimal::fromCents(-5)), "              -0.05");
    EXPECT_EQ(picture::format("@x12", Decimal::fromCents(-5)), "-0.05");
}

TEST(PictureGrammar, RejectsWhatItCannotShow) {
    for (const char* bad : {"", "@", "@x", "@n-19.", "@n(19.2-", "@n-19.2)", "@n19.2bb", "@d3",
                            "@d", "@t2", "@s", "@s20x", "@n999", "<<a#", "@d17bx"}) {
        EXPECT_FALSE(Picture::parse(bad).has_value()) << '"' << bad << '"';
    }
    const Picture p = pic("@n(019.2)b");
    EXPECT_EQ(p.sign, Picture::Sign::Parentheses);
    EXPECT_EQ(p.fill, '0');
    EXPECT_FALSE(p.grouping);
    EXPECT_EQ(p.width, 19);
    EXPECT_EQ(p.decimals, 2);
    EXPECT_TRUE(p.blankWhenZero);
}

struct DateCase {
    const char* picture;
    int year, month, day;
    const char* us;
    const char* dayFirst;
};

TEST(DatePicture, FormatsByTable) {
    const DateCase cases[] = {
        {"@d17", 2026, 12, 7, "12/07/2026", "07.12.2026"},
        {"@d17b", 1801, 1, 1, "01/01/1801", "01.01.1801"},
        {"@d2", 2026, 12, 7, "12/07/2026", "12/07/2026"},
        {"@d1", 2026, 1, 15, "01/15/26", "01/15/26"},
        {"d17b", 9999, 12, 31, "12/31/9999", "31.12.9999"},
    };
    for (const auto& c : cases) {
        const int32_t day = daytime::dayNumber(c.year, c.month, c.day);
        EXPECT_EQ(picture::formatDate(pic(c.picture), day, usFormats()).trimmed, c.us);
        EXPECT_EQ(picture::formatDate(pic(c.picture), day, dayFirstFormats()).trimmed, c.dayFirst);
    }
    EXPECT_EQ(picture::formatDate(pic("@d17b"), 0, usFormats()).padded, std::string(10, ' '));
    EXPECT_EQ(picture::formatDate(pic("@d1"), -3, usFormats()).padded, std::string(8, ' '));
    EXPECT_EQ(picture::formatDate("@d17b", 0, usFormats()), "");
    Formats singleDigits;
    singleDigits.shortDate = "M/d/yyyy";
    const auto t = picture::formatDate(pic("@d17"), daytime::dayNumber(2026, 3, 5), singleDigits);
    EXPECT_EQ(t.trimmed, "3/5/2026");
    EXPECT_EQ(t.padded, "  3/5/2026");  // as wide as the widest date of the format
    Formats named;
    named.longDate = "dddd, MMMM d, yyyy";
    const auto longDate = picture::formatDate(pic("@d18"), daytime::dayNumber(2026, 5, 1), named);
    EXPECT_EQ(longDate.trimmed, "Friday, May 1, 2026");
    // As wide as "Wednesday, September 27, 2000".
    EXPECT_EQ(longDate.padded, std::string(10, ' ') + "Friday, May 1, 2026");
}

TEST(DatePicture, TakesTheUserFormatWithAFourDigitYear) {
    EXPECT_EQ(Formats::fromLocale(QLocale(QLocale::English, QLocale::UnitedStates)).shortDate,
              "M/d/yyyy");
    EXPECT_EQ(Formats::fromLocale(QLocale(QLocale::German, QLocale::Germany)).shortDate,
              "dd.MM.yyyy");
    EXPECT_EQ(Formats::fromLocale(QLocale::c()).shortDate, "MM/dd/yyyy");
    EXPECT_EQ(Formats::fromLocale(QLocale::c()).shortTime, "h:mm AP");
}

struct DateParseCase {
    const char* picture;
    const char* text;
    int year, month, day;  // 0 0 0: no date; -1: refused
};

TEST(DatePicture, ReadsTypedDatesByTable) {
    const DateParseCase cases[] = {
        {"@d17", "12/07/2026", 2026, 12, 7},
        {"@d17", " 1/15/2024 ", 2024, 1, 15},
        {"@d17", "1-15-24", 2024, 1, 15},
        {"@d17", "01.15.1975", 1975, 1, 15},
        {"@d17", "3/5/75", 1975, 3, 5},
        {"@d17", "12072026", 2026, 12, 7},
        {"@d17", "120726", 2026, 12, 7},
        {"@d2", "02/29/2024", 2024, 2, 29},
        {"@d17b", "", 0, 0, 0},
        {"@d17", "02/29/2023", -1, 0, 0},
        {"@d17", "13/13/2024", -1, 0, 0},
        {"@d17", "12/07", -1, 0, 0},
        {"@d17", "1/2/3/4", -1, 0, 0},
        {"@d17", "Dec 7 2026", -1, 0, 0},
        {"@d17", "12/31/1800", -1, 0, 0},
        {"@d17", "1234567", -1, 0, 0},
        {"@d17", "99999999999/1/1", -1, 0, 0},
    };
    for (const auto& c : cases) {
        const auto day = picture::parseDate(pic(c.picture), c.text, usFormats());
        if (c.year < 0) {
            EXPECT_FALSE(day.has_value()) << c.text;
        } else {
            ASSERT_TRUE(day.has_value()) << c.text;
            EXPECT_EQ(*day, c.year ? daytime::dayNumber(c.year, c.month, c.day) : 0) << c.text;
        }
    }
}

TEST(DatePicture, ReadsTheUserOrderBeforeMonthFirst) {
    const Picture d17 = pic("@d17");
    EXPECT_EQ(picture::parseDate(d17, "07.12.2026", dayFirstFormats()),
              daytime::dayNumber(2026, 12, 7));
    // Not a valid day-first date, but a valid month-first one.
    EXPECT_EQ(picture::parseDate(d17, "12/31/2026", dayFirstFormats()),
              daytime::dayNumber(2026, 12, 31));
    // @d2 is always month first.
    EXPECT_EQ(picture::parseDate(pic("@d2"), "07/12/2026", dayFirstFormats()),
              daytime::dayNumber(2026, 7, 12));
    // What is shown reads back to the same day.
    for (int32_t day : {4, 80000, daytime::dayNumber(2026, 12, 7), 2958463}) {
        for (const Formats& f : {usFormats(), dayFirstFormats()}) {
            const std::string shown = picture::formatDate(d17, day, f).trimmed;
            EXPECT_EQ(picture::parseDate(d17, shown, f), day) << shown;
        }
    }
}

TEST(TimePicture, FormatsByTable) {
    const int32_t t = daytime::timeNumber(15, 5, 9, 50);
    EXPECT_EQ(picture::formatTime(pic("@t7"), t, usFormats()).trimmed, "3:05 PM");
    EXPECT_EQ(picture::formatTime(pic("@t7"), t, dayFirstFormats()).trimmed, "15:05");
    EXPECT_EQ(picture::formatTime(pic("@t1"), t, usFormats()).trimmed, "15:05");
    EXPECT_EQ(picture::formatTime(pic("@t4"), t, usFormats()).trimmed, "15:05:09");
    EXPECT_EQ(picture::formatTime(pic("@t1"), daytime::timeNumber(0, 0), usFormats()).trimmed,
              "00:00");
    EXPECT_EQ(picture::formatTime(pic("@t7"), daytime::timeNumber(0, 30), usFormats()).trimmed,
              "12:30 AM");
    EXPECT_EQ(picture::formatTime(pic("@t7"), t, usFormats()).padded, " 3:05 PM");
    EXPECT_EQ(picture::formatTime("@t7", t, usFormats()), "3:05 PM");
    EXPECT_EQ(picture::formatTime(pic("@t7b"), 0, usFormats()).padded, std::string(8, ' '));
    EXPECT_EQ(picture::formatTime(pic("@t4"), 8640001, usFormats()).padded, std::string(8, ' '));
}

TEST(TimePicture, ReadsTypedTimesByTable) {
    struct Case {
        const char* text;
        int hour, minute, second;  // -1: refused
    };
    const Case cases[] = {
        {"3:05 PM", 15, 5, 0},    {"3:05pm", 15, 5, 0}, {"12:00 AM", 0, 0, 0},
        {"12:00 p.m.", 12, 0, 0}, {"15:05", 15, 5, 0},  {"15:05:09", 15, 5, 9},
        {"1505", 15, 5, 0},       {"905", 9, 5, 0},     {"9", 9, 0, 0},
        {"23:59:59", 23, 59, 59}, {"24:00", -1, 0, 0},  {"13:00 PM", -1, 0, 0},
        {"3:05 XM", -1, 0, 0},    {"3::05", -1, 0, 0},  {"1234567", -1, 0, 0},
        {"PM", -1, 0, 0},         {"15:60", -1, 0, 0},
    };
    for (const auto& c : cases) {
        const auto t = picture::parseTime(c.text);
        if (c.hour < 0) {
            EXPECT_FALSE(t.has_value()) << c.text;
        } else {
            EXPECT_EQ(t, daytime::timeNumber(c.hour, c.minute, c.second)) << c.text;
        }
    }
    EXPECT_EQ(picture::parseTime("  "), 0);
    EXPECT_EQ(picture::parseTime("10:20:30.45"), daytime::timeNumber(10, 20, 30, 45));
}

TEST(StringPicture, CutsAndPadsByCharacters) {
    EXPECT_EQ(picture::formatString("@s5", "abc"), "abc  ");
    EXPECT_EQ(picture::formatString("@s5", "abcdefgh"), "abcde");
    EXPECT_EQ(picture::formatString("@s4", "Müller"), "Müll");
    EXPECT_EQ(picture::formatString("@s3", "日本語です"), "日本語");
    EXPECT_EQ(picture::formatString(pic("@s6"), "ab     x").trimmed, "ab");
    EXPECT_EQ(picture::formatString(pic("@s0"), "abc").padded, "");
}

TEST(NumberPicture, ReadsTypedAmountsByTable) {
    struct Case {
        const char* picture;
        const char* text;
        std::optional<int64_t> cents;
    };
    const Case cases[] = {
        {"@n-19.2", "-1,234.56", -123456},
        {"@n(19.2)b", "(1,234.56)", -123456},
        {"@n-19.2", "1234.56-", -123456},
        {"@n-19.2", "  ", 0},
        {"@n-19.2", "12.345", 1235},
        {"@n*12.2", "****1,234.56", 123456},
        {"@n-019.2", "-000000000001234.56", -123456},
        {"@n-14", "12.5", 1300},
        {"@n-14", "-12.5", -1300},
        {"@n-10.1", "1.25", 130},
        {"@n-19.2", "12..5", std::nullopt},
        {"@n-19.2", "abc", std::nullopt},
        {"@n-19.2", "1e3", std::nullopt},
    };
    for (const auto& c : cases) {
        const auto d = picture::parseNumber(pic(c.picture), c.text);
        if (!c.cents) {
            EXPECT_FALSE(d.has_value()) << c.text;
        } else {
            ASSERT_TRUE(d.has_value()) << c.text;
            EXPECT_EQ(d->cents(), *c.cents) << c.text;
        }
    }
    // What a number picture shows reads back to the same amount.
    for (const char* p : {"@n-19.2", "@n(19.2)b", "@n-019.2", "@n*20.2", "@n20.2-", "@n_19.2"}) {
        for (int64_t cents : {int64_t{0}, int64_t{-1}, int64_t{123456789}, -Decimal::kMaxCents}) {
            const Picture picture = pic(p);
            const std::string shown =
                picture::formatNumber(picture, Decimal::fromCents(cents)).padded;
            EXPECT_EQ(picture::parseNumber(picture, shown), Decimal::fromCents(cents))
                << p << " '" << shown << "'";
        }
    }
}

}  // namespace
