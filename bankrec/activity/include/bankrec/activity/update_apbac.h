#pragma once
// The activity forms: UpdateAPbac dispatches on the activity type to the check, deposit or
// adjustment form, which only view a row (activity is never keyed in by hand) or delete it.
//
// ActivityForm holds what a form shows and its rules, apart from any widget: the title and the
// buttons of the request, the reconciliation indicator, a deposit's lines and totals, and
// Previous/Next through the rows of the same type and bank along APBAC_KEY_ACTIVITY. The window
// (bankrec/activity/ui) only draws it and forwards the buttons.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bankrec/storage/records.h"
#include "bankrec/storage/storage_error.h"
#include "corelib/decimal.h"

namespace storage {
class FileSession;
class FileUse;
}  // namespace storage

namespace activity {

enum class ActivityFormKind { Check, Deposit, Adjustment };

// "ADJUSTMENT" gives the adjustment form, "DEPOSIT" the deposit form, anything else the check
// form (the type compared in capitals).
ActivityFormKind activityFormKind(const std::string& activityType);

// One line of a deposit.
struct DepositLine {
    std::string Reference;
    std::string Name;
    corelib::Decimal Amount;
    int32_t Order = 0;
    int32_t DepositID = 0;
};

class ActivityForm {
  public:
    // The form shows the session's current APbac record with `request` (GlobalRequest codes).
    // A deposit form holds APbda open (file services) for its lifetime, for the lines.
    ActivityForm(storage::FileSession& session, ActivityFormKind kind, int32_t request);
    ~ActivityForm();
    ActivityForm(const ActivityForm&) = delete;
    ActivityForm& operator=(const ActivityForm&) = delete;

    ActivityFormKind kind() const { return kind_; }
    int32_t request() const { return request_; }
    bool viewMode() const { return request_ == ViewRequestCode; }
    // "UpdateAPbacCheck", "UpdateAPbacDeposit" or "UpdateAPbacAdjustment".
    std::string procedure() const;
    // "Update Bank Activity [Check]"; in view mode "Viewing Check" (and so on).
    std::string title() const;
    // "Cl&ose" in view mode, else "&OK"; Cancel is hidden in view mode.
    std::string okCaption() const { return viewMode() ? "Cl&ose" : "&OK"; }
    bool cancelVisible() const { return !viewMode(); }

    const storage::APbac& record() const { return rec_; }
    std::string reconciledMarked() const;

    // The deposit's lines in APBDA_KEY_ACTIVITYORDER order, their sum, and the deposit amount
    // shown: cash + coin + checks (empty and zero for other forms).
    const std::vector<DepositLine>& lines() const { return lines_; }
    corelib::Decimal checks() const { return checks_; }
    corelib::Decimal depositOrCredit() const;
    // A read error of the deposit lines (already reported with warning 35), or 0.
    storage::Error linesError() const { return linesError_; }

    // Steps to the next / previous row of the same type and bank. At the end of the file or at
    // a row of another bank: the warning beep, the pressed button disabled, the row kept, false.
    // A step enables both buttons.
    bool next() { return step(true); }
    bool previous() { return step(false); }
    bool nextEnabled() const { return nextEnabled_; }
    bool previousEnabled() const { return previousEnabled_; }

  private:
    static constexpr int32_t ViewRequestCode = 4;
    bool step(bool forward);
    void loadLines();

    storage::FileSession& session_;
    ActivityFormKind kind_;
    int32_t request_;
    storage::APbac rec_;
    std::unique_ptr<storage::FileUse> linesFile_;  // APbda, deposit forms only
    std::vector<DepositLine> lines_;
    corelib::Decimal checks_;
    storage::Error linesError_ = storage::Error::None;
    bool nextEnabled_ = true;
    bool previousEnabled_ = true;
};

// What UpdateAPbac needs of the windows.
struct ActivityFormHooks {
    // Shows the form modally and leaves GlobalResponse; without it a view completes at once.
    std::function<void(ActivityForm&)> show;
    // Shows (true) and restores (false) the busy mouse pointer around the delete.
    std::function<void(bool)> waitCursor;
};

// Reads GlobalRequest and the session's current APbac record and runs the form of its type.
// View (4): the form is shown. Delete (3): the delete confirmation (warning 32) is asked before
// any window opens; OK deletes the row with its deposit lines (APrac copies keep their row with
// ActivityID 0) through the delete service, and a failure asks warning 18, whose Yes repeats
// the delete; the form is never shown. A row both reconciled and marked is not deleted. Leaves
// and returns GlobalResponse: 1 when the request completed, 2 otherwise.
int32_t UpdateAPbac(storage::FileSession& session, const ActivityFormHooks& hooks = {});

}  // namespace activity
