#pragma once
// The suite's open files. A caller's handle area names an open file by a token such as
// "TVS#00000012"; each open file has its own connection to the suite file, so its prepared
// statements and its transactions are its own.
#include <memory>
#include <string>

#include "tvsuite/sqlite_db.h"

namespace tvsuite {

enum class FileKind { Register, Chart, Journals, Entry, Payroll };

struct OpenFile {
    int id = 0;
    FileKind kind = FileKind::Register;
    std::string division;
    bool update = false;
    std::string folder;
    SqliteDb db;
    // Journal walk: the key last read and whether the next read may return it again.
    std::string walkRecordType;
    std::string walkAbbr;
    bool walkInclusive = true;
    // Journal entry work file.
    std::string terminal;
    // Payroll file type and the key this file holds locked, if any.
    std::string fileType;
    std::string lockedKey;
};

// Opens a file of `kind` in the data folder and writes its token into `handle`. Returns the
// status: "00", "30" for a bad mode or division (when `division` is not null), "35" when
// the suite file cannot be opened. `modes` lists the accepted modes, e.g. "OI OB".
const char* openFile(char* handle, FileKind kind, const char* mode, const char* division,
                     const char* modes, std::shared_ptr<OpenFile>* opened = nullptr);
// The open file that `handle` names, when it is of `kind`; null otherwise.
std::shared_ptr<OpenFile> findFile(const char* handle, FileKind kind);
// Forgets the open file and blanks the handle: "00", or "99" when it was not open.
const char* closeFile(char* handle, FileKind kind);

// Record locks of the payroll files, shared by every open file of the process.
// Takes the lock of `key` for `file`, dropping the one it held: false when another holds it.
bool lockRecord(OpenFile& file, const std::string& key);
bool lockedByOther(const OpenFile& file, const std::string& key);
void unlockRecord(OpenFile& file);

}  // namespace tvsuite
