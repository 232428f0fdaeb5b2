#include <gtest/gtest.h>

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <string>

#include "corelib/daytime.h"

namespace {

using namespace corelib::daytime;

TEST(DayNumber, AnchorsOnTheFirstOfJanuary1801) {
    EXPECT_EQ(dayNumber(1801, 1, 1), 4);
    EXPECT_EQ(dayNumber(1801, 1, 2), 5);
    EXPECT_EQ(dayNumber(1801, 12, 31), 368);
    EXPECT_EQ(weekday(dayNumber(1801, 1, 1)), 4);   // a Thursday
    EXPECT_EQ(weekday(dayNumber(2026, 12, 7)), 1);  // a Monday
    EXPECT_EQ(ymd(4).year, 1801);
    EXPECT_EQ(ymd(3).day, 31);  // 31 December 1800 still reads back
}

TEST(DayNumber, RefusesImpossibleDates) {
    EXPECT_EQ(dayNumber(1800, 12, 31), 0);
    EXPECT_EQ(dayNumber(2023, 2, 29), 0);
    EXPECT_EQ(dayNumber(1900, 2, 29), 0);
    EXPECT_NE(dayNumber(2000, 2, 29), 0);
    EXPECT_EQ(dayNumber(2024, 13, 1), 0);
    EXPECT_EQ(dayNumber(2024, 0, 1), 0);
    EXPECT_EQ(dayNumber(2024, 4, 31), 0);
    EXPECT_EQ(dayNumber(2024, 4, 0), 0);
    EXPECT_EQ(dayNumber(std::numeric_limits<int>::max(), 1, 1), 0);
    const Ymd none = ymd(0);
    EXPECT_EQ(none.year + none.month + none.day, 0);
    EXPECT_EQ(ymd(-5).year, 0);
}

TEST(DayNumber, AgreesWithQDateEveryDayFrom1801To9999) {
    const qint64 base = QDate(1801, 1, 1).toJulianDay() - 4;
    const int32_t last = dayNumber(9999, 12, 31);
    ASSERT_EQ(last, QDate(9999, 12, 31).toJulianDay() - base);
    for (int32_t n = 1; n <= last; ++n) {
        const QDate q = QDate::fromJulianDay(base + n);
        const Ymd d = ymd(n);
        ASSERT_TRUE(d.year == q.year() && d.month == q.month() && d.day == q.day()) << n;
        if (n >= 4) {
            ASSERT_EQ(dayNumber(d.year, d.month, d.day), n);
        }
        ASSERT_EQ(weekday(n), q.dayOfWeek() % 7) << n;
    }
}

TEST(DayNumber, RoundTripsUpToTheLargestDayNumber) {
    const int32_t maxDay = std::numeric_limits<int32_t>::max();
    for (int32_t n : {maxDay, maxDay - 1, maxDay - 366, 1000000000}) {
        const Ymd d = ymd(n);
        EXPECT_EQ(dayNumber(d.year, d.month, d.day), n);
    }
    // A date past the largest day number does not fit and is refused, not wrapped.
    const Ymd top = ymd(maxDay);
    EXPECT_EQ(dayNumber(top.year + 1, 1, 1), 0);
}

TEST(TimeNumber, CountsHundredthsFromMidnightPlusOne) {
    EXPECT_EQ(timeNumber(0, 0), 1);
    EXPECT_EQ(timeNumber(23, 59, 59, 99), 8640000);
    EXPECT_EQ(timeNumber(15, 5), 5430001);
    EXPECT_EQ(timeNumber(24, 0), 0);
    EXPECT_EQ(timeNumber(12, 60), 0);
    EXPECT_EQ(timeNumber(12, 0, 0, 100), 0);
    EXPECT_EQ(timeNumber(-1, 0), 0);
    for (int32_t t : {1, 2, 101, 5430001, 8640000}) {
        const Hms h = hms(t);
        EXPECT_EQ(timeNumber(h.hour, h.minute, h.second, h.hundredths), t);
    }
    const Hms none = hms(0);
    EXPECT_EQ(none.hour + none.minute + none.second + none.hundredths, 0);
    EXPECT_EQ(hms(8640001).hour, 0);
}

TEST(Clock, ReadsTheLocalDateAndTime) {
    const QDate d = QDate::currentDate();
    const int32_t t = today();
    const Ymd y = ymd(t);
    // Tolerate the clock passing midnight between the two readings.
    EXPECT_LE(std::abs(QDate(y.year, y.month, y.day).daysTo(d)), 1);
    const int32_t n = now();
    EXPECT_GT(n, 0);
    EXPECT_LE(n, 8640000);
}

// Date and time as Qt reads the local clock, in hundredths of a second from 28 December 1800.
int64_t qtLocalHundredths() {
    const QDateTime q = QDateTime::currentDateTime();
    const int64_t day = q.date().toJulianDay() - QDate(1801, 1, 1).toJulianDay() + 4;
    return day * 8640000 + q.time().msecsSinceStartOfDay() / 10;
}

TEST(Clock, OneReadingGivesTheLocalDateAndTimeOfTheSameInstant) {
    // A zone far from UTC, so a date or time taken in UTC, or half of it, shows.
    const char* before = std::getenv("TZ");
    const std::string kept = before ? before : "";
    setenv("TZ", "<+0530>-5:30", 1);
    tzset();
    const int64_t q1 = qtLocalHundredths();
    const DateTime at = current();
    const int64_t q2 = qtLocalHundredths();
    if (before)
        setenv("TZ", kept.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();

    ASSERT_GT(at.date, 0);
    ASSERT_GT(at.time, 0);
    const int64_t ours = int64_t{at.date} * 8640000 + at.time - 1;
    EXPECT_GE(ours, q1 - 1);
    EXPECT_LE(ours, q2 + 1);
}

}  // namespace
