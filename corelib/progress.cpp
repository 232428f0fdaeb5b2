#include "corelib/progress.h"

#include <algorithm>

#include <QElapsedTimer>

namespace corelib {

namespace {
struct NullView : ProgressView {
    void setTitle(const std::string&) override {}
    void setText(const std::string&) override {}
    void setRange(int64_t, int64_t) override {}
    void setValue(int64_t) override {}
    void setPercent(int) override {}
};

std::unique_ptr<ProgressBackend>& slot() {
    static std::unique_ptr<ProgressBackend> backend = std::make_unique<HeadlessProgress>();
    return backend;
}
}  // namespace

bool runProgressSlice(ProgressJob& job, ProgressView& view, int sliceMs, int* ticks) {
    QElapsedTimer clock;
    clock.start();
    int n = 0;
    bool more = true;
    job.sliceBegin();
    do {
        more = job.tick(view);
        ++n;
    } while (more && sliceMs > 0 && clock.elapsed() < sliceMs);
    job.sliceEnd();
    if (ticks) *ticks = n;
    return more;
}

int progressPercent(int64_t low, int64_t high, int64_t value) {
    if (high <= low) return 0;
    if (value <= low) return 0;
    if (value >= high) return 100;
    return static_cast<int>((value - low) * 100 / (high - low));
}

ProgressResult HeadlessProgress::run(const ProgressOptions& options, ProgressJob& job) {
    // With no window to keep repainting, a slice only bounds how long one transaction holds its
    // files, so it can be longer than a window's and commit less often.
    constexpr int kHeadlessSliceMs = 250;
    const int sliceMs = options.sliceMs > 0 ? std::max(options.sliceMs, kHeadlessSliceMs) : 0;
    NullView view;
    job.open(view);
    while (runProgressSlice(job, view, sliceMs)) {
    }
    job.close();
    return ProgressResult::Completed;
}

ProgressResult runProgress(const ProgressOptions& options, ProgressJob& job) {
    return slot()->run(options, job);
}

void setProgressBackend(std::unique_ptr<ProgressBackend> backend) {
    slot() = backend ? std::move(backend) : std::make_unique<HeadlessProgress>();
}

ProgressBackend& progressBackend() {
    return *slot();
}

}  // namespace corelib
