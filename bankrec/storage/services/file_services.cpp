#include "bankrec/storage/file_services.h"

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "bankrec/storage/dictionary.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/saved_error.h"
#include "bankrec/storage/storage.h"
#include "bankrec/storage/storage_error.h"
#include "bankrec/storage/warnings.h"
#include "corelib/daytime.h"
#include "corelib/globals.h"
#include "corelib/message.h"
#include "corelib/standard_warnings.h"

using namespace corelib;

namespace storage {

namespace {

constexpr int kServiceTimeoutSeconds = 2;
constexpr int kRecoverMilliseconds = 10000;  // "Recover=10"
constexpr int kAttemptsPerRound = 3;

// ---- Use counts ----

struct UseCounts {
    std::mutex lock;
    std::map<std::string, int32_t> counts;  // by absolute path of the file on disk
};
UseCounts& useCounts() {
    static UseCounts counts;
    return counts;
}
std::string countKey(const Storage& storage, FileId file) {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::absolute(storage.filePath(file), ec);
    return (ec ? std::filesystem::path(storage.filePath(file)) : p).lexically_normal().string();
}

// ---- Open ----

// One attempt to open; "already open" counts as success. Failures are saved.
Error tryOpen(FileSession& session, FileId file) {
    Error err = session.open(file);
    if (err == Error::AlreadyOpen) err = Error::None;
    if (err != Error::None) saveError(session);
    return err;
}

void upgradeFile(FileSession& session, FileId file) {
    if (session.upgrade(file) != Error::None) saveError(session);
}

[[noreturn]] void endProgram(const std::string& closing) {
    ds_Halt(kFatalWarningExitCode, closing);
}

Error openRecovering(FileSession& session, FileId file, const OpenOptions& options) {
    const std::string name = session.storage().fileName(file);
    const bool quiet = options.callerHandlesFailure;

    Error err = tryOpen(session, file);
    if (err == Error::FileLocked) {
        // Wait longer for the file to recover, then go back to the usual wait.
        session.setRecoverMilliseconds(kRecoverMilliseconds);
        err = tryOpen(session, file);
        session.setRecoverMilliseconds(session.storage().recoverMilliseconds());
    }
    if (err == Error::None) return Error::None;

    if (err == Error::FileNotFound) {
        upgradeFile(session, file);
        err = tryOpen(session, file);
        if (err == Error::None) return Error::None;
        if (quiet) return err;
        if (!options.create) {
            StandardWarning(Warn_NoFileCreate, name);
            endProgram("File Creation Error!");
        }
        if (session.create(file) != Error::None) {
            saveError(session);
            StandardWarning(Warn_CreateError, name);
            endProgram("File Creation Error!");
        }
        err = tryOpen(session, file);
        if (err != Error::None) {
            StandardWarning(Warn_CreateOpenError, name);
            endProgram("File Creation Error!");
        }
        return Error::None;
    }
    if (err == Error::BadDeclaration) {
        upgradeFile(session, file);
        err = tryOpen(session, file);
        if (err == Error::None) return Error::None;
        if (quiet) return err;
        StandardWarning(Warn_InvalidFile, name);
        endProgram("Invalid File!");
    }
    if (err == Error::RebuildKeys) {
        if (quiet) return err;
        StandardWarning(Warn_InvalidKey, name);  // No ends the program
        if (session.rebuildKeys(file) != Error::None) {
            saveError(session);
            StandardWarning(Warn_RebuildError, name);
            endProgram("Error Rebuilding Key!");
        }
        err = tryOpen(session, file);
        if (err == Error::None) return Error::None;
    }
    if (err == Error::InvalidFile || err == Error::InvalidKey || err == Error::Driver) {
        upgradeFile(session, file);
        err = tryOpen(session, file);
        if (err == Error::None) return Error::None;
    }
    if (quiet) return err;
    StandardWarning(Warn_OpenFailed, name);
    endProgram("Disk Error");
}

// ---- Buffers ----

using Values = std::vector<FieldValue>;

Values keepValues(RecordFileBase& f) {
    Values kept;
    kept.reserve(f.def().fields.size());
    for (int i = 0; i < static_cast<int>(f.def().fields.size()); ++i)
        kept.push_back(getField(f.def(), f.buffer(), i));
    return kept;
}
void restoreValues(RecordFileBase& f, const Values& kept) {
    for (int i = 0; i < static_cast<int>(kept.size()); ++i)
        setField(f.def(), f.buffer(), i, kept[static_cast<size_t>(i)]);
}
int64_t fieldLong(RecordFileBase& f, int field) {
    const FieldValue v = getField(f.def(), f.buffer(), field);
    return std::holds_alternative<int64_t>(v) ? std::get<int64_t>(v) : 0;
}

// Puts the buffers (and current records) of the linked files back as they were, so a delete
// does not disturb what the caller's window shows from them.
class BufferKeeper {
  public:
    BufferKeeper(FileSession& session, std::initializer_list<FileId> files) : session_(session) {
        for (FileId id : files) {
            RecordFileBase& f = session.file(id);
            kept_.push_back({id, f.position(), keepValues(f)});
        }
    }
    ~BufferKeeper() {
        for (const Kept& k : kept_) {
            RecordFileBase& f = session_.file(k.file);
            if (k.position == 0 || f.reget(k.position) != Error::None) f.clear();
            restoreValues(f, k.values);
        }
    }

