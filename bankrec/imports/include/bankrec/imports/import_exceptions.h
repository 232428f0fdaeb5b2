#pragma once
// The exceptions list of an import: what the run did (lines read, marked, already marked, not
// matched, ambiguous, skipped) and the lines the clerk has to look at, as text for the command
// line, as a CSV file, and as the rows the exceptions window and its printed list show.
#include <string>

#include "bankrec/imports/import_result.h"

namespace imports {

// "Not matched" or "Ambiguous".
const char* outcomeName(MarkOutcome outcome);

// "12 lines read, 9 marked, 1 already marked, 1 not matched, 0 ambiguous, 1 skipped".
std::string importCountsText(const ImportCounts& counts);

// The list as CSV: a heading row (Line,Result,Looked for,Text), then one row per exception;
// fields with a comma, a quote or a line end are quoted with quotes doubled. The counts and the
// warnings come first as rows of their own, so the file says what the run did.
std::string exceptionsCsv(const ImportResult& result);

// Writes the CSV file whole or not at all (a temporary file renamed over the name). false with
// `error` set when it could not.
[[nodiscard]] bool saveExceptionsCsv(const std::string& path, const ImportResult& result,
                                     std::string& error);

}  // namespace imports
