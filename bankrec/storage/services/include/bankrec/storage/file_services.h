#pragma once
// The file-access services every procedure reaches the record files through: opening a file
// (recovering, upgrading, creating or rebuilding it as needed) with use counts, deleting a
// record together with the records linked to it, changing a record with change-conflict
// detection, and numbering new records. Failures are shown at once as standard warnings
// (bankrec/storage/warnings.h); the results tell the caller what happened.
//
// Use counts are kept per record file on disk, for the whole process: the first procedure that
// opens a file runs the open algorithm in its session (create, upgrade, rebuild); later ones
// only add to the count, and their sessions connect to the file when they first use it. When
// the count returns to 0, the session of the procedure that let go last closes the file.
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "bankrec/storage/records.h"
#include "bankrec/storage/storage_error.h"

namespace storage {

class FileSession;
class Storage;

struct OpenOptions {
    bool create = true;                 // a missing file may be created
    bool callerHandlesFailure = false;  // no warning and no ending: the error is returned
    bool shared = true;                 // shared read/write (the only mode the storage has)
};

// Opens `file` for a procedure of `session` and adds one to its use count. Returns Error::None
// when the file is open. Failures show their standard warning and end the program (warnings 1,
// 3, 4, 5, 22, 2 answered No, and 30 followed by "Disk Error"). With callerHandlesFailure nothing
// is shown: a missing file is not created and the error number is returned (the count unchanged).
Error openFile(FileSession& session, FileId file, const OpenOptions& options = {});
// Lets go of a file opened with openFile: subtracts one from its use count and closes it in
// `session` when the count returns to 0. Does nothing when the count is already 0.
void closeFile(FileSession& session, FileId file);
// How many procedures of the process hold the file open.
int32_t fileUseCount(const Storage& storage, FileId file);

// Holds files open for a scope: opens them in order in the constructor (stopping at the first
// failure, which only a caller-handles open can return) and lets go of those it opened.
class FileUse {
  public:
    FileUse(FileSession& session, std::initializer_list<FileId> files,
            const OpenOptions& options = {});
    ~FileUse();
    FileUse(const FileUse&) = delete;
    FileUse& operator=(const FileUse&) = delete;

    // Error::None when every file is open, else the error of the first that did not open.
    Error error() const { return error_; }

  private:
    FileSession& session_;
    std::vector<FileId> opened_;
    Error error_ = Error::None;
};

// Results of deleteRecord.
enum class [[nodiscard]] DeleteResult : int32_t{
    Deleted = 0,
    NotDeleted = 1,
};
// Deletes the current record of `file` (APbnk, APbnu, APbac, APbda, APrec; APrac and SYcfg have
// no dependants and are simply deleted) together with the records linked to it, in one
// transaction on exactly the files touched (2 seconds to begin):
//  - APbnk: refused while activity (APbac) refers to the bank; its APbnu rows are deleted;
//    refused while reconciliations (APrec) refer to it;
//  - APrec: each activity row it created is deleted as below, then its APrac rows;
//  - APbac: its deposit lines (APbda) are deleted, APrac rows copied from it keep their copy
//    with ActivityID 0.
// Returns Deleted, or NotDeleted (a warning was shown: 34, 35, 13, 17 or 15, and everything
// was rolled back). The buffers of the linked files are left as they were. Inside a transaction
// of the caller's that names every file above, it joins that transaction (a savepoint; the
// caller's commit or rollback decides); a transaction that leaves one out refuses it with
// warning 34, nothing changed.
DeleteResult deleteRecord(FileSession& session, FileId file);

// Results of changeRecord.
enum class [[nodiscard]] ChangeResult : int32_t{
    Written = 0, NotWritten = 1,
    Conflict = 2,  // another station changed the record first; the buffer now holds it
};
// Writes the buffer of `file` over its current record in a transaction on the file alone
// (2 seconds to begin; warning 34 "Update" when it cannot). Stamps ChangeID, ChangeDate and
// ChangeTime. When another station changed the record since it was read, a form caller gets
// warning 38 and any other caller warning 15, and the buffer is read again from the file.
// Other failures show warning 15 with the file name. Nothing is written on failure. Inside a
// transaction of the caller's it joins it when it names the file (its one write needs no
// savepoint), and is refused with warning 34 otherwise.
ChangeResult changeRecord(FileSession& session, FileId file, bool formCaller);

// Stamps ChangeID (glo_UserID), ChangeDate and ChangeTime (today, now) in the buffer of `file`.
void stampRecord(FileSession& session, FileId file);

// One numbering: reads the highest identifier of the primary key (without moving the buffer;
// within a transaction naming the file, counted on from this session's own adds), stamps, and
// adds the buffer with that identifier + 1 (1 in an empty file). Returns Error::None when added
// (the record is current), or the error with the error saved; `readFailed` tells whether reading
// the highest identifier failed (then nothing was added). The buffer keeps the values.
Error numberAndAdd(FileSession& session, FileId file, bool& readFailed);

// How addNumbered reports a failure to read the highest identifier.
enum class NumberingReadError {
    Warning35,      // standard warning 35 naming the file (the loaders)
    LeaveToCaller,  // nothing shown; the error is saved (a transaction frame reports it)
};
// Numbers and adds the buffer of `file`, trying up to three times when the add fails, then
// asking warning 25: Retry gives three more attempts, Cancel gives up. Returns Error::None when
// added, else the last error.
Error addNumbered(FileSession& session, FileId file,
                  NumberingReadError onReadError = NumberingReadError::Warning35);

}  // namespace storage
