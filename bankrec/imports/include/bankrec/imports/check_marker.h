#pragma once
// The one matching and marking rule of every reader: a check number (and amount) from the bank's
// list marks the bank's first matching APbac row as cleared.
//
// The rows of the bank with that reference are tried in ActivityID order
// (APBAC_KEY_BANKIDREFERENCE); with amounts imported, a row whose PaymentOrDebit differs is passed
// over. The first row that passes is marked (Marked 1, ClearDate when dates are imported, the
// change stamp) and rewritten; when it is already marked the search stops there and nothing
// changes, so the same line read twice marks one row, not two. Activity type and the reconciled
// flag are not looked at.
#include <cstdint>

#include "bankrec/imports/import_values.h"
#include "bankrec/storage/storage_error.h"

namespace storage {
class FileSession;
}  // namespace storage

namespace imports {

enum class MarkOutcome {
    Marked,         // an unmarked row matched and was marked
    AlreadyMarked,  // the first matching row was marked already
    NotMatched,     // no row of the bank has that reference (and amount)
    Skipped,        // the line gave no check number (or no amount where one is imported)
    Ambiguous,      // a bank's credit that more than one deposit could be: none is marked
};

// What a run did, line by line.
struct ImportCounts {
    int64_t lines = 0;  // lines or rows read
    int64_t marked = 0;
    int64_t alreadyMarked = 0;
    int64_t notMatched = 0;
    int64_t skipped = 0;
    int64_t ambiguous = 0;
    void add(MarkOutcome outcome);
};

class CheckMarker {
  public:
    // Marks rows of bank `bankId` in the session's APbac (open through the file services; the
    // caller frames the writes in its transaction).
    CheckMarker(storage::FileSession& session, int32_t bankId, const ImportFlags& flags);

    // Looks for the check and marks it. Error::None with the outcome set; a read error other
    // than the end of the key, or a failed rewrite, is returned (the session's lastError() tells
    // more) and `outcome` is left as it was.
    storage::Error mark(const ImportedCheck& check, MarkOutcome& outcome);

  private:
    storage::FileSession& session_;
    int32_t bankId_;
    ImportFlags flags_;
};

}  // namespace imports
