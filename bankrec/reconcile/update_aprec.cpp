#include "bankrec/reconcile/update_aprec.h"

#include "bankrec/reconcile/reconcile_texts.h"
#include "bankrec/reconcile/update_aprec_delete.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/view.h"
#include "bankrec/storage/warnings.h"
#include "corelib/globals.h"
#include "corelib/message.h"
#include "corelib/standard_warnings.h"
#include "corelib/thread_registry.h"

using namespace corelib;
using namespace storage;
using namespace shell;

namespace reconcile {

namespace {

std::unique_ptr<activity::ViewPager<APrac>> capturedItems(FileSession& session,
                                                          const char* filter) {
    auto pager = std::make_unique<activity::ViewPager<APrac>>(session, APRAC_KEY_ACTIVITY);
    (void)pager->view().setFilter(filter);  // fixed texts that parse
    return pager;
}

std::string batchPrompt(const char* name, int32_t batch, const char* dots) {
    if (batch != 0) return std::string(name) + " (" + std::to_string(batch) + "T)...";
    return std::string(name) + dots;
}

}  // namespace

ReconciliationViewer::ReconciliationViewer(FileSession& session, const StartupParameters& params,
                                           const ReconcileCalls& calls)
    : session_(session), params_(params), calls_(calls) {}

ReconciliationViewer::~ReconciliationViewer() {
    checks_.reset();
    deposits_.reset();
    files_.reset();
}

void ReconciliationViewer::open() {
    files_ = std::make_unique<FileUse>(
        session_, std::initializer_list<FileId>{FileId::APbnk, FileId::APrac, FileId::APrec});
    checks_ = capturedItems(session_,
                            "APrac:ReconciliationID = BRW2::Sort1:Reset:APrec:ReconciliationID "
                            "AND (APrac:ActivityType = 'Check')");
    deposits_ = capturedItems(session_,
                              "APrac:ReconciliationID = BRW3::Sort1:Reset:APrec:ReconciliationID "
                              "AND (APrac:ActivityType = 'Deposit')");
    show(session_.file<APrec>().rec);
}

void ReconciliationViewer::show(const APrec& rec) {
    rec_ = rec;
    checks_->view().bindings().bind("BRW2::Sort1:Reset:APrec:ReconciliationID",
                                    int64_t{rec.ReconciliationID});
    deposits_->view().bindings().bind("BRW3::Sort1:Reset:APrec:ReconciliationID",
                                      int64_t{rec.ReconciliationID});
    for (auto* list : {checks_.get(), deposits_.get()}) {
        if (list->refresh() != Error::None) {
            saveError(session_);
            StandardWarning(Warn_RecordFetchError, "APrac");
        }
    }
}

std::string ReconciliationViewer::title() const {
    return kViewerTitle;
}

std::string ReconciliationViewer::serviceChargePrompt() const {
    return batchPrompt("Service Charge", rec_.ServiceChargeBatch, "............");
}

std::string ReconciliationViewer::interestPrompt() const {
    return batchPrompt("Interest Earned", rec_.InterestEarnedBatch, "............");
}

std::string ReconciliationViewer::marker(const APrac& row) {
    return row.Marked == 1 ? "R" : "";
}

bool ReconciliationViewer::step(bool forward) {
    // The statement shown is found again by its place in the bank's order: bank, ending date,
    // then its position, so statements of the same date are stepped through one by one.
    RecordFile<APrec>& f = session_.file<APrec>();
    f.clear();
    f.rec.ReconciliationID = rec_.ReconciliationID;
    std::vector<View<APrec>::Row> found;
    if (f.get(APREC_KEY_RECONCILIATIONID) == Error::None) {
        View<APrec> statements(session_, APREC_KEY_BANKENDINGDATE);
        statements.bindings().bind("Bank:BankID", int64_t{rec_.BankID});
        const ViewPosition at{{int64_t{f.rec.BankID}, int64_t{f.rec.EndingDate}}, f.position()};
        if (statements.setFilter("APrec:BankID = Bank:BankID") != Error::None ||
            statements.fetch(&at, 1, found, !forward) != Error::None) {
            saveError(session_);
            StandardWarning(Warn_RecordFetchError, "APrec");
            found.clear();
        }
    }
    if (found.empty()) {
        ds_Beep();
        (forward ? nextEnabled_ : previousEnabled_) = false;
        f.rec = rec_;
        return false;
    }
    f.clear();
    f.rec.ReconciliationID = found.front().rec.ReconciliationID;
    if (f.get(APREC_KEY_RECONCILIATIONID) != Error::None) f.rec = found.front().rec;
    nextEnabled_ = previousEnabled_ = true;
    show(f.rec);
    return true;
}

void ReconciliationViewer::print() {
    RecordFile<APrec>& f = session_.file<APrec>();
    f.clear();
    f.rec.ReconciliationID = rec_.ReconciliationID;
    if (f.get(APREC_KEY_RECONCILIATIONID) != Error::None) f.rec = rec_;
    (void)callProcedure(calls_, ReconcileProcedure::ReportAPrecWindow, session_, params_);
}

int32_t UpdateAPrec(FileSession& session, const StartupParameters& params,
                    const ReconcileCalls& calls,
                    const std::function<void(ReconciliationViewer&)>& show,
                    const std::string& caption) {
    THREAD_LOG(kViewerProcedure);
    const int32_t request = GlobalRequest;
    GlobalRequest = 0;
    GlobalResponse = RequestCancelled;
    if (request == DeleteRecord) {
        (void)UpdateAPrecDelete(session, caption);
    } else if (request == ViewRecord) {
        ReconciliationViewer viewer(session, params, calls);
        viewer.open();
        if (show) show(viewer);
    }
    THREAD_RETURN(kViewerProcedure);
    return GlobalResponse;
}

}  // namespace reconcile
