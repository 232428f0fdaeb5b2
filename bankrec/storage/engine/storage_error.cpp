// Error numbers of the record storage: their texts and the mapping from SQLite's result codes.
#include "bankrec/storage/storage_error.h"

#include <sqlite3.h>

#include <ostream>

namespace storage {

std::string storageErrorText(Error number) {
    switch (number) {
        case Error::None:
            return "No Error";
        case Error::FileNotFound:
            return "File Not Found";
        case Error::FileLocked:
            return "File Is Locked";
        case Error::NoRecord:
            return "Record Not Available";
        case Error::InvalidFile:
            return "Invalid Data File";
        case Error::DuplicateKey:
            return "Creates Duplicate Key";
        case Error::RebuildKeys:
            return "Key File Must Be Rebuilt";
        case Error::BadDeclaration:
            return "Invalid Record Declaration";
        case Error::NoTransaction:
            return "Unable To Start A Transaction";
        case Error::AlreadyOpen:
            return "File Already Open";
        case Error::InvalidKey:
            return "Invalid Key Length";
        case Error::Changed:
            return "Record Changed By Another Station";
        case Error::Driver:
            return "Error Reported By The Storage Driver";
        case Error::InvalidFilter:
            return "Invalid Filter";
    }
    return "Unknown Error";
}

std::ostream& operator<<(std::ostream& out, Error error) {
    return out << errorNumber(error);
}

Error storageErrorFromSqlite(int rc) {
    switch (rc) {
        case SQLITE_OK:
        case SQLITE_ROW:
        case SQLITE_DONE:
            return Error::None;
        case SQLITE_CONSTRAINT_UNIQUE:
        case SQLITE_CONSTRAINT_PRIMARYKEY:
        case SQLITE_CONSTRAINT_ROWID:
            return Error::DuplicateKey;
        default:
            break;
    }
    switch (rc & 0xff) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return Error::FileLocked;
        case SQLITE_NOTADB:
        case SQLITE_CORRUPT:
            return Error::InvalidFile;
        default:
            return Error::Driver;
    }
}

}  // namespace storage
