#include "corelib/picture.h"

#include <QDate>
#include <QLocale>
#include <QTime>
#include <algorithm>
#include <array>
#include <cctype>

#include "corelib/daytime.h"

namespace corelib {

namespace picture {

namespace {

using u128 = unsigned __int128;
using Kind = Picture::Kind;
using Sign = Picture::Sign;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

std::string trimmedCopy(std::string_view s) {
    return std::string(trimBlanks(s));
}

// Reads a run of digits at pos into value (capped so a long run cannot overflow).
bool readNumber(std::string_view s, size_t& pos, int& value) {
    const size_t start = pos;
    value = 0;
    while (pos < s.size() && isDigit(s[pos])) {
        if (value < 100000) value = value * 10 + (s[pos] - '0');
        ++pos;
    }
    return pos > start;
}

// Number of characters (UTF-8 code points) in s.
size_t charCount(std::string_view s) {
    size_t n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

// Byte length of the first `chars` characters of s.
size_t bytesOfChars(std::string_view s, size_t chars) {
    size_t i = 0;
    while (i < s.size() && chars > 0) {
        ++i;
        while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) ++i;
        --chars;
    }
    return i;
}

Text padLeft(std::string s, int width) {
    Text t;
    t.trimmed = trimmedCopy(s);
    const size_t n = charCount(s);
    if (width > 0 && n < static_cast<size_t>(width)) s.insert(0, width - n, ' ');
    t.padded = std::move(s);
    return t;
}

Text blank(int width) {
    return Text{std::string(width > 0 ? width : 0, ' '), {}};
}

Text overflow(int width) {
    std::string hashes(width, '#');
    return Text{hashes, hashes};
}

std::string wholeDigits(u128 v) {
    if (v == 0) return "0";
    std::string s;
    while (v > 0) {
        s.insert(s.begin(), static_cast<char>('0' + static_cast<int>(v % 10)));
        v /= 10;
    }
    return s;
}

// The core of the number pictures: a sign and a magnitude in hundredths.
Text formatHundredths(const Picture& p, bool negative, u128 hundredths) {
    int decimals = p.decimals;
    // Fewer than two decimals: round half away from zero.
    if (decimals < 2) {
        const u128 unit = decimals == 1 ? 10 : 100;
        hundredths = (hundredths + unit / 2) / unit * unit;
    }
    if (hundredths == 0) negative = false;
    if (p.blankWhenZero && hundredths == 0) return blank(p.width);

    std::string whole = wholeDigits(hundredths / 100);
    if (p.grouping && p.fill != '0') {
        for (int i = static_cast<int>(whole.size()) - 3; i > 0; i -= 3) whole.insert(i, 1, ',');
    }
    std::string body = whole;
    if (decimals > 0) {
        const int cents = static_cast<int>(hundredths % 100);
        body += '.';
        body += static_cast<char>('0' + cents / 10);
        if (decimals > 1) body += static_cast<char>('0' + cents % 10);
        if (decimals > 2) body.append(decimals - 2, '0');
    }

    std::string prefix, suffix;
    bool suffixSlot = false;  // keeps decimals aligned when positives have no suffix
    switch (p.sign) {
        case Sign::Leading:
            if (negative) prefix = "-";
            break;
        case Sign::Trailing:
            suffixSlot = true;
            if (negative) suffix = "-";
            break;
        case Sign::Parentheses:
            suffixSlot = true;
            if (negative) {
                prefix = "(";
                suffix = ")";
            }
            break;
    }
    const std::string trimmed = prefix + body + suffix;
    if (suffixSlot && suffix.empty()) suffix = " ";
    const int used = static_cast<int>(prefix.size() + body.size() + suffix.size());
    if (p.width > 0 && static_cast<int>(trimmed.size()) > p.width) {
        // Rather than hide the amount, drop the grouping commas when that makes it fit.
        if (p.grouping && whole.find(',') != std::string::npos) {
            Picture plain = p;
            plain.grouping = false;
            return formatHundredths(plain, negative, hundredths);
        }
        return overflow(p.width);
    }

    Text t;
    t.trimmed = trimmed;
    const int room = p.width > used ? p.width - used : 0;
    if (p.fill == ' ') {
        t.padded = std::string(room, ' ') + prefix + body + suffix;
    } else {
        t.padded = prefix + std::string(room, p.fill) + body + suffix;
        t.trimmed = trimmedCopy(t.padded);
    }
    // A blank suffix slot never pushes the text past its width.
    if (p.width > 0 && static_cast<int>(t.padded.size()) > p.width && t.padded.back() == ' ')
        t.padded.pop_back();
    return t;
}

const std::string& dateFormatOf(const Picture& p, const Formats& f) {
    static const std::string kShortYear = "MM/dd/yy";
    static const std::string kLongYear = "MM/dd/yyyy";
    switch (p.style) {
        case 1:
            return kShortYear;
        case 2:
            return kLongYear;
        case 18:
            return f.longDate;
        default:
            return f.shortDate;
    }
}

const std::string& timeFormatOf(const Picture& p, const Formats& f) {
    static const std::string kMinutes = "hh:mm";
    static const std::string kSeconds = "hh:mm:ss";
    switch (p.style) {
        case 1:
            return kMinutes;
        case 4:
            return kSeconds;
        case 8:
            return f.longTime;
        default:
            return f.shortTime;
    }
}

// A date or time format converted for Qt once, with the width of its widest text (two-digit
// day, month and hour, the longest month and weekday names), so fields keep their width.
struct CachedFormat {
    std::string format;
    QString qt;
    int width = 0;
};
thread_local CachedFormat dateFormatCache;
thread_local CachedFormat timeFormatCache;

const CachedFormat& cachedFormat(CachedFormat& cache, const std::string& format, bool date) {
    if (cache.format == format && !cache.qt.isNull()) return cache;
    cache.format = format;
    cache.qt = QString::fromStdString(format);
    int width = 0;
    if (date) {
        for (const QDate& sample : {QDate(2000, 12, 28), QDate(2000, 9, 27)})
            width = std::max(width,
                             static_cast<int>(charCount(sample.toString(cache.qt).toStdString())));
    } else {
        width =
            static_cast<int>(charCount(QTime(12, 58, 58, 990).toString(cache.qt).toStdString()));
    }
    cache.width = width;
    return cache;
}

// Order of day, month and year in a Qt date format: for example "MDY" or "DMY".
std::string fieldOrder(const std::string& format) {
    std::string order;
    for (char c : format) {
        const char f = c == 'd' ? 'D' : c == 'M' ? 'M' : c == 'y' ? 'Y' : '\0';
        if (f && order.find(f) == std::string::npos) order += f;
    }
    return order.size() == 3 ? order : "MDY";
}

int32_t dateFromFields(const std::array<int, 3>& v, const std::array<int, 3>& len,
                       const std::string& order) {
    int y = 0, m = 0, d = 0;
    for (int i = 0; i < 3; ++i) {
        const int value = v[i];
        switch (order[i]) {
            case 'Y':
                y = len[i] <= 2 ? (value < 50 ? 2000 + value : 1900 + value) : value;
                break;
            case 'M':
                m = value;
                break;
            default:
                d = value;
                break;
        }
    }
    return daytime::dayNumber(y, m, d);
}

}  // namespace

Formats Formats::fromLocale(const QLocale& locale) {
    Formats f;
    if (locale.language() == QLocale::C) return f;
    std::string shortDate = locale.dateFormat(QLocale::ShortFormat).toStdString();
    // Force a four-digit year: a lone "yy" becomes "yyyy".
    std::string widened;
    for (size_t i = 0; i < shortDate.size();) {
        if (shortDate[i] == 'y') {
            size_t j = i;
            while (j < shortDate.size() && shortDate[j] == 'y') ++j;
            widened += "yyyy";
            i = j;
        } else {
            widened += shortDate[i++];
        }
    }
    const bool numeric =
        widened.find('d') != std::string::npos && widened.find('M') != std::string::npos &&
        widened.find("MMM") == std::string::npos && widened.find("ddd") == std::string::npos;
    if (numeric) f.shortDate = widened;
    f.longDate = locale.dateFormat(QLocale::LongFormat).toStdString();
    f.shortTime = locale.timeFormat(QLocale::ShortFormat).toStdString();
    f.longTime = locale.timeFormat(QLocale::LongFormat).toStdString();
    return f;
}

const Formats& Formats::system() {
    static const Formats f = fromLocale(QLocale::system());
    return f;
}

std::optional<Picture> Picture::parse(std::string_view text) {
    std::string_view s = trimBlanks(text);
    if (!s.empty() && s.front() == '@') s.remove_prefix(1);
    if (s.empty()) return std::nullopt;
    Picture p;
    size_t pos = 1;
    int value = 0;
    const char kind = static_cast<char>(std::tolower(static_cast<unsigned char>(s[0])));
    auto finishWithBlank = [&]() -> bool {
        if (pos < s.size() && (s[pos] == 'b' || s[pos] == 'B')) {
            p.blankWhenZero = true;
            ++pos;
        }
        return pos == s.size();
    };
    switch (kind) {
        case 'n': {
            p.kind = Kind::Number;
            if (pos < s.size() && (s[pos] == '-' || s[pos] == '(')) {
                p.sign = s[pos] == '(' ? Sign::Parentheses : Sign::Leading;
                ++pos;
            }
            if (pos < s.size() && (s[pos] == '0' || s[pos] == '_' || s[pos] == '*')) {
                p.fill = s[pos] == '_' ? ' ' : s[pos];
                p.grouping = s[pos] == '*';
                ++pos;
            }
            if (readNumber(s, pos, value)) p.width = value;
            if (pos < s.size() && s[pos] == '.') {
                ++pos;
                if (!readNumber(s, pos, value)) return std::nullopt;
                p.decimals = value;
            }
            if (pos < s.size() && s[pos] == ')') {
                if (p.sign != Sign::Parentheses) return std::nullopt;
                ++pos;
            } else if (pos < s.size() && s[pos] == '-') {
                if (p.sign == Sign::Parentheses) return std::nullopt;
                p.sign = Sign::Trailing;
                ++pos;
            }
            if (p.width > 255 || p.decimals > 30) return std::nullopt;
            if (!finishWithBlank()) return std::nullopt;
            return p;
        }
        case 'd':
        case 't': {
            p.kind = kind == 'd' ? Kind::Date : Kind::Time;
            if (!readNumber(s, pos, value)) return std::nullopt;
            p.style = value;
            const bool known = kind == 'd'
                                   ? (value == 1 || value == 2 || value == 17 || value == 18)
                                   : (value == 1 || value == 4 || value == 7 || value == 8);
            if (!known || !finishWithBlank()) return std::nullopt;
            return p;
        }
        case 's': {
            p.kind = Kind::String;
            if (!readNumber(s, pos, value) || pos != s.size() || value > 100000)
                return std::nullopt;
            p.width = value;
            return p;
        }
        default:
            break;
    }
    // Patterns: "<<<<<#" or "#####".
    if (s.find_first_not_of("<#") != std::string_view::npos) return std::nullopt;
    if (s.size() > 255) return std::nullopt;
    p.kind = Kind::Pattern;
    p.width = static_cast<int>(s.size());
    p.leftAligned = s.front() == '<';
    p.grouping = false;
    return p;
}

Text formatNumber(const Picture& p, Decimal value) {
    const int64_t c = value.cents();
    const u128 mag = c < 0 ? static_cast<u128>(0 - static_cast<uint64_t>(c)) : static_cast<u128>(c);
    if (p.kind == Kind::Pattern) {
        const int64_t units = static_cast<int64_t>((mag + 50) / 100);
        return formatInteger(p, c < 0 ? -units : units);
    }
    return formatHundredths(p, c < 0, mag);
}

Text formatInteger(const Picture& p, int64_t value) {
    const u128 mag =
        value < 0 ? static_cast<u128>(0 - static_cast<uint64_t>(value)) : static_cast<u128>(value);
    if (p.kind == Kind::Pattern) {
        std::string s = (value < 0 ? "-" : "") + wholeDigits(mag);
        if (static_cast<int>(s.size()) > p.width) return overflow(p.width);
        Text t{s, s};
        if (p.leftAligned)
            t.padded.append(p.width - s.size(), ' ');
        else
            t.padded.insert(0, p.width - s.size(), ' ');
        return t;
    }
    return formatHundredths(p, value < 0, mag * 100);
}

Text formatDate(const Picture& p, int32_t dayNumber, const Formats& formats) {
    const CachedFormat& f = cachedFormat(dateFormatCache, dateFormatOf(p, formats), true);
    const int width = p.width > 0 ? p.width : f.width;
    if (dayNumber <= 0) return blank(width);
    const daytime::Ymd d = daytime::ymd(dayNumber);
    return padLeft(QDate(d.year, d.month, d.day).toString(f.qt).toStdString(), width);
}

Text formatTime(const Picture& p, int32_t timeNumber, const Formats& formats) {
    const CachedFormat& f = cachedFormat(timeFormatCache, timeFormatOf(p, formats), false);
    const int width = p.width > 0 ? p.width : f.width;
    if (timeNumber <= 0 || timeNumber > 8640000) return blank(width);
    const daytime::Hms h = daytime::hms(timeNumber);
    return padLeft(
        QTime(h.hour, h.minute, h.second, h.hundredths * 10).toString(f.qt).toStdString(), width);
}

Text formatString(const Picture& p, std::string_view text) {
    Text t;
    const size_t width = static_cast<size_t>(p.width);
    std::string cut(text.substr(0, bytesOfChars(text, width)));
    t.padded = cut;
    const size_t n = charCount(cut);
    if (n < width) t.padded.append(width - n, ' ');
    while (!cut.empty() && cut.back() == ' ') cut.pop_back();
    t.trimmed = std::move(cut);
    return t;
}

std::string format(std::string_view picture, Decimal value) {
    const auto p = Picture::parse(picture);
    if (!p || (p->kind != Kind::Number && p->kind != Kind::Pattern)) return value.toString();
    return formatNumber(*p, value).padded;
}

std::string formatDate(std::string_view picture, int32_t dayNumber, const Formats& formats) {
    auto p = Picture::parse(picture);
    if (!p || p->kind != Kind::Date) return std::to_string(dayNumber);
    return formatDate(*p, dayNumber, formats).trimmed;
}

std::string formatTime(std::string_view picture, int32_t timeNumber, const Formats& formats) {
    auto p = Picture::parse(picture);
    if (!p || p->kind != Kind::Time) return std::to_string(timeNumber);
    return formatTime(*p, timeNumber, formats).trimmed;
}

std::string formatString(std::string_view picture, std::string_view text) {
    auto p = Picture::parse(picture);
    if (!p || p->kind != Kind::String) return std::string(text);
    return formatString(*p, text).padded;
}

std::optional<Decimal> parseNumber(const Picture& p, std::string_view text) {
    std::string_view s = trimBlanks(text);
    if (s.empty()) return Decimal();
    // Asterisk fill is part of what the field showed, not of the amount.
    std::string plain;
    for (char c : s)
        if (c != '*') plain += c;
    auto d = Decimal::parse(plain);
    if (!d) return std::nullopt;
    if (p.decimals < 2) {
        const int64_t unit = p.decimals == 1 ? 10 : 100;
        const int64_t c = d->cents();
        const int64_t r = c % unit;
        int64_t rounded = c - r;
        if (r * 2 >= unit) rounded += unit;
        if (r * 2 <= -unit) rounded -= unit;
        return Decimal::fromCents(rounded);
    }
    return d;
}

std::optional<int32_t> parseDate(const Picture& p, std::string_view text, const Formats& formats) {
    std::string_view s = trimBlanks(text);
    if (s.empty()) return 0;
    const std::string order =
        p.style == 1 || p.style == 2 ? std::string("MDY") : fieldOrder(dateFormatOf(p, formats));
    std::array<int, 3> v{};
    std::array<int, 3> len{};
    bool allDigits = s.find_first_not_of("0123456789") == std::string_view::npos;
    if (allDigits) {
        if (s.size() != 6 && s.size() != 8) return std::nullopt;
        size_t pos = 0;
        for (int i = 0; i < 3; ++i) {
            const size_t n = order[i] == 'Y' && s.size() == 8 ? 4 : 2;
            int x = 0;
            for (size_t k = 0; k < n; ++k) x = x * 10 + (s[pos + k] - '0');
            v[i] = x;
            len[i] = static_cast<int>(n);
            pos += n;
        }
    } else {
        size_t pos = 0;
        int fields = 0;
        while (pos < s.size()) {
            if (!isDigit(s[pos])) {
                ++pos;
                continue;
            }
            if (fields == 3) return std::nullopt;
            const size_t start = pos;
            if (!readNumber(s, pos, v[fields])) return std::nullopt;
            len[fields] = static_cast<int>(pos - start);
            if (len[fields] > 5) return std::nullopt;
            ++fields;
        }
        if (fields != 3) return std::nullopt;
        // Only separators between the numbers: no letters or signs.
        for (char c : s)
            if (std::isalpha(static_cast<unsigned char>(c))) return std::nullopt;
    }
    int32_t day = dateFromFields(v, len, order);
    if (day == 0 && order != "MDY") day = dateFromFields(v, len, "MDY");
    if (day == 0) return std::nullopt;
    return day;
}

std::optional<int32_t> parseTime(std::string_view text) {
    std::string_view s = trimBlanks(text);
    if (s.empty()) return 0;
    // An AM/PM marker at the end: "pm", "p.m.", "p", in any case.
    int meridiem = 0;  // 0 none, 1 am, 2 pm
    {
        std::string tail;
        size_t end = s.size();
        while (end > 0 &&
               (std::isalpha(static_cast<unsigned char>(s[end - 1])) || s[end - 1] == '.'))
            --end;
        for (size_t i = end; i < s.size(); ++i)
            if (s[i] != '.')
                tail += static_cast<char>(std::tolower(static_cast<unsigned char>(s[i])));
        if (!tail.empty()) {
            if (tail == "am" || tail == "a")
                meridiem = 1;
            else if (tail == "pm" || tail == "p")
                meridiem = 2;
            else
                return std::nullopt;
            s = trimBlanks(s.substr(0, end));
        }
    }
    if (s.empty()) return std::nullopt;
    int part[4] = {0, 0, 0, 0};
    if (s.find_first_not_of("0123456789") == std::string_view::npos) {
        if (s.size() <= 2) {
            part[0] = std::stoi(std::string(s));
        } else if (s.size() <= 6) {
            const std::string digits = std::string(s.size() % 2 ? "0" : "") + std::string(s);
            for (size_t i = 0; i < digits.size(); i += 2)
                part[i / 2] = (digits[i] - '0') * 10 + (digits[i + 1] - '0');
        } else {
            return std::nullopt;
        }
    } else {
        size_t pos = 0;
        int n = 0;
        while (true) {
            if (n == 4 || !readNumber(s, pos, part[n])) return std::nullopt;
            ++n;
            if (pos == s.size()) break;
            // ':' between hours, minutes and seconds; '.' before hundredths.
            const char sep = s[pos];
            if (!(sep == ':' || (sep == '.' && n == 3))) return std::nullopt;
            ++pos;
        }
    }
    int hour = part[0];
    if (meridiem != 0) {
        if (hour < 1 || hour > 12) return std::nullopt;
        hour = hour % 12 + (meridiem == 2 ? 12 : 0);
    }
    const int32_t t = daytime::timeNumber(hour, part[1], part[2], part[3]);
    if (t == 0) return std::nullopt;
    return t;
}

}  // namespace picture

}  // namespace corelib
