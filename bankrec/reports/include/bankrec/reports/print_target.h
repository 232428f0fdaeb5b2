#pragma once
// Where printed pages are drawn: a paged device (a PDF file, a CUPS printer, a QPrinter) that
// the pages are painted straight onto, one after another, in one job. Nothing reaches the
// printer or the named file until finish(): an aborted job prints nothing and leaves no file.
#include <QPainter>
#include <memory>
#include <string>

#include "bankrec/reports/report_writer.h"

class QPagedPaintDevice;
class QSaveFile;
class QPdfWriter;

namespace reports {

class PrintTarget : public PageSink {
  public:
    ~PrintTarget() override;

    // The job's title (the document name on the printer, the PDF's title); set before the
    // first page.
    void setJobTitle(std::string title) { title_ = std::move(title); }
    // Paints the page on a page of its own, opening the device for the first page.
    bool addPage(const ReportPage& page) override;
    // Ends the job and delivers it (the file in place, the job at the printer). True when
    // delivered; false with errorText() otherwise. A job without pages delivers nothing.
    [[nodiscard]] bool finish();
    // Drops the job: nothing is printed, no file is left.
    void abort();
    int pages() const { return pages_; }
    const std::string& errorText() const { return error_; }

  protected:
    // Opens the device for a job; nullptr with `error` set when it cannot.
    virtual QPagedPaintDevice* open(const std::string& title, std::string& error) = 0;
    // The painter has ended: deliver the job. False with `error` set when that failed.
    virtual bool deliver(std::string& error) = 0;
    // The job is being dropped while the painter is still active (a printer aborts its job).
    virtual void interrupt() {}
    // Drops the job after the painter has ended: no file left, nothing sent.
    virtual void discard() = 0;

    std::string title_;

  private:
    QPainter painter_;
    QPagedPaintDevice* device_ = nullptr;
    int pages_ = 0;
    bool done_ = false;
    std::string error_;
};

// A PDF file, written beside its final name and put in place when the job finishes.
class PdfTarget : public PrintTarget {
  public:
    explicit PdfTarget(std::string path);
    ~PdfTarget() override;
    const std::string& path() const { return path_; }

  protected:
    QPagedPaintDevice* open(const std::string& title, std::string& error) override;
    bool deliver(std::string& error) override;
    void discard() override;

  private:
    std::string path_;
    std::unique_ptr<QSaveFile> file_;
    std::unique_ptr<QPdfWriter> writer_;
};

// A CUPS printer without Qt's print support: the job is drawn into a PDF in the temporary
// folder, which is handed to CUPS when the job finishes and then removed.
class CupsTarget : public PdfTarget {
  public:
    explicit CupsTarget(std::string printer);
    ~CupsTarget() override;
    // The job number CUPS gave the finished job (0 before).
    int jobId() const { return jobId_; }

  protected:
    QPagedPaintDevice* open(const std::string& title, std::string& error) override;
    bool deliver(std::string& error) override;

  private:
    std::string printer_;
    int jobId_ = 0;
};

// The PDF writer settings every PDF of the reports shares: letter paper, no margins.
void setUpPdfWriter(QPdfWriter& writer, const std::string& title);

}  // namespace reports
