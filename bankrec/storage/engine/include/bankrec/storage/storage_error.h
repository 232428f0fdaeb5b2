#pragma once
// Error numbers of the record storage and the one place where SQLite's result codes become them.
#include <cstdint>
#include <string>

namespace storage {

enum StorageErrorNumber : int32_t {
    NoError = 0,
    ErrFileNotFound = 2,     // the database file does not exist
    ErrFileLocked = 32,      // another connection holds the file longer than the busy time-out
    ErrNoRecord = 33,        // record not available (no match, end of a key range)
    ErrInvalidFile = 36,     // not a database, or not one of ours
    ErrDuplicateKey = 40,    // an add or change would duplicate a unique key
    ErrRebuildKeys = 46,     // an index of a key is missing or differs from its declaration
    ErrBadDeclaration = 47,  // the table differs from the declaration and cannot be upgraded
    ErrNoTransaction = 48,   // a transaction could not begin within its time-out
    ErrAlreadyOpen = 52,     // the file is already open in this session
    ErrInvalidKey = 88,      // a key that does not belong to the file
    ErrChanged = 89,         // another station changed the record since it was read
    ErrDriver = 90,          // any other failure of SQLite; its own code and message kept
    ErrInvalidFilter = 801,  // a filter text that does not parse or names an unbound value
};

// The error of a failed operation. `file` names the record file involved when there is one.
struct StorageError {
    int32_t number = NoError;
    std::string file;
    int32_t driverCode = 0;     // SQLite's extended result code (error 90, and kept for others)
    std::string driverMessage;  // sqlite3_errmsg at the time of the failure

    explicit operator bool() const { return number != NoError; }
};

// The text of an error number ("Record Not Found" style); "Unknown Error" for other numbers.
std::string storageErrorText(int32_t number);

// Maps an SQLite result code (primary or extended) to an error number: BUSY/LOCKED 32,
// NOTADB/CORRUPT 36, CONSTRAINT_UNIQUE/PRIMARYKEY 40, CANTOPEN on a missing file 2,
// anything else 90. SQLITE_OK, SQLITE_ROW and SQLITE_DONE give 0.
int32_t storageErrorFromSqlite(int resultCode);

}  // namespace storage
