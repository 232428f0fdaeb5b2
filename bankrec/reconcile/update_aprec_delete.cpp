#include "bankrec/reconcile/update_aprec_delete.h"

#include <memory>
#include <optional>

#include "bankrec/reconcile/reconcile_texts.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/view.h"
#include "bankrec/storage/warnings.h"
#include "corelib/globals.h"
#include "corelib/message.h"
#include "corelib/picture.h"
#include "corelib/standard_warnings.h"
#include "corelib/thread_registry.h"

using namespace corelib;
using namespace storage;

namespace reconcile {

namespace {

constexpr int kRowsPerTick = 25;
constexpr int kLockSeconds = 1;
constexpr const char* kProcedure = "UpdateAPrecDelete";

// One deletion inside its transaction. Every step reports its own failure and leaves `failed`
// set; the caller then rolls back.
class Deletion : public ProgressJob {
  public:
    Deletion(FileSession& session, std::string caption, int32_t reconciliationId)
        : session_(session), caption_(std::move(caption)), id_(reconciliationId) {}

    bool failed() const { return failed_; }
    bool cancelled() const { return cancelled_; }

    // Begins the transaction and reads the reconciliation again.
    bool begin() {
        if (session_.begin({FileId::APrec, FileId::APrac, FileId::APbac, FileId::APbda},
                           kLockSeconds) != Error::None)
            return fail("Unable to begin transaction");
        RecordFile<APrec>& rec = session_.file<APrec>();
        rec.clear();
        rec.rec.ReconciliationID = id_;
        if (rec.get(APREC_KEY_RECONCILIATIONID) != Error::None)
            return fail("Unable to reconciliation APrec");
        return true;
    }

    void open(ProgressView& view) override {
        view_ = std::make_unique<View<APrac>>(session_, APRAC_KEY_RECONCILIATIONID);
        view_->bindings().bind("APrec:ReconciliationID", int64_t{id_});
        int64_t rows = 0;
        if (view_->setFilter("APrac:ReconciliationID = APrec:ReconciliationID") != Error::None ||
            view_->count(rows) != Error::None) {
            fail("Unable to read reconciliation activity APrac");
            return;
        }
        view.setRange(0, rows);
        view.setValue(0);
    }

    bool tick(ProgressView& view) override {
        if (failed_ || cancelled_ || !view_) return false;
        // A page at a time: the rows are deleted through their positions, so no read-ahead is
        // thrown away by each delete.
        std::vector<View<APrac>::Row> page;
        if (view_->fetch(started_ ? &last_ : nullptr, kRowsPerTick, page) != Error::None) {
            fail("Unable to read reconciliation activity APrac");
            return false;
        }
        started_ = true;
        for (const auto& row : page) {
            last_ = row.pos;
            if (!deleteSnapshotRow(row.rec, row.pos.rowid)) return false;
            view.setValue(++done_);
        }
        return page.size() == static_cast<size_t>(kRowsPerTick);
    }

    bool cancel(ProgressView&) override {
        cancelled_ = true;
        return true;
    }

    // After the last snapshot row: the reconciliation's adjustments and the reconciliation.
    bool finish() {
        RecordFile<APbac>& bac = session_.file<APbac>();
        for (;;) {
            bac.clear();
            bac.rec.ReconciliationID = id_;
            Error err = bac.set(APBAC_KEY_RECONCILIATIONIDACTIVITYID);
            if (err == Error::None) err = bac.next();
            if (err == Error::NoRecord || (err == Error::None && bac.rec.ReconciliationID != id_))
                break;
            if (err != Error::None) return fail("Unable to delete activity APbac");
            if (!deleteActivity("Unable to delete activity APbac")) return false;
        }
        RecordFile<APrec>& rec = session_.file<APrec>();
        rec.clear();
        rec.rec.ReconciliationID = id_;
        if (rec.get(APREC_KEY_RECONCILIATIONID) != Error::None || rec.erase() != Error::None)
            return fail("Unable to delete reconciliation APrec");
        if (session_.commit() != Error::None) return fail("Unable to commit transaction");
        return true;
    }

    // Reports a hard error: rolls back first (nothing stays locked while the message shows).
    bool fail(const std::string& step) {
        failed_ = true;
        const StorageError error = session_.lastError();
        (void)session_.rollback();  // harmless without a transaction
        ds_Beep();
        ds_Message(stepError(step, error), caption_, icon::Information, msg::OK);
        return false;
    }