  private:
    struct Kept {
        FileId file;
        int64_t position;
        Values values;
    };
    FileSession& session_;
    std::vector<Kept> kept_;
};

// ---- Delete with dependants ----

class LinkedDelete {
  public:
    explicit LinkedDelete(FileSession& session) : s_(session) {}

    // Rows of `key` whose first component equals `value`, visited one at a time; `visit` takes
    // each out of that range (deletes it or clears its link). 0, or 1 after a warning.
    int32_t forEachChild(KeyId key, int32_t value, const std::function<int32_t()>& visit) {
        if (value == 0) return 0;  // an identifier of 0 links nothing
        RecordFileBase& f = s_.file(key.file);
        const int field = keyDef(key).components.front();
        int64_t previous = 0;
        for (;;) {
            f.clear();
            setField(f.def(), f.buffer(), field, int64_t{value});
            Error err = f.set(key);
            if (err == Error::None) err = f.next();
            if (err == Error::NoRecord) return 0;
            if (err != Error::None) return readFailed(f);
            if (fieldLong(f, field) != value) return 0;
            if (f.position() == previous) {
                // The visit left the row in range; stop rather than loop.
                savedError().save(Error::Driver, f.def().name);
                StandardWarning(Warn_DeleteError, f.def().name);
                return 1;
            }
            previous = f.position();
            if (visit()) return 1;
        }
    }

    // Refuses (warning 13 naming the child file) when any row of `key` links to `value`.
    int32_t refuseIfAny(KeyId key, int32_t value) {
        return forEachChild(key, value, [&] {
            StandardWarning(Warn_RestrictDelete, fileDef(key.file).name);
            return 1;
        });
    }

    int32_t erase(FileId file) {
        RecordFileBase& f = s_.file(file);
        if (f.erase() != Error::None) {
            saveError(s_);
            StandardWarning(Warn_DeleteError, f.def().name);
            return 1;
        }
        return 0;
    }

    // An activity row: its deposit lines, the reconciliation copies' link, the row itself.
    int32_t deleteActivity() {
        const int32_t id = s_.file<APbac>().rec.ActivityID;
        if (forEachChild(APBDA_KEY_ACTIVITYID, id, [&] { return erase(FileId::APbda); })) return 1;
        if (forEachChild(APRAC_KEY_ACTIVITYID, id, [&] { return clearActivityLink(); })) return 1;
        return erase(FileId::APbac);
    }

    int32_t deleteBank() {
        const int32_t id = s_.file<APbnk>().rec.BankID;
        if (refuseIfAny(APBAC_KEY_BANKID, id)) return 1;
        if (forEachChild(APBNU_KEY_BANKIDBANKACCOUNT, id, [&] { return erase(FileId::APbnu); }))
            return 1;
        if (refuseIfAny(APREC_KEY_BANKID, id)) return 1;
        return erase(FileId::APbnk);
    }

    int32_t deleteReconciliation() {
        const int32_t id = s_.file<APrec>().rec.ReconciliationID;
        if (forEachChild(APBAC_KEY_RECONCILIATIONIDACTIVITYID, id,
                         [&] { return deleteActivity(); }))
            return 1;
        if (forEachChild(APRAC_KEY_RECONCILIATIONID, id, [&] { return erase(FileId::APrac); }))
            return 1;
        return erase(FileId::APrec);
    }

  private:
    int32_t readFailed(RecordFileBase& f) {
        saveError(s_);
        StandardWarning(Warn_RecordFetchError, f.def().name);
        return 1;
    }
    int32_t clearActivityLink() {
        RecordFileBase& f = s_.file(FileId::APrac);
        s_.file<APrac>().rec.ActivityID = 0;
        if (f.put() != Error::None) {
            saveError(s_);
            StandardWarning(Warn_UpdateError, f.def().name);
            return 1;
        }
        return 0;
    }

