#pragma once
// The check register report (ReportAPbac): the activity of one or all bank accounts over a
// date range, optionally only checks or only deposits, two lines per row as the transaction
// register shows them, grouped by bank account, with the totals of payments and deposits.
#include <cstdint>
#include <string>

#include "bankrec/reports/report_run.h"

namespace shell {
class Configuration;
}  // namespace shell

namespace storage {
class FileSession;
}  // namespace storage

namespace reports {

inline constexpr const char* kRegisterReportProcedure = "ReportAPbacWindow";
inline constexpr const char* kRegisterReportWindowTitle = "Register Report";
inline constexpr const char* kRegisterReportTitle = "Check Register Report";
// Bank accounts by name, then their activity by date and type (and, within those, by check
// number: the activity key's order).
inline constexpr const char* kRegisterReportOrder =
    "+APbnk:Bank, +APbnk:BankID, +APbac:ActivityDate, +APbac:ActivityType";

// The selection of the "Register Report" window, remembered per user under
// "ReportAPbacWindow" with these value names.
struct RegisterSelection {
    int32_t BankSelectBox = 0;  // 0 all bank accounts, 1 the one of BankID
    int32_t BankID = 0;
    int32_t FromDate = 0;  // day numbers; 0 is blank
    int32_t ToDate = 0;
    int32_t PreviewReport = 1;  // 1 preview first, 0 print at once
    int32_t Include = 0;        // 1 checks only, 2 deposits only, anything else all activity

    // The remembered values; a value never remembered keeps its default (Date To: today).
    static RegisterSelection remembered();
    void remember() const;
};

// The report's filter text over bank accounts and their activity, parts joined by " AND ":
// the bank (only for one bank account), the date range (always), the activity type (checks or
// deposits only).
std::string registerFilter(const RegisterSelection& selection);

// The "Organization Name" setting: from the program's configuration when given, else read
// from SYcfg (its default when not stored).
std::string organizationName(storage::FileSession& session,
                             const shell::Configuration* configuration);

// Prints the report for the selection through `output` (selection.PreviewReport decides
// whether the pages are previewed first). Works on the caller's session without touching its
// current records; opens APbnk and APbac and lets go of them on return. Leaves GlobalResponse
// at 1 when the pages were printed and 2 otherwise (cancelled, no row, not printed from the
// preview, failed).
[[nodiscard]] ReportResult ReportAPbac(storage::FileSession& session,
                                       const RegisterSelection& selection,
                                       const std::string& organization, ReportOutput output);

}  // namespace reports
