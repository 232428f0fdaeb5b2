#pragma once

namespace corelib {

// The event filter that gives a session's windows their thread: each event delivered to a window
// tagged with THREAD_SETWINDOW (corelib/thread_registry.h), or to anything inside it, runs on
// the window's thread.
// Installs the application-wide event filter that runs each event delivered to a tagged window, or
// to anything inside it, on the window's thread, and answers the activation event (restore when
// minimised, raise, activate; for an MDI sub-window also make it the area's active one). The
// filter must come before every other application event filter so those see each event once:
// call this again after installing another one (the one filter then moves to the front).
// Needs a QApplication.
void installThreadEventFilter();

}  // namespace corelib
