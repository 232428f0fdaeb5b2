#pragma once
// Day numbers and time numbers as the records keep them.
// A day number counts days from 28 December 1800: 4 is 1 January 1801, 0 is no date.
// A time number is hundredths of a second since midnight plus one: 1 is midnight, 0 is no time.
#include <cstdint>

namespace corelib {

namespace daytime {

struct Ymd {
    int year = 0;
    int month = 0;
    int day = 0;
};

// 0 for an impossible date or one before 1 January 1801.
int32_t dayNumber(int year, int month, int day);
// {0,0,0} for day number 0 or below.
Ymd ymd(int32_t dayNumber);
// 0 Sunday ... 6 Saturday (day number modulo 7).
int weekday(int32_t dayNumber);

int32_t timeNumber(int hour, int minute, int second = 0, int hundredths = 0);
struct Hms {
    int hour = 0;
    int minute = 0;
    int second = 0;
    int hundredths = 0;
};
Hms hms(int32_t timeNumber);

int32_t today();  // the local date
int32_t now();    // the local time

// The local date and time read from the clock at one instant, so the two always belong
// together (read apart, a stamp taken at midnight could carry one day's date and the next
// day's time). Cheap enough to stamp every record of a bulk load.
struct DateTime {
    int32_t date = 0;  // day number
    int32_t time = 0;  // time number
};
DateTime current();

}  // namespace daytime

}  // namespace corelib
