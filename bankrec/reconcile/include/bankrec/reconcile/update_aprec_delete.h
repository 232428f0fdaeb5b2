#pragma once
// Deleting a reconciliation: the statement, the cleared items it reconciled (with their deposit
// lines), its snapshot of the items and the service charge and interest adjustments it added,
// all in one transaction, or nothing at all.
#include <cstdint>
#include <string>

#include "corelib/progress.h"

namespace storage {
class FileSession;
}  // namespace storage

namespace reconcile {

// The progress window of the deletion: "Progress...", "Processing Records" and the user string
// "Deleting Reconciliation", 25 rows per timer tick.
corelib::ProgressOptions deleteProgressOptions();

// Deletes the reconciliation whose ReconciliationID is in the session's APrec buffer (its
// EndingDate is shown in the question), after the question "Currently highlighted reconciliation
// dated ... is about to be deleted. ..." (Yes/No with No the default, exclamation, `caption`). In
// one transaction over APrec, APrac, APbac and APbda (one second to begin): for each APrac row of
// the reconciliation, a cleared item's APbac row is deleted with its APbda lines (snapshot rows of
// other reconciliations that point at it keep their copy with ActivityID 0), then the APrac row;
// items that stayed outstanding keep their APbac row. Then the APbac rows that carry the
// ReconciliationID (its adjustments) and the APrec row go, and the transaction commits.
//
// A hard error rolls everything back and shows the step's text + ", Error(n):" + error text
// (information icon, OK, `caption`). A cleared item whose APbac row is missing asks "Unable to get
// associated activity APbac, Error(n):..." with Ignore and Cancel (Cancel the default): Ignore
// skips that item's activity (its snapshot row is still deleted), Cancel rolls back. Cancel in
// the progress window rolls back too: a partial deletion is never committed.
//
// Files are opened and closed through the file services. Leaves and returns GlobalResponse: 1
// when the deletion was committed, 2 when declined, cancelled or failed.
int32_t UpdateAPrecDelete(storage::FileSession& session, const std::string& caption);

}  // namespace reconcile
