#pragma once
// A printer reached through Qt's print support (QPrinter): a CUPS printer by name, or a PDF
// file when a file name is given.
#include <memory>
#include <string>

#include "bankrec/reports/print_target.h"

class QPrinter;

namespace reports {

class QPrinterTarget : public PrintTarget {
  public:
    // `printer` as the printer list names it; with `pdfFile` the job goes to that file instead.
    explicit QPrinterTarget(std::string printer, std::string pdfFile = {});
    ~QPrinterTarget() override;

  protected:
    QPagedPaintDevice* open(const std::string& title, std::string& error) override;
    bool deliver(std::string& error) override;
    void interrupt() override;
    void discard() override;

  private:
    std::string printerName_;
    std::string pdfFile_;
    std::unique_ptr<QPrinter> printer_;
};

}  // namespace reports
