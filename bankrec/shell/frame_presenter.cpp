#include "bankrec/shell/frame_presenter.h"

#include <cstdio>

#include "corelib/daytime.h"

using namespace corelib;

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

}  // namespace shell