    FileSession& s_;
};

// The files a delete touches, the deleted file first.
std::vector<FileId> filesTouched(FileId file) {
    switch (file) {
        case FileId::APbnk:
            return {FileId::APbnk, FileId::APbac, FileId::APbnu, FileId::APrec};
        case FileId::APrec:
            return {FileId::APrec, FileId::APbac, FileId::APbda, FileId::APrac};
        case FileId::APbac:
            return {FileId::APbac, FileId::APbda, FileId::APrac};
        default:
            return {file};
    }
}

}  // namespace

// ---- Open and close ----

Error openFile(FileSession& session, FileId file, const OpenOptions& options) {
    const std::string key = countKey(session.storage(), file);
    UseCounts& uc = useCounts();
    {
        std::lock_guard<std::mutex> guard(uc.lock);
        auto it = uc.counts.find(key);
        if (it != uc.counts.end() && it->second > 0) {
            ++it->second;
            return Error::None;
        }
    }
    const Error err = openRecovering(session, file, options);
    if (err != Error::None) return err;
    std::lock_guard<std::mutex> guard(uc.lock);
    ++uc.counts[key];
    return Error::None;
}

void closeFile(FileSession& session, FileId file) {
    const std::string key = countKey(session.storage(), file);
    UseCounts& uc = useCounts();
    bool last = false;
    {
        std::lock_guard<std::mutex> guard(uc.lock);
        auto it = uc.counts.find(key);
        if (it == uc.counts.end() || it->second <= 0) return;
        last = --it->second == 0;
        if (last) uc.counts.erase(it);
    }
    if (last) session.close(file);
}

int32_t fileUseCount(const Storage& storage, FileId file) {
    UseCounts& uc = useCounts();
    std::lock_guard<std::mutex> guard(uc.lock);
    auto it = uc.counts.find(countKey(storage, file));
    return it == uc.counts.end() ? 0 : it->second;
}

FileUse::FileUse(FileSession& session, std::initializer_list<FileId> files,
                 const OpenOptions& options)
    : session_(session) {
    for (FileId id : files) {
        error_ = openFile(session, id, options);
        if (error_ != Error::None) break;
        opened_.push_back(id);
    }
}

FileUse::~FileUse() {
    for (auto it = opened_.rbegin(); it != opened_.rend(); ++it) closeFile(session_, *it);
}

// ---- Delete ----

// A service called inside the caller's own transaction (a loader's time slice) joins it under
// a savepoint instead of beginning a transaction of its own, as long as that transaction names
// every file the service writes: the writes to a file it leaves out would be committed at once
// and outlive the caller's rollback, so the service is refused then (48, as when the files are
// held by another station). A service that writes one statement joins without a savepoint: the
// statement is applied whole or not at all, and a savepoint would copy every page it touches.
// A failure is saved for the warning.
static Error serviceBegin(FileSession& session, bool joined, std::span<const FileId> files,
                          bool savepoint = true) {
    if (!joined) {
        const Error err = session.begin(files, kServiceTimeoutSeconds);
        if (err != Error::None) saveError(session);
        return err;
    }
    for (FileId f : files) {
        if (session.covers(f)) continue;
        StorageError e;
        e.number = Error::NoTransaction;
        e.file = fileDef(files.front()).name;
        e.driverMessage = "the transaction under way does not name " + fileDef(f).name;
        savedError().save(e);
        return Error::NoTransaction;
    }
    if (!savepoint) return Error::None;
    const Error err = session.savepoint();
    if (err != Error::None) saveError(session);
    return err;
}
static Error serviceCommit(FileSession& session, bool joined, bool savepoint = true) {
    if (joined && !savepoint) return Error::None;
    return joined ? session.releaseSavepoint() : session.commit();
}
static void serviceRollback(FileSession& session, bool joined, bool savepoint = true) {
    if (joined && !savepoint) return;
    // A failed rollback leaves nothing more to undo: the connection has ended the transaction.
    (void)(joined ? session.rollbackToSavepoint() : session.rollback());
}

DeleteResult deleteRecord(FileSession& session, FileId file) {
    RecordFileBase& target = session.file(file);
    const std::string label = target.def().name;
    const int64_t position = target.position();
    const std::vector<FileId> touched = filesTouched(file);

    std::vector<FileId> opened;
    struct CloseAll {
        FileSession& s;
        std::vector<FileId>& files;
        ~CloseAll() {
            for (FileId id : files) closeFile(s, id);
        }
    } closeAll{session, opened};
    for (FileId id : touched) {
        // Only reached when the program did not end.
        if (openFile(session, id) != Error::None) return DeleteResult::NotDeleted;
        opened.push_back(id);
    }

    std::unique_ptr<BufferKeeper> keeper;
    switch (file) {
        case FileId::APbnk:
            keeper.reset(new BufferKeeper(session, {FileId::APbac, FileId::APbnu, FileId::APrec}));
            break;
        case FileId::APrec:
            keeper.reset(new BufferKeeper(session, {FileId::APbac, FileId::APbda, FileId::APrac}));
            break;
        case FileId::APbac:
            keeper.reset(new BufferKeeper(session, {FileId::APbda, FileId::APrac}));
            break;
        default:
            break;
    }

    const bool joined = session.inTransaction();
    if (serviceBegin(session, joined, std::span<const FileId>(touched)) != Error::None) {
        StandardWarning(Warn_LogoutError, label, "Delete");
        return DeleteResult::NotDeleted;
    }
    if (target.reget(position) != Error::None) {
        saveError(session);
        serviceRollback(session, joined);
        StandardWarning(Warn_RecordFetchError, label);
        return DeleteResult::NotDeleted;
    }

    LinkedDelete run(session);
    int32_t failed = 0;
    switch (file) {
        case FileId::APbnk:
            failed = run.deleteBank();
            break;
        case FileId::APrec:
            failed = run.deleteReconciliation();
            break;
        case FileId::APbac:
            failed = run.deleteActivity();
            break;
        default:
            failed = run.erase(file);
            break;
    }
    if (failed) {
        serviceRollback(session, joined);
        return DeleteResult::NotDeleted;
    }
    if (serviceCommit(session, joined) != Error::None) {
        saveError(session);
        StandardWarning(Warn_DeleteError, label);
        return DeleteResult::NotDeleted;
    }
    return DeleteResult::Deleted;
}

// ---- Change ----

void stampRecord(FileSession& session, FileId file) {
    RecordFileBase& f = session.file(file);
    const daytime::DateTime at = daytime::current();
    setField(f.def(), f.buffer(), 1, int64_t{glo_UserID});
    setField(f.def(), f.buffer(), 2, int64_t{at.date});
    setField(f.def(), f.buffer(), 3, int64_t{at.time});
}

ChangeResult changeRecord(FileSession& session, FileId file, bool formCaller) {
    RecordFileBase& f = session.file(file);
    const std::string label = f.def().name;
    const bool joined = session.inTransaction();
    const FileId only[] = {file};
    constexpr bool kSavepoint = false;  // one statement
    if (serviceBegin(session, joined, only, kSavepoint) != Error::None) {
        StandardWarning(Warn_LogoutError, label, "Update");
        return ChangeResult::NotWritten;
    }
    const int64_t position = f.position();
    stampRecord(session, file);
    Error err = f.put();
    if (err == Error::None) {
        err = serviceCommit(session, joined, kSavepoint);
        if (err == Error::None) return ChangeResult::Written;
        saveError(session);
        StandardWarning(Warn_UpdateError, label);
        return ChangeResult::NotWritten;
    }
    saveError(session);
    serviceRollback(session, joined, kSavepoint);
    if (err == Error::Changed) {
        if (formCaller)
            StandardWarning(Warn_ConcurrencyFailedFromForm);
        else
            StandardWarning(Warn_UpdateError, "Record Changed by Another Station");
        (void)f.reget(position);  // on failure the buffer keeps the record as written here
        return ChangeResult::Conflict;
    }
    StandardWarning(Warn_UpdateError, label);
    return ChangeResult::NotWritten;
}

// ---- Numbering ----

Error numberAndAdd(FileSession& session, FileId file, bool& readFailed) {
    RecordFileBase& f = session.file(file);
    const FileDef& def = f.def();
    readFailed = false;
    int64_t last = 0;
    Error err = f.lastIdentifier(last);
    if (err != Error::None) {
        saveError(session);
        readFailed = true;
        return err;
    }
    stampRecord(session, file);
    if (!setField(def, f.buffer(), 0, last + 1)) {
        // The identifiers are used up; report it as the storage's own failure.
        StorageError e;
        e.number = Error::Driver;
        e.file = def.name;
        e.driverMessage = "no identifier left after " + std::to_string(last);
        savedError().save(e);
        return Error::Driver;
    }
    err = f.add();
    if (err != Error::None) saveError(session);
    return err;
}

Error addNumbered(FileSession& session, FileId file, NumberingReadError onReadError) {
    const std::string label = fileDef(file).name;
    for (;;) {
        Error err = Error::None;
        for (int attempt = 0; attempt < kAttemptsPerRound; ++attempt) {
            bool readFailed = false;
            err = numberAndAdd(session, file, readFailed);
            if (err == Error::None) return Error::None;
            if (readFailed) {
                if (onReadError == NumberingReadError::Warning35)
                    StandardWarning(Warn_RecordFetchError, label);
                return err;
            }
        }
        if (StandardWarning(Warn_AutoIncError) != msg::Retry) return err;
    }
}

}  // namespace storage
