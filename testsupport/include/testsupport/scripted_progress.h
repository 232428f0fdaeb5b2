#pragma once
// Runs progress jobs without a window, recording what the window would show; presses Cancel
// before tick `cancelBeforeTick` (once) when that is not -1.
//
//   testsupport::ScriptedProgress::Seen progress;
//   corelib::setProgressBackend(std::make_unique<testsupport::ScriptedProgress>(progress, 2));
#include <cstdint>
#include <string>
#include <vector>

#include "corelib/progress.h"

namespace testsupport {

class ScriptedProgress : public corelib::ProgressBackend {
  public:
    struct Seen {
        std::vector<std::string> titles;
        std::vector<std::string> texts;
        std::vector<int> percents;  // each percentage as the window would redraw it
        int64_t high = 0;           // the top of the last range set
        int64_t value = 0;          // the last value set
        int ticks = 0;
        bool cancelAsked = false;
    };
    ScriptedProgress(Seen& seen, int cancelBeforeTick = -1)
        : seen_(seen), cancelAt_(cancelBeforeTick) {}

    corelib::ProgressResult run(const corelib::ProgressOptions& options,
                                corelib::ProgressJob& job) override {
        seen_.titles.push_back(options.title);
        seen_.texts.push_back(options.text);
        View view(seen_);
        job.open(view);
        for (int tick = 0;; ++tick) {
            if (tick == cancelAt_) {
                seen_.cancelAsked = true;
                if (job.cancel(view)) {
                    job.close();
                    return corelib::ProgressResult::Cancelled;
                }
            }
            ++seen_.ticks;
            if (!job.tick(view)) break;
        }
        job.close();
        return corelib::ProgressResult::Completed;
    }

  private:
    struct View : corelib::ProgressView {
        explicit View(Seen& s) : seen(s) {}
        void setTitle(const std::string&) override {}
        void setText(const std::string&) override {}
        void setRange(int64_t l, int64_t h) override {
            low = l;
            high = h;
            seen.high = h;
        }
        void setValue(int64_t v) override {
            seen.value = v;
            setPercent(corelib::progressPercent(low, high, v));
        }
        void setPercent(int p) override {
            if (seen.percents.empty() || seen.percents.back() != p) seen.percents.push_back(p);
        }
        Seen& seen;
        int64_t low = 0, high = 100;
    };
    Seen& seen_;
    int cancelAt_;
};

}  // namespace testsupport
