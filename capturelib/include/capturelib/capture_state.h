#pragma once
// The capture library's state: what CAP_INIT and CAPTURELIB_INIT handed it.
#include <QPointer>
#include <QWidget>

namespace capture {

struct LibraryState {
    QPointer<QWidget> mainWindow;
    QPointer<QWidget> clientWindow;
    void* instance = nullptr;
    bool initialised = false;
    void* errorHandler = nullptr;
    void* iniHandler = nullptr;
    bool selecting = false;  // a selection window is open
};

LibraryState& libraryState();
// Back to the state before CAP_INIT and CAPTURELIB_INIT (the tests start from there).
void resetLibrary();

}  // namespace capture
