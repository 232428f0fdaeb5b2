#include "bankrec/reconcile/update_aprec_new.h"

#include <climits>

#include "bankrec/reconcile/payables_claim.h"
#include "bankrec/reconcile/reconcile_texts.h"
#include "bankrec/reconcile/statement_dates.h"
#include "bankrec/shell/startup_parameters.h"
#include "bankrec/storage/change_stamp.h"
#include "bankrec/storage/dictionary.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/view.h"
#include "bankrec/storage/warnings.h"
#include "corelib/daytime.h"
#include "corelib/globals.h"
#include "corelib/message.h"
#include "corelib/standard_warnings.h"
#include "corelib/text.h"

using namespace corelib;
using namespace storage;
using namespace shell;

namespace reconcile {

namespace {

constexpr int kLockSeconds = 2;
constexpr int kAddAttempts = 3;

constexpr const char* kDepositFilter =
    "APbac:BankID = BRW3::Sort1:Reset:APbnk:BankID AND (NOT APbac:Reconciled AND "
    "APbac:ActivityType = 'Deposit')";
constexpr const char* kCheckFilter =
    "APbac:BankID = BRW2::Sort1:Reset:APbnk:BankID AND (NOT APbac:Reconciled AND "
    "APbac:ActivityType = 'Check')";
constexpr const char* kDepositBank = "BRW3::Sort1:Reset:APbnk:BankID";
constexpr const char* kCheckBank = "BRW2::Sort1:Reset:APbnk:BankID";

const char* filterOf(WorksheetList which) {
    return which == WorksheetList::Checks ? kCheckFilter : kDepositFilter;
}
const char* bankNameOf(WorksheetList which) {
    return which == WorksheetList::Checks ? kCheckBank : kDepositBank;
}
// A check counts its payment, a deposit its deposit.
Decimal amountOf(WorksheetList which, const APbac& row) {
    return which == WorksheetList::Checks ? row.PaymentOrDebit : row.DepositOrCredit;
}

bool sameRecord(const APrec& a, const APrec& b) {
    const FileDef& def = fileDef(FileId::APrec);
    for (size_t i = 0; i < def.fields.size(); ++i)
        if (getField(def, &a, static_cast<int>(i)) != getField(def, &b, static_cast<int>(i)))
            return false;
    return true;
}

void stop(const std::string& text) {
    ds_Beep();
    ds_Message(text, glo_ApplicationName, icon::Information, msg::OK);
}

}  // namespace

Worksheet::Worksheet(FileSession& session, const StartupParameters& params,
                     const ReconcileCalls& calls, WorksheetHooks hooks)
    : session_(session), params_(params), calls_(calls), hooks_(std::move(hooks)) {}

Worksheet::~Worksheet() {
    deposits_.reset();
    checks_.reset();
    files_.reset();
}

std::optional<APrec>& Worksheet::lastSaved() {
    static std::optional<APrec> last;
    return last;
}

APrec& Worksheet::record() {
    return session_.file<APrec>().rec;
}

std::string Worksheet::title() const {
    return std::string(adding_ ? "Adding Reconciliation" : "Changing Reconciliation") + " [" +
           text::trimRight(bank_.Bank) + "]";
}

// ---- Opening ----

bool Worksheet::open(bool mayAdd) {
    GlobalRequest = 0;
    files_ = std::make_unique<FileUse>(
        session_, std::initializer_list<FileId>{FileId::APbac, FileId::APbnk, FileId::APrec});
    if (files_->error() != Error::None) return false;
    bank_ = session_.file<APbnk>().rec;
    if (!findOrAdd(mayAdd)) return false;
    RecordFile<APrec>& f = session_.file<APrec>();
    position_ = f.position();
    original_ = f.rec;
    auto makeList = [this](WorksheetList which) {
        auto pager = std::make_unique<activity::ViewPager<APbac>>(session_, APBAC_KEY_RECONCILED);
        pager->view().bindings().bind(bankNameOf(which), int64_t{bank_.BankID});
        (void)pager->view().setFilter(filterOf(which));  // fixed texts that parse
        return pager;
    };
    deposits_ = makeList(WorksheetList::Deposits);
    checks_ = makeList(WorksheetList::Checks);
    opened_ = true;
    rebuild();
    return true;
}

bool Worksheet::findOrAdd(bool mayAdd) {
    RecordFile<APrec>& f = session_.file<APrec>();
    // Finding and adding in one transaction: two stations opening the worksheet of one bank at
    // once get the same statement. Without the transaction each step stands alone.
    bool inTransaction = session_.begin({FileId::APrec}, kLockSeconds) == Error::None;
    auto readFailed = [&] {
        saveError(session_);
        if (inTransaction) (void)session_.rollback();
        StandardWarning(Warn_RecordFetchError, "APrec");
        return false;
    };

    f.clear();
    f.rec.BankID = bank_.BankID;
    f.rec.Done = 0;
    Error err = f.get(APREC_KEY_BANKDONE);
    if (err == Error::None) {
        adding_ = false;
        if (inTransaction) (void)session_.commit();  // nothing written
        return true;
    }
    if (err != Error::NoRecord) return readFailed();
    if (!mayAdd) {
        if (inTransaction) (void)session_.rollback();
        return false;
    }

    // The previous statement: the bank's one with the latest ending date.
    f.clear();
    f.rec.BankID = bank_.BankID;
    f.rec.EndingDate = INT32_MAX;
    err = f.set(APREC_KEY_BANKENDINGDATE);
    if (err == Error::None) err = f.previous();
    int32_t openingDate = 0;
    Decimal openingBalance;
    if (err == Error::None && f.rec.BankID == bank_.BankID) {
        openingDate = f.rec.EndingDate;
        openingBalance = f.rec.EndingBalance;
    } else if (err != Error::None && err != Error::NoRecord) {
        return readFailed();
    }
    const int32_t next = nextStatementDate(openingDate);

    adding_ = true;
    auto prime = [&] {
        f.clear();
        stampChange(f.rec);
        f.rec.BankID = bank_.BankID;
        f.rec.OpeningDate = openingDate;
        f.rec.OpeningBalance = openingBalance;
        f.rec.ServiceChargeDate = next;
        f.rec.InterestEarnedDate = next;
        f.rec.EndingDate = next;
    };
    for (;;) {
        for (int attempt = 0; attempt < kAddAttempts; ++attempt) {
            prime();
            bool numberingReadFailed = false;
            err = numberAndAdd(session_, FileId::APrec, numberingReadFailed);
            if (err == Error::None) {
                if (!inTransaction || session_.commit() == Error::None) return true;
                saveError(session_);
                StandardWarning(Warn_InsertError);
                return false;
            }
            if (numberingReadFailed) return readFailed();
        }
        // No lock is held while the user decides.
        if (inTransaction) (void)session_.rollback();
        if (StandardWarning(Warn_AutoIncError) != msg::Retry) return false;
        inTransaction = session_.begin({FileId::APrec}, kLockSeconds) == Error::None;
    }
}

// ---- Lists ----

activity::ViewPager<APbac>& Worksheet::list(WorksheetList which) {
    return which == WorksheetList::Checks ? *checks_ : *deposits_;
}

std::string Worksheet::marker(const APbac& row) {
    return row.Marked == 1 ? "c" : "";
}

const std::vector<std::string>& Worksheet::headings(WorksheetList which) {
    static const std::vector<std::string> deposits = {"*", "Activity Date", "Description",
                                                      "Deposit Or Credit"};
    static const std::vector<std::string> checks = {"*",  "Activity Date", "Check",
                                                    "To", "Description",   "Amount"};
    return which == WorksheetList::Checks ? checks : deposits;
}

std::vector<std::string> Worksheet::columnTexts(WorksheetList which, const APbac& row) {
    if (which == WorksheetList::Checks)
        return {marker(row),     dateText(row.ActivityDate),   row.Reference, row.Name,
                row.Description, moneyText(row.PaymentOrDebit)};
    return {marker(row), dateText(row.ActivityDate), row.Description,
            moneyText(row.DepositOrCredit)};
}

void Worksheet::rebuild() {
    if (!opened_) return;
    busy(true);
    for (WorksheetList which : {WorksheetList::Deposits, WorksheetList::Checks}) {
        if (list(which).refresh() != Error::None) {
            saveError(session_);
            StandardWarning(Warn_RecordFetchError, "APbac");
        }
        recount(which);
    }
    busy(false);
}

// The marked rows of a list, counted and summed exactly (in cents) in one read.
void Worksheet::recount(WorksheetList which) {
    View<APbac> marked(session_, APBAC_KEY_RECONCILED);
    marked.bindings().bind(bankNameOf(which), int64_t{bank_.BankID});
    int64_t n = 0;
    int64_t cents = 0;
    const std::string filter = std::string(filterOf(which)) + " AND APbac:Marked";
    if (marked.setFilter(filter) != Error::None ||
        marked.sum(which == WorksheetList::Checks ? "PaymentOrDebit" : "DepositOrCredit", n,
                   cents) != Error::None) {
        saveError(session_);
        StandardWarning(Warn_RecordFetchError, "APbac");
        return;
    }
    APrec& rec = record();
    if (which == WorksheetList::Checks) {
        rec.ChecksMarked = static_cast<int32_t>(n);
        rec.ChecksMarkedAmount = Decimal::fromCents(cents);
    } else {
        rec.DepositsMarked = static_cast<int32_t>(n);
        rec.DepositsMarkedAmount = Decimal::fromCents(cents);
    }
}

// ---- Marking ----

bool Worksheet::mark(WorksheetList which, int64_t row) {
    activity::ViewPager<APbac>& rows = list(which);
    const auto* shown = rows.row(row);
    if (!shown) return false;
    if (writeMark(which, shown->rec.ActivityID, std::nullopt) != MarkResult::Marked) return false;
    if (auto* held = rows.heldRow(row)) held->rec = session_.file<APbac>().rec;
    return true;
}

Worksheet::MarkResult Worksheet::setMark(int32_t activityId, bool on) {
    RecordFile<APbac>& f = session_.file<APbac>();
    f.clear();
    f.rec.ActivityID = activityId;
    if (f.get(APBAC_KEY_ACTIVITYID) != Error::None || f.rec.BankID != bank_.BankID ||
        f.rec.Reconciled)
        return MarkResult::NotInList;
    WorksheetList which;
    if (text::equalNoCase(f.rec.ActivityType, "Check"))
        which = WorksheetList::Checks;
    else if (text::equalNoCase(f.rec.ActivityType, "Deposit"))
        which = WorksheetList::Deposits;
    else
        return MarkResult::NotInList;
    if ((f.rec.Marked != 0) == on) return MarkResult::Unchanged;
    const MarkResult result = writeMark(which, activityId, on);
    if (result == MarkResult::Marked) {
        const APbac written = f.rec;
        auto& rows = list(which);
        const int64_t at =
            rows.findHeld([activityId](const auto& r) { return r.rec.ActivityID == activityId; });
        if (auto* held = rows.heldRow(at)) held->rec = written;
    }
    return result;
}

Worksheet::MarkResult Worksheet::writeMark(WorksheetList which, int32_t activityId,
                                           std::optional<bool> to) {
    RecordFile<APbac>& f = session_.file<APbac>();
    f.clear();
    f.rec.ActivityID = activityId;
    if (f.get(APBAC_KEY_ACTIVITYID) != Error::None) {
        stop(stepError("Unable to get APbac for update", session_.lastError()));
        return MarkResult::Failed;
    }
    APrec& rec = record();
    int32_t& count = which == WorksheetList::Checks ? rec.ChecksMarked : rec.DepositsMarked;
    Decimal& total =
        which == WorksheetList::Checks ? rec.ChecksMarkedAmount : rec.DepositsMarkedAmount;
    const bool on = to.value_or(f.rec.Marked == 0);
    if ((f.rec.Marked != 0) == on) return MarkResult::Unchanged;
    if (on) {
        count += 1;
        total += amountOf(which, f.rec);
        f.rec.Marked = 1;
    } else {
        count -= 1;
        total -= amountOf(which, f.rec);
        f.rec.Marked = 0;
    }
    if (f.put() != Error::None) {
        stop(stepError("Unable to put APbac after update", session_.lastError()));
        // The figures were moved for a mark that was not written: count them again from the
        // file, so the difference never shows a balance the marks do not make.
        rebuild();
        return MarkResult::Failed;
    }
    return MarkResult::Marked;
}

std::string Worksheet::markCaption(WorksheetList which, int64_t row) {
    const auto* r = list(which).row(row);
    return r && r->rec.Marked ? "Un&mark" : "&Mark";
}

std::string Worksheet::markIcon(WorksheetList which, int64_t row) {
    const auto* r = list(which).row(row);
    return r && r->rec.Marked ? "~CheckOff.ico" : "~CheckOn.ico";
}

// ---- Figures ----

Decimal Worksheet::difference() const {
    const APrec& r = session_.file<APrec>().rec;
    return r.OpeningBalance + r.DepositsMarkedAmount - r.ChecksMarkedAmount - r.ServiceCharge +
           r.InterestEarned - r.EndingBalance;
}

bool Worksheet::editable(SummaryField field) const {
    switch (field) {
        case SummaryField::ServiceCharge:
        case SummaryField::ServiceChargeDate:
            return serviceChargeEnabled();
        case SummaryField::InterestEarned:
        case SummaryField::InterestEarnedDate:
            return interestEnabled();
        case SummaryField::None:
            return false;
        default:
            return true;
    }
}

// ---- Buttons ----

Worksheet::Outcome Worksheet::ok() {
    if (save() != SaveResult::Saved) return Outcome::Stay;
    response_ = RequestCompleted;
    GlobalResponse = response_;
    return Outcome::Close;
}

Worksheet::Outcome Worksheet::print() {
    if (save() != SaveResult::Saved) return Outcome::Stay;
    const APrec edited = record();
    prepareCall();
    (void)callProcedure(calls_, ReconcileProcedure::ReportAPrecNewWindow, session_, params_);
    restoreRecord(edited);
    return Outcome::Stay;
}

bool Worksheet::completionChecks() {
    focus_ = SummaryField::None;
    const APrec& r = record();
    auto fail = [this](const std::string& text, SummaryField field) {
        stop(text);
        focus_ = field;
        return false;
    };
    if (!difference().isZero())
        return fail(
            "Reconciliation not in balance. Difference must be zero before reconciliation can "
            "be completed.",
            SummaryField::None);
    if (r.OpeningDate == 0)
        return fail("Closing date from previous statement required to complete reconciliation.",
                    SummaryField::OpeningDate);
    if (r.EndingDate == 0)
        return fail("Closing balance date required to complete reconciliation.",
                    SummaryField::EndingDate);
    if (!r.ServiceCharge.isZero() && r.ServiceChargeDate == 0)
        return fail("Date required for service charge before reconciliation can be completed.",
                    SummaryField::ServiceChargeDate);
    if (!r.InterestEarned.isZero() && r.InterestEarnedDate == 0)
        return fail("Date required for interest earned before reconciliation can be completed.",
                    SummaryField::InterestEarnedDate);
    const std::string apBank = text::trimRight(bank_.APBank);
    if (!apBank.empty()) {
        const std::string refusal = claimPayablesRegister(params_.divisionText(), apBank);
        if (!refusal.empty()) return fail(refusal, SummaryField::None);
        claimed_ = true;
    }
    ds_Beep();
    const int32_t answer = ds_Message(
        "Completing the reconciliation will cause any service charges or interest earned to be "
        "posted to the General Ledger and any marked checks to be cleared.This function cannot "
        "then be undone.||Are you sure you want to do this?",
        glo_ApplicationName, icon::Information, msg::Yes | msg::No, msg::No);
    if (answer != msg::Yes) {
        if (claimed_) (void)releasePayablesRegister(params_.divisionText(), apBank);
        claimed_ = false;
        return false;
    }
    return true;
}

Worksheet::Outcome Worksheet::done() {
    if (!completionChecks()) return Outcome::Stay;
    const std::string apBank = text::trimRight(bank_.APBank);
    auto release = [&] {
        if (claimed_) (void)releasePayablesRegister(params_.divisionText(), apBank);
        claimed_ = false;
    };
    if (save() != SaveResult::Saved) {
        release();
        return Outcome::Stay;
    }
    const APrec edited = record();
    prepareCall();
    if (callProcedure(calls_, ReconcileProcedure::UpdateAPrecDone, session_, params_) !=
        RequestCompleted) {
        // Nothing was completed, so nothing may be sent or posted; the suite is let go.
        release();
        restoreRecord(edited);
        rebuild();
        return Outcome::Stay;
    }
    claimed_ = false;  // the export claims again and the suite's clearing run lets go
    RecordFile<APrec>& f = session_.file<APrec>();
    f.clear();
    f.rec.ReconciliationID = edited.ReconciliationID;
    if (f.get(APREC_KEY_RECONCILIATIONID) != Error::None) f.rec = edited;
    (void)callProcedure(calls_, ReconcileProcedure::ExportAPrec, session_, params_);
    response_ = RequestCompleted;
    GlobalResponse = response_;
    return Outcome::Close;
}

void Worksheet::range() {
    const APrec edited = record();
    prepareCall();
    if (hooks_.rangeWindow) hooks_.rangeWindow();
    restoreRecord(edited);
    rebuild();
}

void Worksheet::import() {
    const APrec edited = record();
    prepareCall();
    (void)callProcedure(calls_, ReconcileProcedure::UpdateAPrecImport, session_, params_);
    restoreRecord(edited);
    rebuild();
}

void Worksheet::closeWithoutSaving() {
    response_ = RequestCancelled;
    GlobalResponse = response_;
    if (!opened_ || !adding_ || saved_) return;
    opened_ = false;
    RecordFile<APrec>& f = session_.file<APrec>();
    if (f.position() != position_ && f.reget(position_) != Error::None) return;  // gone already
    busy(true);
    (void)deleteRecord(session_, FileId::APrec);  // a failure has shown its warning
    busy(false);
}

// ---- Saving ----

Worksheet::SaveResult Worksheet::save() {
    RecordFile<APrec>& f = session_.file<APrec>();
    if (f.position() != position_) restoreRecord(f.rec);
    if (adding_ && !saved_) return writeAdded();
    if (!sameRecord(f.rec, original_)) {
        const APrec mine = f.rec;
        stampRecord(session_, FileId::APrec);
        switch (changeRecord(session_, FileId::APrec, true)) {
            case ChangeResult::Written:
                break;
            case ChangeResult::Conflict:
                // Warning 38 was shown; the other station's statement is in the buffer.
                return conflict(mine);
            case ChangeResult::NotWritten:
                return SaveResult::Stay;
        }
    }
    return savedAs(f.rec, f.position());
}

Worksheet::SaveResult Worksheet::writeAdded() {
    RecordFile<APrec>& f = session_.file<APrec>();
    for (;;) {
        const APrec mine = f.rec;
        const Error err = f.put();
        if (err == Error::None) break;
        if (err == Error::DuplicateKey) {
            saveError(session_);
            StandardWarning(Warn_DuplicateKey, "Primary Key");
            return SaveResult::Stay;
        }
        if (err == Error::Changed) {
            StandardWarning(Warn_ConcurrencyFailedFromForm);
            return conflict(mine);
        }
        saveError(session_);
        if (StandardWarning(Warn_PutFailed) != msg::Yes) return SaveResult::Stay;
        f.rec = mine;
    }
    return savedAs(f.rec, f.position());
}

// Another station changed the statement first: its version, now in the buffer, is shown and is
// what a later save is checked against; the user's own values wait for the ditto key.
Worksheet::SaveResult Worksheet::conflict(const APrec& mine) {
    RecordFile<APrec>& f = session_.file<APrec>();
    entered_ = mine;
    original_ = f.rec;
    position_ = f.position();
    rebuild();
    return SaveResult::Stay;
}

Worksheet::SaveResult Worksheet::savedAs(const APrec& written, int64_t position) {
    saved_ = true;
    original_ = written;
    position_ = position;
    entered_.reset();
    lastSaved() = written;
    return SaveResult::Saved;
}

void Worksheet::prepareCall() {
    session_.file<APbnk>().rec = bank_;
}

void Worksheet::restoreRecord(const APrec& edited) {
    // Another procedure may have read other statements into the buffer; the worksheet's own
    // becomes current again with the values typed so far.
    RecordFile<APrec>& f = session_.file<APrec>();
    if (f.position() != position_) (void)f.reget(position_);  // a statement gone fails on save
    f.rec = edited;
}

// ---- Recalling values ----

void Worksheet::copyField(SummaryField field, const APrec& from) {
    APrec& r = record();
    switch (field) {
        case SummaryField::OpeningBalance:
            r.OpeningBalance = from.OpeningBalance;
            break;
        case SummaryField::OpeningDate:
            r.OpeningDate = from.OpeningDate;
            break;
        case SummaryField::ServiceChargeDate:
            r.ServiceChargeDate = from.ServiceChargeDate;
            break;
        case SummaryField::ServiceCharge:
            r.ServiceCharge = from.ServiceCharge;
            break;
        case SummaryField::InterestEarnedDate:
            r.InterestEarnedDate = from.InterestEarnedDate;
            break;
        case SummaryField::InterestEarned:
            r.InterestEarned = from.InterestEarned;
            break;
        case SummaryField::EndingDate:
            r.EndingDate = from.EndingDate;
            break;
        case SummaryField::EndingBalance:
            r.EndingBalance = from.EndingBalance;
            break;
        case SummaryField::None:
            break;
    }
}

bool Worksheet::recallHistory(SummaryField field) {
    if (!editable(field) || !lastSaved()) return false;
    copyField(field, *lastSaved());
    return true;
}

bool Worksheet::recallEntered(SummaryField field) {
    if (!editable(field) || !entered_) return false;
    copyField(field, *entered_);
    return true;
}

void Worksheet::busy(bool on) {
    if (hooks_.waitCursor) hooks_.waitCursor(on);
}

}  // namespace reconcile
