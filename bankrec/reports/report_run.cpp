#include "bankrec/reports/report_run.h"

#include "bankrec/reports/page_files.h"
#include "corelib/globals.h"
#include "corelib/message.h"
#include "corelib/progress.h"
#include "corelib/zor_preview.h"

using namespace corelib;

namespace reports {

namespace {

// Rows read per timer tick (the runner adds ticks while a tick stays short).
constexpr int kRowsPerTick = 25;

class ReportJob : public ProgressJob {
  public:
    ReportJob(ReportSource& source, ReportWriter& writer, int64_t total)
        : source_(source), writer_(writer), total_(total) {}

    void open(ProgressView& view) override { view.setRange(0, total_); }
    bool tick(ProgressView& view) override {
        for (int n = 0; n < kRowsPerTick; ++n) {
            const ReportSource::Step step = source_.next(writer_);
            if (step == ReportSource::Step::End) {
                ended_ = true;
                break;
            }
            if (step == ReportSource::Step::Failed || writer_.failed()) {
                failed_ = true;
                break;
            }
            ++read_;
        }
        // The share of the rows read; the count may have grown since it was taken.
        view.setValue(std::min(read_, total_));
        return !ended_ && !failed_;
    }
    bool cancel(ProgressView&) override {
        cancelled_ = true;
        return true;
    }

    bool ended() const { return ended_ && !cancelled_; }
    bool failed() const { return failed_; }
    int64_t read() const { return read_; }

  private:
    ReportSource& source_;
    ReportWriter& writer_;
    int64_t total_;
    int64_t read_ = 0;
    bool ended_ = false;
    bool failed_ = false;
    bool cancelled_ = false;
};

void printFailed(const std::string& title, const std::string& reason) {
    ds_Beep();
    ds_Message("Unable to print " + title + ": " + reason, title, icon::Exclamation, msg::OK);
}

// Reads every row into the sink under the progress window.
ReportResult generate(ReportSource& source, PageSink& sink, std::string& sinkError,
                      const std::function<std::string()>& sinkErrorText) {
    ReportWriter writer(sink);
    int64_t total = 0;
    if (!source.open(writer, total)) return ReportResult::Failed;
    ReportJob job(source, writer, total);
    ProgressOptions progress;
    progress.title = kGeneratingReport;
    runProgress(progress, job);
    if (job.failed()) {
        if (writer.failed()) sinkError = sinkErrorText();
        return ReportResult::Failed;
    }
    if (!job.ended()) return ReportResult::Cancelled;
    if (job.read() == 0) return ReportResult::Empty;
    source.finish(writer);
    if (!writer.finish()) {
        sinkError = sinkErrorText();
        return ReportResult::Failed;
    }
    return ReportResult::Printed;
}

ReportResult printDirect(ReportSource& source, const ReportOutput& output) {
    std::unique_ptr<PrintTarget> target = output.printer ? output.printer() : nullptr;
    if (!target) {
        printFailed(source.title(), "no printer");
        return ReportResult::Failed;
    }
    target->setJobTitle(source.title());
    std::string error;
    ReportResult r = generate(source, *target, error, [&] { return target->errorText(); });
    if (r != ReportResult::Printed) {
        target->abort();
        if (!error.empty()) printFailed(source.title(), error);
        return r;
    }
    if (!target->finish()) {
        printFailed(source.title(), target->errorText());
        return ReportResult::Failed;
    }
    return r;
}

ReportResult printPreviewed(ReportSource& source, const ReportOutput& output) {
    PageFiles files;
    if (!files.valid()) {
        printFailed(source.title(), files.errorText());
        return ReportResult::Failed;
    }
    std::string error;
    ReportResult r = generate(source, files, error, [&] { return files.errorText(); });
    if (r != ReportResult::Printed) {
        if (!error.empty()) printFailed(source.title(), error);
        return r;
    }
    std::vector<std::string> queue = files.queue();
    if (ZOR_PREVIEW(queue, kZoomFitWidth, 1, kPreviewTitle, 1) != 1)
        return ReportResult::NotPrinted;
    if (queue.empty()) return ReportResult::NotPrinted;  // every page was unmarked
    std::unique_ptr<PrintTarget> target = output.printer ? output.printer() : nullptr;
    if (!target) {
        printFailed(source.title(), "no printer");
        return ReportResult::Failed;
    }
    target->setJobTitle(source.title());
    if (!printPageFiles(files, queue, *target, error)) {
        if (!error.empty()) {
            printFailed(source.title(), error);
            return ReportResult::Failed;
        }
        return ReportResult::Cancelled;
    }
    return ReportResult::Printed;
}

}  // namespace

ReportResult runReport(ReportSource& source, const ReportOutput& output) {
    const ReportResult r =
        output.preview ? printPreviewed(source, output) : printDirect(source, output);
    GlobalResponse = r == ReportResult::Printed ? RequestCompleted : RequestCancelled;
    return r;
}

}  // namespace reports
