#include "bankrec/banks/bank_browse.h"

#include "bankrec/storage/file_session.h"
#include "corelib/globals.h"

using namespace corelib;
using namespace storage;

namespace banks {

std::string browseJournals(const APbnk& bank) {
    std::string text;
    if (bank.ServiceChargePost) text = bank.ServiceChargeJournal;
    if (bank.InterestEarnedPost) {
        if (bank.ServiceChargePost) text += ", ";
        text += bank.InterestEarnedJournal;
    }
    return text;
}

BankBrowse::BankBrowse(FileSession& session)
    : session_(session), view_(std::make_unique<View<APbnk>>(session, APBNK_KEY_BANK)) {}

BankBrowse::~BankBrowse() = default;

std::string BankBrowse::defaultCashAccount(int32_t bankId) {
    auto& bnu = session_.file<APbnu>();
    bnu.rec.BankID = bankId;
    bnu.rec.Post = 1;
    if (bnu.get(APBNU_KEY_BANKIDPOST) != Error::None) return {};
    return bnu.rec.BankAccount;
}

BankBrowseRow BankBrowse::rowOf(const APbnk& bank, ViewPosition pos) {
    BankBrowseRow row;
    row.bank = bank;
    row.bankAccount = defaultCashAccount(bank.BankID);
    row.journals = browseJournals(bank);
    row.position = std::move(pos);
    return row;
}

Error BankBrowse::fetch(const ViewPosition* after, int n, std::vector<BankBrowseRow>& out,
                        bool backwards) {
    std::vector<View<APbnk>::Row> rows;
    out.clear();
    if (Error err = view_->fetch(after, n, rows, backwards); err != Error::None) return err;
    out.reserve(rows.size());
    for (auto& r : rows) out.push_back(rowOf(r.rec, std::move(r.pos)));
    return Error::None;
}

Error BankBrowse::count(int64_t& n) {
    return view_->count(n);
}

Error BankBrowse::select(int32_t bankId) {
    auto& bnk = session_.file<APbnk>();
    bnk.rec.BankID = bankId;
    return bnk.get(APBNK_KEY_BANKID);
}

int32_t BankBrowse::callForm(int32_t request, const std::function<void()>& form) {
    int32_t bankId = session_.file<APbnk>().rec.BankID;
    for (;;) {
        GlobalRequest = request;
        VCRRequest = VcrNone;
        form();
        const int32_t vcr = VCRRequest;
        VCRRequest = VcrNone;
        if (vcr != VcrForward && vcr != VcrBackward) return bankId;
        // The neighbour of the bank the form worked on, in the browse's order.
        if (select(bankId) != Error::None) return bankId;
        View<APbnk> probe(session_, APBNK_KEY_BANK);
        std::vector<View<APbnk>::Row> next;
        ViewPosition pos;
        pos.keyValues = {FieldValue{session_.file<APbnk>().rec.Bank}};
        pos.rowid = session_.file<APbnk>().position();
        // At either end the form opens again on the same bank.
        if (probe.fetch(&pos, 1, next, vcr == VcrBackward) == Error::None && !next.empty())
            bankId = next.front().rec.BankID;
        if (select(bankId) != Error::None) return bankId;
    }
}

}  // namespace banks
