#pragma once
// The clipboard's picture, by the first kind present: a bitmap, else a vector drawing (SVG)
// rendered on white at its own size.
#include <QImage>

namespace capture {

// Null when the clipboard holds neither (text only, or nothing).
QImage clipboardPicture();

}  // namespace capture
