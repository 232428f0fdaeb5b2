#include "corelib/text.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace corelib {

namespace text {
namespace {
char up(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}
char down(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}
bool continuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}
}  // namespace

std::string upper(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), up);
    return out;
}

std::string lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), down);
    return out;
}

bool equalNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return down(x) == down(y); });
}

int compareNoCase(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const int ca = static_cast<unsigned char>(down(a[i]));
        const int cb = static_cast<unsigned char>(down(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool startsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && equalNoCase(s.substr(0, prefix.size()), prefix);
}

std::string trimRight(std::string_view s) {
    size_t end = s.size();
    while (end > 0 && (s[end - 1] == '\0' || std::isspace(static_cast<unsigned char>(s[end - 1]))))
        --end;
    return std::string(s.substr(0, end));
}

std::string cutBytes(std::string_view s, size_t maxBytes) {
    if (s.size() <= maxBytes) return std::string(s);
    size_t cut = maxBytes;
    while (cut > 0 && continuation(s[cut])) --cut;
    return std::string(s.substr(0, cut));
}

std::string cutCharacters(std::string_view s, size_t limit) {
    size_t chars = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if (!continuation(s[i])) {
            if (chars == limit) return std::string(s.substr(0, i));
            ++chars;
        }
    }
    return std::string(s);
}

std::optional<int32_t> parseLong(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    int32_t value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return value;
}

std::string csvField(std::string_view s) {
    if (s.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(s);
    std::string out = "\"";
    for (char c : s) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

}  // namespace text

}  // namespace corelib
