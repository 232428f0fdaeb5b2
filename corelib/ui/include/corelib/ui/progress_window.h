#pragma once
// The progress window and the timer-driven runner behind it.
#include <QDialog>
#include <QObject>
#include <functional>
#include <string>

#include "corelib/progress.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace corelib {

// Drives a job with a QTimer: each timeout runs one slice (runProgressSlice). Runs beside the rest
// of the program (no event loop of its own); emits finished() once, after the job's close().
// A slice is never entered again while one runs (a tick that shows a message keeps the event loop
// going); a cancel that arrives during a slice is answered when the slice ends.
//
// States:
//   idle       before start(), and after the run finished (running() false)
//   waiting    running, the timer armed, no slice under way
//   slicing    a slice under way (inSlice_); a cancel now is only noted (cancelPending_)
// Transitions:
//   idle --start(): job open()--> waiting --timeout--> slicing --slice ends, more--> waiting
//   slicing --slice ends, no more--> idle (Completed)
//   waiting --cancel() agreed--> idle (Cancelled); --cancel() refused--> waiting
//   slicing --slice ends with a cancel noted--> the cancel is asked as from waiting
// Invariants:
//   1. The job's open() and close() run once each per run, and finished() follows close().
//   2. No slice starts while another runs or after the run finished.
class ProgressRunner : public QObject {
    Q_OBJECT
  public:
    // `view` may be null (the job then sees a view that shows nothing); the job and the view must
    // outlive the runner's run.
    ProgressRunner(ProgressJob& job, const ProgressOptions& options, ProgressView* view = nullptr,
                   QObject* parent = nullptr);
    ~ProgressRunner() override;

    // Calls the job's open() and starts the timer.
    void start();
    // Asks the job to cancel (its cancel() decides); ends the run when it agrees.
    void cancel();
    bool running() const { return running_; }
    // Slices run so far, and ticks in the last slice.
    int slices() const { return slices_; }
    int lastSliceTicks() const { return lastTicks_; }

  signals:
    void finished(ProgressResult result);

  private:
    void slice();
    void finish(ProgressResult result);

    ProgressJob& job_;
    ProgressOptions options_;
    ProgressView* view_;
    std::unique_ptr<ProgressView> nullView_;
    QTimer* timer_;
    bool running_ = false;
    bool inSlice_ = false;
    bool cancelPending_ = false;
    int slices_ = 0;
    int lastTicks_ = 0;
};

// The window: title, prompt line, bar, "<n>% Completed" line and a Cancel button.
class ProgressWindow : public QDialog, public ProgressView {
    Q_OBJECT
  public:
    explicit ProgressWindow(const ProgressOptions& options, QWidget* parent = nullptr);

    void setTitle(const std::string& title) override;
    void setText(const std::string& text) override;
    void setRange(int64_t low, int64_t high) override;
    // Moves the bar and the percentage line with it.
    void setValue(int64_t value) override;
    void setPercent(int percent) override;
    // Shows "Process Completed" and hides Cancel.
    void showCompleted();

    // Times the percentage line was redrawn (it is redrawn only when the number changes).
    int percentRedraws() const { return percentRedraws_; }
    QPushButton* cancelButton() const { return cancel_; }

  signals:
    void cancelRequested();

  protected:
    void reject() override;  // Escape and the close box ask to cancel

  private:
    QLabel* text_;
    QProgressBar* bar_;
    QLabel* percent_;
    QPushButton* cancel_;
    int64_t low_ = 0;
    int64_t high_ = 100;
    int lastPercent_ = -1;
    int percentRedraws_ = 0;
    bool cancellable_;
};

// How a progress window with a place name remembers its place: the program plugs in its own store
// of window places (restore when the window opens, save when it closes). Unset: not remembered.
struct ProgressPlaceHooks {
    std::function<void(QWidget*, const std::string& procedure)> restore;
    std::function<void(QWidget*, const std::string& procedure)> save;
};
void setProgressPlaceHooks(ProgressPlaceHooks hooks);

// The Qt backend: a ProgressWindow, window-modal to the active window, driven by a ProgressRunner
// until the job ends or is cancelled.
class ProgressWindowBackend : public ProgressBackend {
  public:
    ProgressResult run(const ProgressOptions& options, ProgressJob& job) override;
};

// Installs the Qt progress window as the progress backend (the windowed program does this at
// start-up; widget tests too).
void useProgressWindows();

}  // namespace corelib
