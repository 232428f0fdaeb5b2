#pragma once
// Check loading: brings the suite's open transactions of one bank account into APbac.
//
// LoadChkThread owns a ZORBRCHK link object for one run (empty CHKQ, INFO from the start-up
// parameters, the bank's FIAID, POSTDATE 0), asks LOADCHK for the transactions and turns each
// queue entry into an APbac row in the "Refreshing Outstanding Activity" window: new
// transactions are added with the next ActivityID, rows not yet reconciled are rewritten when
// one of the suite's values changed, reconciled rows are left alone. Marked, ReconciliationID
// and ClearDate are never touched, so a row marked in an open reconciliation stays marked.
//
// The run is paced in time slices; each slice is one transaction on APbac. An entry writes one
// statement at most (an add or a rewrite), so a failing entry leaves nothing behind while the
// others are kept.
// The transaction is ended before any question is asked and begun again afterwards. A slice
// whose commit fails (after the lock wait) is reported; its rows are gone, so they count as
// failed, and the next refresh brings them. An entry that fails because another station holds
// APbac, with trying again declined, ends the run: each entry left would wait as long and fail
// alike.
//
// Entries of another source (the suite leaves the source blank for other source modules) carry
// no type and no amounts; they are skipped and counted rather than stored with made-up values.
// So are entries of TransactionID 0: the key a row is found again by leaves 0 out, so such an
// entry would be added once more at every load, and 0 marks the rows entered in this program.
#include <cstdint>
#include <string>

#include "bankrec/storage/storage_error.h"
#include "corelib/decimal.h"
#include "corelib/progress.h"
#include "hostlink/hostlink.h"

namespace storage {
class FileSession;
}  // namespace storage

namespace shell {
struct StartupParameters;
}  // namespace shell

namespace activity {

// What one run did.
struct ChkLoadCounts {
    int32_t entries = 0;               // queue entries
    int32_t added = 0;                 // new APbac rows
    int32_t updated = 0;               // rows rewritten with the suite's values
    int32_t unchanged = 0;             // rows already holding the suite's values
    int32_t reconciledSkipped = 0;     // reconciled rows left as they were
    int32_t otherSourceSkipped = 0;    // entries of a source other than AP, PR, CR and GL
    int32_t noTransactionSkipped = 0;  // entries of TransactionID 0
    int32_t failed = 0;                // entries abandoned after a warning
    int32_t notHandled = 0;            // entries left when the run ended at a file held elsewhere
    // How LOADCHK ended: Failed when the suite could not be read (warning shown), Empty when it
    // had no open transaction.
    hostlink::LoadOutcome suite = hostlink::LoadOutcome::NotRun;
};

// The working values of one queue entry, as they go into APbac.
struct ChkEntryValues {
    int32_t TransactionID = 0;
    int32_t ActivityDate = 0;
    std::string ActivityType;
    std::string Source;
    std::string Reference;
    std::string Name;
    std::string Description;
    corelib::Decimal PaymentOrDebit;
    corelib::Decimal DepositOrCredit;
    corelib::Decimal Amount;  // the suite's signed amount; payments are negative
};

// Reads the current entry of the link through its named-field query and derives type and
// amounts from the source: "AP"/"PR" a check paying -amount; "CR" a deposit of amount; "GL" a
// check when negative, else a deposit whose description is the name (the name then empty).
// Returns false for any other source (the values are then only partly filled).
bool readChkEntry(const hostlink::ZORBRCHK& link, ChkEntryValues& out);

// The link object with its connection group and queue, bound to the start-up parameters.
struct ChkLink {
    explicit ChkLink(const shell::StartupParameters& params);
    ChkLink(const ChkLink&) = delete;
    ChkLink& operator=(const ChkLink&) = delete;

