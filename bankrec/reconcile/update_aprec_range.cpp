#include "bankrec/reconcile/update_aprec_range.h"

#include <memory>
#include <vector>

#include "bankrec/reconcile/reconcile_texts.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/view.h"
#include "bankrec/storage/warnings.h"
#include "corelib/globals.h"
#include "corelib/message.h"
#include "corelib/picture.h"
#include "corelib/standard_warnings.h"
#include "corelib/text.h"
#include "corelib/thread_registry.h"

using namespace corelib;
using namespace storage;

namespace reconcile {

namespace {

constexpr size_t kFormWidth = 20;
constexpr int kRowsPerTick = 25;
constexpr int kSliceLockSeconds = 2;
constexpr const char* kProcedure = "UpdateAPrecRange";

// The marking, a page of rows per tick; each slice of ticks is one transaction on APbac.
class RangeJob : public ProgressJob {
  public:
    RangeJob(FileSession& session, int32_t bankId, std::string low, std::string high, uint8_t mark)
        : session_(session), low_(std::move(low)), high_(std::move(high)), mark_(mark) {
        view_ = std::make_unique<View<APbac>>(session, APBAC_KEY_RECONCILED);
        view_->bindings().bind("APbnk:BankID", int64_t{bankId});
    }

    const RangeResult& result() const { return result_; }

    void open(ProgressView& view) override {
        int64_t rows = 0;
        if (view_->setFilter("APbac:BankID = APbnk:BankID AND (NOT APbac:Reconciled AND "
                             "APbac:ActivityType = 'Check')") != Error::None ||
            view_->count(rows) != Error::None) {
            saveError(session_);
            StandardWarning(Warn_ViewOpenFailed);
            result_.failed = true;
            return;
        }
        view.setRange(0, rows);
        view.setValue(0);
    }

    bool tick(ProgressView& view) override {
        if (result_.failed || result_.cancelled) return false;
        std::vector<View<APbac>::Row> page;
        if (view_->fetch(started_ ? &last_ : nullptr, kRowsPerTick, page) != Error::None) {
            writeFailed();
            return false;
        }
        started_ = true;
        for (const auto& row : page) {
            last_ = row.pos;
            ++read_;
            const std::string form = comparisonForm(row.rec.Reference);
            if (form < low_ || form > high_) continue;
            ++result_.count;
            result_.total -= row.rec.Amount;
            if (row.rec.Marked == mark_) continue;
            RecordFile<APbac>& f = session_.file<APbac>();
            Error err = f.reget(row.pos.rowid);
            if (err == Error::None) {
                f.rec.Marked = mark_;
                err = f.put();
            }
            if (err != Error::None) {
                writeFailed();
                return false;
            }
            ++result_.written;
        }
        view.setValue(read_);
        return page.size() == static_cast<size_t>(kRowsPerTick);
    }

    void sliceBegin() override {
        // When the transaction cannot begin, each write of the slice stands alone.
        ownTransaction_ = !session_.inTransaction() &&
                          session_.begin({FileId::APbac}, kSliceLockSeconds) == Error::None;
    }
    void sliceEnd() override { commitSlice(); }

    bool cancel(ProgressView&) override {
        result_.cancelled = true;
        return true;
    }

  private:
    void commitSlice() {
        if (!ownTransaction_) return;
        ownTransaction_ = false;
        if (session_.commit() != Error::None) {
            saveError(session_);
            StandardWarning(Warn_ProcessActionError, "APbac", "PUT");
            result_.failed = true;
        }
    }
    // The rows written before the failure are kept (committed before the warning shows).
    void writeFailed() {
        saveError(session_);
        commitSlice();
        StandardWarning(Warn_ProcessActionError, "APbac", "PUT");
        result_.failed = true;
    }

    FileSession& session_;
    std::unique_ptr<View<APbac>> view_;
    std::string low_;
    std::string high_;
    uint8_t mark_;
    ViewPosition last_;
    bool started_ = false;
    bool ownTransaction_ = false;
    int64_t read_ = 0;
    RangeResult result_;
};

}  // namespace

std::string comparisonForm(std::string_view reference) {
    std::string form = text::upper(reference);
    if (form.size() < kFormWidth) form.insert(0, kFormWidth - form.size(), ' ');
    return form;
}

bool validRange(std::string_view from, std::string_view to) {
    return comparisonForm(from) <= comparisonForm(to);
}

ProgressOptions rangeProgressOptions() {
    return processWindow("Marking group of checks");
}

RangeResult UpdateAPrecRange(FileSession& session, const std::string& from, const std::string& to,
                             uint8_t mark) {
    THREAD_LOG(kProcedure);
    RangeResult result;
    const int32_t bankId = session.file<APbnk>().rec.BankID;
    {
        FileUse files(session, {FileId::APbac, FileId::APbnk});
        if (files.error() == Error::None) {
            RangeJob job(session, bankId, comparisonForm(from), comparisonForm(to), mark ? 1 : 0);
            runProgress(rangeProgressOptions(), job);
            result = job.result();
        }
    }
    if (result.count != 0) {
        static const picture::Picture total = *picture::Picture::parse("@n-15.2");
        std::string shown = picture::formatNumber(total, result.total).trimmed;
        ds_Beep();
        ds_Message(std::to_string(result.count) + " Check(s) have been " +
                       (mark ? "marked" : "unmarked") + " for a total of " + shown,
                   glo_ApplicationName, icon::Information, msg::OK);
    }
    THREAD_RETURN(kProcedure);
    return result;
}

bool RangeDialog::accept() {
    if (!validRange(from, to)) {
        ds_Beep();
        ds_Message(
            "An invalid range has been entered! The to value must be greater than the from value "
            "in the range.",
            kRangeTitle, icon::Information, msg::OK);
        return false;
    }
    result_ = UpdateAPrecRange(session_, from, to, mark ? 1 : 0);
    GlobalResponse = RequestCompleted;
    return true;
}

void RangeDialog::cancel() {
    GlobalResponse = RequestCancelled;
}

}  // namespace reconcile
