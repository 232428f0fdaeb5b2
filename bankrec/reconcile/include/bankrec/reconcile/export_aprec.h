#pragma once
// Sending a completed reconciliation to the suite: its cleared items are marked reconciled in
// the suite (POSTCHK), then its service charge and its interest earned are posted to the suite's
// general ledger as two-line journal entries, each batch number stored in the reconciliation at
// once. "&Post" in the reconciliation list runs it again for a done reconciliation.
//
// Order: the payables register of the bank is claimed first (a refusal is shown and nothing is
// sent or posted); the cleared items go to the suite before the ledger postings, and the service
// charge is posted before the interest. A service charge or interest is posted only when the
// bank posts it, the amount is not 0 and no batch number is stored yet, so a batch is never
// posted twice. A failed posting shows "While attempting to post service charge, " (or
// "... interest earned, ") with the ledger's reason and leaves that batch number 0 for a later
// "&Post"; the interest is still attempted after a failed service charge. The cleared items are
// sent every time, with no record of an earlier sending (the suite's marking is idempotent).
//
// A reconciliation that is not done is never sent or posted.
#include <cstdint>
#include <string>

namespace storage {
class FileSession;
}  // namespace storage

namespace shell {
struct StartupParameters;
}  // namespace shell

namespace reconcile {

struct ExportResult {
    bool ran = false;                  // the reconciliation and its bank were read and it is done
    std::string refusal;               // the register claim's refusal; nothing was sent or posted
    int32_t itemsSent = 0;             // check-list entries handed to POSTCHK (0: not called)
    bool serviceChargePosted = false;  // posted by this run
    bool interestPosted = false;
    int32_t serviceChargeBatch = 0;  // as stored after the run
    int32_t interestBatch = 0;
    std::string serviceChargeError;  // the ledger's reason when a posting failed
    std::string interestError;
};

// Runs the export for the reconciliation whose ReconciliationID is in the session's APrec
// buffer, modally, on the caller's session; re-reads it and its bank. `params` gives the
// connection to the suite, the division and the terminal. Afterwards the APrec and APbnk
// buffers hold the reconciliation and its bank as stored.
[[nodiscard]] ExportResult ExportAPrec(storage::FileSession& session,
                                       const shell::StartupParameters& params);

}  // namespace reconcile
