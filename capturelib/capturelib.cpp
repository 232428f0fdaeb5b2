// The exported operations of the capture library.
#include "capturelib/capturelib.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPixmap>

#include "capturelib/capture_state.h"
#include "capturelib/dib.h"
#include "clipboard_picture.h"
#include "corelib/message.h"
#include "jpegenc/jpegenc.h"
#include "rubber_band.h"

namespace capture {
namespace {

constexpr int kJobNameLength = 63;

bool haveGui() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

// The live widget a handle stands for; nullptr for anything else (a stale or foreign address
// is compared, never followed).
QWidget* widgetOf(CAP_HWND handle) {
    if (handle == nullptr || !haveGui()) return nullptr;
    const QWidgetList widgets = QApplication::allWidgets();
    for (QWidget* w : widgets)
        if (static_cast<void*>(w) == handle) return w;
    return nullptr;
}

QString nameOf(const char* fileName) {
    return fileName == nullptr ? QString() : QString::fromUtf8(fileName);
}

bool isClipboardName(const QString& name) {
    return name.compare("CLIPBOARD", Qt::CaseInsensitive) == 0;
}

int16_t writeFile(const Dib& dib, const QString& name, bool jpeg) {
    if (name.isEmpty()) return ERR_NOFILENAME;
    if (!jpeg) return SaveDIB(dib, name);
    return EncodeJPGFileFromDIB(dib.data(), name.toLocal8Bit().constData()) == 0 ? DIB_OK
                                                                                 : ERR_JPEG;
}

// A window or screen picture goes to the clipboard under the name "CLIPBOARD", to a file
// otherwise.
int16_t store(const Dib& dib, const QString& name, bool jpeg) {
    if (!isClipboardName(name)) return writeFile(dib, name, jpeg);
    const QImage image = dib.toImage();
    if (image.isNull()) return ERR_NOT_DIB;
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setImage(image);
    return DIB_OK;
}

PrintSettings settings(int32_t option, int32_t xScale, int32_t yScale, int32_t noDialog,
                       int32_t copies) {
    return {option, xScale, yScale, noDialog, copies};
}

// The clipboard's picture as a DIB: 0, 24, ERR_CLIPBOARD or ERR_MEMORY.
int16_t clipboardDib(Dib& out) {
    if (!haveGui()) return ERR_CLIPBOARD;
    const QImage picture = clipboardPicture();
    if (picture.isNull()) return CAP_NO_CLIPBOARD_PICTURE;
    out = Dib::fromImage(picture);
    return out.isNull() ? ERR_MEMORY : DIB_OK;
}

// Runs the selection window; 0 with the area's DIB, ERR_CANCELLED when nothing was selected.
int16_t selectedArea(Dib& out) {
    if (!haveGui()) return ERR_SCREEN;
    LibraryState& state = libraryState();
    if (state.selecting) return ERR_BUSY;
    state.selecting = true;
    const Selection selection = selectScreenArea(state.mainWindow);
    state.selecting = false;
    if (selection.rect.isEmpty()) return ERR_CANCELLED;
    if (selection.picture.isNull()) return ERR_SCREEN;
    out = Dib::fromImage(selection.picture);
    return out.isNull() ? ERR_MEMORY : DIB_OK;
}

}  // namespace

LibraryState& libraryState() {
    static LibraryState state;
    return state;
}

void resetLibrary() {
    libraryState() = LibraryState();
}

}  // namespace capture

using namespace capture;

void CAP_INIT(CAP_HWND mainWindow, CAP_HWND clientWindow, CAP_HINSTANCE instance) {
    LibraryState& state = libraryState();
    state.mainWindow = widgetOf(mainWindow);
    state.clientWindow = widgetOf(clientWindow);
    state.instance = instance;
    state.initialised = true;
}

int16_t CAP_PRINTWINDOW(CAP_HWND window, int32_t area, int32_t option, int32_t xScale,
                        int32_t yScale, int32_t noDialog, int32_t copies) {
    if (!libraryState().initialised) return CAP_NOT_INITIALIZED;
    QWidget* w = widgetOf(window);
    if (w == nullptr) return ERR_INVALIDHANDLE;
    return PrintWindow2(w, area, settings(option, xScale, yScale, noDialog, copies),
                        w->windowTitle().left(kJobNameLength));
}

