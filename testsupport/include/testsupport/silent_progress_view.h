#pragma once
// A progress view that shows nothing, for tests that drive a progress job by hand.
#include <cstdint>
#include <string>

#include "corelib/progress.h"

namespace testsupport {

struct SilentProgressView : corelib::ProgressView {
    void setTitle(const std::string&) override {}
    void setText(const std::string&) override {}
    void setRange(int64_t, int64_t) override {}
    void setValue(int64_t) override {}
    void setPercent(int) override {}
};

}  // namespace testsupport
