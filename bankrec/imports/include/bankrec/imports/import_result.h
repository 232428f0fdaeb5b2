#pragma once
// How an import run ended and what it did.
#include "bankrec/imports/check_marker.h"

namespace imports {

enum class ImportEnd {
    Completed,  // read to the end (or to a read failure) and committed: the marks stay
    Cancelled,  // the user cancelled: nothing of the run stays marked
    Failed,     // a file could not be opened, the transaction could not begin or a write
                // failed (reported): nothing of the run stays marked
};

struct ImportResult {
    ImportEnd end = ImportEnd::Failed;
    ImportCounts counts;
};

}  // namespace imports