    hostlink::INFO info;
    hostlink::CHKQ queue;
    hostlink::ZORBRCHK link{queue, info};
};

// Turns the entries of a filled link object into APbac rows of one bank, one entry per step.
// The session's APbac must be open (file services) for the loader's lifetime.
//
// States:
//   between slices  no slice open; no transaction of the loader's own.
//   in a slice      between beginSlice() and endSlice(). When the session had no transaction
//                   and one could begin, the slice's own transaction on APbac is open
//                   (ownTransaction_); a caller's transaction is joined instead.
//   asking          inside a slice while a warning waits for the user: the own transaction has
//                   been committed (suspend) and is begun again after the answer (resume).
// Transitions:
//   between slices --beginSlice()--> in a slice --endSlice()--> between slices (commits)
//   in a slice --a warning--> asking --answered--> in a slice
//   step() in any state handles entry next_ and moves on; destruction ends an open slice.
// Invariants:
//   1. next_ - 1 entries have been handled, each counted once in counts_.
//   2. ownTransaction_ is set only inside a slice, and only for a transaction the loader began;
//      a caller's transaction is never committed here.
//   3. An entry writes at most one statement (add or put), applied whole or not at all: a
//      failing entry leaves nothing behind and the entries before it stay.
//   4. No transaction the loader began is open while a warning waits for the user.
class ChkLoader {
  public:
    ChkLoader(storage::FileSession& session, hostlink::ZORBRCHK& link, int32_t bankId);
    ~ChkLoader();

    int32_t total() const { return link_.records(); }
    int32_t handled() const { return next_ - 1; }
    // Handles the next entry; false once every entry is handled.
    bool step();
    // Runs every remaining step, each slice of `perSlice` entries one transaction.
    void runToEnd(int perSlice = 500);

    // A slice of steps: one transaction on APbac when it can begin (otherwise each write
    // stands alone).
    void beginSlice();
    void endSlice();

    const ChkLoadCounts& counts() const { return counts_; }
    // GlobalResponse as the run leaves it: 1 when the last stored entry was stored, 2 when it
    // failed or nothing was stored.
    int32_t response() const { return response_; }

  private:
    enum class Outcome { Added, Updated, Unchanged, Reconciled, Failed, Retry };
    Outcome handle(const ChkEntryValues& v);
    // Ends the slice's transaction before a question and begins it again after.
    void suspend();
    void resume();

    storage::FileSession& session_;
    hostlink::ZORBRCHK& link_;
    int32_t bankId_;
    int32_t next_ = 1;
    bool inSlice_ = false;
    bool ownTransaction_ = false;  // the slice's transaction is ours to commit
    bool held_ = false;            // an entry failed on APbac held elsewhere: the run ends
    ChkLoadCounts counts_;
    ChkLoadCounts committed_;  // counts_ when the slice's transaction began
    int32_t response_ = 2;
};

// Drives a ChkLoader from the progress window; LOADCHK is called when the window opens.
class ChkLoadJob : public corelib::ProgressJob {
  public:
    ChkLoadJob(storage::FileSession& session, hostlink::ZORBRCHK& link, int32_t bankId);

    void open(corelib::ProgressView& view) override;
    bool tick(corelib::ProgressView& view) override;
    void sliceBegin() override { loader_.beginSlice(); }
    void sliceEnd() override { loader_.endSlice(); }
    bool cancel(corelib::ProgressView&) override { return false; }  // the window has no buttons

    ChkLoader& loader() { return loader_; }

  private:
    hostlink::ZORBRCHK& link_;
    ChkLoader loader_;
};

// The window of the run: "Refreshing Outstanding Activity", no buttons, its place remembered.
corelib::ProgressOptions loadChkOptions();

// Loads the open suite transactions of the bank account (BankID, FIAID) into APbac on the
// caller's session, modally. APbac and APbnk are opened and closed again through the file
// services. Leaves GlobalResponse 1 when the last stored entry was stored, else 2; returns
// what the run did (suite NotRun when the record files could not be opened).
ChkLoadCounts LoadChkThread(storage::FileSession& session, const shell::StartupParameters& params,
                            int32_t bankId, int32_t fiaId);

}  // namespace activity
