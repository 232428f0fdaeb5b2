#pragma once
// The process-wide values shared by the program and its libraries: the request a browse hands
// to a form and the form's answer, the navigation request, and the application's names.
#include <cstdint>
#include <string>

namespace corelib {

// GlobalRequest codes.
enum RequestCode : int32_t {
    InsertRecord = 1,
    ChangeRecord = 2,
    DeleteRecord = 3,
    ViewRecord = 4,
};
// GlobalResponse codes.
enum ResponseCode : int32_t {
    RequestCompleted = 1,
    RequestCancelled = 2,
};
// VCRRequest codes a form leaves for its browse.
enum VcrCode : int32_t {
    VcrNone = 0,
    VcrForward = 1,   // "&Next"
    VcrBackward = 2,  // "&Previous"
};

extern int32_t GlobalRequest;
extern int32_t GlobalResponse;
extern int32_t VCRRequest;

extern std::string glo_ApplicationName;
extern std::string glo_ApplicationAbbr;
extern std::string glo_Abbr;
extern std::string glo_ApplicationText1;
extern std::string glo_ApplicationText2;
extern std::string glo_ApplicationVersion;
extern int32_t glo_MainThread;
extern int32_t glo_UserID;
extern std::string glo_Username;
extern int32_t glo_Supervisor;

}  // namespace corelib
