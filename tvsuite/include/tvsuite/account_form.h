#pragma once
// External and internal forms of a ledger account number. The external form is segments
// joined by "-" ("1000-000-00"); the internal form is the segment count in 3 digits, then
// each segment left-justified in 19 characters and followed by a blank.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tvsuite {

// Upper-cased, trimmed segments of an external form; nullopt when a segment is empty or
// longer than 19 characters, or there are more than 10.
std::optional<std::vector<std::string>> segmentsOfExternal(std::string_view external);
// Segments of an internal form; nullopt when the count or length does not fit. Text after
// the last segment is allowed only when blank.
std::optional<std::vector<std::string>> segmentsOfInternal(std::string_view internal);
std::string internalForm(const std::vector<std::string>& segments);
std::string externalForm(const std::vector<std::string>& segments);

}  // namespace tvsuite