  private:
    // A snapshot row of the reconciliation: its cleared item first, then the row itself.
    bool deleteSnapshotRow(const APrac& row, int64_t position) {
        RecordFile<APrac>& rac = session_.file<APrac>();
        if (row.Marked) {
            RecordFile<APbac>& bac = session_.file<APbac>();
            bac.clear();
            bac.rec.ActivityID = row.ActivityID;
            const Error err = bac.get(APBAC_KEY_ACTIVITYID);
            if (err != Error::None) {
                ds_Beep();
                const int32_t answer = ds_Message(
                    stepError("Unable to get associated activity APbac", session_.lastError()),
                    caption_, icon::Exclamation, msg::Ignore | msg::Cancel, msg::Cancel);
                if (answer != msg::Ignore) {
                    cancelled_ = true;
                    return false;
                }
            } else if (!deleteActivity("Unable to delete bank activity APbac")) {
                return false;
            }
        }
        if (rac.reget(position) != Error::None || rac.erase() != Error::None) {
            saveError(session_);
            StandardWarning(Warn_ProcessActionError, "APrac", "DELETE");
            fail("Unable to delete reconciliation activity APrac");
            return false;
        }
        return true;
    }

    // Deletes the current APbac row with its deposit lines; snapshot rows that point at it keep
    // their copy with ActivityID 0, so no snapshot ever points at a later activity that reuses the
    // number.
    bool deleteActivity(const std::string& step) {
        RecordFile<APbac>& bac = session_.file<APbac>();
        const int32_t activityId = bac.rec.ActivityID;
        RecordFile<APbda>& bda = session_.file<APbda>();
        bda.clear();
        bda.rec.ActivityID = activityId;
        if (bda.set(APBDA_KEY_ACTIVITYID) != Error::None)
            return fail("Unable to delete deposit activity APbda");
        for (;;) {
            const Error err = bda.next();
            if (err == Error::NoRecord || (err == Error::None && bda.rec.ActivityID != activityId))
                break;
            if (err != Error::None || bda.erase() != Error::None)
                return fail("Unable to delete deposit activity APbda");
        }
        RecordFile<APrac>& rac = session_.file<APrac>();
        for (;;) {
            rac.clear();
            rac.rec.ActivityID = activityId;
            const Error err = rac.get(APRAC_KEY_ACTIVITYID);
            if (err == Error::NoRecord) break;
            rac.rec.ActivityID = 0;
            if (err != Error::None || rac.put() != Error::None) return fail(step);
        }
        if (bac.erase() != Error::None) return fail(step);
        return true;
    }

    FileSession& session_;
    std::string caption_;
    int32_t id_;
    std::unique_ptr<View<APrac>> view_;
    ViewPosition last_;
    bool started_ = false;
    int64_t done_ = 0;
    bool failed_ = false;
    bool cancelled_ = false;
};

}  // namespace

ProgressOptions deleteProgressOptions() {
    return processWindow("Deleting Reconciliation");
}

int32_t UpdateAPrecDelete(FileSession& session, const std::string& caption) {
    THREAD_LOG(kProcedure);
    GlobalResponse = RequestCancelled;
    const APrec shown = session.file<APrec>().rec;
    ds_Beep();
    const int32_t answer = ds_Message(
        "Currently highlighted reconciliation dated " +
            picture::formatDate("@d17b", shown.EndingDate) + " is about to be deleted. " +
            "Once deleted, all associated check information for the the cleared checks will "
            "also be deleted. " +
            "Are you sure you wish to do this?",
        caption, icon::Exclamation, msg::Yes | msg::No, msg::No);
    if (answer == msg::Yes) {
        FileUse files(session, {FileId::APbac, FileId::APbda, FileId::APrac, FileId::APrec});
        if (files.error() == Error::None) {
            Deletion deletion(session, caption, shown.ReconciliationID);
            if (deletion.begin()) {
                runProgress(deleteProgressOptions(), deletion);
                if (deletion.failed() || deletion.cancelled())
                    (void)session.rollback();  // already rolled back after a reported failure
                else if (deletion.finish())
                    GlobalResponse = RequestCompleted;
            }
        }
    }
    THREAD_RETURN(kProcedure);
    return GlobalResponse;
}

}  // namespace reconcile
