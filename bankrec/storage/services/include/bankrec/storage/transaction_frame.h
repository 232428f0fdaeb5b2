#pragma once
// The transaction frame of a procedure that writes several records itself: a scoped write
// guard that shows the wait cursor, begins a transaction on the procedure's files with its
// time-out, and reports any failure the same way:
//
//   TransactionFrame frame(session, {FileId::APbnk, FileId::APbnu}, 5, hooks);
//   if (!frame.active()) return;                       // reported; the window was asked to close
//   if (!frame.check(bnk.put())) return;               // reported, rolled back
//   ...
//   frame.commit();
//
// Beginning that fails with error 48 asks "Unable to start transaction frame " + text with
// Retry and Abort; Retry begins again, Abort (and any other failure to begin) takes the update
// error path: restore the cursor, roll back, beep, show "Error occured during transaction
// update, " + text, and ask the procedure's window to close. The text is
// "Error(" + number + ") - " + file + " - " + error text, for error 90 followed by
// " File error(" + driver code + ") - " + driver message.
//
// A frame that is neither committed nor failed rolls back when it ends.
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "bankrec/storage/records.h"
#include "bankrec/storage/storage_error.h"

namespace storage {

class FileSession;

struct FrameHooks {
    // Shows (true) or restores (false) the wait cursor; storage has no windows of its own.
    std::function<void(bool busy)> waitCursor;
    // Asks the procedure's window to close after an update error.
    std::function<void()> closeWindow;
};

class TransactionFrame {
  public:
    TransactionFrame(FileSession& session, std::initializer_list<FileId> files, int timeoutSeconds,
                     FrameHooks hooks = {});
    ~TransactionFrame();
    TransactionFrame(const TransactionFrame&) = delete;
    TransactionFrame& operator=(const TransactionFrame&) = delete;

    // True while the transaction is running (begun, not yet committed or failed).
    bool active() const { return active_; }
    // True after an update error was reported; the procedure should end (its window was asked
    // to close).
    bool failed() const { return failed_; }

    // After a write: with Error::None returns true; otherwise takes the update error path with the
    // session's last error and returns false. Does nothing (false) when the frame is not active.
    bool check(Error result);
    // Reports an error the procedure found itself (the error is the session's last error, or the
    // number alone when `number` differs from it) through the update error path.
    void fail(Error number);
    // Commits and restores the cursor. Error::None on success; a failing commit takes the update
    // error path and returns its error. A frame that is not active returns its error, or 48.
    Error commit();
    // The error that made the frame fail (Error::None when none).
    Error error() const { return error_; }

    // The text of the frame's messages for an error.
    static std::string errorDetails(const StorageError& error);

  private:
    void begin();
    void updateError(const StorageError& error);
    void setCursor(bool busy);

    FileSession& session_;
    std::vector<FileId> files_;
    int timeoutSeconds_;
    FrameHooks hooks_;
    bool active_ = false;
    bool failed_ = false;
    bool busy_ = false;
    Error error_ = Error::None;
};

}  // namespace storage
