#include "corelib/globals.h"

namespace corelib {

int32_t GlobalRequest = 0;
int32_t GlobalResponse = 0;
int32_t VCRRequest = 0;

std::string glo_ApplicationName;
std::string glo_ApplicationAbbr;
std::string glo_Abbr;
std::string glo_ApplicationText1;
std::string glo_ApplicationText2;
std::string glo_ApplicationVersion;
int32_t glo_MainThread = 0;
int32_t glo_UserID = 0;
std::string glo_Username;
int32_t glo_Supervisor = 0;

}  // namespace corelib
