#include "bankrec/storage/transaction_frame.h"

#include "bankrec/storage/dictionary.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/saved_error.h"
#include "corelib/globals.h"
#include "corelib/message.h"

using namespace corelib;

namespace storage {

TransactionFrame::TransactionFrame(FileSession& session, std::initializer_list<FileId> files,
                                   int timeoutSeconds, FrameHooks hooks)
    : session_(session), files_(files), timeoutSeconds_(timeoutSeconds), hooks_(std::move(hooks)) {
    begin();
}

TransactionFrame::~TransactionFrame() {
    if (active_) (void)session_.rollback();  // nothing more to undo when it fails
    setCursor(false);
}

std::string TransactionFrame::errorDetails(const StorageError& error) {
    std::string text = "Error(" + std::to_string(errorNumber(error.number)) + ") - " + error.file +
                       " - " + storageErrorText(error.number);
    if (error.number == Error::Driver) {
        text += " File error(" + std::to_string(error.driverCode) + ") - " + error.driverMessage;
    }
    return text;
}

void TransactionFrame::begin() {
    setCursor(true);
    for (;;) {
        const Error err = session_.begin(std::span<const FileId>(files_), timeoutSeconds_);
        if (err == Error::None) {
            active_ = true;
            return;
        }
        StorageError error = session_.lastError();
        if (error.number != err) error = StorageError{err, {}, 0, {}};
        if (err != Error::NoTransaction) {
            updateError(error);
            return;
        }
        setCursor(false);
        if (error.file.empty() && !files_.empty()) error.file = fileDef(files_.front()).name;
        ds_Beep();
        const int32_t answer =
            ds_Message("Unable to start transaction frame " + errorDetails(error),
                       glo_ApplicationName, icon::Exclamation, msg::Retry | msg::Abort, msg::Abort);
        if (answer != msg::Retry) {
            updateError(error);
            return;
        }
        setCursor(true);
    }
}

bool TransactionFrame::check(Error result) {
    if (!active_) return false;
    if (result == Error::None) return true;
    fail(result);
    return false;
}

void TransactionFrame::fail(Error number) {
    if (failed_) return;
    StorageError error = session_.lastError();
    if (error.number != number) error = StorageError{number, {}, 0, {}};
    updateError(error);
}

Error TransactionFrame::commit() {
    if (!active_) return error_ != Error::None ? error_ : Error::NoTransaction;
    const Error err = session_.commit();
    active_ = false;
    if (err != Error::None) {
        StorageError error = session_.lastError();
        if (error.number != err) error = StorageError{err, {}, 0, {}};
        updateError(error);
        return err;
    }
    setCursor(false);
    return Error::None;
}

void TransactionFrame::updateError(const StorageError& reported) {
    StorageError error = reported;
    if (error.file.empty() && !files_.empty()) error.file = fileDef(files_.front()).name;
    error_ = error.number;
    failed_ = true;
    setCursor(false);
    if (active_) (void)session_.rollback();
    active_ = false;
    ds_Beep();
    ds_Message("Error occured during transaction update, " + errorDetails(error),
               glo_ApplicationName, {}, msg::OK);
    savedError().clear();  // reported here; no later warning repeats it
    if (hooks_.closeWindow) hooks_.closeWindow();
}

void TransactionFrame::setCursor(bool busy) {
    if (busy == busy_) return;
    busy_ = busy;
    if (hooks_.waitCursor) hooks_.waitCursor(busy);
}

}  // namespace storage
