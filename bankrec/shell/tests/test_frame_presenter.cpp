// What the frame shows: its title, the status bar's date and time, the timer period rule.
#include <gtest/gtest.h>

#include "bankrec/shell/frame_presenter.h"
#include "corelib/daytime.h"

using namespace corelib;
using namespace shell;

namespace {

TEST(FrameTitle, NamesDivisionTitleAndTheDataPathAsGiven) {
    EXPECT_EQ(frame::title("03", "Bank Reconciliation", " /srv/data "),
              "Div03 Bank Reconciliation [ /srv/data ]");
}

TEST(FrameStatus, DateIsWeekdayMonthDayAndYear) {
    EXPECT_EQ(frame::statusDate(daytime::dayNumber(2026, 12, 7)), "Monday, December 7, 2026");
    EXPECT_EQ(frame::statusDate(daytime::dayNumber(1801, 1, 1)), "Thursday, January 1, 1801");
    EXPECT_EQ(frame::statusDate(daytime::dayNumber(2024, 2, 29)), "Thursday, February 29, 2024");
    EXPECT_EQ(frame::statusDate(0), "");
}

TEST(FrameStatus, TimeIsTwelveHourWithAmPm) {
    EXPECT_EQ(frame::statusTime(daytime::timeNumber(0, 0)), "12:00 AM");
    EXPECT_EQ(frame::statusTime(daytime::timeNumber(9, 5, 59)), "9:05 AM");
    EXPECT_EQ(frame::statusTime(daytime::timeNumber(12, 30)), "12:30 PM");
    EXPECT_EQ(frame::statusTime(daytime::timeNumber(23, 59)), "11:59 PM");
    EXPECT_EQ(frame::statusTime(0), "");
}

TEST(FrameTimer, PeriodOutsideOneToHundredBecomesHundred) {
    EXPECT_EQ(frame::timerPeriod(0), 100);
    EXPECT_EQ(frame::timerPeriod(-5), 100);
    EXPECT_EQ(frame::timerPeriod(101), 100);
    EXPECT_EQ(frame::timerPeriod(1), 1);
    EXPECT_EQ(frame::timerPeriod(100), 100);
    EXPECT_EQ(frame::timerPeriod(50), 50);
}

}  // namespace