int16_t CAP_SAVEWINDOW(CAP_HWND window, const char* fileName, int32_t area, uint8_t jpeg) {
    if (!libraryState().initialised) return CAP_NOT_INITIALIZED;
    QWidget* w = widgetOf(window);
    if (w == nullptr) return ERR_INVALIDHANDLE;
    const QString name = nameOf(fileName);
    if (name.isEmpty()) return ERR_NOFILENAME;
    Dib dib;
    if (const int16_t rc = CopyWindowToDIB(w, area, dib)) return rc;
    return store(dib, name, jpeg != 0);
}

int16_t CAP_CLIPBOARDTOIMAGE(CAP_HWND window, CAP_HWND imageControl) {
    (void)window;
    if (!libraryState().initialised) return CAP_NOT_INITIALIZED;
    auto* label = qobject_cast<QLabel*>(widgetOf(imageControl));
    if (label == nullptr) return ERR_INVALIDHANDLE;
    Dib dib;
    if (const int16_t rc = clipboardDib(dib)) return rc;
    label->setPixmap(QPixmap::fromImage(dib.toImage()));
    return DIB_OK;
}

int16_t CAP_PRINTCLIPBOARD(CAP_HWND window, int32_t option, int32_t xScale, int32_t yScale,
                           int32_t noDialog, int32_t copies) {
    if (!libraryState().initialised) return CAP_NOT_INITIALIZED;
    Dib dib;
    if (const int16_t rc = clipboardDib(dib)) return rc;
    return PrintDIB(dib, settings(option, xScale, yScale, noDialog, copies), "Clipboard",
                    widgetOf(window));
}

int16_t CAP_SAVECLIPBOARD(CAP_HWND window, const char* fileName, uint8_t jpeg) {
    (void)window;
    if (!libraryState().initialised) return CAP_NOT_INITIALIZED;
    const QString name = nameOf(fileName);
    if (name.isEmpty()) return ERR_NOFILENAME;
    Dib dib;
    if (const int16_t rc = clipboardDib(dib)) return rc;
    return writeFile(dib, name, jpeg != 0);
}

int16_t CAP_PRINTSELECTEDAREA(int32_t option, int32_t xScale, int32_t yScale, int32_t noDialog,
                              int32_t copies) {
    if (!libraryState().initialised) return CAP_NOT_INITIALIZED;
    Dib dib;
    if (const int16_t rc = selectedArea(dib)) return rc;
    return PrintDIB(dib, settings(option, xScale, yScale, noDialog, copies), "Selected Area",
                    libraryState().mainWindow);
}

int16_t CAP_SAVESELECTEDAREA(const char* fileName, uint8_t jpeg) {
    if (!libraryState().initialised) return CAP_NOT_INITIALIZED;
    const QString name = nameOf(fileName);
    if (name.isEmpty()) return ERR_NOFILENAME;
    Dib dib;
    if (const int16_t rc = selectedArea(dib)) return rc;
    return store(dib, name, jpeg != 0);
}

int32_t CAP_ERROR(uint16_t code) {
    std::string text;
    if (code == CAP_NOT_INITIALIZED)
        text = "Library Not Initialized!";
    else if (code == CAP_NO_CLIPBOARD_PICTURE)
        text = "Clipboard does not contain a supported format.";
    else
        text = DIBError(code).toStdString();
    return corelib::ds_Message(text, "CAP_Error", corelib::icon::Exclamation, corelib::msg::OK);
}

CAP_HWND CAP_GETAPPWINDOW(void) {
    return libraryState().mainWindow.data();
}
CAP_HWND CAP_GETAPPCLIENTWINDOW(void) {
    return libraryState().clientWindow.data();
}

void CAPTURELIB_INIT(void* errorHandler, void* iniHandler) {
    libraryState().errorHandler = errorHandler;
    libraryState().iniHandler = iniHandler;
}

void CAPTURELIB_KILL(void) {
    libraryState().errorHandler = nullptr;
    libraryState().iniHandler = nullptr;
}
