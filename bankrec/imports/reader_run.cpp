#include "reader_run.h"

#include "bankrec/imports/import_windows.h"
#include "bankrec/storage/file_session.h"
#include "corelib/globals.h"
#include "corelib/message.h"
#include "corelib/thread_registry.h"

using namespace corelib;
using namespace storage;

namespace imports {

namespace {
constexpr int kTransactionSeconds = 5;
}  // namespace

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
    : session_(session), marker_(session, bankId, flags) {}

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

bool ReaderRun::handle(const ImportedCheck& check) {
    ++result_.counts.lines;
    MarkOutcome outcome = MarkOutcome::Skipped;
    if (!frame_->check(marker_.mark(check, outcome))) return false;
    result_.counts.add(outcome);
    return true;
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
