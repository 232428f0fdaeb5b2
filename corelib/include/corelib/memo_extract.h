#pragma once
// Wrapping memo text into lines of a given width.
#include <cstdint>
#include <string>

namespace corelib {

// Gives the next line of `text` starting at byte offset `position` (0 is the start), at most
// `width` characters (UTF-8 characters, not bytes): the line breaks after the last word that
// fits, or is cut at the width when its first word alone is longer. A CR (with the LF after
// it) or a lone LF ends a line early and is not part of it; one that directly follows a full
// line ends that line. `position` then moves past the line, its line end and the blanks after
// it, ready for the next call. At or past the end of the text, or for a width below 1, the
// result is "" and `position` stays as it was (a negative position counts as 0).
std::string MEMO_EXTRACT(const std::string& text, int32_t& position, int32_t width);

}  // namespace corelib
