#include "bankrec/imports/check_marker.h"

#include "bankrec/storage/change_stamp.h"
#include "bankrec/storage/file_session.h"
#include "corelib/text.h"

using namespace storage;

namespace imports {

void ImportCounts::add(MarkOutcome outcome) {
    switch (outcome) {
        case MarkOutcome::Marked:
            ++marked;
            break;
        case MarkOutcome::AlreadyMarked:
            ++alreadyMarked;
            break;
        case MarkOutcome::NotMatched:
            ++notMatched;
            break;
        case MarkOutcome::Skipped:
            ++skipped;
            break;
        case MarkOutcome::Ambiguous:
            ++ambiguous;
            break;
    }
}

CheckMarker::CheckMarker(FileSession& session, int32_t bankId, const ImportFlags& flags)
    : session_(session), bankId_(bankId), flags_(flags) {}

Error CheckMarker::mark(const ImportedCheck& check, MarkOutcome& outcome) {
    if (check.skip()) {
        outcome = MarkOutcome::Skipped;
        return Error::None;
    }
    auto& bac = session_.file<APbac>();
    bac.clear();
    bac.rec.BankID = bankId_;
    bac.rec.Reference = check.reference;
    if (Error err = bac.set(APBAC_KEY_BANKIDREFERENCE); err != Error::None) return err;
    for (;;) {
        const Error err = bac.next();
        if (err == Error::NoRecord) break;
        if (err != Error::None) return err;
        if (bac.rec.BankID != bankId_ ||
            !corelib::text::equalNoCase(bac.rec.Reference, check.reference))
            break;
        if (flags_.amount && bac.rec.PaymentOrDebit != check.amount) continue;
        if (bac.rec.Marked) {
            outcome = MarkOutcome::AlreadyMarked;
            return Error::None;
        }
        bac.rec.Marked = 1;
        if (flags_.cleared) bac.rec.ClearDate = check.clearDate;
        stampChange(bac.rec);
        if (Error put = bac.put(); put != Error::None) return put;
        outcome = MarkOutcome::Marked;
        return Error::None;
    }
    outcome = MarkOutcome::NotMatched;
    return Error::None;
}

}  // namespace imports
