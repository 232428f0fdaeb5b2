// Error numbers of the record storage: their texts and the mapping from SQLite's result codes.
#include "bankrec/storage/storage_error.h"

#include <sqlite3.h>

namespace storage {

std::string storageErrorText(int32_t number) {
    switch (number) {
        case NoError:
            return "No Error";
        case ErrFileNotFound:
            return "File Not Found";
        case ErrFileLocked:
            return "File Is Locked";
        case ErrNoRecord:
            return "Record Not Available";
        case ErrInvalidFile:
            return "Invalid Data File";
        case ErrDuplicateKey:
            return "Creates Duplicate Key";
        case ErrRebuildKeys:
            return "Key File Must Be Rebuilt";
        case ErrBadDeclaration:
            return "Invalid Record Declaration";
        case ErrNoTransaction:
            return "Unable To Start A Transaction";
        case ErrAlreadyOpen:
            return "File Already Open";
        case ErrInvalidKey:
            return "Invalid Key Length";
        case ErrChanged:
            return "Record Changed By Another Station";
        case ErrDriver:
            return "Error Reported By The Storage Driver";
        case ErrInvalidFilter:
            return "Invalid Filter";
        default:
            return "Unknown Error";
    }
}

int32_t storageErrorFromSqlite(int rc) {
    switch (rc) {
        case SQLITE_OK:
        case SQLITE_ROW:
        case SQLITE_DONE:
            return NoError;
        case SQLITE_CONSTRAINT_UNIQUE:
        case SQLITE_CONSTRAINT_PRIMARYKEY:
        case SQLITE_CONSTRAINT_ROWID:
            return ErrDuplicateKey;
        default:
            break;
    }
    switch (rc & 0xff) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return ErrFileLocked;
        case SQLITE_NOTADB:
        case SQLITE_CORRUPT:
            return ErrInvalidFile;
        default:
            return ErrDriver;
    }
}

}  // namespace storage
