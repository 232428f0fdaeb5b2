#pragma once
// When this program was built, as a day number and a time number (kept with window places as
// the procedure's compile date and time), and as the text "mm/dd/yyyy".
#include <cstdint>
#include <string>

namespace shell {

int32_t buildDate();
int32_t buildTime();
// A day number as "mm/dd/yyyy"; "" for 0.
std::string mmddyyyy(int32_t dayNumber);
// "mm/dd/yyyy" back to a day number; 0 when blank or not a date.
int32_t parseMmddyyyy(const std::string& text);

}  // namespace shell
