#include "tvsuite/account_form.h"

#include <cstdio>

#include "suiteapi/tvgldata.h"
#include "tvsuite/fixed_text.h"

namespace tvsuite {

std::optional<std::vector<std::string>> segmentsOfExternal(std::string_view external) {
    const std::string text = upper(trim(external));
    if (text.empty()) return std::nullopt;
    std::vector<std::string> segments;
    size_t start = 0;
    while (true) {
        const size_t dash = text.find('-', start);
        std::string segment =
            trim(text.substr(start, dash == std::string::npos ? std::string::npos : dash - start));
        if (segment.empty() || segment.size() > TVGL_SEGMENT_LEN) return std::nullopt;
        segments.push_back(segment);
        if (segments.size() > TVGL_MAX_SEGMENTS) return std::nullopt;
        if (dash == std::string::npos) break;
        start = dash + 1;
    }
    return segments;
}

std::optional<std::vector<std::string>> segmentsOfInternal(std::string_view internal) {
    if (internal.size() < 3 || !allDigits(internal.substr(0, 3))) return std::nullopt;
    const int count = (internal[0] - '0') * 100 + (internal[1] - '0') * 10 + (internal[2] - '0');
    if (count < 1 || count > TVGL_MAX_SEGMENTS) return std::nullopt;
    const size_t need = 3 + static_cast<size_t>(count) * (TVGL_SEGMENT_LEN + 1);
    // The blank after the last segment may be missing when the caller trimmed the text.
    if (internal.size() < need - 1) return std::nullopt;
    if (!trim(internal.substr(std::min(need, internal.size()))).empty()) return std::nullopt;
    std::vector<std::string> segments;
    for (int i = 0; i < count; ++i) {
        const size_t at = 3 + static_cast<size_t>(i) * (TVGL_SEGMENT_LEN + 1);
        std::string segment = upper(trim(internal.substr(at, TVGL_SEGMENT_LEN)));
        if (segment.empty()) return std::nullopt;
        if (at + TVGL_SEGMENT_LEN < internal.size() && internal[at + TVGL_SEGMENT_LEN] != ' ')
            return std::nullopt;
        segments.push_back(segment);
    }
    return segments;
}

std::string internalForm(const std::vector<std::string>& segments) {
    char count[8];
    std::snprintf(count, sizeof count, "%03d", static_cast<int>(segments.size()));
    std::string out = count;
    for (const auto& segment : segments) out += padded(segment, TVGL_SEGMENT_LEN) + " ";
    return out;
}

std::string externalForm(const std::vector<std::string>& segments) {
    std::string out;
    for (const auto& segment : segments) {
        if (!out.empty()) out += '-';
        out += segment;
    }
    return out;
}

}  // namespace tvsuite
