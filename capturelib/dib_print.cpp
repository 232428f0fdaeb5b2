// Printing a DIB on one page, through the print dialog or straight to the default printer.
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QWidget>
#include <algorithm>

#include "capturelib/capturelib.h"
#include "capturelib/dib.h"

namespace capture {
namespace {

bool askWithDialog(QPrinter& printer, bool ask, QWidget* parent) {
    if (!ask) return true;
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

PrinterChooser& chooser() {
    static PrinterChooser current = askWithDialog;
    return current;
}

// Where the picture goes on the page (printer pixels, relative to the printable area).
QRectF placement(const QSizeF& natural, const QSizeF& page, const PrintSettings& s) {
    switch (s.option) {
        case CAP_PRINT_STRETCH:
            return {QPointF(0, 0), page};
        case CAP_PRINT_SCALE: {
            const QSizeF size(natural.width() * std::max(1, s.xScale),
                              natural.height() * std::max(1, s.yScale));
            return {QPointF(0, 0), size};
        }
        default: {  // best fit, centred across the page
            const QSizeF size = natural.scaled(page, Qt::KeepAspectRatio);
            return {QPointF((page.width() - size.width()) / 2, 0), size};
        }
    }
}

}  // namespace

void setPrinterChooser(PrinterChooser c) {
    chooser() = c ? std::move(c) : askWithDialog;
}

int16_t PrintDIB(const Dib& dib, const PrintSettings& settings, const QString& jobName,
                 QWidget* parent) {
    const QImage image = dib.toImage();
    if (image.isNull()) return ERR_NOT_DIB;

    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(jobName);
    printer.setCopyCount(std::max(1, settings.copies));
    if (!chooser()(printer, settings.noDialog == 0, parent)) return ERR_CANCELLED;
    if (printer.outputFormat() == QPrinter::NativeFormat && printer.printerName().isEmpty())
        return ERR_NOPRINTER;

    QPainter painter;
    if (!painter.begin(&printer)) return ERR_STARTDOC;
    // The picture's size on screen, in printer pixels.
    const double screenDpiX = dib.dotsPerMeterX() > 0 ? dib.dotsPerMeterX() * 0.0254 : 96.0;
    const double screenDpiY = dib.dotsPerMeterY() > 0 ? dib.dotsPerMeterY() * 0.0254 : 96.0;
    const QSizeF natural(image.width() * printer.resolution() / screenDpiX,
                         image.height() * printer.resolution() / screenDpiY);
    const QSizeF page = printer.pageRect(QPrinter::DevicePixel).size();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(placement(natural, page, settings), image);
    return painter.end() ? DIB_OK : ERR_ENDDOC;
}

int16_t PrintWindow2(QWidget* window, int32_t area, const PrintSettings& settings,
                     const QString& jobName) {
    Dib dib;
    if (const int16_t rc = CopyWindowToDIB(window, area, dib)) return rc;
    return PrintDIB(dib, settings, jobName, window);
}

}  // namespace capture
