#include "corelib/daytime.h"

#include <time.h>

#include <atomic>
#include <limits>

namespace corelib {

namespace daytime {

namespace {

// Days since 1 January 1970 of a proleptic Gregorian date (H. Hinnant's civil algorithm),
// exact for every year an int32 day number can reach.
int64_t daysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

Ymd civilFromDays(int64_t z) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return Ymd{static_cast<int>(yoe + era * 400 + (m <= 2)), m, d};
}

bool isLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : kDays[m - 1];
}

// Day number 0 is 28 December 1800.
const int64_t kEpoch = daysFromCivil(1800, 12, 28);

constexpr int32_t kHundredthsPerDay = 24 * 60 * 60 * 100;

}  // namespace

int32_t dayNumber(int year, int month, int day) {
    if (year < 1801 || month < 1 || month > 12 || day < 1) return 0;
    if (day > daysInMonth(year, month)) return 0;
    const int64_t n = daysFromCivil(year, month, day) - kEpoch;
    if (n > std::numeric_limits<int32_t>::max()) return 0;
    return static_cast<int32_t>(n);
}

Ymd ymd(int32_t dayNumber) {
    if (dayNumber <= 0) return {};
    return civilFromDays(kEpoch + dayNumber);
}

int weekday(int32_t dayNumber) {
    return ((dayNumber % 7) + 7) % 7;
}

int32_t timeNumber(int hour, int minute, int second, int hundredths) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
        hundredths < 0 || hundredths > 99)
        return 0;
    return ((hour * 60 + minute) * 60 + second) * 100 + hundredths + 1;
}

Hms hms(int32_t timeNumber) {
    if (timeNumber <= 0 || timeNumber > kHundredthsPerDay) return {};
    int32_t t = timeNumber - 1;
    Hms r;
    r.hundredths = t % 100;
    t /= 100;
    r.second = t % 60;
    t /= 60;
    r.minute = t % 60;
    r.hour = t / 60;
    return r;
}

DateTime current() {
    // The zone is read again at most once a minute: localtime_r does not look at it, and
    // reading it on every call (as tzset does, a look-up of the zone file) would cost more than
    // the rest of a record's stamp. A zone changed while the program runs shows within a minute.
    static std::atomic<int64_t> zoneReadAt{0};
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    const int64_t seconds = ts.tv_sec;
    const int64_t last = zoneReadAt.load(std::memory_order_relaxed);
    if (seconds - last >= 60 || seconds < last) {
        tzset();
        zoneReadAt.store(seconds, std::memory_order_relaxed);
    }
    tm local{};
    const time_t t = ts.tv_sec;
    if (!localtime_r(&t, &local)) return {};
    // A leap second (60) is kept within its minute.
    const int second = local.tm_sec > 59 ? 59 : local.tm_sec;
    return {
        dayNumber(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday),
        timeNumber(local.tm_hour, local.tm_min, second, static_cast<int>(ts.tv_nsec / 10000000))};
}

int32_t today() {
    return current().date;
}

int32_t now() {
    return current().time;
}

}  // namespace daytime

}  // namespace corelib
