#include "bankrec/shell/capture_target.h"

#include "corelib/text.h"

using namespace corelib;

namespace shell {

namespace frame {

namespace {
bool endsWithNoCase(const std::string& s, std::string_view suffix) {
    return s.size() >= suffix.size() &&
           text::equalNoCase(std::string_view(s).substr(s.size() - suffix.size()), suffix);
}
}  // namespace

CaptureTarget captureTarget(const std::string& chosen, bool jpegFilter, bool clipboardName) {
    if (chosen.empty()) return {};
    const size_t slash = chosen.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : chosen.substr(0, slash + 1);
    std::string name = chosen.substr(folder.size());

    CaptureTarget target;
    if (endsWithNoCase(name, ".jpg") || endsWithNoCase(name, ".jpeg")) {
        target.jpeg = true;
    } else if (const size_t point = name.find('.'); point != std::string::npos) {
        name = name.substr(0, point + 1) + "bmp";
    } else {
        target.jpeg = jpegFilter;
        name += jpegFilter ? ".jpg" : ".bmp";
    }
    if (clipboardName &&
        (text::equalNoCase(name, "CLIPBOARD.BMP") || text::equalNoCase(name, "CLIPBOARD.JPG") ||
         text::equalNoCase(name, "CLIPBOARD.JPEG")))
        return {"CLIPBOARD", false};
    target.fileName = folder + name;
    return target;
}

}  // namespace frame

}  // namespace shell
