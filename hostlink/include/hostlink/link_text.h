#pragma once
// Small text helpers of the host link: fixed-width fields and number forms (case and trimming
// come from corelib/text.h).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "corelib/text.h"

namespace hostlink {

// `value` in `width` digits with leading zeros; a negative value keeps its minus sign in front.
std::string zeroPadded(int64_t value, int width);
// `text` left-justified (padded with blanks or cut) to exactly `width` bytes.
std::string leftJustified(std::string_view text, size_t width);
// `text` right-justified (padded with blanks in front, or its last `width` bytes) to `width`.
std::string rightJustified(std::string_view text, size_t width);
// A whole number from text with optional blanks around it; nullopt when malformed or out of
// the 32-bit range.
using corelib::text::parseLong;
// The leading whole number of a text field as the suite's numeric fields read it: blanks
// skipped, digits up to the first non-digit; 0 when there is none.
int64_t leadingNumber(std::string_view text);

}  // namespace hostlink
