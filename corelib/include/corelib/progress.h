#pragma once
// Progress windows for long runs. The window's timer drives the work: on every tick the runner
// calls the job's tick() for one batch, and keeps calling it within the same tick while the tick
// stays under about 20 ms, so windows keep repainting and Cancel answers at once. A job frames
// each slice of ticks (sliceBegin/sliceEnd) so one slice can be one transaction.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace corelib {

class ProgressView {
  public:
    virtual ~ProgressView() = default;
    virtual void setTitle(const std::string& title) = 0;
    virtual void setText(const std::string& text) = 0;  // the window's prompt line
    virtual void setRange(int64_t low, int64_t high) = 0;
    virtual void setValue(int64_t value) = 0;
    // Shows "<n>% Completed" (n in three places); redrawn only when n changes.
    virtual void setPercent(int percent) = 0;
};

class ProgressJob {
  public:
    virtual ~ProgressJob() = default;
    // The window is open; set up the range and start the work.
    virtual void open(ProgressView&) {}
    // One batch; return false when the work is done (the window then closes).
    virtual bool tick(ProgressView& view) = 0;
    // A run of ticks within one timer event begins / ends.
    virtual void sliceBegin() {}
    virtual void sliceEnd() {}
    // The user pressed Cancel; return true to close the window.
    virtual bool cancel(ProgressView&) { return true; }
    // The window is closing (after the last tick or a cancel).
    virtual void close() {}
};

enum class ProgressResult { Completed, Cancelled };

struct ProgressOptions {
    std::string title = "Processing Records";
    std::string text;
    bool cancelButton = true;
    bool percentLine = true;  // the "<n>% Completed" line
    int periodMs = 1;         // timer period
    int sliceMs = 20;  // keep calling tick() within one timer event up to this long; 0: one tick
    std::string placeName;  // remember the window's place under this procedure name (empty: no)
};

class ProgressBackend {
  public:
    virtual ~ProgressBackend() = default;
    // Opens the window and runs the job to its end; returns when the window has closed.
    virtual ProgressResult run(const ProgressOptions& options, ProgressJob& job) = 0;
};

// One timer event's work: sliceBegin(), then tick() while the slice stays under `sliceMs`
// (exactly one tick when sliceMs is 0), then sliceEnd(). Returns false when the job is done.
// `ticks`, when given, receives the number of ticks run.
bool runProgressSlice(ProgressJob& job, ProgressView& view, int sliceMs, int* ticks = nullptr);

// The percentage shown for a value within a range, 0 to 100 (0 for an empty range).
int progressPercent(int64_t low, int64_t high, int64_t value);

// Runs the job to its end without a window, still in slices (the command-line tool, the tests).
class HeadlessProgress : public ProgressBackend {
  public:
    ProgressResult run(const ProgressOptions& options, ProgressJob& job) override;
};

// Runs a job modally through the installed backend (the headless one when none is installed).
ProgressResult runProgress(const ProgressOptions& options, ProgressJob& job);
// Installs a backend; null puts the headless one back.
void setProgressBackend(std::unique_ptr<ProgressBackend> backend);
ProgressBackend& progressBackend();

}  // namespace corelib
