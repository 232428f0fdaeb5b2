#pragma once
// The pages of a report kept on disk for the preview, in a temporary folder of their own that
// goes when the object does: one SVG page file per page (what the preview shows and searches),
// and every page's layout in one store, so the pages the user chooses are painted straight onto
// the printer afterwards instead of from their SVG (which would lose the text).
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bankrec/reports/report_writer.h"

namespace reports {

class PrintTarget;

class PageFiles : public PageSink {
  public:
    PageFiles();
    ~PageFiles() override;

    // False when the folder could not be made (errorText() says why).
    bool valid() const { return error_.empty(); }
    const std::string& errorText() const { return error_; }
    std::string folder() const;

    // Writes the page's SVG file and stores its layout. False when either write failed.
    bool addPage(const ReportPage& page) override;
    int32_t pageCount() const { return static_cast<int32_t>(offsets_.size()); }
    // The page files in page order: the preview's page queue.
    std::vector<std::string> queue() const;
    // The stored layout of the page whose file is `file`; false for a file not of this report.
    [[nodiscard]] bool readPage(const std::string& file, ReportPage& page);
    [[nodiscard]] bool readPage(int32_t index, ReportPage& page);

  private:
    std::string pageFile(int32_t index) const;

    QTemporaryDir dir_;
    QFile store_;
    std::vector<qint64> offsets_;
    std::map<std::string, int32_t> index_;
    std::string error_;
};

// Paints the pages of the queue (page files of `files`, in queue order, repeats included)
// onto the target in one job, under a progress window. True when every page was printed and
// the job delivered; false when cancelled or failed (the job is then dropped and `error` says
// why, empty when cancelled).
[[nodiscard]] bool printPageFiles(PageFiles& files, const std::vector<std::string>& queue,
                                  PrintTarget& target, std::string& error);

}  // namespace reports
