#pragma once

namespace shell {

// Whether the program can open windows: a display (X11 or Wayland), or Qt's offscreen platform.
// Without one, constructing the Qt application would abort, so the program decides first.
bool hasDisplay();

}  // namespace shell
