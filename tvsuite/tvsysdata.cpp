// Date conversion of the suite.
#include "suiteapi/tvsysdata.h"

#include <cstdio>
#include <cstring>

#include "tvsuite/fixed_text.h"

extern "C" void CvtCtoJ(const char* date, char* dayNumber) {
    using namespace tvsuite;
    if (!dayNumber) return;
    const std::string text = trimmedField(date, 16);
    const size_t first = text.find('/');
    const size_t second = first == std::string::npos ? first : text.find('/', first + 1);
    if (second == std::string::npos) return;
    const std::string m = text.substr(0, first), d = text.substr(first + 1, second - first - 1),
                      y = text.substr(second + 1);
    if (m.empty() || m.size() > 2 || d.empty() || d.size() > 2 || y.size() != 4) return;
    if (!allDigits(m) || !allDigits(d) || !allDigits(y)) return;
    const int month = std::stoi(m), day = std::stoi(d), year = std::stoi(y);
    static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > kDays[month - 1]) return;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (month == 2 && day == 29 && !leap) return;
    // Julian Day Number of the Gregorian date.
    const int a = (14 - month) / 12;
    const long yy = year + 4800 - a;
    const long mm = month + 12 * a - 3;
    const long jdn = day + (153 * mm + 2) / 5 + 365 * yy + yy / 4 - yy / 100 + yy / 400 - 32045;
    char out[16];
    std::snprintf(out, sizeof out, "%07ld", jdn);
    std::memcpy(dayNumber, out, 8);
}
