#pragma once
// Helpers for the fixed-length, zero-terminated text fields that the suite's calls take.
// They never read past a field's zero, nor past the width they are given.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tvsuite {

// The text of a zero-terminated field, at most `maxLen` characters; empty for null.
std::string fieldText(const char* field, size_t maxLen);
// As fieldText, without leading and trailing blanks.
std::string trimmedField(const char* field, size_t maxLen);
std::string trim(std::string_view text);
std::string upper(std::string_view text);
// `text` cut or blank-padded to exactly `width` characters.
std::string padded(std::string_view text, size_t width);
// Writes `text` cut or blank-padded to `width` characters and a zero into `out`.
void putField(char* out, std::string_view text, size_t width);
// Writes a 2-character status and its zero; null is ignored.
void setStatus(char* status, const char* value);

bool allDigits(std::string_view text);
// Digits only, right-justified with zeros to `width`; nullopt when not a number that fits.
std::optional<std::string> zeroFilled(std::string_view text, size_t width);
// A division "2" or "02" as "02"; nullopt when not 0..99.
std::optional<std::string> division(const char* field);
// A money text ("-12.50", "-000000000000012.50", " 12.5 ") in cents; nullopt if malformed.
std::optional<int64_t> parseCents(std::string_view text);
// Cents in the "n-019.2" form: 19 places, leading minus, zero-filled, two decimals.
std::string formatAmount19(int64_t cents);
// Cents as plain text "-12.50".
std::string formatCents(int64_t cents);

}  // namespace tvsuite
