#pragma once
// Exact money: a signed whole number of cents. Records hold DECIMAL(15,2), at most
// 9,999,999,999,999.99 either way; inRange() tells whether a value still fits.
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corelib {

class Decimal {
  public:
    static constexpr int64_t kMaxCents = 999'999'999'999'999;  // 15 digits, 2 of them decimals

    constexpr Decimal() = default;
    static constexpr Decimal fromCents(int64_t cents) {
        Decimal d;
        d.cents_ = cents;
        return d;
    }
    static constexpr Decimal fromUnits(int64_t whole) { return fromCents(whole * 100); }
    // A value held with `scale` decimals (for example NUMERIC(19,4) as 4), rounded to cents
    // half away from zero.
    static Decimal fromScaled(int64_t units, int scale);
    // For sums that are kept in double precision and then rounded (half away from zero).
    static Decimal fromDouble(double value);
    // Parses "1234.56", "-1,234.5", "(12.00)", "12-", " 7 "; digits past the second decimal
    // round half away from zero. Empty or malformed text gives nullopt.
    static std::optional<Decimal> parse(std::string_view text);

    constexpr int64_t cents() const { return cents_; }
    constexpr bool isZero() const { return cents_ == 0; }
    constexpr bool isNegative() const { return cents_ < 0; }
    constexpr bool inRange() const { return cents_ >= -kMaxCents && cents_ <= kMaxCents; }
    constexpr Decimal abs() const { return fromCents(cents_ < 0 ? -cents_ : cents_); }
    double toDouble() const { return static_cast<double>(cents_) / 100.0; }
    // Plain form: optional minus, whole digits, a point and two decimals ("-1234.50").
    std::string toString() const;

    constexpr Decimal operator-() const { return fromCents(-cents_); }
    constexpr Decimal operator+(Decimal o) const { return fromCents(cents_ + o.cents_); }
    constexpr Decimal operator-(Decimal o) const { return fromCents(cents_ - o.cents_); }
    constexpr Decimal& operator+=(Decimal o) {
        cents_ += o.cents_;
        return *this;
    }
    constexpr Decimal& operator-=(Decimal o) {
        cents_ -= o.cents_;
        return *this;
    }
    constexpr auto operator<=>(const Decimal&) const = default;
    constexpr bool operator==(const Decimal&) const = default;

  private:
    int64_t cents_ = 0;
};

}  // namespace corelib
