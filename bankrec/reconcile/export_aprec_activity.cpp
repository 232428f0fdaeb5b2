#include "bankrec/reconcile/export_aprec_activity.h"

#include <algorithm>
#include <vector>

#include "bankrec/reconcile/reconcile_texts.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/join_view.h"
#include "bankrec/storage/warnings.h"
#include "corelib/progress.h"
#include "corelib/standard_warnings.h"
#include "corelib/text.h"
#include "corelib/thread_registry.h"

using namespace corelib;
using namespace storage;

namespace reconcile {

namespace {

constexpr int kRowsPerTick = 25;
constexpr int64_t kEstimatedRows = 1000;

using ClearedItems = JoinView<APrec, APrac, APbac>;

class Extraction : public ProgressJob {
  public:
    Extraction(FileSession& session, int32_t reconciliationId, hostlink::ZORBRCHK& link)
        : s_(session),
          link_(link),
          view_(session, APREC_KEY_RECONCILIATIONID,
                {JoinLink{APRAC_KEY_RECONCILIATIONID}, JoinLink{APBAC_KEY_ACTIVITYID}}),
          filter_("APrec:ReconciliationID=" + std::to_string(reconciliationId) +
                  " AND APrac:Marked=1") {}

    void open(ProgressView& view) override {
        view.setRange(0, kEstimatedRows);
        view.setValue(0);
        if (view_.setFilter(filter_) != Error::None) {
            saveError(s_);
            StandardWarning(Warn_ViewOpenFailed);
            over_ = true;
        }
        view_.reset();
    }

    bool tick(ProgressView& view) override {
        for (int i = 0; i < kRowsPerTick && !over_; ++i) {
            const Error err = view_.next();
            if (err == Error::NoRecord) {
                over_ = true;
            } else if (err != Error::None) {
                saveError(s_);
                StandardWarning(Warn_RecordFetchError, "APrec");
                over_ = true;
            } else {
                add();
            }
        }
        view.setValue(std::min(read_, kEstimatedRows));
        return !over_;
    }

  private:
    void add() {
        ++read_;
        const APrac& item = view_.get<APrac>();
        const APbac& activity = view_.get<APbac>();
        if (activity.TransactionID == 0) return;  // not from the suite
        const APbnk& bank = s_.file<APbnk>().rec;
        const std::string source = text::upper(text::trimRight(activity.Source));
        const std::string code = source == "AP" ? bank.APBank : source == "PR" ? bank.PRBank : "";
        (void)link_.addCheck(activity.TransactionID, item.ActivityDate, item.Amount,
                             activity.Source, code, item.Reference, item.Name,
                             item.Description);  // false: the transaction is listed already
    }

    FileSession& s_;
    hostlink::ZORBRCHK& link_;
    ClearedItems view_;
    std::string filter_;
    bool over_ = false;
    int64_t read_ = 0;
};

}  // namespace

bool ExportAPrecActivity(FileSession& session, int32_t reconciliationId, hostlink::ZORBRCHK& link) {
    THREAD_LOG("ExportAPrecActivity");
    {
        FileUse files(session, {FileId::APbac, FileId::APbnk, FileId::APrac, FileId::APrec});
        if (files.error() == Error::None) {
            Extraction run(session, reconciliationId, link);
            runProgress(processWindow("Extracting Reconciliation Activity"), run);
            auto& rec = session.file<APrec>();
            rec.clear();
            rec.rec.ReconciliationID = reconciliationId;
            (void)rec.get(APREC_KEY_RECONCILIATIONID);  // the caller reads it again itself
        }
    }
    THREAD_RETURN("ExportAPrecActivity");
    return true;
}

}  // namespace reconcile
