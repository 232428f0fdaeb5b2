#include "bankrec/activity/activity_register.h"

#include <algorithm>

#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/saved_error.h"
#include "bankrec/storage/warnings.h"
#include "corelib/globals.h"
#include "corelib/message.h"

using namespace corelib;
using namespace storage;
using namespace shell;

namespace activity {

ActivityRegister::ActivityRegister(FileSession& session, const StartupParameters& params)
    : session_(session), params_(params), pager_(std::make_unique<ActivityPager>(session)) {}

ActivityRegister::~ActivityRegister() {
    pager_.reset();
    for (auto it = opened_.rbegin(); it != opened_.rend(); ++it) closeFile(session_, *it);
}

bool ActivityRegister::open(int32_t rememberedBankId) {
    for (FileId id : {FileId::APbac, FileId::APbnk}) {
        // Reached only when the program did not end.
        if (openFile(session_, id) != Error::None) return false;
        opened_.push_back(id);
    }
    banks_ = loadBankChoices(session_, rememberedBankId, selected_);
    if (banks_.empty()) {
        ds_Beep();
        ds_Message("No banks have been defined.", kRegisterTitle, icon::Information, msg::OK);
        return false;
    }
    select(selected_ < 0 ? 0 : selected_);
    return true;
}

int32_t ActivityRegister::bankId() const {
    return selected_ >= 0 ? banks_[static_cast<size_t>(selected_)].BankID : 0;
}

void ActivityRegister::select(int index) {
    if (index < 0 || index >= static_cast<int>(banks_.size())) return;
    selected_ = index;
    if (pager_->setBank(bankId()) != Error::None) {
        saveError(session_);
        StandardWarning(Warn_RecordFetchError, "APbac");
    }
}

bool ActivityRegister::deleteEnabled(int64_t row) {
    const RegisterRow* r = pager_->row(row);
    return r && canDeleteActivity(r->rec);
}

int64_t ActivityRegister::callForm(int64_t row, int32_t request, const ActivityFormHooks& hooks) {
    const RegisterRow* r = pager_->row(row);
    if (!r) return row;
    // The form works on the current record: read the row afresh from the file.
    RecordFile<APbac>& f = session_.file<APbac>();
    f.clear();
    f.rec.ActivityID = r->rec.ActivityID;
    if (f.get(APBAC_KEY_ACTIVITYID) != Error::None) {
        saveError(session_);
        StandardWarning(Warn_RecordFetchError, "APbac");
        (void)pager_->refresh();  // a failure leaves the pager empty
        return std::min<int64_t>(row, pager_->count() - 1);
    }
    GlobalRequest = request;
    UpdateAPbac(session_, hooks);
    (void)pager_->refresh();  // a failure leaves the pager empty
    return std::min<int64_t>(row, pager_->count() - 1);
}

ChkLoadCounts ActivityRegister::refresh() {
    ChkLoadCounts counts;
    if (selected_ >= 0) {
        const BankChoice& bank = banks_[static_cast<size_t>(selected_)];
        counts = LoadChkThread(session_, params_, bank.BankID, bank.FIAID);
    }
    (void)pager_->refresh();  // a failure leaves the pager empty
    return counts;
}

int32_t ActivityRegister::rememberedBankId() {
    return activity::rememberedBankId(kRegisterProcedure);
}

void ActivityRegister::rememberBank() const {
    activity::rememberBankId(kRegisterProcedure, bankId());
}

}  // namespace activity
