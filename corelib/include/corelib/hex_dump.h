#pragma once
// A hexadecimal dump of a buffer, for looking at what a field really holds.
#include <cstdint>
#include <string>
#include <string_view>

namespace corelib {

// The first `length` bytes of `buffer` (no more than it holds; none for a length below 1), each
// as two lower-case hexadecimal digits followed by a blank, "1f 00 41 ". Only whole entries are
// given, up to 1024 characters of text (341 bytes).
std::string hexDumpText(std::string_view buffer, int32_t length);

// Shows hexDumpText(buffer, length) through ds_Message.
void HEX_DUMP(std::string_view buffer, int32_t length);

}  // namespace corelib
