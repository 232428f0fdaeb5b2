#pragma once
// What the three readers share: the transaction over APbac (5 seconds to begin, Abort/Retry,
// the update-error path), the matching and marking of each line, the counts, the Cancel question
// and the commit at the end. Private to the module.
//
// States: idle --begin()--> running --finish()--> committed (Completed)
//                                     --cancel question answered Yes--> rolled back (Cancelled)
//                                     --a failed write--> rolled back, reported (Failed)
// Nothing is written outside the running state.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "bankrec/imports/check_marker.h"
#include "bankrec/imports/deposit_marker.h"
#include "bankrec/imports/import_result.h"
#include "bankrec/storage/transaction_frame.h"

namespace imports {

class ReaderRun {
  public:
    ReaderRun(storage::FileSession& session, int32_t bankId, const ImportFlags& flags);
    ~ReaderRun();

    // Shows the busy pointer while it begins the transaction over APbac. false when it could not
    // begin (reported through the frame's messages; the run has failed).
    bool begin();
    bool running() const { return frame_ && frame_->active(); }

    // Matches and marks one line or row and counts it; a line that matches nothing goes to the
    // exceptions with its text and `line`, where it is in the file or sheet (0: its number in
    // the run). false after a failed read or rewrite: the transaction was rolled back and the
    // error reported; the run has failed.
    bool handle(const ImportedCheck& check, std::string_view text = {}, int64_t line = 0);

    // Credits are matched to deposits within `windowDays` days before their posting date.
    void matchDeposits(int32_t windowDays);
    // Matches and marks the deposit of a bank's credit (matchDeposits first); not matched and
    // ambiguous credits go to the exceptions. false as for handle.
    bool handleDeposit(corelib::Decimal amount, int32_t posted, std::string_view text,
                       int64_t line = 0);
    // Counts a line that is not looked up; a not-matched one goes to the exceptions.
    void count(MarkOutcome outcome, std::string_view text, std::string note = {}, int64_t line = 0);

    // The Cancel button: beeps and asks whether to undo what was imported. Yes rolls back and
    // returns true (the run is cancelled); No returns false and the run goes on.
    bool askCancel();

    // Commits what is marked (when the run is still going) and sets GlobalResponse: 1 after a
    // commit, 2 otherwise. Returns how the run ended.
    const ImportResult& finish();
    const ImportResult& result() const { return result_; }

  private:
    storage::FileSession& session_;
    CheckMarker marker_;
    int32_t bankId_;
    ImportFlags flags_;
    std::optional<DepositMarker> deposits_;
    std::unique_ptr<storage::TransactionFrame> frame_;
    ImportResult result_;
    bool cancelled_ = false;
    bool busy_ = false;  // the frame's busy pointer is showing
};

// Keeps the error of a text or bank file that cannot be opened or read for the warning that
// shows it (30 or 35); `systemError` is the file system's error number of a driver error.
void saveFileError(storage::Error number, const std::string& file, int systemError);

// The busy pointer of the program (no-op until the windows install one).
void showBusyPointer(bool busy);

// Reports a procedure's entry and exit to the thread registry for a scope.
class ProcedureLog {
  public:
    explicit ProcedureLog(std::string name);
    ~ProcedureLog();
    ProcedureLog(const ProcedureLog&) = delete;
    ProcedureLog& operator=(const ProcedureLog&) = delete;

  private:
    std::string name_;
};

}  // namespace imports
