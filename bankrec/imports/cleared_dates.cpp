#include <array>

#include "bankrec/imports/import_values.h"
#include "corelib/daytime.h"
#include "corelib/text.h"

namespace imports {

namespace {

struct Layout {
    ClearedDateFormat format;
    const char* name;
    int yearDigits;
    bool yearFirst;
};

constexpr std::array<Layout, 4> kLayouts{{
    {ClearedDateFormat::YYYYMMDD, "YYYYMMDD", 4, true},
    {ClearedDateFormat::YYMMDD, "YYMMDD", 2, true},
    {ClearedDateFormat::MMDDYYYY, "MMDDYYYY", 4, false},
    {ClearedDateFormat::MMDDYY, "MMDDYY", 2, false},
}};

}  // namespace

const char* clearedDateFormatName(ClearedDateFormat format) {
    for (const Layout& l : kLayouts)
        if (l.format == format) return l.name;
    return "";
}

std::optional<ClearedDateFormat> clearedDateFormat(std::string_view name) {
    name = trimBlanks(name);
    if (name.empty() || corelib::text::equalNoCase(name, "standard"))
        return ClearedDateFormat::Standard;
    for (const Layout& l : kLayouts)
        if (corelib::text::equalNoCase(name, l.name)) return l.format;
    return std::nullopt;
}

int32_t importDate(std::string_view text, ClearedDateFormat format,
                   const corelib::picture::Formats& formats) {
    const Layout* layout = nullptr;
    for (const Layout& l : kLayouts)
        if (l.format == format) layout = &l;
    if (!layout) return importDate(text, formats);
    std::string digits;
    for (char c : trimBlanks(text)) {
        if (c >= '0' && c <= '9')
            digits += c;
        else if (c != '/' && c != '-' && c != '.')
            return 0;
    }
    if (digits.size() != static_cast<size_t>(4 + layout->yearDigits)) return 0;
    const auto num = [&digits](size_t at, size_t n) { return std::stoi(digits.substr(at, n)); };
    const size_t y = layout->yearFirst ? 0 : 4;
    const size_t md = layout->yearFirst ? static_cast<size_t>(layout->yearDigits) : 0;
    int year = num(y, static_cast<size_t>(layout->yearDigits));
    if (layout->yearDigits == 2) year += year >= 70 ? 1900 : 2000;
    return corelib::daytime::dayNumber(year, num(md, 2), num(md + 2, 2));
}

}  // namespace imports
