#pragma once
// Fixed-offset fields inside a caller's record area. Reads never pass the field's width
// and see a zero byte as a blank, so an area the caller never initialised is still safe.
#include <cstring>
#include <string>
#include <string_view>

namespace tvsuite {

inline std::string getAt(const char* record, size_t offset, size_t width) {
    std::string out(width, ' ');
    if (!record) return out;
    for (size_t i = 0; i < width; ++i) {
        const char c = record[offset + i];
        out[i] = c == '\0' ? ' ' : c;
    }
    return out;
}

inline void setAt(char* record, size_t offset, size_t width, std::string_view text) {
    if (!record) return;
    for (size_t i = 0; i < width; ++i) record[offset + i] = i < text.size() ? text[i] : ' ';
}

// Copies a field of `width` characters and its zero into a caller's output field.
inline void copyOut(char* out, const char* record, size_t offset, size_t width) {
    if (!out) return;
    const std::string value = getAt(record, offset, width);
    std::memcpy(out, value.data(), width);
    out[width] = '\0';
}

}  // namespace tvsuite
