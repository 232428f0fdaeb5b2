#include "bankrec/shell/display.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace shell {

bool hasDisplay() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform && std::strncmp(platform, "xcb", 3) != 0 &&
        std::strncmp(platform, "wayland", 7) != 0)
        return true;  // offscreen, vnc, eglfs, minimal, ...: no window system needed
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* v = std::getenv(name);
        if (v && *v) return true;
    }
    return false;
}

}  // namespace shell
