#pragma once
// Window capture: print a window, save it as a bitmap or JPEG file or place it on the
// clipboard; print or save what the clipboard holds; let the user drag a rectangle on the
// screen and print or save it.
//
// A window handle is the address of one of the program's widgets (its QWidget*), passed by
// value; a handle that is not a live widget of the application gives ERR_INVALIDHANDLE. File
// names are UTF-8 text. Every operation runs on the GUI thread.
//
// Result codes: 0 success; 1 to 21 the image library's codes (capture/dib.h, texts through
// CAP_ERROR); 23 CAP_INIT has not been called; 24 the clipboard holds no picture.
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define CAPTURELIB_EXPORT __attribute__((visibility("default")))
// An operation whose result code must be looked at.
#ifdef __cplusplus
#define CAPTURELIB_RESULT [[nodiscard]] CAPTURELIB_EXPORT
#else
#define CAPTURELIB_RESULT __attribute__((warn_unused_result)) CAPTURELIB_EXPORT
#endif

typedef void* CAP_HWND;       // a window of the program: its QWidget*
typedef void* CAP_HINSTANCE;  // the program's instance; kept, not used

// Capture areas.
#define CAP_AREA_WINDOW 1  // the whole window (a sub-window with its title bar and border)
#define CAP_AREA_CLIENT 2  // its client area: a main window's central widget, a sub-window's widget

// Print options: how the picture is laid on the page.
#define CAP_PRINT_BESTFIT 1  // as large as fits, keeping its proportions
#define CAP_PRINT_STRETCH 2  // stretched over the whole page
#define CAP_PRINT_SCALE 3    // its size on screen times the X and Y scales (0 counts as 1)

#define CAP_NOT_INITIALIZED 23
#define CAP_NO_CLIPBOARD_PICTURE 24

// Remembers the main window and its client window, sets the library up for the other
// operations. May be called again (the later handles win).
CAPTURELIB_EXPORT void CAP_INIT(CAP_HWND mainWindow, CAP_HWND clientWindow, CAP_HINSTANCE instance);

// Prints the window (area CAP_AREA_*) with the print option and scales; the job is named after
// the window's title (up to 63 characters). `noDialog` 0 asks the user with the print dialog
// (cancelled gives ERR_CANCELLED), otherwise the job goes straight to the default printer;
// `copies` below 1 counts as 1.
CAPTURELIB_RESULT int16_t CAP_PRINTWINDOW(CAP_HWND window, int32_t area, int32_t option,
                                          int32_t xScale, int32_t yScale, int32_t noDialog,
                                          int32_t copies);

// Copies the window (or its client area) and writes it: to the clipboard when the name is
// "CLIPBOARD" in any case (no file is written), else as a JPEG file when `jpeg` is not 0, else
// as a bitmap (.bmp) file. An empty name gives ERR_NOFILENAME and writes nothing. A failed
// write leaves any earlier file of that name as it was.
CAPTURELIB_RESULT int16_t CAP_SAVEWINDOW(CAP_HWND window, const char* fileName, int32_t area,
                                         uint8_t jpeg);

// Shows the clipboard's picture in `imageControl` (a QLabel). 0, 23, 24, or ERR_INVALIDHANDLE
// when the control is not a label of the program.
CAPTURELIB_RESULT int16_t CAP_CLIPBOARDTOIMAGE(CAP_HWND window, CAP_HWND imageControl);

// Prints the clipboard's picture: a bitmap if it holds one, else a vector drawing (SVG)
// rendered on white at its own size; 24 when it holds neither. The window parents the dialog.
CAPTURELIB_RESULT int16_t CAP_PRINTCLIPBOARD(CAP_HWND window, int32_t option, int32_t xScale,
                                             int32_t yScale, int32_t noDialog, int32_t copies);

// Writes the clipboard's picture (as CAP_PRINTCLIPBOARD finds it) as a JPEG or bitmap file.
CAPTURELIB_RESULT int16_t CAP_SAVECLIPBOARD(CAP_HWND window, const char* fileName, uint8_t jpeg);

// Covers the screen with the selection window and waits until the user has dragged a
// rectangle with the left button, then prints it (job "Selected Area") or writes it as
// CAP_SAVEWINDOW does. A click without a drag, Escape or the right button closes the window
// doing nothing and gives ERR_CANCELLED.
CAPTURELIB_RESULT int16_t CAP_PRINTSELECTEDAREA(int32_t option, int32_t xScale, int32_t yScale,
                                                int32_t noDialog, int32_t copies);
CAPTURELIB_RESULT int16_t CAP_SAVESELECTEDAREA(const char* fileName, uint8_t jpeg);

// Shows the code's text in a message captioned "CAP_Error" and returns the button pressed.
// Works before CAP_INIT, so a 23 can be explained.
CAPTURELIB_EXPORT int32_t CAP_ERROR(uint16_t code);

// The handles given to CAP_INIT; null before it or once that window is gone.
CAPTURELIB_EXPORT CAP_HWND CAP_GETAPPWINDOW(void);
CAPTURELIB_EXPORT CAP_HWND CAP_GETAPPCLIENTWINDOW(void);

// Hands the library the application's error and INI handler objects, which it keeps; KILL
// forgets them.
CAPTURELIB_EXPORT void CAPTURELIB_INIT(void* errorHandler, void* iniHandler);
CAPTURELIB_EXPORT void CAPTURELIB_KILL(void);

#ifdef __cplusplus
}
#endif
