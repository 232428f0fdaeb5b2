#include "bankrec/shell/frame_presenter.h"

#include <cstdio>

#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "corelib/daytime.h"

using namespace corelib;
using namespace storage;

namespace shell {

namespace frame {

namespace {
const char* const kWeekdays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                 "Thursday", "Friday", "Saturday"};
const char* const kMonths[] = {"January",   "February", "March",    "April",
                               "May",       "June",     "July",     "August",
                               "September", "October",  "November", "December"};
}  // namespace

std::string title(const std::string& divisionText, const std::string& windowTitle,
                  const std::string& dataPathArgument) {
    return "Div" + divisionText + " " + windowTitle + " [" + dataPathArgument + "]";
}

std::string statusDate(int32_t dayNumber) {
    if (dayNumber <= 0) return {};
    const daytime::Ymd d = daytime::ymd(dayNumber);
    if (d.month < 1 || d.month > 12) return {};
    return std::string(kWeekdays[dayNumber % 7]) + ", " + kMonths[d.month - 1] + " " +
           std::to_string(d.day) + ", " + std::to_string(d.year);
}

std::string statusTime(int32_t timeNumber) {
    if (timeNumber <= 0) return {};
    const daytime::Hms t = daytime::hms(timeNumber);
    const int hour12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%d:%02d %s", hour12, t.minute, t.hour < 12 ? "AM" : "PM");
    return buf;
}

int timerPeriod(int hundredths) {
    return hundredths < 1 || hundredths > 100 ? 100 : hundredths;
}

}  // namespace frame

FramePresenter::FramePresenter(const Storage& storage)
    : storage_(std::make_unique<FileSession>(storage)) {}

FramePresenter::~FramePresenter() {
    closeFiles();
}

bool FramePresenter::openFiles(const FrameHooks& hooks) {
    if (filesOpen_) return true;
    configuration_.registerDefaults();
    if (openFile(*storage_, FileId::SYcfg) == Error::None) {
        // A failed load has been reported through the frame's messages; the defaults stay.
        (void)configuration_.load(*storage_, hooks);
        closeFile(*storage_, FileId::SYcfg);
    }
    if (openFile(*storage_, FileId::APbnk) != Error::None) return false;
    if (openFile(*storage_, FileId::SYcfg) != Error::None) {
        closeFile(*storage_, FileId::APbnk);
        return false;
    }
    filesOpen_ = true;
    return true;
}

void FramePresenter::closeFiles() {
    if (!filesOpen_) return;
    closeFile(*storage_, FileId::APbnk);
    closeFile(*storage_, FileId::SYcfg);
    filesOpen_ = false;
}

}  // namespace shell
