#include "corelib/ui/progress_window.h"

#include <QApplication>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace corelib {

namespace {
ProgressPlaceHooks& placeHooks() {
    static ProgressPlaceHooks hooks;
    return hooks;
}

struct QuietView : ProgressView {
    void setTitle(const std::string&) override {}
    void setText(const std::string&) override {}
    void setRange(int64_t, int64_t) override {}
    void setValue(int64_t) override {}
    void setPercent(int) override {}
};
}  // namespace

ProgressRunner::ProgressRunner(ProgressJob& job, const ProgressOptions& options, ProgressView* view,
                               QObject* parent)
    : QObject(parent), job_(job), options_(options), view_(view), timer_(new QTimer(this)) {
    if (!view_) {
        nullView_ = std::make_unique<QuietView>();
        view_ = nullView_.get();
    }
    connect(timer_, &QTimer::timeout, this, &ProgressRunner::slice);
}

ProgressRunner::~ProgressRunner() = default;

void ProgressRunner::start() {
    if (running_) return;
    running_ = true;
    job_.open(*view_);
    timer_->start(options_.periodMs > 0 ? options_.periodMs : 1);
}

void ProgressRunner::cancel() {
    if (!running_) return;
    if (inSlice_) {
        cancelPending_ = true;
        return;
    }
    if (job_.cancel(*view_)) finish(ProgressResult::Cancelled);
}

void ProgressRunner::slice() {
    if (!running_ || inSlice_) return;
    inSlice_ = true;
    const bool more = runProgressSlice(job_, *view_, options_.sliceMs, &lastTicks_);
    ++slices_;
    inSlice_ = false;
    if (!more) {
        finish(ProgressResult::Completed);
        return;
    }
    if (cancelPending_) {
        cancelPending_ = false;
        cancel();
    }
}

void ProgressRunner::finish(ProgressResult result) {
    running_ = false;
    timer_->stop();
    job_.close();
    emit finished(result);
}

ProgressWindow::ProgressWindow(const ProgressOptions& options, QWidget* parent)
    : QDialog(parent),
      text_(new QLabel(this)),
      bar_(new QProgressBar(this)),
      percent_(new QLabel(this)),
      cancel_(new QPushButton("Cancel", this)),
      cancellable_(options.cancelButton) {
    setObjectName("ProgressWindow");
    setWindowTitle(QString::fromStdString(options.title));
    text_->setText(QString::fromStdString(options.text));
    text_->setObjectName("ProgressText");
    percent_->setObjectName("ProgressPercent");
    percent_->setAlignment(Qt::AlignCenter);
    percent_->setVisible(options.percentLine);
    bar_->setRange(0, 100);
    bar_->setValue(0);
    bar_->setTextVisible(false);
    cancel_->setVisible(options.cancelButton);
    cancel_->setObjectName("Cancel");
    connect(cancel_, &QPushButton::clicked, this, &ProgressWindow::cancelRequested);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel_);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(bar_);
    layout->addWidget(percent_);
    layout->addLayout(buttons);
    setMinimumWidth(fontMetrics().horizontalAdvance(QString(40, 'M')));
}

void ProgressWindow::setTitle(const std::string& title) {
    setWindowTitle(QString::fromStdString(title));
}

void ProgressWindow::setText(const std::string& text) {
    text_->setText(QString::fromStdString(text));
}

void ProgressWindow::setRange(int64_t low, int64_t high) {
    low_ = low;
    high_ = high;
    bar_->setRange(0, 100);
    setValue(low);
}

void ProgressWindow::setValue(int64_t value) {
    const int percent = progressPercent(low_, high_, value);
    bar_->setValue(percent);
    setPercent(percent);
}

void ProgressWindow::setPercent(int percent) {
    if (percent == lastPercent_) return;
    lastPercent_ = percent;
    ++percentRedraws_;
    percent_->setText(QString("%1% Completed").arg(percent, 3));
}

void ProgressWindow::showCompleted() {
    bar_->setValue(100);
    percent_->setText("Process Completed");
    cancel_->hide();
}

void ProgressWindow::reject() {
    if (cancellable_) emit cancelRequested();
}

void setProgressPlaceHooks(ProgressPlaceHooks hooks) {
    placeHooks() = std::move(hooks);
}

ProgressResult ProgressWindowBackend::run(const ProgressOptions& options, ProgressJob& job) {
    QWidget* owner = QApplication::activeWindow();
    ProgressWindow window(options, owner);
    window.setWindowModality(owner ? Qt::WindowModal : Qt::ApplicationModal);
    ProgressRunner runner(job, options, &window);
    ProgressResult result = ProgressResult::Completed;
    QEventLoop loop;
    QObject::connect(&window, &ProgressWindow::cancelRequested, &runner, &ProgressRunner::cancel);
    QObject::connect(&runner, &ProgressRunner::finished, &loop, [&](ProgressResult r) {
        result = r;
        if (r == ProgressResult::Completed) window.showCompleted();
        loop.quit();
    });
    const bool remember = !options.placeName.empty();
    if (remember && placeHooks().restore) placeHooks().restore(&window, options.placeName);
    window.show();
    runner.start();
    if (runner.running()) loop.exec();
    if (remember && placeHooks().save) placeHooks().save(&window, options.placeName);
    window.hide();
    return result;
}

void useProgressWindows() {
    setProgressBackend(std::make_unique<ProgressWindowBackend>());
}

}  // namespace corelib
