#pragma once
// The procedures that the reconciliation list and worksheet call: completing a reconciliation
// and sending it to the suite (this module's, in the program's table from the start), the two
// reconciliation reports, and importing the bank's list of cleared checks. The other modules
// register their procedures in the program's table (reconcileCalls()) when the program starts,
// so this module never names them; the presenters are handed the table (tests hand them their
// own). A procedure that is not registered tells the
// user it is not available yet and answers "cancelled".
//
// Each procedure runs modally on the caller's session and finds what it works on in the record
// buffers, as the worksheet and the list leave them: the bank in APbnk, the reconciliation in
// APrec. Its answer is GlobalResponse (1 completed, 2 cancelled).
#include <functional>
#include <string>

namespace storage {
class FileSession;
}  // namespace storage

namespace shell {
struct StartupParameters;
}  // namespace shell

namespace reconcile {

using ReconcileCall = std::function<void(storage::FileSession&, const shell::StartupParameters&)>;

struct ReconcileCalls {
    // Completes the open reconciliation of the bank in APbnk (GlobalResponse 1 when it ran to
    // its end).
    ReconcileCall UpdateAPrecDone;
    // Sends the cleared items of the reconciliation in APrec to the suite and posts its service
    // charge and interest to the ledger.
    ReconcileCall ExportAPrec;
    // Prints the done reconciliation in APrec.
    ReconcileCall ReportAPrecWindow;
    // Prints the worksheet of the open reconciliation in APrec.
    ReconcileCall ReportAPrecNewWindow;
    // Marks the checks of the bank in APbnk that the bank's list names as cleared.
    ReconcileCall UpdateAPrecImport;
};

enum class ReconcileProcedure {
    UpdateAPrecDone,
    ExportAPrec,
    ReportAPrecWindow,
    ReportAPrecNewWindow,
    UpdateAPrecImport,
};

// The program's table, filled by the modules that provide the procedures:
//   reconcile::reconcileCalls().ExportAPrec = [](auto& session, auto& params) { ... };
ReconcileCalls& reconcileCalls();

// Runs a procedure of `calls`. One that is not registered shows "<what> is not available yet."
// (information icon, OK, glo_ApplicationName as caption). Returns GlobalResponse as the
// procedure left it (2 when it is not available).
int32_t callProcedure(const ReconcileCalls& calls, ReconcileProcedure which,
                      storage::FileSession& session, const shell::StartupParameters& params);

// The message shown for a procedure that is not available yet.
std::string notAvailableText(ReconcileProcedure which);

}  // namespace reconcile
