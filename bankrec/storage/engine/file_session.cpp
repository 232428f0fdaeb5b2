// Storage sessions: connections per file and per set of files, opening and checking files
// against the dictionary, upgrading older layouts, and transactions.
//
// Invariants (see session.h): a file open in the session has a connection of its own; a
// transaction runs on a connection holding exactly its files; statements are reset after use.
#include "bankrec/storage/file_session.h"

#include <algorithm>
#include <bit>
#include <string_view>

#include "bankrec/storage/connection.h"
#include "bankrec/storage/engine.h"
#include "bankrec/storage/view.h"

namespace storage {

namespace {

uint32_t bit(FileId f) {
    return 1u << static_cast<int>(f);
}

template <Record R>
std::unique_ptr<RecordFileBase> makeFile(FileSession& s) {
    return std::make_unique<RecordFile<R>>(s);
}

}  // namespace

FileSession::FileSession(const Storage& storage)
    : storage_(storage),
      engine_(makeEngine(storage)),
      recoverMs_(waitMilliseconds(storage.recoverMilliseconds())) {
    files_.push_back(makeFile<APbnk>(*this));
    files_.push_back(makeFile<APbnu>(*this));
    files_.push_back(makeFile<APbac>(*this));
    files_.push_back(makeFile<APbda>(*this));
    files_.push_back(makeFile<APrec>(*this));
    files_.push_back(makeFile<APrac>(*this));
    files_.push_back(makeFile<SYcfg>(*this));
    conns_.resize(kFileCount);
}

FileSession::~FileSession() {
    (void)rollback();  // an open transaction ends with the session
    files_.clear();
    multi_.clear();
    conns_.clear();
}

Error FileSession::fail(Error number, FileId file, Connection* c, int rc) {
    error_.number = number;
    error_.file = storage_.fileName(file);
    error_.driverCode = rc;
    error_.driverMessage = c && rc != 0 ? c->message(rc) : storageErrorText(number);
    return number;
}

Error FileSession::failText(Error number, FileId file, const std::string& message, int driverCode) {
    error_.number = number;
    error_.file = storage_.fileName(file);
    error_.driverCode = driverCode;
    error_.driverMessage = message;
    return number;
}

void FileSession::invalidateWalks(FileId file) {
    RecordFileBase& f = *files_[static_cast<size_t>(file)];
    f.invalidateWalk();
    for (ViewBase* v : f.views_) v->invalidateReadAhead();
}

void FileSession::noteWrite(FileId file, int64_t row, int64_t revision, bool added) {
    if (!txn_ || !(txnMask_ & bit(file))) return;  // committed at once: nothing to put back
    const RecordFileBase& f = *files_[static_cast<size_t>(file)];
    moves_.push_back(
        {file, savepointDepth_, row, revision, f.currentRow_, f.currentRevision_, added});
}

void FileSession::undoWrites(int depth) {
    while (!moves_.empty() && moves_.back().depth >= depth) {
        const BufferMove m = moves_.back();
        moves_.pop_back();
        RecordFileBase& f = *files_[static_cast<size_t>(m.file)];
        if (f.currentRow_ != m.newRow || f.currentRevision_ != m.newRevision) continue;
        f.currentRow_ = m.added ? 0 : m.row;
        f.currentRevision_ = m.added ? 0 : m.revision;
    }
}

void FileSession::forgetLastIdentifiers() {
    for (auto& f : files_) f->lastIdKnown_ = false;
}

int FileSession::waitMilliseconds(int ms) const {
    return std::max({ms, 0, storage_.leastWaitMilliseconds()});
}

void FileSession::setRecoverMilliseconds(int ms) {
    recoverMs_ = waitMilliseconds(ms);
    for (auto& c : conns_)
        if (c) c->setLockWait(recoverMs_);
    for (auto& c : multi_) c->setLockWait(recoverMs_);
}

bool FileSession::isOpen(FileId file) const {
    return conns_[static_cast<size_t>(file)] != nullptr;
}

Error FileSession::openFile(FileId file, bool create) {
    if (isOpen(file)) return failText(Error::AlreadyOpen, file, "already open");
    std::unique_ptr<Connection> c;
    if (Error e = engine_->openFile(*this, file, create, c); e != Error::None) return e;
    conns_[static_cast<size_t>(file)] = std::move(c);
    return Error::None;
}

Error FileSession::open(FileId file) {
    return openFile(file, false);
}

Error FileSession::create(FileId file) {
    return openFile(file, true);
}

Error FileSession::upgrade(FileId file) {
    if (txnMask_ & bit(file))
        return failText(Error::NoTransaction, file, "the file is in an active transaction");
    return engine_->upgrade(*this, file);
}

Error FileSession::rebuildKeys(FileId file) {
    if (txnMask_ & bit(file))
        return failText(Error::NoTransaction, file, "the file is in an active transaction");
    return engine_->rebuildKeys(*this, file);
}

bool FileSession::close(FileId file) {
    if (txnMask_ & bit(file)) return false;
    invalidateWalks(file);
    conns_[static_cast<size_t>(file)].reset();
    dropTransactionConnections(file);
    return true;
}

void FileSession::dropTransactionConnections(FileId file) {
    for (size_t i = 0; i < multi_.size();)
        if (multi_[i]->fileMask & bit(file))
            multi_.erase(multi_.begin() + static_cast<std::ptrdiff_t>(i));
        else
            ++i;
}

Connection* FileSession::connectionFor(FileId file, Error& err) {
    if (txn_ && (txnMask_ & bit(file))) return txn_;
    auto& c = conns_[static_cast<size_t>(file)];
    if (!c) {
        if (Error e = open(file); e != Error::None) {
            err = e;
            return nullptr;
        }
    }
    return c.get();
}

Connection* FileSession::connectionForAll(std::span<const FileId> files, Error& err) {
    uint32_t mask = 0;
    for (FileId f : files) {
        mask |= bit(f);
        if (!isOpen(f))
            if (Error e = open(f); e != Error::None) {
                err = e;
                return nullptr;
            }
    }
    if (txn_ && (txnMask_ & mask) == mask) return txn_;
    if (std::has_single_bit(mask)) return conns_[static_cast<size_t>(files[0])].get();
    return transactionConnection(mask, err);
}

Connection* FileSession::transactionConnection(uint32_t mask, Error& err) {
    for (auto& c : multi_)
        if (c->fileMask == mask) return c.get();
    std::unique_ptr<Connection> c;
    if (Error e = engine_->openFiles(*this, mask, c); e != Error::None) {
        err = e;
        return nullptr;
    }
    if (multi_.size() >= 8) multi_.erase(multi_.begin());
    multi_.push_back(std::move(c));
    return multi_.back().get();
}

Error FileSession::begin(std::span<const FileId> files, int timeoutSeconds) {
    if (files.empty()) return failText(Error::NoTransaction, FileId::APbnk, "no file named");
    if (txn_) return failText(Error::NoTransaction, files[0], "a transaction is already active");
    uint32_t mask = 0;
    for (FileId f : files) {
        mask |= bit(f);
        if (!isOpen(f))
            if (Error e = open(f); e != Error::None) return e;
    }
    Error err = Error::None;
    Connection* c = std::has_single_bit(mask) && engine_->singleOnOwnConnection()
                        ? conns_[static_cast<size_t>(files[0])].get()
                        : transactionConnection(mask, err);
    if (!c) return err;
    if (Error e = engine_->begin(*this, *c, mask, timeoutSeconds); e != Error::None) return e;
    txn_ = c;
    txnMask_ = mask;
    savepointDepth_ = 0;
    for (FileId f : files) invalidateWalks(f);
    return Error::None;
}

Error FileSession::finishTransaction(const char* sql) {
    if (!txn_) return Error::None;
    Connection* c = txn_;
    const bool committing = std::string_view(sql) == "COMMIT";
    int rc = committing ? engine_->commit(*c, recoverMs_) : c->exec(sql);
    Error result = Error::None;
    FileId first = FileId::APbnk;
    for (int i = 0; i < kFileCount; ++i)
        if (txnMask_ & (1u << i)) {
            first = static_cast<FileId>(i);
            break;
        }
    if (rc != SQLITE_OK) {
        result = fail(storageErrorFromSqlite(rc), first, c, rc);
        if (c->inTransaction()) c->exec("ROLLBACK");
    }
    if (rc != SQLITE_OK || !committing) undoWrites(0);
    moves_.clear();
    forgetLastIdentifiers();
    uint32_t mask = txnMask_;
    txn_ = nullptr;
    txnMask_ = 0;
    savepointDepth_ = 0;
    for (int i = 0; i < kFileCount; ++i)
        if (mask & (1u << i)) invalidateWalks(static_cast<FileId>(i));
    return result;
}

Error FileSession::commit() {
    if (!txn_) return failText(Error::NoTransaction, FileId::APbnk, "no active transaction");
    return finishTransaction("COMMIT");
}

Error FileSession::rollback() {
    return finishTransaction("ROLLBACK");
}

Error FileSession::savepoint() {
    if (!txn_) return failText(Error::NoTransaction, FileId::APbnk, "no active transaction");
    std::string sql = "SAVEPOINT sp" + std::to_string(savepointDepth_ + 1);
    int rc = txn_->exec(sql);
    if (rc != SQLITE_OK) return fail(storageErrorFromSqlite(rc), FileId::APbnk, txn_, rc);
    ++savepointDepth_;
    return Error::None;
}

Error FileSession::releaseSavepoint() {
    if (!txn_ || savepointDepth_ == 0)
        return failText(Error::NoTransaction, FileId::APbnk, "no savepoint");
    std::string sql = "RELEASE sp" + std::to_string(savepointDepth_);
    int rc = txn_->exec(sql);
    if (rc != SQLITE_OK) return fail(storageErrorFromSqlite(rc), FileId::APbnk, txn_, rc);
    // The entry's writes now belong to the enclosing level and go with its rollback. They are
    // the last ones noted (depths never fall along moves_), so a long transaction of many
    // savepoints does not look at its earlier writes again each time.
    for (auto m = moves_.rbegin(); m != moves_.rend() && m->depth == savepointDepth_; ++m)
        --m->depth;
    --savepointDepth_;
    return Error::None;
}

Error FileSession::rollbackToSavepoint() {
    if (!txn_ || savepointDepth_ == 0)
        return failText(Error::NoTransaction, FileId::APbnk, "no savepoint");
    std::string name = "sp" + std::to_string(savepointDepth_);
    int rc = txn_->exec("ROLLBACK TO " + name);
    if (rc == SQLITE_OK) rc = txn_->exec("RELEASE " + name);
    if (rc != SQLITE_OK) return fail(storageErrorFromSqlite(rc), FileId::APbnk, txn_, rc);
    undoWrites(savepointDepth_);
    forgetLastIdentifiers();
    --savepointDepth_;
    for (int i = 0; i < kFileCount; ++i)
        if (txnMask_ & (1u << i)) invalidateWalks(static_cast<FileId>(i));
    return Error::None;
}

}  // namespace storage
