#pragma once
// The image library under window capture: device-independent bitmaps (DIBs) made from windows,
// the screen and pictures, written as bitmap files and printed.
//
// A DIB is one block of memory: the 40-byte bitmap information header followed by the pixel
// rows, bottom-up, each padded to a multiple of 4 bytes. The DIBs made here are always 24 bits
// per pixel (BGR) without a colour table, which is what the JPEG encoder takes.
#include <QImage>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

class QPrinter;
class QRect;
class QWidget;

namespace capture {

// The library's result codes (1 to 21); 0 is success.
enum DibCode : int16_t {
    DIB_OK = 0,
    ERR_NOT_DIB = 1,        // not a DIB of a kind the library reads
    ERR_MEMORY = 2,         // no memory for the image
    ERR_EMPTY = 3,          // a window or area without pixels
    ERR_INVALIDHANDLE = 4,  // not a live window of the program
    ERR_OPEN = 5,           // the file cannot be created
    ERR_WRITE = 6,          // the file cannot be written
    ERR_JPEG = 7,           // the JPEG encoder refused or failed
    ERR_NOFILENAME = 8,     // an empty file name
    ERR_SCREEN = 9,         // the screen or window cannot be read
    ERR_CLIPBOARD = 10,     // no clipboard (no GUI application)
    ERR_NOPRINTER = 11,     // no printer to print on
    ERR_STARTDOC = 12,      // the printer refused the job
    ERR_ENDDOC = 13,        // the job failed while printing
    ERR_CANCELLED = 14,     // the user cancelled (print dialog, empty selection)
    ERR_BUSY = 15,          // a screen selection is already open
    ERR_LAST = 21,
};

// The text of a result code, for the codes above; "Unknown error N." for others.
QString DIBError(int code);

class Dib {
  public:
    Dib() = default;
    // A 24-bit DIB of the picture; transparent parts are laid on white. Null when the picture
    // is null or memory runs out.
    static Dib fromImage(const QImage& image);
    bool isNull() const { return bytes_.empty(); }
    const uint8_t* data() const { return bytes_.data(); }
    size_t size() const { return bytes_.size(); }
    int width() const;
    int height() const;  // always positive
    int bitCount() const;
    // Pixels per metre of the picture (the screen's when it came from the screen).
    int dotsPerMeterX() const;
    int dotsPerMeterY() const;
    // The picture; null for a DIB that is not an uncompressed 24-bit one.
    QImage toImage() const;

  private:
    std::vector<uint8_t> bytes_;
};

// Writes the DIB as a bitmap file (file header + DIB), replacing the file only once the whole
// image is written. 0, ERR_NOFILENAME, ERR_NOT_DIB, ERR_OPEN, ERR_WRITE.
[[nodiscard]] int16_t SaveDIB(const Dib& dib, const QString& fileName);

// Copies a window to a DIB: area 2 its client area, otherwise the whole window.
// 0, ERR_EMPTY, ERR_SCREEN, ERR_MEMORY.
[[nodiscard]] int16_t CopyWindowToDIB(QWidget* window, int32_t area, Dib& out);
// A DIB of what the screen shows in the rectangle (virtual desktop coordinates).
// 0, ERR_EMPTY, ERR_SCREEN, ERR_MEMORY.
[[nodiscard]] int16_t CopyScreenToDIB(const QRect& rect, Dib& out);
// The whole virtual desktop as the screen shows it; null when it cannot be read.
QImage grabScreen(QRect& geometry);

// How a print job lays out the picture and reaches its printer.
struct PrintSettings {
    int32_t option = 1;  // CAP_PRINT_BESTFIT, _STRETCH or _SCALE
    int32_t xScale = 1;
    int32_t yScale = 1;
    int32_t noDialog = 0;  // not 0: no print dialog, the default printer
    int32_t copies = 1;
};

// Picks the printer of a job: shows the print dialog when `ask` is set, otherwise keeps the
// default printer. false means the user cancelled. The printer already carries the job name
// and the copies.
using PrinterChooser = std::function<bool(QPrinter& printer, bool ask, QWidget* parent)>;
// Replaces how jobs choose their printer (the tests print to PDF files); an empty function
// puts the print dialog back.
void setPrinterChooser(PrinterChooser chooser);

// Prints the DIB on one page. 0, ERR_NOT_DIB, ERR_CANCELLED, ERR_NOPRINTER, ERR_STARTDOC,
// ERR_ENDDOC.
[[nodiscard]] int16_t PrintDIB(const Dib& dib, const PrintSettings& settings,
                               const QString& jobName, QWidget* parent);
// Copies the window (area as CopyWindowToDIB) and prints it.
[[nodiscard]] int16_t PrintWindow2(QWidget* window, int32_t area, const PrintSettings& settings,
                                   const QString& jobName);

}  // namespace capture
