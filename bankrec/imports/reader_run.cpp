#include "reader_run.h"

#include <cstring>

#include "bankrec/imports/import_windows.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/saved_error.h"
#include "corelib/globals.h"
#include "corelib/message.h"
#include "corelib/thread_registry.h"

using namespace corelib;
using namespace storage;

namespace imports {

namespace {
constexpr int kTransactionSeconds = 5;
}  // namespace

void saveFileError(Error number, const std::string& file, int systemError) {
    StorageError error;
    error.number = number;
    error.file = file;
    if (number == Error::Driver) {
        error.driverCode = systemError;
        error.driverMessage = systemError ? std::strerror(systemError) : "Read error";
    }
    savedError().save(error);
}

void showBusyPointer(bool busy) {
    if (importWindows().busyPointer) importWindows().busyPointer(busy);
}

ProcedureLog::ProcedureLog(std::string name) : name_(std::move(name)) {
    THREAD_LOG(name_);
}

ProcedureLog::~ProcedureLog() {
    THREAD_RETURN(name_);
}

ReaderRun::ReaderRun(FileSession& session, int32_t bankId, const ImportFlags& flags)
    : session_(session), marker_(session, bankId, flags), bankId_(bankId), flags_(flags) {}

ReaderRun::~ReaderRun() {
    frame_.reset();  // rolls back a transaction that was neither committed nor cancelled
}

bool ReaderRun::begin() {
    // The pointer is busy while the transaction begins only: the run's window that follows
    // must answer its Cancel button.
    FrameHooks hooks;
    hooks.waitCursor = [this](bool on) {
        if (on == busy_) return;
        busy_ = on;
        showBusyPointer(on);
    };
    frame_ = std::make_unique<TransactionFrame>(
        session_, std::initializer_list<FileId>{FileId::APbac}, kTransactionSeconds, hooks);
    if (busy_) {
        busy_ = false;
        showBusyPointer(false);
    }
    return frame_->active();
}

bool ReaderRun::handle(const ImportedCheck& check, std::string_view text, int64_t line) {
    MarkOutcome outcome = MarkOutcome::Skipped;
    if (!frame_->check(marker_.mark(check, outcome))) return false;
    std::string note;
    if (outcome == MarkOutcome::NotMatched) {
        note = "check " + check.reference;
        if (flags_.amount) note += " of " + check.amount.toString();
    }
    count(outcome, text, std::move(note), line);
    return true;
}

void ReaderRun::matchDeposits(int32_t windowDays) {
    deposits_.emplace(session_, bankId_, windowDays, flags_.cleared);
}

bool ReaderRun::handleDeposit(Decimal amount, int32_t posted, std::string_view text, int64_t line) {
    DepositMatch match;
    if (!deposits_ || !frame_->check(deposits_->mark(amount, posted, match))) return false;
    count(match.outcome, text,
          match.outcome == MarkOutcome::Marked || match.outcome == MarkOutcome::AlreadyMarked
              ? std::string()
              : depositNote(match, amount),
          line);
    return true;
}

void ReaderRun::count(MarkOutcome outcome, std::string_view text, std::string note, int64_t line) {
    ++result_.counts.lines;
    result_.counts.add(outcome);
    if (outcome == MarkOutcome::NotMatched || outcome == MarkOutcome::Ambiguous) {
        while (!text.empty() && (text.back() == ' ' || text.back() == '\r')) text.remove_suffix(1);
        result_.exceptions.push_back(
            {outcome, line > 0 ? line : result_.counts.lines, std::string(text), std::move(note)});
    }
}

bool ReaderRun::askCancel() {
    ds_Beep();
    const int32_t answer = ds_Message(
        "Canceling this function will undo what has currently been imported.  Are you sure "
        "that you wish to do this?",
        glo_ApplicationName, icon::Question, msg::Yes | msg::No, msg::No);
    if (answer != msg::Yes) return false;
    cancelled_ = true;
    frame_.reset();  // rolls back
    return true;
}

const ImportResult& ReaderRun::finish() {
    if (cancelled_) {
        result_.end = ImportEnd::Cancelled;
    } else if (frame_ && frame_->active() && frame_->commit() == Error::None) {
        result_.end = ImportEnd::Completed;
    } else {
        result_.end = ImportEnd::Failed;
    }
    GlobalResponse = result_.end == ImportEnd::Completed ? RequestCompleted : RequestCancelled;
    return result_;
}

}  // namespace imports
