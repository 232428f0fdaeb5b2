#include "bankrec/banks/fia_loader.h"

#include <cctype>
#include <iterator>

#include "bankrec/storage/dictionary.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/warnings.h"
#include "corelib/text.h"
#include "hostlink/hostlink.h"

using namespace corelib;
using namespace storage;
using namespace hostlink;

namespace banks {

bool FiaLoader::PairLess::operator()(const std::pair<int32_t, std::string>& a,
                                     const std::pair<int32_t, std::string>& b) const {
    if (a.first != b.first) return a.first < b.first;
    return text::compareNoCase(a.second, b.second) < 0;
}

FiaLoader::FiaLoader(FileSession& session, ZORBRFIA& link) : session_(session), link_(link) {}

FiaLoader::~FiaLoader() = default;

int32_t FiaLoader::total() const {
    return link_.records();
}

FileId FiaLoader::writesTo() const {
    return phase_ == Phase::Entries && next_ <= total() ? FileId::APbnk : FileId::APbnu;
}

void FiaLoader::sliceLost() {
    FiaLoadCounts kept = committed_;
    kept.entries = counts_.entries;
    kept.removalSkipped = counts_.removalSkipped;
    kept.failures = counts_.failures + 1;
    counts_ = kept;
    phase_ = Phase::Done;
}

void FiaLoader::runToEnd() {
    while (step()) {
    }
}

void FiaLoader::enter(Phase phase) {
    phase_ = phase;
    walkStarted_ = false;
    if (phase == Phase::Remove && (!listComplete_ || pairs_.empty() || total() == 0)) {
        counts_.removalSkipped = true;
        enter(Phase::Add);
        return;
    }
    if (phase == Phase::Add) addAt_ = pairs_.begin();
}

bool FiaLoader::step() {
    switch (phase_) {
        case Phase::Entries:
            if (next_ <= total()) {
                loadEntry(next_++);
                return true;
            }
            enter(Phase::Remove);
            return true;
        case Phase::Remove:
            if (!removeStep()) enter(Phase::Add);
            return true;
        case Phase::Add:
            if (!addStep()) enter(Phase::Defaults);
            return true;
        case Phase::Defaults:
            if (!defaultsStep()) {
                phase_ = Phase::Done;
                return false;
            }
            return true;
        case Phase::Done:
            return false;
    }
    return false;
}

void FiaLoader::loadEntry(int32_t number) {
    ++counts_.entries;
    link_.select(number);
    const std::string bank = cutUtf8(text::trimRight(link_.query("BANK")), 40);
    const std::string fiaText = link_.query("FIAID");
    const std::string apBank = cutUtf8(text::trimRight(link_.query("APBANK")), 10);
    const std::string prBank = cutUtf8(text::trimRight(link_.query("PRBANK")), 10);
    const std::string account = cutUtf8(text::trimRight(link_.query("BANKACCOUNT")), 40);
    int32_t fiaId = 0;
    try {
        fiaId = static_cast<int32_t>(std::stol(fiaText));
    } catch (...) {
        fiaId = 0;
    }
    // An entry without a suite identifier could never be matched again: each load would add
    // the bank once more.
    if (fiaId == 0) return;
    // The suite lists an account once per cash account, one after the other: the bank the
    // previous entry brought into line needs no second look.
    if (fiaId == last_.fiaId && bank == last_.bank && apBank == last_.apBank &&
        prBank == last_.prBank && last_.bankId != 0) {
        pairs_.emplace(last_.bankId, account);
        return;
    }
    last_ = {};

    auto& bnk = session_.file<APbnk>();
    bnk.rec.FIAID = fiaId;
    int32_t bankId = 0;
    if (bnk.get(APBNK_KEY_FIAID) == Error::None) {
        if (bnk.rec.Bank != bank || bnk.rec.APBank != apBank || bnk.rec.PRBank != prBank) {
            bnk.rec.Bank = bank;
            bnk.rec.APBank = apBank;
            bnk.rec.PRBank = prBank;
            if (changeRecord(session_, FileId::APbnk, false) == ChangeResult::Written)
                ++counts_.banksUpdated;
            else
                ++counts_.failures;
        }
        bankId = bnk.rec.BankID;
    } else {
        bnk.clear();
        bnk.rec.FIAID = fiaId;
        bnk.rec.Bank = bank;
        bnk.rec.APBank = apBank;
        bnk.rec.PRBank = prBank;
        if (addNumbered(session_, FileId::APbnk, NumberingReadError::Warning35) == Error::None) {
            ++counts_.banksAdded;
            bankId = bnk.rec.BankID;
        } else {
            ++counts_.failures;
        }
    }
    if (bankId == 0) return;
    pairs_.emplace(bankId, account);
    last_ = {fiaId, bankId, bank, apBank, prBank};
}

bool FiaLoader::removeStep() {
    auto& bnu = session_.file<APbnu>();
    if (!walkStarted_) {
        walkStarted_ = true;
        (void)bnu.setStart(APBNU_KEY_BANKUSEID);
    }
    Error err = bnu.next();
    if (err != Error::None) {
        if (err != Error::NoRecord) {
            saveError(session_);
            StandardWarning(35, "APbnu");
        }
        return false;
    }
    if (pairs_.count({bnu.rec.BankID, bnu.rec.BankAccount}) != 0) return true;
    if (deleteRecord(session_, FileId::APbnu) == DeleteResult::Deleted)
        ++counts_.cashRemoved;
    else
        ++counts_.failures;
    return true;
}

bool FiaLoader::addStep() {
    if (addAt_ == pairs_.end()) return false;
    const bool firstOfBank = addAt_ == pairs_.begin() || std::prev(addAt_)->first != addAt_->first;
    const auto& [bankId, account] = *addAt_++;
    auto& bnu = session_.file<APbnu>();
    bnu.rec.BankID = bankId;
    bnu.rec.BankAccount = account;
    if (bnu.get(APBNU_KEY_BANKIDBANKACCOUNT) == Error::None) return true;
    // The pairs come in key order, so a bank's first one, added to a bank that has no cash
    // account yet, is the one the defaults pass would mark: it is added marked, one write
    // instead of an add and a change.
    const uint8_t post = firstOfBank && !hasCashAccount(bankId) ? 1 : 0;
    bnu.clear();
    bnu.rec.BankID = bankId;
    bnu.rec.BankAccount = account;
    bnu.rec.Post = post;
    if (addNumbered(session_, FileId::APbnu, NumberingReadError::Warning35) == Error::None) {
        ++counts_.cashAdded;
        counts_.defaultsSet += post;
    } else {
        ++counts_.failures;
    }
    return true;
}

bool FiaLoader::hasCashAccount(int32_t bankId) {
    auto& bnu = session_.file<APbnu>();
    bnu.clear();
    bnu.rec.BankID = bankId;
    // When the walk cannot tell, the bank counts as having one: the defaults pass decides then.
    if (bnu.set(APBNU_KEY_BANKIDBANKACCOUNT) != Error::None) return true;
    const Error err = bnu.next();
    if (err == Error::NoRecord) return false;
    return err != Error::None || bnu.rec.BankID == bankId;
}

bool FiaLoader::defaultsStep() {
    auto& bnk = session_.file<APbnk>();
    if (!walkStarted_) {
        walkStarted_ = true;
        (void)bnk.setStart(APBNK_KEY_BANKID);
    }
    Error err = bnk.next();
    if (err != Error::None) {
        if (err != Error::NoRecord) {
            saveError(session_);
            StandardWarning(35, "APbnk");
        }
        return false;
    }
    const int32_t bankId = bnk.rec.BankID;
    auto& bnu = session_.file<APbnu>();
    bnu.rec.BankID = bankId;
    bnu.rec.Post = 1;
    if (bnu.get(APBNU_KEY_BANKIDPOST) == Error::None) return true;
    bnu.rec.BankID = bankId;
    bnu.rec.BankAccount.clear();
    (void)bnu.set(APBNU_KEY_BANKIDBANKACCOUNT);
    if (bnu.next() != Error::None || bnu.rec.BankID != bankId) return true;  // no cash accounts
    bnu.rec.Post = 1;
    if (changeRecord(session_, FileId::APbnu, false) == ChangeResult::Written)
        ++counts_.defaultsSet;
    else
        ++counts_.failures;
    return true;
}

}  // namespace banks
