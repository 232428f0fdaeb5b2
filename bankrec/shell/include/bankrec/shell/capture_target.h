#pragma once
// Where a window capture chosen in the save dialog goes: the file name and whether it is a
// JPEG file, or the clipboard.
#include <string>

namespace shell {

namespace frame {

struct CaptureTarget {
    std::string fileName;  // "CLIPBOARD" for the clipboard; "" when no name was chosen
    bool jpeg = false;
};

// From the name chosen in the save dialog (`jpegFilter`: the dialog's JPEG filter was chosen).
// A name ending in ".jpg" or ".jpeg" (any case) is a JPEG file as it stands. Otherwise, in the
// file's own name (the folders are left alone), everything after the first point becomes
// "bmp"; a name without a point gets ".jpg" under the JPEG filter and ".bmp" otherwise. A file
// then named "CLIPBOARD.BMP" or "CLIPBOARD.JPG" (any case, in any folder) means the clipboard,
// unless `clipboardName` is false.
CaptureTarget captureTarget(const std::string& chosen, bool jpegFilter, bool clipboardName = true);

}  // namespace frame

}  // namespace shell
