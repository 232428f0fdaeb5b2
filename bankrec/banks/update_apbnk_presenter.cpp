#include "bankrec/banks/update_apbnk_presenter.h"

#include <cctype>

#include "bankrec/shell/startup_parameters.h"
#include "bankrec/storage/change_stamp.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/transaction_frame.h"
#include "bankrec/storage/warnings.h"
#include "corelib/globals.h"
#include "corelib/message.h"
#include "corelib/standard_warnings.h"
#include "corelib/text.h"

using namespace corelib;
using namespace storage;
using namespace shell;

namespace banks {

namespace {
bool sameBank(const APbnk& a, const APbnk& b) {
    return a.BankID == b.BankID && a.ChangeID == b.ChangeID && a.ChangeDate == b.ChangeDate &&
           a.ChangeTime == b.ChangeTime && a.FIAID == b.FIAID && a.Bank == b.Bank &&
           a.ServiceChargePost == b.ServiceChargePost &&
           a.ServiceChargeJournal == b.ServiceChargeJournal &&
           a.ServiceChargeAccount == b.ServiceChargeAccount &&
           a.InterestEarnedPost == b.InterestEarnedPost &&
           a.InterestEarnedJournal == b.InterestEarnedJournal &&
           a.InterestEarnedAccount == b.InterestEarnedAccount && a.APBank == b.APBank &&
           a.PRBank == b.PRBank;
}

}  // namespace

UpdateAPbnkPresenter::UpdateAPbnkPresenter(FileSession& session, const StartupParameters& params,
                                           Hooks hooks)
    : session_(session),
      params_(params),
      hooks_(std::move(hooks)),
      ledger_(params.divisionText()) {}

UpdateAPbnkPresenter::~UpdateAPbnkPresenter() {
    ledger_.closeJournals();
}

void UpdateAPbnkPresenter::busy(bool on) {
    if (hooks_.waitCursor) hooks_.waitCursor(on);
}

APbnk& UpdateAPbnkPresenter::bank() {
    return session_.file<APbnk>().rec;
}

void UpdateAPbnkPresenter::open(int32_t request) {
    request_ = request;
    files_ = std::make_unique<FileUse>(session_,
                                       std::initializer_list<FileId>{FileId::APbnk, FileId::APbnu});
    ledger_.openJournals();
    original_ = bank();
    if (request_ == DeleteRecord) return;
    journals_ = ledger_.journals();
    loadCashAccounts();
    // Accounts already set show their description at once; nothing is reported here.
    for (PostingAccount which : {PostingAccount::ServiceCharge, PostingAccount::InterestEarned}) {
        int i = static_cast<int>(which);
        descriptions_[i].clear();
        if (postingVisible(which) && !accountField(which).empty()) {
            AccountCheck check = ledger_.checkAccount(accountField(which), journalField(which));
            if (check.ok()) descriptions_[i] = check.description;
        }
    }
}

std::string UpdateAPbnkPresenter::title() const {
    switch (request_) {
        case ChangeRecord:
            return "Changing Financial Institution Account";
        case ViewRecord:
            return "Viewing Financial Institution Account";
        default:
            return "Update Financial Institution Accounts";
    }
}

void UpdateAPbnkPresenter::loadCashAccounts() {
    cash_.clear();
    auto& bnu = session_.file<APbnu>();
    const int32_t bankId = bank().BankID;
    bnu.clear();
    bnu.rec.BankID = bankId;
    (void)bnu.set(APBNU_KEY_BANKIDBANKACCOUNT);
    while (bnu.next() == Error::None && bnu.rec.BankID == bankId)
        cash_.push_back({bnu.rec.BankAccount, bnu.rec.Post ? 1 : 0, bnu.rec.BankUseID});
}

void UpdateAPbnkPresenter::setDefault(size_t row) {
    if (row >= cash_.size() || viewMode()) return;
    for (size_t i = 0; i < cash_.size(); ++i) cash_[i].Icon = i == row ? 1 : 0;
}

std::optional<size_t> UpdateAPbnkPresenter::findCashAccount(const std::string& account) const {
    for (size_t i = 0; i < cash_.size(); ++i)
        if (text::equalNoCase(cash_[i].BankAccount, account)) return i;
    return std::nullopt;
}

std::string& UpdateAPbnkPresenter::accountField(PostingAccount which) {
    return which == PostingAccount::ServiceCharge ? bank().ServiceChargeAccount
                                                  : bank().InterestEarnedAccount;
}

std::string& UpdateAPbnkPresenter::journalField(PostingAccount which) {
    return which == PostingAccount::ServiceCharge ? bank().ServiceChargeJournal
                                                  : bank().InterestEarnedJournal;
}

bool UpdateAPbnkPresenter::postingVisible(PostingAccount which) const {
    const APbnk& b = const_cast<UpdateAPbnkPresenter*>(this)->bank();
    return which == PostingAccount::ServiceCharge ? b.ServiceChargePost != 0
                                                  : b.InterestEarnedPost != 0;
}

void UpdateAPbnkPresenter::setPosting(PostingAccount which, bool on) {
    if (which == PostingAccount::ServiceCharge)
        bank().ServiceChargePost = on ? 1 : 0;
    else
        bank().InterestEarnedPost = on ? 1 : 0;
}

void UpdateAPbnkPresenter::setJournal(PostingAccount which, const std::string& abbr) {
    journalField(which) = abbr;
}

std::optional<size_t> UpdateAPbnkPresenter::journalRow(PostingAccount which) const {
    const std::string& abbr = const_cast<UpdateAPbnkPresenter*>(this)->journalField(which);
    for (size_t i = 0; i < journals_.size(); ++i)
        if (text::equalNoCase(journals_[i].Abbr, abbr)) return i;
    return std::nullopt;
}

void UpdateAPbnkPresenter::setAccount(PostingAccount which, const std::string& account) {
    accountField(which) = account;
}

const std::string& UpdateAPbnkPresenter::accountDescription(PostingAccount which) const {
    return descriptions_[static_cast<int>(which)];
}

bool UpdateAPbnkPresenter::validate(PostingAccount which) {
    if (viewMode() || !postingVisible(which)) return true;
    AccountCheck check = ledger_.checkAccount(accountField(which), journalField(which));
    if (!check.ok()) {
        ds_Beep();
        ds_Message(check.error, glo_ApplicationName, icon::Exclamation, msg::OK);
        return false;
    }
    descriptions_[static_cast<int>(which)] = check.description;
    return true;
}

UpdateAPbnkPresenter::SaveOutcome UpdateAPbnkPresenter::save() {
    if (viewMode()) return SaveOutcome::NotAllowed;
    if (!validate(PostingAccount::ServiceCharge) || !validate(PostingAccount::InterestEarned))
        return SaveOutcome::Invalid;

    auto& bnk = session_.file<APbnk>();
    auto& bnu = session_.file<APbnu>();
    Error keyError = Error::None;
    bool keyIsLink = false;
    {
        TransactionFrame frame(session_, {FileId::APbnk, FileId::APbnu}, 5,
                               FrameHooks{hooks_.waitCursor, {}});
        if (!frame.active()) return SaveOutcome::Closed;
        if (!sameBank(bnk.rec, original_)) {
            const APbnk mine = bnk.rec;
            stampChange(bnk.rec);
            Error err = bnk.put();
            if (err == Error::DuplicateKey || err == Error::Changed) {
                keyError = err;
                keyIsLink = session_.lastError().driverMessage.find("FIAID") != std::string::npos;
                if (err == Error::Changed) entered_ = mine;
                // The frame rolls back when it ends; the warning comes after, with no lock held.
            } else if (!frame.check(err)) {
                return SaveOutcome::Closed;
            }
        }
        if (keyError == Error::None) {
            for (const CashAccountRow& row : cash_) {
                bnu.rec.BankUseID = row.BankUseID;
                if (Error err = bnu.get(APBNU_KEY_BANKUSEID); err != Error::None) {
                    ds_Beep();
                    ds_Message("Unable to get APbnu for update. Error(" +
                                   std::to_string(errorNumber(err)) + ") " + storageErrorText(err),
                               title(), icon::Exclamation, msg::OK);
                    continue;
                }
                const uint8_t post = row.isDefault() ? 1 : 0;
                if (bnu.rec.Post == post) continue;
                bnu.rec.Post = post;
                stampChange(bnu.rec);
                if (!frame.check(bnu.put())) return SaveOutcome::Closed;
            }
            if (frame.commit() != Error::None) return SaveOutcome::Closed;
        }
    }
    if (keyError == Error::DuplicateKey) {
        StandardWarning(Warn_DuplicateKey, keyIsLink ? "Link to tvw FIA" : "Primary Key");
        return SaveOutcome::DuplicateKey;
    }
    if (keyError == Error::Changed) {
        // The buffer holds the other station's bank: show it, and start from it.
        StandardWarning(Warn_ConcurrencyFailedFromForm);
        original_ = bnk.rec;
        loadCashAccounts();
        return SaveOutcome::Conflict;
    }
    original_ = bnk.rec;
    return SaveOutcome::Saved;
}

void UpdateAPbnkPresenter::cancel() {
    bank() = original_;
}

int32_t UpdateAPbnkPresenter::runDelete() {
    GlobalResponse = RequestCancelled;
    if (StandardWarning(Warn_ConfirmDelete) != msg::OK) return GlobalResponse;
    for (;;) {
        busy(true);
        const bool failed = deleteRecord(session_, FileId::APbnk) != DeleteResult::Deleted;
        busy(false);
        if (!failed) {
            GlobalResponse = RequestCompleted;
            break;
        }
        if (StandardWarning(Warn_DeleteFailed) != msg::Yes) break;
        // The delete service needs the bank current again.
        session_.file<APbnk>().rec = original_;
        if (session_.file<APbnk>().get(APBNK_KEY_BANKID) != Error::None) break;
    }
    return GlobalResponse;
}

}  // namespace banks
