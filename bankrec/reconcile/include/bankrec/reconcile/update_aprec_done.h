#pragma once
// Completing a reconciliation: the bank's open reconciliation becomes done in one transaction
// over APrec, APbac and APrac.
//
// In the "Completing reconciliation" window every unreconciled activity row of the bank is
// visited in APBAC_KEY_RECONCILED order (adjustments, checks, deposits): marked checks and
// deposits become reconciled and are counted into the reconciliation's totals (recounted from
// zero), and every visited row gets an APrac snapshot row (cleared or outstanding, with the
// running amount: a check's payment, a deposit's credit, and for other types the amount of the
// row before, 0 at the start). Then the reconciliation is marked done and its service charge and
// interest earned are added to the register as reconciled, marked adjustments tied to it by
// ReconciliationID.
//
// Nothing partial is ever kept: any failure, and Cancel in the window, rolls the whole
// transaction back, so the reconciliation stays open and every row as it was. Failures beep and
// show their message before the procedure returns (the failed step's text with the error,
// or the standard warning of the failed read, write or numbering); Cancel shows nothing.
#include <cstdint>

#include "corelib/decimal.h"

namespace storage {
class FileSession;
}  // namespace storage

namespace reconcile {

struct DoneResult {
    bool done = false;       // the completion was committed
    bool cancelled = false;  // Cancel was pressed; nothing was kept
    int32_t reconciliationId = 0;
    int32_t snapshotRows = 0;  // APrac rows written (visited rows)
    int32_t checksMarked = 0;
    corelib::Decimal checksMarkedAmount;
    int32_t depositsMarked = 0;
    corelib::Decimal depositsMarkedAmount;
    int32_t serviceChargeActivityId = 0;  // the adjustment added, 0 when none
    int32_t interestActivityId = 0;
};

// Completes the open reconciliation of the bank in the session's APbnk buffer, modally, on the
// caller's session (APbac, APbnk, APrac and APrec are opened and closed through the file
// services; the caller must not be inside a transaction). Leaves GlobalResponse 1 when the
// completion was committed, else 2. Afterwards the APrec buffer holds the reconciliation as it
// is on file (done, or still open after a failure).
[[nodiscard]] DoneResult UpdateAPrecDone(storage::FileSession& session);

}  // namespace reconcile
