#pragma once
// A storage session: the record files as one window session ("thread") sees them. It owns its
// connections (SQLite files or a PostgreSQL server, as the Storage names: engine.h), one record
// buffer per file and the prepared statements, and frames transactions over several files. Sessions
// are independent of one another, as two stations would be: a change made in one is detected by the
// other (error 89). A session is used from one thread at a time.
//
// Invariants:
//  1. A file is "open" in the session once open()/create() succeeded; it then has a connection
//     of its own for that file (autocommit reads and single writes).
//  2. While a transaction is active, every operation on a file it names runs on the transaction's
//     connection, which has exactly those files attached; operations on other files keep their
//     own connections. So reads inside a transaction see its writes, and it locks no other file.
//  3. Every prepared statement is owned by the connection it was prepared on, is prepared once and
//     is reset after each use; no statement stays active between calls, so a session holds no
//     lock outside a transaction.
//  4. lastError() describes the last operation that failed and is left alone by successes.
//  5. SQLite: every connection keeps its files in a rollback journal (journal_mode DELETE), set
//  when it
//     opens and checked again when a transaction over several files begins: only a rollback
//     journal commits several files atomically. A file switched to write-ahead logging from
//     outside is switched back, or refused (90, saying why) while another program keeps it so.
//  6. A rollback (of the transaction or to a savepoint) also puts back what the writes it undoes
//     did to the record buffers' current records: a put's raised revision, an add's new current
//     record (forgotten), an erase's forgotten one (current again), as far as the buffer has
//     not moved on since. So the next save after a rollback is neither taken for another
//     station's change nor written over a record that took the rolled-back one's place.
//
// State: no transaction --begin()--> transaction [--savepoint()--> nested ...] --commit()/
// rollback()--> no transaction. Destroying the session rolls back an open transaction.
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "bankrec/storage/record_file.h"
#include "bankrec/storage/records.h"
#include "bankrec/storage/storage.h"
#include "bankrec/storage/storage_error.h"

namespace storage {

class Connection;
class Engine;

class FileSession {
  public:
    explicit FileSession(const Storage& storage);
    ~FileSession();
    FileSession(const FileSession&) = delete;
    FileSession& operator=(const FileSession&) = delete;

    const Storage& storage() const { return storage_; }

    // ---- Files ----
    // Opens a file for this session and checks it against the dictionary. 0 on success; 52 when
    // it is already open here; 2 when the file does not exist; 32 when it stays locked longer
    // than the recover time; 36 when it is not a database or has no table of its own; 47 when
    // its version is newer than ours or its columns differ from the declaration at the same
    // version; 46 when a key's index is missing or differs; 90 when it is in write-ahead-log
    // mode that cannot be switched back or, for APbnu, when it belongs to another division, and
    // for other failures. A file of an older version is upgraded in place (one transaction)
    // before it opens.
    Error open(FileId file);
    // Creates the file with its table and indexes at the current version (existing data is
    // never touched: a file that already holds our table is left as it is). 0 or 32/36/90.
    Error create(FileId file);
    // Brings an existing file to the current version inside one transaction: missing table
    // created, older layouts converted (APbnk's CheckBank carried into APBank and PRBank), keys
    // rebuilt. 0 when the file is current afterwards; 2 missing; 47 newer or unconvertible.
    Error upgrade(FileId file);
    // Drops and rebuilds the indexes of every key. 0, or 40 when a unique key's rows collide.
    Error rebuildKeys(FileId file);
    // Closes the file in this session (its connection and statements). Refused (false) while a
    // transaction names it.
    bool close(FileId file);
    bool isOpen(FileId file) const;
    // How long this session's operations wait for a locked file ("Recover=10"); never less
    // than the storage's least wait.
    void setRecoverMilliseconds(int ms);
    int recoverMilliseconds() const { return recoverMs_; }
    // A wait of `ms`, lengthened to the storage's least wait.
    int waitMilliseconds(int ms) const;

