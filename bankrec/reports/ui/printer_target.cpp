#include "bankrec/reports/ui/printer_target.h"

#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>

namespace reports {

QPrinterTarget::QPrinterTarget(std::string printer, std::string pdfFile)
    : printerName_(std::move(printer)), pdfFile_(std::move(pdfFile)) {}

QPrinterTarget::~QPrinterTarget() {
    abort();
}

QPagedPaintDevice* QPrinterTarget::open(const std::string& title, std::string& error) {
    if (pdfFile_.empty()) {
        if (printerName_.empty()) {
            error = "no printer chosen";
            return nullptr;
        }
        if (QPrinterInfo::printerInfo(QString::fromStdString(printerName_)).isNull()) {
            error = "printer " + printerName_ + " not found";
            return nullptr;
        }
    }
    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (pdfFile_.empty()) {
        printer_->setPrinterName(QString::fromStdString(printerName_));
    } else {
        printer_->setOutputFormat(QPrinter::PdfFormat);
        printer_->setOutputFileName(QString::fromStdString(pdfFile_));
    }
    printer_->setFullPage(true);
    printer_->setPageLayout(
        QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    printer_->setDocName(QString::fromStdString(title));
    printer_->setCreator("Bank Reconciliation");
    if (!printer_->isValid()) {
        error = "printer " + printerName_ + " cannot be used";
        printer_.reset();
        return nullptr;
    }
    return printer_.get();
}

bool QPrinterTarget::deliver(std::string& error) {
    const bool ok = printer_->printerState() != QPrinter::Error &&
                    printer_->printerState() != QPrinter::Aborted;
    if (!ok) error = "the printer reported an error";
    printer_.reset();
    return ok;
}

void QPrinterTarget::interrupt() {
    if (printer_) printer_->abort();
}

void QPrinterTarget::discard() {
    printer_.reset();
    // A PDF the aborted job began is not left behind.
    if (!pdfFile_.empty()) QFile::remove(QString::fromStdString(pdfFile_));
}

}  // namespace reports
