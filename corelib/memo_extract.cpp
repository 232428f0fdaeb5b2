#include "corelib/memo_extract.h"

namespace corelib {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

bool isContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Skips a CR, LF or CR LF at i; returns the offset after it.
size_t skipLineEnd(const std::string& text, size_t i) {
    if (i < text.size() && text[i] == '\r') ++i;
    if (i < text.size() && text[i] == '\n') ++i;
    return i;
}

size_t skipBlanks(const std::string& text, size_t i) {
    while (i < text.size() && isBlank(text[i])) ++i;
    return i;
}

}  // namespace

std::string MEMO_EXTRACT(const std::string& text, int32_t& position, int32_t width) {
    if (position < 0) position = 0;
    const size_t start = static_cast<size_t>(position);
    if (start >= text.size() || width < 1) return {};

    size_t i = start;
    int32_t chars = 0;
    size_t lastBlank = std::string::npos;  // the last blank inside the line so far
    std::string line;
    size_t next = 0;
    while (true) {
        if (i >= text.size()) {
            line = text.substr(start);
            next = i;
            break;
        }
        const char c = text[i];
        if (isLineEnd(c)) {
            line = text.substr(start, i - start);
            next = skipBlanks(text, skipLineEnd(text, i));
            break;
        }
        if (chars == width) {
            if (isBlank(c)) {
                // The line fits exactly; a line end after its blanks belongs to it.
                line = text.substr(start, i - start);
                next = skipBlanks(text, i);
                if (next < text.size() && isLineEnd(text[next]))
                    next = skipBlanks(text, skipLineEnd(text, next));
            } else if (lastBlank != std::string::npos) {
                line = text.substr(start, lastBlank - start);
                while (!line.empty() && isBlank(line.back())) line.pop_back();
                next = skipBlanks(text, lastBlank);
            } else {
                // One word longer than the width: cut it there.
                line = text.substr(start, i - start);
                next = i;
            }
            break;
        }
        if (isBlank(c)) lastBlank = i;
        ++i;
        while (i < text.size() && isContinuation(text[i])) ++i;
        ++chars;
    }
    position = static_cast<int32_t>(next);
    return line;
}

}  // namespace corelib
