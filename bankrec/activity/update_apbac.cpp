#include "bankrec/activity/update_apbac.h"

#include <cctype>

#include "bankrec/activity/register_rows.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/saved_error.h"
#include "bankrec/storage/warnings.h"
#include "corelib/globals.h"
#include "corelib/message.h"
#include "corelib/text.h"
#include "corelib/thread_registry.h"

using namespace corelib;
using namespace storage;

namespace activity {

namespace {

const char* kindName(ActivityFormKind kind) {
    switch (kind) {
        case ActivityFormKind::Deposit:
            return "Deposit";
        case ActivityFormKind::Adjustment:
            return "Adjustment";
        default:
            return "Check";
    }
}

}  // namespace

ActivityFormKind activityFormKind(const std::string& activityType) {
    const std::string type = text::upper(activityType);
    if (type == "ADJUSTMENT") return ActivityFormKind::Adjustment;
    if (type == "DEPOSIT") return ActivityFormKind::Deposit;
    return ActivityFormKind::Check;
}

ActivityForm::ActivityForm(FileSession& session, ActivityFormKind kind, int32_t request)
    : session_(session), kind_(kind), request_(request), rec_(session.file<APbac>().rec) {
    if (kind_ == ActivityFormKind::Deposit)
        linesFile_ = std::make_unique<FileUse>(session_, std::initializer_list{FileId::APbda});
    loadLines();
}

ActivityForm::~ActivityForm() = default;

std::string ActivityForm::procedure() const {
    return std::string("UpdateAPbac") + kindName(kind_);
}

std::string ActivityForm::title() const {
    if (viewMode()) return std::string("Viewing ") + kindName(kind_);
    return std::string("Update Bank Activity [") + kindName(kind_) + "]";
}

std::string ActivityForm::reconciledMarked() const {
    return activity::reconciledMarked(rec_);
}

Decimal ActivityForm::depositOrCredit() const {
    if (kind_ != ActivityFormKind::Deposit) return rec_.DepositOrCredit;
    return rec_.Cash + rec_.Coin + checks_;
}

void ActivityForm::loadLines() {
    lines_.clear();
    checks_ = Decimal();
    linesError_ = Error::None;
    if (kind_ != ActivityFormKind::Deposit || rec_.ActivityID == 0) return;
    if (linesFile_->error() != Error::None) {
        linesError_ = linesFile_->error();
        return;
    }
    RecordFile<APbda>& f = session_.file<APbda>();
    f.clear();
    f.rec.ActivityID = rec_.ActivityID;
    Error err = f.set(APBDA_KEY_ACTIVITYORDER);
    while (err == Error::None && (err = f.next()) == Error::None &&
           f.rec.ActivityID == rec_.ActivityID) {
        lines_.push_back({f.rec.Reference, f.rec.Name, f.rec.Amount, f.rec.Order, f.rec.DepositID});
        checks_ += f.rec.Amount;
    }
    if (err != Error::None && err != Error::NoRecord) {
        saveError(session_);
        linesError_ = err;
        StandardWarning(Warn_RecordFetchError, "APbda");
    }
}

bool ActivityForm::step(bool forward) {
    RecordFile<APbac>& f = session_.file<APbac>();
    const std::string type = text::upper(rec_.ActivityType);
    f.rec = rec_;
    Error err = f.set(APBAC_KEY_ACTIVITY);
    // The walk's first read is the shown row itself (the key ends in ActivityID).
    if (err == Error::None) err = forward ? f.next() : f.previous();
    bool found = false;
    while (err == Error::None) {
        err = forward ? f.next() : f.previous();
        if (err != Error::None || f.rec.BankID != rec_.BankID) break;
        if (text::upper(f.rec.ActivityType) == type) {
            found = true;
            break;
        }
    }
    if (!found) {
        if (err != Error::None && err != Error::NoRecord) {
            saveError(session_);
            StandardWarning(Warn_RecordFetchError, "APbac");
        }
        // Keep the shown row current in the buffer.
        f.clear();
        f.rec.ActivityID = rec_.ActivityID;
        if (f.get(APBAC_KEY_ACTIVITYID) != Error::None) f.rec = rec_;
        ds_Beep();
        (forward ? nextEnabled_ : previousEnabled_) = false;
        return false;
    }
    rec_ = f.rec;
    nextEnabled_ = previousEnabled_ = true;
    loadLines();
    return true;
}

int32_t UpdateAPbac(FileSession& session, const ActivityFormHooks& hooks) {
    const ActivityFormKind kind = activityFormKind(session.file<APbac>().rec.ActivityType);
    ActivityForm form(session, kind, GlobalRequest);
    THREAD_LOG(form.procedure());
    int32_t response = RequestCancelled;
    if (GlobalRequest == DeleteRecord) {
        if (!canDeleteActivity(session.file<APbac>().rec)) {
            ds_Beep();
        } else if (StandardWarning(Warn_ConfirmDelete) == msg::OK) {
            for (;;) {
                if (hooks.waitCursor) hooks.waitCursor(true);
                const bool failed = deleteRecord(session, FileId::APbac) != DeleteResult::Deleted;
                if (hooks.waitCursor) hooks.waitCursor(false);
                if (!failed) {
                    response = RequestCompleted;
                    break;
                }
                if (StandardWarning(Warn_DeleteFailed) != msg::Yes) break;
            }
        }
        GlobalResponse = response;
    } else if (GlobalRequest == ViewRecord) {
        GlobalResponse = RequestCompleted;
        if (hooks.show) hooks.show(form);
        response = GlobalResponse;
    } else {
        // Activity is never inserted or changed by hand.
        StandardWarning(GlobalRequest == InsertRecord ? Warn_InsertDisabled : Warn_UpdateDisabled);
        GlobalResponse = response;
    }
    THREAD_RETURN(form.procedure());
    return response;
}

}  // namespace activity
