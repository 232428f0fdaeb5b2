#include "corelib/hex_dump.h"

#include <algorithm>

#include "corelib/message.h"

namespace corelib {

namespace {
constexpr size_t kMaxText = 1024;
}

std::string hexDumpText(std::string_view buffer, int32_t length) {
    static constexpr char kDigits[] = "0123456789abcdef";
    if (length < 1) return {};
    size_t bytes = std::min(buffer.size(), static_cast<size_t>(length));
    bytes = std::min(bytes, kMaxText / 3);
    std::string text;
    text.reserve(bytes * 3);
    for (size_t i = 0; i < bytes; ++i) {
        const auto b = static_cast<unsigned char>(buffer[i]);
        text += kDigits[b >> 4];
        text += kDigits[b & 0x0F];
        text += ' ';
    }
    return text;
}

void HEX_DUMP(std::string_view buffer, int32_t length) {
    ds_Message(hexDumpText(buffer, length));
}

}  // namespace corelib
