#pragma once
// Display pictures: how money, counts, dates, times and texts are shown in fields, lists and
// reports, and how the user's typing in such a field is read back.
//
//   @n[-(][0_*][width][.decimals][-)][b]  numbers: leading minus, parentheses or trailing
//       minus for negatives; 0 fills with zeros and * with asterisks up to the width; comma
//       grouping unless zero-filled or `_`; b leaves the field blank when the value is zero.
//       A value that does not fit its width shows as '#' characters, never cut.
//   @d1 mm/dd/yy, @d2 mm/dd/yyyy, @d17 the user's short date (four-digit year), @d18 the
//       user's long date; a date of 0 (none) is always blank, `b` is accepted.
//   @t1 hh:mm, @t4 hh:mm:ss, @t7 the user's short time, @t8 the user's long time;
//       a time of 0 (none) is always blank.
//   @s20 text cut or padded to 20 characters.
//   <<<<<# a whole number left-aligned in the pattern's width; ##### right-aligned.
// The leading '@' and the letter's case are optional ("n-19.2", "d17b", "S20").
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "corelib/decimal.h"

class QLocale;

namespace corelib {

namespace picture {

// The user's date and time formats, as Qt format strings ("M/d/yyyy", "h:mm AP").
struct Formats {
    std::string shortDate = "MM/dd/yyyy";
    std::string longDate = "dddd, MMMM d, yyyy";
    std::string shortTime = "h:mm AP";
    std::string longTime = "h:mm:ss AP";

    // The formats of a locale, the short date's year forced to four digits. The C locale, and
    // a short date that is not all numbers (day, month and year), give the defaults above.
    static Formats fromLocale(const QLocale& locale);
    // fromLocale(QLocale::system()), read once per process.
    static const Formats& system();
};

struct Picture {
    enum class Kind { Number, Date, Time, String, Pattern };
    enum class Sign { Leading, Trailing, Parentheses };

    Kind kind = Kind::String;
    int width = 0;  // 0: as wide as the value
    bool blankWhenZero = false;
    // Number
    Sign sign = Sign::Leading;
    char fill = ' ';  // ' ', '0' or '*'
    bool grouping = true;
    int decimals = 0;
    // Date or time style (1, 2, 17, ...)
    int style = 0;
    // Pattern: left-aligned ("<<<#") or right-aligned ("###")
    bool leftAligned = false;

    // Reads a picture; nullopt when the text is not one this formatter knows.
    static std::optional<Picture> parse(std::string_view text);
};

// A value shown by a picture: padded to the picture's width (numbers, dates and times
// right-aligned, texts left-aligned) and the same without the padding blanks.
struct Text {
    std::string padded;
    std::string trimmed;
};

Text formatNumber(const Picture& picture, Decimal value);
Text formatInteger(const Picture& picture, int64_t value);
Text formatDate(const Picture& picture, int32_t dayNumber,
                const Formats& formats = Formats::system());
Text formatTime(const Picture& picture, int32_t timeNumber,
                const Formats& formats = Formats::system());
Text formatString(const Picture& picture, std::string_view text);

// The same with the picture as text: numbers and texts in their padded form, dates and times
// as their text alone (for messages and headings: "Run: " + formatDate("@d17b", today)).
// A picture that does not parse, or is of another kind, shows the value's plain text
// (Decimal::toString, the number, the text).
std::string format(std::string_view picture, Decimal value);
std::string formatDate(std::string_view picture, int32_t dayNumber,
                       const Formats& formats = Formats::system());
std::string formatTime(std::string_view picture, int32_t timeNumber,
                       const Formats& formats = Formats::system());
std::string formatString(std::string_view picture, std::string_view text);

// Reading typed text back. Blank text is zero (no date, no time). Numbers take grouping
// commas, a leading or trailing minus or parentheses, and round to the picture's decimals.
// Dates take the picture's order of day, month and year (for @d17 the user's short date),
// falling back to month/day/year; separators are any non-digits, or none at all with six or
// eight digits; a two-digit year 00-49 is 20xx, 50-99 19xx. Times take h[:mm[:ss[.hh]]] with
// an optional AM/PM, or 3 to 6 digits (hmm, hhmm, hmmss, hhmmss). nullopt for anything else.
std::optional<Decimal> parseNumber(const Picture& picture, std::string_view text);
std::optional<int32_t> parseDate(const Picture& picture, std::string_view text,
                                 const Formats& formats = Formats::system());
std::optional<int32_t> parseTime(std::string_view text);

}  // namespace picture

}  // namespace corelib
