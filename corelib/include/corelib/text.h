#pragma once
// Small text helpers shared by every module: case-blind comparison (ASCII letters, as the keys
// and names of the program compare), trailing blanks, cutting UTF-8 text without splitting
// a character, reading a whole number typed by a person, and a field of a CSV file.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corelib {

namespace text {

std::string upper(std::string_view s);
std::string lower(std::string_view s);
bool equalNoCase(std::string_view a, std::string_view b);
// <0, 0 or >0 as a sorts before, with or after b without regard to case.
int compareNoCase(std::string_view a, std::string_view b);
bool startsWithNoCase(std::string_view s, std::string_view prefix);
// Without trailing blanks (spaces, tabs, line ends and NULs).
std::string trimRight(std::string_view s);
// At most `maxBytes` bytes, stepping back so no UTF-8 sequence is split.
std::string cutBytes(std::string_view s, size_t maxBytes);
// At most `limit` characters, a UTF-8 sequence counting as one.
std::string cutCharacters(std::string_view s, size_t limit);

// A whole number from text, the one reader of numbers typed on a command line or in a setting:
// blanks around it and a leading '+' allowed; nullopt when the text is empty, holds anything
// else, or lies outside the 32-bit range (never cut to fit).
std::optional<int32_t> parseLong(std::string_view s);

// A field of a CSV line: as it stands, or quoted (quotes doubled) when it holds a comma, a quote
// or a line break.
std::string csvField(std::string_view s);

}  // namespace text

}  // namespace corelib
