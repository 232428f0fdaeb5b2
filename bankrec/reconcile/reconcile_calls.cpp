#include "bankrec/reconcile/reconcile_calls.h"

#include "corelib/globals.h"
#include "corelib/message.h"

using namespace corelib;

namespace reconcile {

ReconcileCalls& reconcileCalls() {
    static ReconcileCalls calls;
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
