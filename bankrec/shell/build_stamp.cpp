#include "bankrec/shell/build_stamp.h"

#include <cstdio>
#include <cstring>

#include "corelib/daytime.h"

using namespace corelib;

namespace shell {

int32_t buildDate() {
    static const char* months = "JanFebMarAprMayJunJulAugSepOctNovDec";
    const char* date = __DATE__;  // "Mmm dd yyyy"
    char mon[4] = {date[0], date[1], date[2], 0};
    const char* at = std::strstr(months, mon);
    const int month = at ? static_cast<int>(at - months) / 3 + 1 : 1;
    int day = 0, year = 0;
    std::sscanf(date + 4, "%d %d", &day, &year);
    return daytime::dayNumber(year, month, day);
}

int32_t buildTime() {
    int h = 0, m = 0, s = 0;
    std::sscanf(__TIME__, "%d:%d:%d", &h, &m, &s);
    return daytime::timeNumber(h, m, s);
}

std::string mmddyyyy(int32_t dayNumber) {
    if (dayNumber <= 0) return {};
    const daytime::Ymd d = daytime::ymd(dayNumber);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", d.month, d.day, d.year);
    return buf;
}

int32_t parseMmddyyyy(const std::string& text) {
    int m = 0, d = 0, y = 0;
    if (std::sscanf(text.c_str(), "%d/%d/%d", &m, &d, &y) != 3) return 0;
    return daytime::dayNumber(y, m, d);
}

}  // namespace shell
