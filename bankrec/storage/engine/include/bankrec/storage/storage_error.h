#pragma once
// Error numbers of the record storage and the one place where SQLite's result codes become them.
#include <cstdint>
#include <iosfwd>
#include <string>

namespace storage {

// Every storage operation returns one of these: None (0) on success, else the error number shown
// in messages (errorNumber). Discarding one is a compile-time warning.
enum class [[nodiscard]] Error : int32_t{
    None = 0,
    FileNotFound = 2,     // the database file does not exist
    FileLocked = 32,      // another connection holds the file longer than the busy time-out
    NoRecord = 33,        // record not available (no match, end of a key range)
    InvalidFile = 36,     // not a database, or not one of ours
    DuplicateKey = 40,    // an add or change would duplicate a unique key
    RebuildKeys = 46,     // an index of a key is missing or differs from its declaration
    BadDeclaration = 47,  // the table differs from the declaration and cannot be upgraded
    NoTransaction = 48,   // a transaction could not begin within its time-out
    AlreadyOpen = 52,     // the file is already open in this session
    InvalidKey = 88,      // a key that does not belong to the file
    Changed = 89,         // another station changed the record since it was read
    Driver = 90,          // any other failure of SQLite; its own code and message kept
    InvalidFilter = 801,  // a filter text that does not parse or names an unbound value
};

// The number of an error as messages show it (0 for None).
constexpr int32_t errorNumber(Error error) {
    return static_cast<int32_t>(error);
}
// Prints the number (test failures and logs).
std::ostream& operator<<(std::ostream& out, Error error);

// The error of a failed operation. `file` names the record file involved when there is one.
struct StorageError {
    Error number = Error::None;
    std::string file;
    int32_t driverCode = 0;     // SQLite's extended result code (error 90, and kept for others)
    std::string driverMessage;  // sqlite3_errmsg at the time of the failure

    explicit operator bool() const { return number != Error::None; }
};

// The text of an error number ("Record Not Found" style); "Unknown Error" for other numbers.
std::string storageErrorText(Error number);

// Maps an SQLite result code (primary or extended) to an error number: BUSY/LOCKED 32,
// NOTADB/CORRUPT 36, CONSTRAINT_UNIQUE/PRIMARYKEY 40, CANTOPEN on a missing file 2,
// anything else 90. SQLITE_OK, SQLITE_ROW and SQLITE_DONE give 0.
Error storageErrorFromSqlite(int resultCode);

}  // namespace storage
