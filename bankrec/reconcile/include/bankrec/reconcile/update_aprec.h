#pragma once
// The viewer of a completed reconciliation ("Viewing Reconciliation"): the statement's summary,
// read-only, and the items it captured at completion (APrac), checks and deposits apart, each
// marked "R" when it cleared with this statement and blank when it stayed outstanding; Next and
// Previous step through the bank's statements. UpdateAPrec also hands a delete request on to
// UpdateAPrecDelete.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "bankrec/activity/view_pager.h"
#include "bankrec/reconcile/reconcile_calls.h"
#include "bankrec/storage/records.h"

namespace storage {
class FileSession;
class FileUse;
}  // namespace storage

namespace shell {
struct StartupParameters;
}  // namespace shell

namespace reconcile {

class ReconciliationViewer {
  public:
    ReconciliationViewer(storage::FileSession& session, const shell::StartupParameters& params,
                         const ReconcileCalls& calls);
    ~ReconciliationViewer();

    // Opens APbnk, APrac and APrec and shows the statement in the session's APrec buffer.
    void open();

    std::string title() const;
    const storage::APrec& record() const { return rec_; }
    // "Service Charge (<batch>T)..." when the charge was posted in a ledger batch, else
    // "Service Charge............"; likewise "Interest Earned (<batch>T)..." / "Interest
    // Earned............".
    std::string serviceChargePrompt() const;
    std::string interestPrompt() const;

    // The captured items of the statement in APRAC_KEY_ACTIVITY order.
    activity::ViewPager<storage::APrac>& checks() { return *checks_; }
    activity::ViewPager<storage::APrac>& deposits() { return *deposits_; }
    // "R" for an item that cleared with this statement, "" for one that stayed outstanding.
    static std::string marker(const storage::APrac& row);

    // Steps to the bank's next / previous statement (APREC_KEY_BANKENDINGDATE). At either end:
    // the beep, that button disabled, the statement kept, false. A step enables both buttons.
    bool next() { return step(true); }
    bool previous() { return step(false); }
    bool nextEnabled() const { return nextEnabled_; }
    bool previousEnabled() const { return previousEnabled_; }

    // "P&rint": the reconciliation report of the statement shown.
    void print();

  private:
    bool step(bool forward);
    void show(const storage::APrec& rec);

    storage::FileSession& session_;
    const shell::StartupParameters& params_;
    const ReconcileCalls& calls_;
    std::unique_ptr<storage::FileUse> files_;
    storage::APrec rec_;
    std::unique_ptr<activity::ViewPager<storage::APrac>> checks_;
    std::unique_ptr<activity::ViewPager<storage::APrac>> deposits_;
    bool nextEnabled_ = true;
    bool previousEnabled_ = true;
};

// Reads GlobalRequest and acts on the statement in the session's APrec buffer: 4 (view) shows the
// viewer through `show` (nothing is shown without it); 3 (delete) runs UpdateAPrecDelete with
// `caption` and returns at once. Leaves and returns GlobalResponse.
int32_t UpdateAPrec(storage::FileSession& session, const shell::StartupParameters& params,
                    const ReconcileCalls& calls,
                    const std::function<void(ReconciliationViewer&)>& show,
                    const std::string& caption);

}  // namespace reconcile
