#pragma once
// The fixed-width journal entry line handed to cszwrite.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tvsuite {

struct JournalLine {
    std::string journal;  // abbreviation, trimmed and upper case
    std::string description;
    std::string ref1, ref2, ref3;
    int64_t amountCents = 0;
    std::vector<std::string> segments;
};

// Parses a line; nullopt when any part is out of form (leading blank, numeric fields,
// amounts, segment count and segments, nothing but blanks after the last segment).
std::optional<JournalLine> parseJournalLine(std::string_view line);

}  // namespace tvsuite
