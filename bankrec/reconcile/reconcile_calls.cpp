#include "bankrec/reconcile/reconcile_calls.h"

#include "bankrec/reconcile/export_aprec.h"
#include "bankrec/reconcile/update_aprec_done.h"

#include "corelib/globals.h"
#include "corelib/message.h"

using namespace corelib;

namespace reconcile {

ReconcileCalls& reconcileCalls() {
    // Completion and the export live in this module: the table starts with them.
    static ReconcileCalls calls = [] {
        ReconcileCalls c;
        c.UpdateAPrecDone = [](storage::FileSession& session, const shell::StartupParameters&) {
            (void)UpdateAPrecDone(session);  // its answer is GlobalResponse
        };
        c.ExportAPrec = [](storage::FileSession& session, const shell::StartupParameters& params) {
            (void)ExportAPrec(session, params);  // failures were shown to the user
        };
        return c;
    }();
    return calls;
}

std::string notAvailableText(ReconcileProcedure which) {
    switch (which) {
        case ReconcileProcedure::UpdateAPrecDone:
            return "Completing a reconciliation is not available yet.";
        case ReconcileProcedure::ExportAPrec:
            return "Posting a reconciliation to the accounting suite is not available yet.";
        case ReconcileProcedure::ReportAPrecWindow:
            return "The reconciliation report is not available yet.";
        case ReconcileProcedure::ReportAPrecNewWindow:
            return "The reconciliation worksheet report is not available yet.";
        case ReconcileProcedure::UpdateAPrecImport:
            return "Importing cleared checks is not available yet.";
    }
    return {};
}

int32_t callProcedure(const ReconcileCalls& calls, ReconcileProcedure which,
                      storage::FileSession& session, const shell::StartupParameters& params) {
    const ReconcileCall* call = nullptr;
    switch (which) {
        case ReconcileProcedure::UpdateAPrecDone:
            call = &calls.UpdateAPrecDone;
            break;
        case ReconcileProcedure::ExportAPrec:
            call = &calls.ExportAPrec;
            break;
        case ReconcileProcedure::ReportAPrecWindow:
            call = &calls.ReportAPrecWindow;
            break;
        case ReconcileProcedure::ReportAPrecNewWindow:
            call = &calls.ReportAPrecNewWindow;
            break;
        case ReconcileProcedure::UpdateAPrecImport:
            call = &calls.UpdateAPrecImport;
            break;
    }
    GlobalResponse = RequestCancelled;
    if (!call || !*call) {
        ds_Message(notAvailableText(which), glo_ApplicationName, icon::Information, msg::OK);
        return GlobalResponse;
    }
    (*call)(session, params);
    return GlobalResponse;
}

}  // namespace reconcile
