#pragma once
// What the frame shows, computed apart from its widgets: its title, the two status bar
// sections of date and time, and its timer period.
#include <cstdint>
#include <string>

namespace shell {

namespace frame {

// The frame window's own title.
inline constexpr const char* kTitle = "Bank Reconciliation";
// The procedure name of the frame (thread registry, window place).
inline constexpr const char* kProcedure = "Main";

// "Div" + the division as two digits + " " + the window's title + " [" + the data path as the
// command line gave it + "]".
std::string title(const std::string& divisionText, const std::string& windowTitle,
                  const std::string& dataPathArgument);
// Section 3: the weekday of the day number (day number modulo 7, 0 Sunday) + ", " + month
// name, day and four-digit year: "Monday, December 7, 2026". "" for day 0.
std::string statusDate(int32_t dayNumber);
// Section 4: hours and minutes with AM or PM: "9:05 PM", "12:00 AM". "" for time 0.
std::string statusTime(int32_t timeNumber);
// The timer period in hundredths of a second: outside 1 to 100 it becomes 100.
int timerPeriod(int hundredths);

}  // namespace frame

}  // namespace shell
