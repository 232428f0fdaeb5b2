#pragma once
// The reconciliation reports: one bank statement's summary (opening balance, marked deposits and
// checks, service charge, interest, closing balance), then its deposits and its checks with
// their totals. ReportAPrec prints a completed reconciliation from the items captured when it
// was completed (APrac); ReportAPrecNew prints the reconciliation in progress from the bank
// account's activity not yet reconciled (APbac), with the difference still to clear.
#include <cstdint>
#include <string>

#include "bankrec/reports/report_run.h"

namespace storage {
class FileSession;
}  // namespace storage

namespace reports {

inline constexpr const char* kReconciliationReportProcedure = "ReportAPrecWindow";
inline constexpr const char* kWorksheetReportProcedure = "ReportAPrecNewWindow";
inline constexpr const char* kReconciliationReportWindowTitle = "Report Reconciliation";
inline constexpr const char* kReconciliationReportTitle = "Bank Reconciliation Report";
// Deposits first, then checks; within each by date and check number.
inline constexpr const char* kCompletedReportOrder =
    "-APrac:ActivityType, +APrac:ActivityDate, +APrac:Reference";
inline constexpr const char* kWorksheetReportOrder =
    "-APbac:ActivityType, +APbac:ActivityDate, +APbac:Reference";

// Which of the two reports.
enum class StatementReport {
    Completed,  // ReportAPrec, from ReportAPrecWindow
    Worksheet,  // ReportAPrecNew, from ReportAPrecNewWindow
};

// Which items a reconciliation report prints.
struct StatementReportOptions {
    bool markedDeposits = true;
    bool unmarkedDeposits = false;
    bool markedChecks = true;
    bool unmarkedChecks = false;
};

// The options of each report's window, kept (not stored) for as long as the program runs.
StatementReportOptions& keptOptions(StatementReport report);
// The window's procedure name, under which its preview choice is remembered per user.
const char* procedureName(StatementReport report);
// The preview choice remembered for the user ("Preview"; preview when never chosen).
bool rememberedPreview(StatementReport report);
void rememberPreview(StatementReport report, bool preview);

// Prints the done reconciliation whose ReconciliationID is in the session's APrec buffer, with
// its summary as stored and the bank account read by its BankID (the name blank when the bank
// is gone). Works on the caller's session without touching its current records; opens APbnk,
// APrec and APrac and lets go of them on return. Leaves GlobalResponse at 1 when the pages were
// printed and 2 otherwise (cancelled, no captured item, not printed from the preview, failed).
[[nodiscard]] ReportResult ReportAPrec(storage::FileSession& session,
                                       const StatementReportOptions& options, bool preview,
                                       ReportOutput output);

// Prints the reconciliation in progress: the summary of the session's APrec buffer with its
// difference, and the unreconciled activity of the bank account in the APbnk buffer. Opens
// APbnk and APbac and lets go of them on return; GlobalResponse as ReportAPrec.
[[nodiscard]] ReportResult ReportAPrecNew(storage::FileSession& session,
                                          const StatementReportOptions& options, bool preview,
                                          ReportOutput output);

}  // namespace reports
