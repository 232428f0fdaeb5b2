#pragma once
// The suite's files: one SQLite database "tvsuite.db" in the suite's data folder holding
// the payables register, the chart of accounts, journals and posted batches, the payroll
// files and the record of clearing runs, every row tagged with its division.
#include <string>

#include "tvsuite/sqlite_db.h"

namespace tvsuite {

inline constexpr const char* kSuiteFileName = "tvsuite.db";

// The folder in effect: the one set by tvsuite_SetDataFolder, else $TVSUITE_DATA, else ".".
std::string dataFolder();
std::string suiteFilePath(const std::string& folder);

// Opens the suite file of `folder`. Without `create` a missing file fails; with it the file
// and its tables are created when missing. Empty text on success.
std::string openSuiteFile(SqliteDb& db, const std::string& folder, bool create);

}  // namespace tvsuite
