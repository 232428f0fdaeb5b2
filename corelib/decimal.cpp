#include "corelib/decimal.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace corelib {

namespace {

using i128 = __int128;

constexpr int64_t kInt64Max = std::numeric_limits<int64_t>::max();
constexpr int64_t kInt64Min = std::numeric_limits<int64_t>::min();

int64_t saturate(i128 v) {
    if (v > kInt64Max) return kInt64Max;
    if (v < kInt64Min) return kInt64Min;
    return static_cast<int64_t>(v);
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

// Reads an unsigned amount "1,234.567" into cents, rounding the digits past the second
// decimal half up (the sign is applied by the caller, so this is half away from zero).
// Commas may only separate digits of the whole part.
std::optional<i128> parseMagnitude(std::string_view s) {
    if (s.empty()) return std::nullopt;
    i128 whole = 0;
    int fracDigits = 0;
    i128 frac = 0;  // first two decimals
    bool roundUp = false;
    bool seenPoint = false;
    bool anyDigit = false;
    char prev = '\0';
    for (char c : s) {
        if (c >= '0' && c <= '9') {
            anyDigit = true;
            int d = c - '0';
            if (!seenPoint) {
                whole = whole * 10 + d;
                if (whole > kInt64Max) return std::nullopt;
            } else if (fracDigits < 2) {
                frac = frac * 10 + d;
                ++fracDigits;
            } else {
                if (fracDigits == 2) roundUp = d >= 5;
                ++fracDigits;
            }
        } else if (c == ',') {
            if (seenPoint || !(prev >= '0' && prev <= '9')) return std::nullopt;
        } else if (c == '.') {
            if (seenPoint || prev == ',') return std::nullopt;
            seenPoint = true;
        } else {
            return std::nullopt;
        }
        prev = c;
    }
    if (!anyDigit || prev == ',') return std::nullopt;
    while (fracDigits < 2) {
        frac *= 10;
        ++fracDigits;
    }
    i128 cents = whole * 100 + frac + (roundUp ? 1 : 0);
    return cents;
}

}  // namespace

Decimal Decimal::fromScaled(int64_t units, int scale) {
    i128 v = units;
    if (scale <= 2) {
        for (int i = scale; i < 2; ++i) {
            v *= 10;
            if (v > kInt64Max || v < kInt64Min) return fromCents(saturate(v));
        }
        return fromCents(static_cast<int64_t>(v));
    }
    // Beyond 20 extra digits every int64 value rounds to zero.
    if (scale - 2 > 20) return Decimal();
    i128 divisor = 1;
    for (int i = 2; i < scale; ++i) divisor *= 10;
    bool negative = v < 0;
    i128 mag = negative ? -v : v;
    i128 q = mag / divisor;
    i128 r = mag % divisor;
    if (r * 2 >= divisor) ++q;
    return fromCents(saturate(negative ? -q : q));
}

Decimal Decimal::fromDouble(double value) {
    if (std::isnan(value)) return Decimal();
    if (std::isinf(value)) return fromCents(value > 0 ? kInt64Max : kInt64Min);
    // Round the shortest decimal text that reads back as this double, so 1.005 gives 1.01
    // as the user wrote it rather than 1.00 from its binary neighbour 1.00499999...
    char buf[400];
    auto [end, ec] =
        std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::fixed);
    if (ec != std::errc()) return Decimal();
    auto mag = parseMagnitude(std::string_view(buf, end - buf));
    if (!mag) return fromCents(value > 0 ? kInt64Max : kInt64Min);
    return fromCents(saturate(value < 0 ? -*mag : *mag));
}

std::optional<Decimal> Decimal::parse(std::string_view text) {
    std::string_view s = trim(text);
    bool negative = false;
    if (s.size() >= 2 && s.front() == '(' && s.back() == ')') {
        negative = true;
        s = trim(s.substr(1, s.size() - 2));
    } else if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s = trim(s.substr(1));
    } else if (!s.empty() && s.back() == '-') {
        negative = true;
        s = trim(s.substr(0, s.size() - 1));
    }
    auto mag = parseMagnitude(s);
    if (!mag) return std::nullopt;
    i128 cents = negative ? -*mag : *mag;
    if (cents > kInt64Max || cents < kInt64Min) return std::nullopt;
    return fromCents(static_cast<int64_t>(cents));
}

std::string Decimal::toString() const {
    // Work on the unsigned magnitude so the most negative value prints correctly.
    uint64_t mag = cents_ < 0 ? 0 - static_cast<uint64_t>(cents_) : static_cast<uint64_t>(cents_);
    std::string out = std::to_string(mag / 100);
    unsigned frac = static_cast<unsigned>(mag % 100);
    out += '.';
    out += static_cast<char>('0' + frac / 10);
    out += static_cast<char>('0' + frac % 10);
    if (cents_ < 0) out.insert(out.begin(), '-');
    return out;
}

}  // namespace corelib
