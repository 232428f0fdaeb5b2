#pragma once
// How an import run ended and what it did.
#include <string>
#include <vector>

#include "bankrec/imports/check_marker.h"

namespace imports {

enum class ImportEnd {
    Completed,  // read to the end (or to a read failure) and committed: the marks stay
    Cancelled,  // the user cancelled: nothing of the run stays marked
    Failed,     // a file could not be opened, the transaction could not begin or a write
                // failed (reported): nothing of the run stays marked
};

// A line the clerk has to look at: it matched nothing, or more than one row.
struct ImportException {
    MarkOutcome outcome = MarkOutcome::NotMatched;  // NotMatched or Ambiguous
    int64_t line = 0;                               // its line in the file, or its sheet row
    std::string text;                               // the line as read
    std::string note;                               // what was looked for
};

struct ImportResult {
    ImportEnd end = ImportEnd::Failed;
    ImportCounts counts;
    std::vector<ImportException> exceptions;  // in the order read
    std::vector<std::string> warnings;        // about the file as a whole (its trailers)
};

}  // namespace imports
