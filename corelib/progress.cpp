#include "corelib/progress.h"
// Placeholder until the progress service lands: runs the job without a window.
namespace {
class HeadlessProgress : public ProgressBackend {
public:
    ProgressResult run(const ProgressSpec&, ProgressJob& job) override {
        struct NullView : ProgressView {
            void setTitle(const std::string&) override {}
            void setText(const std::string&) override {}
            void setRange(int64_t, int64_t) override {}
            void setValue(int64_t) override {}
            void setPercent(int) override {}
        } view;
        job.open(view);
        bool more = true;
        while (more) {
            job.sliceBegin();
            more = job.tick(view);
            job.sliceEnd();
        }
        job.close();
        return ProgressResult::Completed;
    }
};
std::unique_ptr<ProgressBackend>& slot() {
    static std::unique_ptr<ProgressBackend> backend = std::make_unique<HeadlessProgress>();
    return backend;
}
}  // namespace
ProgressResult runProgress(const ProgressSpec& spec, ProgressJob& job) { return slot()->run(spec, job); }
void setProgressBackend(std::unique_ptr<ProgressBackend> backend) { slot() = std::move(backend); }
ProgressBackend& progressBackend() { return *slot(); }
