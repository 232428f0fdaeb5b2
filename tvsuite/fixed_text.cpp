#include "tvsuite/fixed_text.h"

#include <cctype>
#include <cstring>

namespace tvsuite {

std::string fieldText(const char* field, size_t maxLen) {
    if (!field) return {};
    size_t n = 0;
    while (n < maxLen && field[n] != '\0') ++n;
    return std::string(field, n);
}

std::string trim(std::string_view text) {
    size_t b = 0, e = text.size();
    while (b < e && std::isspace(static_cast<unsigned char>(text[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(text[e - 1]))) --e;
    return std::string(text.substr(b, e - b));
}

std::string trimmedField(const char* field, size_t maxLen) {
    return trim(fieldText(field, maxLen));
}

std::string upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string padded(std::string_view text, size_t width) {
    std::string out(text.substr(0, width));
    out.resize(width, ' ');
    return out;
}

void putField(char* out, std::string_view text, size_t width) {
    if (!out) return;
    const std::string value = padded(text, width);
    std::memcpy(out, value.data(), width);
    out[width] = '\0';
}

void setStatus(char* status, const char* value) {
    if (!status) return;
    status[0] = value[0];
    status[1] = value[1];
    status[2] = '\0';
}

bool allDigits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

std::optional<std::string> zeroFilled(std::string_view text, size_t width) {
    std::string value = trim(text);
    if (!allDigits(value)) return std::nullopt;
    while (value.size() > width && value.front() == '0') value.erase(0, 1);
    if (value.size() > width) return std::nullopt;
    return std::string(width - value.size(), '0') + value;
}

std::optional<std::string> division(const char* field) {
    auto value = zeroFilled(fieldText(field, 8), 2);
    return value;
}

std::optional<int64_t> parseCents(std::string_view text) {
    std::string value = trim(text);
    bool negative = false;
    if (!value.empty() && (value.front() == '-' || value.front() == '+')) {
        negative = value.front() == '-';
        value.erase(0, 1);
    }
    const size_t point = value.find('.');
    std::string whole = point == std::string::npos ? value : value.substr(0, point);
    std::string fraction = point == std::string::npos ? std::string() : value.substr(point + 1);
    if (whole.empty() && fraction.empty()) return std::nullopt;
    if ((!whole.empty() && !allDigits(whole)) || (!fraction.empty() && !allDigits(fraction)))
        return std::nullopt;
    // Digits past the second decimal must be zeros: money here has two places.
    for (size_t i = 2; i < fraction.size(); ++i)
        if (fraction[i] != '0') return std::nullopt;
    fraction.resize(2, '0');
    while (whole.size() > 1 && whole.front() == '0') whole.erase(0, 1);
    if (whole.size() > 15) return std::nullopt;
    int64_t cents = 0;
    for (char c : whole) cents = cents * 10 + (c - '0');
    cents = cents * 100 + (fraction[0] - '0') * 10 + (fraction[1] - '0');
    return negative ? -cents : cents;
}

std::string formatCents(int64_t cents) {
    const bool negative = cents < 0;
    const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(cents) : cents;
    std::string fraction = std::to_string(magnitude % 100);
    if (fraction.size() < 2) fraction.insert(0, "0");
    return (negative ? "-" : "") + std::to_string(magnitude / 100) + "." + fraction;
}

std::string formatAmount19(int64_t cents) {
    const bool negative = cents < 0;
    std::string body = formatCents(negative ? -cents : cents);
    const size_t width = negative ? 18 : 19;
    if (body.size() < width) body.insert(0, width - body.size(), '0');
    return (negative ? "-" : "") + body;
}

}  // namespace tvsuite
