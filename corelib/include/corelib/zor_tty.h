#pragma once
// The terminal number of this station, as the suite's installation leaves it in the registry.
#include <cstdint>
#include <string>

namespace corelib {

// Answers by selector:
//    0  the suite's version + " - " + its install type (HKEY_LOCAL_MACHINE "Software\Tallyvane")
//    1  the COBOL environment's "tty" (HKEY_LOCAL_MACHINE
//       "Software\Micro Focus\NetExpress\2.0\COBOL\2.0\Environment")
//    2  the station ID (HKEY_LOCAL_MACHINE "Software\Tallyvane\" + version, "StationID")
//    3  the user's "TTY" (HKEY_CURRENT_USER "Software\Tallyvane\580")
//   -3  first writes the user's terminal (as 3 gives it) as "StationID" under the version key
//       when that key can be opened, then answers as 3
// Terminal numbers come as four digits with leading zeros, or "<not found>" when blank.
// Any other selector gives "". Registry failures never stop the caller.
std::string ZOR_TTY(int32_t selector);

// The first non-zero terminal number of selectors 3, 2 and 1 (0 when none has one).
int32_t terminalNumber();

}  // namespace corelib
