#pragma once
// Running a report: its rows are read and printed in timed batches under the "Generating
// Report" progress window (bar, "<n>% Completed", Cancel); the pages go straight to the printer
// or the PDF, or, with preview, into page files that the preview shows before the chosen pages
// are printed. Cancel, or a report without a single row, prints nothing.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "bankrec/reports/print_target.h"
#include "bankrec/reports/report_writer.h"

namespace reports {

inline constexpr const char* kGeneratingReport = "Generating Report";
inline constexpr const char* kPreviewTitle = "Report Preview";

// The rows of one report, as a run reads and prints them.
class ReportSource {
  public:
    enum class Step { Row, End, Failed };
    virtual ~ReportSource() = default;

    // The job title on the printer and in the PDF.
    virtual std::string title() const = 0;
    // Opens the rows and sets up the writer's bands; `total` is the number of rows expected
    // (for the percentage). False when they cannot be read (the user has been told).
    virtual bool open(ReportWriter& writer, int64_t& total) = 0;
    // Reads the next row and prints it. Failed when the rows cannot be read further (the user
    // has been told).
    virtual Step next(ReportWriter& writer) = 0;
    // After the last row: the report's closing bands.
    virtual void finish(ReportWriter& writer) = 0;
};

// Where the pages go.
struct ReportOutput {
    bool preview = false;
    // Makes the printer (or PDF) target; it is opened only when a page is ready for it.
    std::function<std::unique_ptr<PrintTarget>()> printer;
};

// How a run ended.
enum class ReportResult {
    Printed,     // ran to the end and the pages went out
    NotPrinted,  // ran to the end; the user chose not to print from the preview
    Empty,       // no row at all: nothing printed
    Cancelled,   // Cancel in the progress window: nothing printed
    Failed,      // the rows or the output failed; the user has been told
};

// Runs the report. Leaves GlobalResponse at 1 (completed) when it printed and 2 otherwise.
[[nodiscard]] ReportResult runReport(ReportSource& source, const ReportOutput& output);

}  // namespace reports