    // The record file with its buffer.
    template <Record R>
    RecordFile<R>& file() {
        return static_cast<RecordFile<R>&>(*files_[static_cast<int>(R::kFile)]);
    }
    RecordFileBase& file(FileId id) { return *files_[static_cast<int>(id)]; }

    // ---- Transactions ----
    // Begins a write transaction over exactly these files (BEGIN IMMEDIATE on a connection with
    // them attached), waiting up to `timeoutSeconds` (or the storage's least wait when that is
    // longer) for other writers. 0; 48 when the wait runs
    // out or a transaction is already active; errors of open() for a file that cannot open.
    Error begin(std::span<const FileId> files, int timeoutSeconds);
    Error begin(std::initializer_list<FileId> files, int timeoutSeconds) {
        return begin(std::span<const FileId>(files.begin(), files.size()), timeoutSeconds);
    }
    // Commits atomically across the files (also across a crash). A commit that meets a reader
    // still holding one of the files is tried again until the lock wait (the recover time) is
    // spent. On failure the transaction is rolled back and the error returned (32 / 90).
    Error commit();
    // Rolls back; harmless without a transaction.
    Error rollback();
    bool inTransaction() const { return txn_ != nullptr; }
    // Whether the active transaction names the file (its writes go with the transaction).
    bool covers(FileId file) const { return (txnMask_ >> static_cast<int>(file)) & 1u; }
    // Savepoints inside the transaction, for an entry of a batch that must fail alone.
    // 48 without a transaction.
    Error savepoint();
    Error releaseSavepoint();
    Error rollbackToSavepoint();  // undoes the entry's writes and releases the savepoint

    // ---- Errors ----
    const StorageError& lastError() const { return error_; }

    // Internal plumbing for RecordFileBase and ViewBase: the connection an operation on `file`
    // runs on (opening the file when needed; nullptr with err set on failure), and recording a
    // failure in lastError() (returns `number`).
    Connection* connectionFor(FileId file, Error& err);
    // For joined views: the connection a read over several files runs on. Inside a transaction
    // that names them all, the transaction's (so the read sees its writes); otherwise one with
    // exactly these files attached, which reads what is committed. Files are opened as needed.
    Connection* connectionForAll(std::span<const FileId> files, Error& err);
    Error fail(Error number, FileId file, Connection* c = nullptr, int rc = 0);
    Error failText(Error number, FileId file, const std::string& message, int driverCode = 0);
    void invalidateWalks(FileId file);
    // A write (add, put or erase) of `file` succeeded; the buffer's current record was
    // (row, revision) before it. Kept while the write can still be rolled back.
    void noteWrite(FileId file, int64_t row, int64_t revision, bool added);

  private:
    Error openFile(FileId file, bool create);
    Connection* transactionConnection(uint32_t mask, Error& err);
    void dropTransactionConnections(FileId file);
    Error finishTransaction(const char* sql);
    // Puts back the buffers moved by writes at savepoint depth `depth` or deeper and forgets
    // those writes.
    void undoWrites(int depth);
    // The highest identifiers followed within the transaction are read again from the files.
    void forgetLastIdentifiers();

    const Storage& storage_;
    std::unique_ptr<Engine> engine_;
    int recoverMs_;
    std::vector<std::unique_ptr<RecordFileBase>> files_;
    std::vector<std::unique_ptr<Connection>> conns_;  // per FileId, null when closed
    // Connections with several files attached, kept for reuse by later transactions.
    std::vector<std::unique_ptr<Connection>> multi_;
    Connection* txn_ = nullptr;  // connection of the active transaction
    uint32_t txnMask_ = 0;       // files it names
    int savepointDepth_ = 0;
    // How each write of the active transaction moved its buffer's current record, in the order
    // written; the depths never fall along the vector (a savepoint's writes are the last ones).
    struct BufferMove {
        FileId file;
        int depth;              // savepoint depth of the write
        int64_t row, revision;  // current record before the write
        int64_t newRow, newRevision;
        bool added;
    };
    std::vector<BufferMove> moves_;
    StorageError error_;
};

}  // namespace storage
