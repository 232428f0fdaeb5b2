#include "bankrec/imports/deposit_marker.h"

#include <algorithm>

#include "bankrec/storage/change_stamp.h"
#include "bankrec/storage/file_session.h"
#include "corelib/picture.h"

using namespace storage;

namespace imports {

DepositMarker::DepositMarker(FileSession& session, int32_t bankId, int32_t windowDays,
                             bool writeClearDate)
    : session_(session),
      bankId_(bankId),
      windowDays_(std::clamp(windowDays, 0, 366)),
      writeClearDate_(writeClearDate) {}

Error DepositMarker::mark(corelib::Decimal amount, int32_t posted, DepositMatch& match) {
    match = {};
    if (posted <= 0) return Error::None;  // no date: nothing to look in
    match.from = std::max(posted - windowDays_, 1);
    match.to = posted;
    auto& bac = session_.file<APbac>();
    // The bank's activity by date (APBAC_KEY_ACTIVITY: BankID, ActivityDate, ...), from the
    // first day of the window to the posting date.
    bac.clear();
    bac.rec.BankID = bankId_;
    bac.rec.ActivityDate = match.from;
    if (Error err = bac.set(APBAC_KEY_ACTIVITY); err != Error::None) return err;
    int32_t only = 0;
    bool marked = false;
    for (;;) {
        const Error err = bac.next();
        if (err == Error::NoRecord) break;
        if (err != Error::None) return err;
        if (bac.rec.BankID != bankId_ || bac.rec.ActivityDate > match.to) break;
        if (bac.rec.DepositOrCredit != amount) continue;
        if (bac.rec.Marked) {
            marked = true;
            continue;
        }
        ++match.candidates;
        only = bac.rec.ActivityID;
    }
    if (match.candidates > 1) {
        match.outcome = MarkOutcome::Ambiguous;
        return Error::None;
    }
    if (match.candidates == 0) {
        match.outcome = marked ? MarkOutcome::AlreadyMarked : MarkOutcome::NotMatched;
        return Error::None;
    }
    bac.clear();
    bac.rec.ActivityID = only;
    if (Error err = bac.get(APBAC_KEY_ACTIVITYID); err != Error::None) return err;
    bac.rec.Marked = 1;
    if (writeClearDate_) bac.rec.ClearDate = posted;
    stampChange(bac.rec);
    if (Error put = bac.put(); put != Error::None) return put;
    match.outcome = MarkOutcome::Marked;
    return Error::None;
}

std::string depositNote(const DepositMatch& match, corelib::Decimal amount) {
    const std::string value = amount.toString();
    if (match.from == 0) return "deposit of " + value + " without a posting date";
    const std::string window = " from " + corelib::picture::formatDate("@d17", match.from) +
                               " to " + corelib::picture::formatDate("@d17", match.to);
    if (match.outcome == MarkOutcome::Ambiguous)
        return std::to_string(match.candidates) + " deposits of " + value + window;
    return "no deposit of " + value + window;
}

}  // namespace imports
