// Payroll check ("PYK") and bank reconciliation ("BRK") files over the suite file's Payroll
// table, with record locks held per open file.
#include "suiteapi/tvpydata.h"

#include "tvsuite/fixed_text.h"
#include "tvsuite/open_files.h"
#include "tvsuite/record_area.h"

using namespace tvsuite;

namespace {

size_t keyLength(const std::string& type) {
    if (type == "PYK") return PYK_KEY_LEN;
    if (type == "BRK") return BRK_KEY_LEN;
    return 0;
}

std::string fileType(const char* type) {
    return upper(trimmedField(type, 4));
}

// The open payroll file of `type` named by `path`, or a status.
std::shared_ptr<OpenFile> payrollFile(const char* type, const char* path, char* status) {
    std::shared_ptr<OpenFile> file = findFile(path, FileKind::Payroll);
    if (!file) {
        setStatus(status, "99");
        return nullptr;
    }
    if (file->fileType != fileType(type)) {
        setStatus(status, "30");
        return nullptr;
    }
    return file;
}

}  // namespace

extern "C" {

void FileOpen(const char* type, char* path, const char* mode, const char* division, char* status) {
    const std::string kind = fileType(type);
    if (keyLength(kind) == 0) return setStatus(status, "30");
    std::shared_ptr<OpenFile> file;
    setStatus(status, openFile(path, FileKind::Payroll, mode, division, "OI OB", &file));
    if (file) file->fileType = kind;
}

void FileRead(const char* type, const char* path, char* record, const char* mode, char* status) {
    std::shared_ptr<OpenFile> file = payrollFile(type, path, status);
    if (!file) return;
    const std::string how = upper(trimmedField(mode, 4));
    if (!record || (how != "RR" && how != "RL")) return setStatus(status, "30");
    const std::string key = getAt(record, 0, keyLength(file->fileType));
    if (lockedByOther(*file, key)) return setStatus(status, "51");
    Statement read(file->db,
                   "SELECT Record FROM Payroll WHERE Division = ?1 AND FileType = ?2"
                   " AND RecKey = ?3");
    read.bind(1, file->division).bind(2, file->fileType).bind(3, key);
    const int rc = read.step();
    if (rc == SQLITE_DONE) return setStatus(status, "23");
    if (rc != SQLITE_ROW) return setStatus(status, "90");
    if (how == "RL" && !lockRecord(*file, key)) return setStatus(status, "51");
    setAt(record, 0, TVPY_RECORD_LEN, read.text(0));
    record[TVPY_RECORD_LEN] = '\0';
    setStatus(status, "00");
}

void FileRewrite(const char* type, const char* path, const char* record, char* status) {
    std::shared_ptr<OpenFile> file = payrollFile(type, path, status);
    if (!file) return;
    if (!record) return setStatus(status, "30");
    if (!file->update) return setStatus(status, "37");
    const std::string full = padded(fieldText(record, TVPY_RECORD_LEN), TVPY_RECORD_LEN);
    const std::string key = full.substr(0, keyLength(file->fileType));
    if (lockedByOther(*file, key)) return setStatus(status, "51");
    Statement update(file->db,
                     "UPDATE Payroll SET Record = ?4 WHERE Division = ?1 AND FileType = ?2"
                     " AND RecKey = ?3");
    update.bind(1, file->division).bind(2, file->fileType).bind(3, key).bind(4, full);
    if (update.step() != SQLITE_DONE) return setStatus(status, "90");
    setStatus(status, sqlite3_changes(file->db.raw()) > 0 ? "00" : "23");
}

void FileUnlock(const char* type, const char* path, char* status) {
    std::shared_ptr<OpenFile> file = payrollFile(type, path, status);
    if (!file) return;
    unlockRecord(*file);
    setStatus(status, "00");
}

void FileClose(const char* type, char* path, char* status) {
    std::shared_ptr<OpenFile> file = payrollFile(type, path, status);
    if (!file) return;
    setStatus(status, closeFile(path, FileKind::Payroll));
}

}  // extern "C"
