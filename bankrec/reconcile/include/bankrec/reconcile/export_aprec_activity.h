#pragma once
// The cleared items of one reconciliation, gathered for the suite: one check-list entry per suite
// transaction that cleared with the statement.
//
// In the "Extracting Reconciliation Activity" window the reconciliation's APrac rows marked as
// cleared are read, each joined with its APbac row, in the order of the reconciliation's key and
// then the order the items were captured in. Each row adds an entry (the suite's transaction,
// the captured date, amount, reference, name and description, the source, and the bank code:
// the bank's payables code for "AP", its payroll code for "PR", blank otherwise) unless the list
// already holds that transaction. Rows entered in this program rather than loaded from the suite
// (TransactionID 0) are left out: the suite has no transaction to mark for them.
//
// Cancel ends the run early; the entries gathered so far stay in the list. A read error shows the
// standard read warning for "APrec" and ends the run the same way. No record is changed.
#include <cstdint>

#include "hostlink/hostlink.h"

namespace storage {
class FileSession;
}  // namespace storage

namespace reconcile {

// Appends the cleared items of reconciliation `reconciliationId` to link.CHKQ, modally, on the
// caller's session (APbac, APbnk, APrac and APrec opened and closed through the file services).
// The bank codes are taken from the session's APbnk buffer. Afterwards the APrec buffer holds the
// reconciliation. Returns true once the run started (its files open).
[[nodiscard]] bool ExportAPrecActivity(storage::FileSession& session, int32_t reconciliationId,
                                       hostlink::ZORBRCHK& link);

}  // namespace reconcile
