#include "hostlink/link_text.h"

#include <cctype>

#include "corelib/text.h"

using namespace corelib;

namespace hostlink {

std::string zeroPadded(int64_t value, int width) {
    bool negative = value < 0;
    std::string digits = std::to_string(negative ? -value : value);
    int room = width - (negative ? 1 : 0);
    if (static_cast<int>(digits.size()) < room) digits.insert(0, room - digits.size(), '0');
    return negative ? "-" + digits : digits;
}

std::string leftJustified(std::string_view text, size_t width) {
    std::string out = text::cutBytes(text, width);
    out.append(width - out.size(), ' ');
    return out;
}

std::string rightJustified(std::string_view text, size_t width) {
    if (text.size() >= width) return std::string(text.substr(text.size() - width));
    return std::string(width - text.size(), ' ') + std::string(text);
}

int64_t leadingNumber(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    int64_t value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        if (value > 99'999'999'999'999LL) break;  // far wider than any form number
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

}  // namespace hostlink
