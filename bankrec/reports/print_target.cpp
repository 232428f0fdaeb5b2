#include "bankrec/reports/print_target.h"

#include <QDir>
#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QUuid>

#include "corelib/cups_print.h"

namespace reports {

PrintTarget::~PrintTarget() = default;

bool PrintTarget::addPage(const ReportPage& page) {
    if (done_) return false;
    if (!device_) {
        device_ = open(title_, error_);
        if (!device_) {
            done_ = true;
            return false;
        }
        if (!painter_.begin(device_)) {
            error_ = "the printer cannot be drawn on";
            discard();
            done_ = true;
            return false;
        }
    } else if (!device_->newPage()) {
        error_ = "a new page could not be started";
        abort();
        return false;
    }
    // Keep the page's proportions within the device's page.
    paintPage(painter_, page, QRectF(0, 0, device_->width(), device_->height()));
    ++pages_;
    return true;
}

bool PrintTarget::finish() {
    if (done_) return pages_ > 0 && error_.empty();
    done_ = true;
    if (!device_) return true;  // no page: nothing to deliver
    if (!painter_.end()) {
        error_ = "the job could not be finished";
        discard();
        return false;
    }
    return deliver(error_);
}

void PrintTarget::abort() {
    if (done_) return;
    done_ = true;
    if (!device_) return;
    if (painter_.isActive()) {
        interrupt();
        painter_.end();
    }
    discard();
}

void setUpPdfWriter(QPdfWriter& writer, const std::string& title) {
    writer.setPageLayout(
        QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    writer.setResolution(600);
    writer.setTitle(QString::fromStdString(title));
    writer.setCreator("Bank Reconciliation");
}

// ---- PDF file ----

PdfTarget::PdfTarget(std::string path) : path_(std::move(path)) {}

PdfTarget::~PdfTarget() {
    abort();
}

QPagedPaintDevice* PdfTarget::open(const std::string& title, std::string& error) {
    file_ = std::make_unique<QSaveFile>(QString::fromStdString(path_));
    if (!file_->open(QIODevice::WriteOnly)) {
        error = path_ + ": " + file_->errorString().toStdString();
        file_.reset();
        return nullptr;
    }
    writer_ = std::make_unique<QPdfWriter>(file_.get());
    setUpPdfWriter(*writer_, title);
    return writer_.get();
}

bool PdfTarget::deliver(std::string& error) {
    writer_.reset();
    if (!file_->commit()) {
        error = path_ + ": " + file_->errorString().toStdString();
        return false;
    }
    return true;
}

void PdfTarget::discard() {
    writer_.reset();
    if (file_) file_->cancelWriting();
    file_.reset();
}

// ---- CUPS printer ----

CupsTarget::CupsTarget(std::string printer)
    : PdfTarget(
          QDir(QDir::tempPath())
              .filePath("bankrec-print-" + QUuid::createUuid().toString(QUuid::Id128) + ".pdf")
              .toStdString()),
      printer_(std::move(printer)) {}

CupsTarget::~CupsTarget() {
    abort();
    QFile::remove(QString::fromStdString(path()));
}

QPagedPaintDevice* CupsTarget::open(const std::string& title, std::string& error) {
    if (printer_.empty()) {
        error = "no printer chosen";
        return nullptr;
    }
    return PdfTarget::open(title, error);
}

bool CupsTarget::deliver(std::string& error) {
    if (!PdfTarget::deliver(error)) return false;
    jobId_ = corelib::printFileToCups(printer_, path(), title_, error);
    QFile::remove(QString::fromStdString(path()));
    return jobId_ > 0;
}

}  // namespace reports
