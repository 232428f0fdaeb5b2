#include "bankrec/imports/import_values.h"

#include "corelib/daytime.h"

using namespace corelib;

namespace imports {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// A plain number: an optional sign, digits, and optionally a point and more digits (at least
// one digit in all). Sets `zero` when every digit is 0.
bool plainNumber(std::string_view s, bool& zero) {
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    bool digits = false;
    bool point = false;
    zero = true;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (isDigit(c)) {
            digits = true;
            if (c != '0') zero = false;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digits;
}

// The last day a date field can hold: 31 December 9999.
int32_t lastDay() {
    static const int32_t last = daytime::dayNumber(9999, 12, 31);
    return last;
}

}  // namespace

std::string_view trimBlanks(std::string_view text) {
    size_t b = 0;
    size_t e = text.size();
    while (b < e && isBlank(text[b])) ++b;
    while (e > b && isBlank(text[e - 1])) --e;
    return text.substr(b, e - b);
}

std::string textCheckReference(std::string_view field) {
    std::string_view s = trimBlanks(field);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty()) return {};
    for (char c : s)
        if (!isDigit(c)) return {};
    while (!s.empty() && s.front() == '0') s.remove_prefix(1);
    if (s.empty()) return {};  // 0
    std::string out;
    out.reserve(s.size() + 1);
    if (negative) out += '-';
    out += s;
    return out;
}

std::string sheetCheckReference(std::string_view cell) {
    const std::string_view s = trimBlanks(cell);
    bool zero = false;
    if (s.empty() || (plainNumber(s, zero) && zero)) return {};
    return std::string(s);
}

std::optional<Decimal> importAmount(std::string_view text, bool assumeDecimal) {
    std::string kept;
    kept.reserve(text.size());
    bool point = false;
    for (char c : text) {
        if (isDigit(c) || c == '-') {
            kept += c;
        } else if (c == '.') {
            kept += c;
            point = true;
        }
    }
    std::optional<Decimal> value = Decimal::parse(kept);
    if (!value || !value->inRange()) return std::nullopt;
    if (assumeDecimal && !point) value = Decimal::fromCents(value->cents() / 100);
    return value;
}

int32_t importDate(std::string_view text, const picture::Formats& formats) {
    const std::string_view s = trimBlanks(text);
    if (s.empty()) return 0;
    if (s.find('/') != std::string_view::npos) {
        static const std::optional<picture::Picture> d17 = picture::Picture::parse("@d17");
        const int32_t day = picture::parseDate(*d17, s, formats).value_or(0);
        return day > 0 && day <= lastDay() ? day : 0;
    }
    // A day number: digits only, no more than the last day a date can be.
    if (s.size() > 9) return 0;
    int64_t day = 0;
    for (char c : s) {
        if (!isDigit(c)) return 0;
        day = day * 10 + (c - '0');
    }
    return day <= lastDay() ? static_cast<int32_t>(day) : 0;
}

std::string_view fixedSlice(std::string_view line, int32_t start, int32_t end) {
    const int64_t size = static_cast<int64_t>(line.size());
    const int64_t from = std::max<int64_t>(start, 1);
    const int64_t to = std::min<int64_t>(end, size);
    if (from > to) return {};
    return line.substr(static_cast<size_t>(from - 1), static_cast<size_t>(to - from + 1));
}

std::vector<std::string_view> commaFields(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t pos = 0;
    for (;;) {
        if (pos < line.size() && (line[pos] == '"' || line[pos] == '\'')) {
            const char quote = line[pos];
            const size_t close = line.find(quote, pos + 1);
            if (close == std::string_view::npos) {
                fields.push_back(line.substr(pos + 1));
                return fields;
            }
            fields.push_back(line.substr(pos + 1, close - pos - 1));
            const size_t comma = line.find(',', close + 1);
            if (comma == std::string_view::npos) return fields;
            pos = comma + 1;
        } else {
            const size_t comma = line.find(',', pos);
            if (comma == std::string_view::npos) {
                fields.push_back(line.substr(pos));
                return fields;
            }
            fields.push_back(line.substr(pos, comma - pos));
            pos = comma + 1;
        }
    }
}

std::string_view commaField(const std::vector<std::string_view>& fields, int32_t number) {
    if (number < 1 || static_cast<size_t>(number) > fields.size()) return {};
    return fields[static_cast<size_t>(number - 1)];
}

namespace {

// The amount and the date of a line whose reference is known; the line is skipped when the
// amount is asked for and is not a number.
ImportedCheck complete(std::string reference, std::string_view amount, std::string_view cleared,
                       const ImportFlags& flags, const picture::Formats& formats) {
    ImportedCheck out;
    if (reference.empty()) return out;
    if (flags.amount) {
        const std::optional<Decimal> value = importAmount(amount, flags.assumeDecimal);
        if (!value) return out;
        out.amount = *value;
    }
    if (flags.cleared) out.clearDate = importDate(cleared, flags.dateFormat, formats);
    out.reference = std::move(reference);
    return out;
}

}  // namespace

ImportedCheck readFixedLine(std::string_view line, const FixedLayout& layout,
                            const ImportFlags& flags, const picture::Formats& formats) {
    return complete(textCheckReference(fixedSlice(line, layout.checkStart, layout.checkEnd)),
                    fixedSlice(line, layout.amountStart, layout.amountEnd),
                    fixedSlice(line, layout.clearedStart, layout.clearedEnd), flags, formats);
}

ImportedCheck readCommaLine(std::string_view line, const CommaLayout& layout,
                            const ImportFlags& flags, const picture::Formats& formats) {
    // Each field goes to the first setting that names it: the check number, then the amount,
    // then the date.
    const std::vector<std::string_view> fields = commaFields(line);
    const int32_t check = layout.checkField;
    const int32_t amount = layout.amountField == check ? 0 : layout.amountField;
    const int32_t cleared =
        layout.clearedField == check || layout.clearedField == layout.amountField
            ? 0
            : layout.clearedField;
    return complete(textCheckReference(commaField(fields, check)), commaField(fields, amount),
                    commaField(fields, cleared), flags, formats);
}

ImportedCheck readSheetRow(std::string_view checkCell, std::string_view amountCell,
                           std::string_view clearedCell, const ImportFlags& flags,
                           const picture::Formats& formats) {
    return complete(sheetCheckReference(checkCell), amountCell, clearedCell, flags, formats);
}

}  // namespace imports
