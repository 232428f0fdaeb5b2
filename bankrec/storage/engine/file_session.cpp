// Storage sessions: connections per file and per set of files, opening and checking files
// against the dictionary, upgrading older layouts, and transactions.
//
// Invariants (see session.h): a file open in the session has a connection of its own; a
// transaction runs on a connection holding exactly its files; statements are reset after use.
#include "bankrec/storage/file_session.h"

#include <sys/stat.h>

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstdio>
#include <string_view>

#include "bankrec/storage/connection.h"
#include "bankrec/storage/view.h"

namespace storage {

namespace {

uint32_t bit(FileId f) {
    return 1u << static_cast<int>(f);
}

// A session, and with it each of its connections, is used from one thread at a time, so SQLite
// need not lock a connection on every call (its multi-thread mode).
constexpr int kOpenFlags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX;

bool fileExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

// Column names of a table in declared order; empty when the table does not exist.
int tableColumns(Connection& c, const std::string& table, std::vector<std::string>& out) {
    out.clear();
    sqlite3_stmt* s = nullptr;
    std::string sql = "PRAGMA main.table_info(\"" + table + "\")";
    int rc = c.prepare(sql, s);
    if (rc != SQLITE_OK) return rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW)
        out.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(s, 1)));
    sqlite3_finalize(s);
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

int userVersion(Connection& c, int& version) {
    sqlite3_stmt* s = nullptr;
    int rc = c.prepare("PRAGMA main.user_version", s);
    if (rc != SQLITE_OK) return rc;
    rc = sqlite3_step(s);
    if (rc == SQLITE_ROW) version = sqlite3_column_int(s, 0);
    sqlite3_finalize(s);
    return rc == SQLITE_ROW ? SQLITE_OK : rc;
}

std::vector<std::string> expectedColumns(const FileDef& f) {
    std::vector<std::string> cols;
    for (const FieldDef& fd : f.fields) cols.push_back(fd.name);
    cols.emplace_back(kRevisionColumn);
    cols.emplace_back(kRowColumn);
    return cols;
}

// Whether a table holds the declared fields in their order, whatever hidden columns (their names
// begin with '_') it has: a file written before the hidden columns were what they are now.
bool sameFields(const FileDef& f, const std::vector<std::string>& cols) {
    size_t i = 0;
    for (const std::string& col : cols) {
        if (!col.empty() && col.front() == '_') continue;
        if (i == f.fields.size() || f.fields[i].name != col) return false;
        ++i;
    }
    return i == f.fields.size();
}

// Whether the file's header says write-ahead logging (read straight from the disk, so it needs
// no lock and sees what another program did).
bool walHeader(const std::string& path) {
    unsigned char header[20] = {};
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    const size_t n = std::fread(header, 1, sizeof header, f);
    std::fclose(f);
    return n == sizeof header && header[18] == 2 && header[19] == 2;
}

// The journal mode of one attached database as the connection knows it; "" on failure.
std::string journalMode(Connection& c, const std::string& schema, bool setDelete, int& rc) {
    sqlite3_stmt* s = nullptr;
    std::string mode;
    rc = c.prepare("PRAGMA \"" + schema + "\".journal_mode" + (setDelete ? " = DELETE" : ""), s);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(s);
        if (rc == SQLITE_ROW) {
            mode = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
            rc = SQLITE_OK;
        }
    }
    sqlite3_finalize(s);
    return mode;
}

template <Record R>
std::unique_ptr<RecordFileBase> makeFile(FileSession& s) {
    return std::make_unique<RecordFile<R>>(s);
}

}  // namespace

FileSession::FileSession(const Storage& storage)
    : storage_(storage), recoverMs_(waitMilliseconds(storage.recoverMilliseconds())) {
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
    error_.driverMessage = c && c->db && rc != 0 ? sqlite3_errmsg(c->db) : storageErrorText(number);
    return number;
}

Error FileSession::failText(Error number, FileId file, const std::string& message) {
    error_.number = number;
    error_.file = storage_.fileName(file);
    error_.driverCode = 0;
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
        if (c) sqlite3_busy_timeout(c->db, recoverMs_);
    for (auto& c : multi_) sqlite3_busy_timeout(c->db, recoverMs_);
}

bool FileSession::isOpen(FileId file) const {
    return conns_[static_cast<size_t>(file)] != nullptr;
}

Error FileSession::openConnection(FileId file, bool create, std::unique_ptr<Connection>& out) {
    const std::string path = storage_.filePath(file);
    if (!create && !fileExists(path)) return failText(Error::FileNotFound, file, path);
    auto c = std::make_unique<Connection>();
    int flags = kOpenFlags | (create ? SQLITE_OPEN_CREATE : 0);
    int rc = sqlite3_open_v2(path.c_str(), &c->db, flags, nullptr);
    if (rc != SQLITE_OK) {
        if (!fileExists(path)) return failText(Error::FileNotFound, file, path);
        return fail(
            storageErrorFromSqlite(rc) == Error::FileLocked ? Error::FileLocked : Error::Driver,
            file, c.get(), rc);
    }
    sqlite3_extended_result_codes(c->db, 1);
    sqlite3_busy_timeout(c->db, recoverMs_);
    c->fileMask = bit(file);
    c->schema[static_cast<size_t>(file)] = "main";
    if (Error e = useRollbackJournal(*c, file); e != Error::None) return e;
    out = std::move(c);
    return Error::None;
}

Error FileSession::useRollbackJournal(Connection& c, FileId file) {
    int rc = SQLITE_OK;
    const std::string mode = journalMode(c, c.schema[static_cast<size_t>(file)], true, rc);
    if (rc == SQLITE_OK && mode == "delete") return Error::None;
    const std::string path = storage_.filePath(file);
    if (rc != SQLITE_OK && !walHeader(path)) return fail(storageErrorFromSqlite(rc), file, &c, rc);
    // Shown in a warning cut to 150 characters: short, and saying what to do.
    (void)failText(Error::Driver, file,
                   "in write-ahead log mode, kept so by another program; close it to set the "
                   "rollback journal back");
    error_.driverCode = rc;
    return Error::Driver;
}

Error FileSession::checkJournals(Connection& c, int timeoutSeconds) {
    for (int i = 0; i < kFileCount; ++i) {
        if (!(c.fileMask & (1u << i))) continue;
        int rc = SQLITE_OK;
        if (journalMode(c, c.schema[static_cast<size_t>(i)], false, rc) == "delete") continue;
        // Switched from outside since this connection last looked: the switch back needs the
        // file to itself, outside a transaction.
        c.exec("ROLLBACK");
        if (Error e = useRollbackJournal(c, static_cast<FileId>(i)); e != Error::None) return e;
        sqlite3_busy_timeout(c.db, waitMilliseconds(timeoutSeconds * 1000));
        rc = c.exec("BEGIN IMMEDIATE");
        sqlite3_busy_timeout(c.db, recoverMs_);
        if (rc != SQLITE_OK) {
            Error n = storageErrorFromSqlite(rc) == Error::FileLocked ? Error::NoTransaction
                                                                      : Error::Driver;
            return fail(n, static_cast<FileId>(i), &c, rc);
        }
        i = -1;  // look at every file again inside the new transaction
    }
    return Error::None;
}

Error FileSession::checkFile(FileId file, Connection& c) {
    const FileDef& f = fileDef(file);
    int version = 0;
    int rc = userVersion(c, version);
    std::vector<std::string> cols;
    if (rc == SQLITE_OK) rc = tableColumns(c, f.name, cols);
    if (rc != SQLITE_OK) return fail(storageErrorFromSqlite(rc), file, &c, rc);
    if (cols.empty())
        return failText(Error::InvalidFile, file, "the file holds no table " + f.name);
    if (version > f.version)
        return failText(Error::BadDeclaration, file,
                        "structure version " + std::to_string(version) + " is newer than " +
                            std::to_string(f.version));
    if (version < f.version) {
        if (Error e = convert(file, c); e != Error::None) return e;
        return checkFile(file, c);
    }
    if (cols != expectedColumns(f)) {
        if (!sameFields(f, cols))
            return failText(Error::BadDeclaration, file, "the columns of " + f.name + " differ");
        if (Error e = convert(file, c); e != Error::None) return e;
        return checkFile(file, c);
    }
    sqlite3_stmt* s = nullptr;
    rc = c.prepare("SELECT sql FROM main.sqlite_master WHERE type = 'index' AND name = ?", s);
    if (rc != SQLITE_OK) return fail(storageErrorFromSqlite(rc), file, &c, rc);
    for (size_t k = 0; k < f.keys.size(); ++k) {
        sqlite3_bind_text(s, 1, f.keys[k].sqlName.c_str(), -1, SQLITE_STATIC);
        rc = sqlite3_step(s);
        bool same = rc == SQLITE_ROW && sqlite3_column_text(s, 0) &&
                    createIndexSql(f, static_cast<int>(k)) ==
                        reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
        sqlite3_reset(s);
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
            sqlite3_finalize(s);
            return fail(storageErrorFromSqlite(rc), file, &c, rc);
        }
        if (!same) {
            sqlite3_finalize(s);
            return failText(Error::RebuildKeys, file, "key " + f.keys[k].name + " must be rebuilt");
        }
    }
    sqlite3_finalize(s);
    return Error::None;
}

// Brings the file behind `c` to the current layout in one transaction: creates a missing table,
// converts an older version or an older set of hidden columns, rebuilds the keys. Refuses newer
// versions and same-version tables whose declared columns differ (47).
Error FileSession::convert(FileId file, Connection& c) {
    const FileDef& f = fileDef(file);
    int rc = c.exec("BEGIN IMMEDIATE");
    if (rc != SQLITE_OK) return fail(storageErrorFromSqlite(rc), file, &c, rc);
    auto abort = [&](Error number, int code) {
        Error e = code ? fail(number, file, &c, code) : number;
        c.exec("ROLLBACK");
        return e;
    };
    int version = 0;
    std::vector<std::string> cols;
    rc = userVersion(c, version);
    if (rc == SQLITE_OK) rc = tableColumns(c, f.name, cols);
    if (rc != SQLITE_OK) return abort(storageErrorFromSqlite(rc), rc);
    if (version > f.version) {
        (void)failText(Error::BadDeclaration, file,
                       "structure version " + std::to_string(version) + " is newer than " +
                           std::to_string(f.version));
        return abort(Error::BadDeclaration, 0);
    }
    std::vector<std::string> sql;
    if (cols.empty()) {
        sql.push_back(createTableSql(f));
    } else if (cols != expectedColumns(f)) {
        if (version == f.version && !sameFields(f, cols)) {
            (void)failText(Error::BadDeclaration, file, "the columns of " + f.name + " differ");
            return abort(Error::BadDeclaration, 0);
        }
        auto has = [&](const std::string& name) {
            for (const std::string& col : cols)
                if (col == name) return true;
            return false;
        };
        const std::string fresh = f.name + "__upgrade";
        std::string create = createTableSql(f);
        create.replace(0, ("CREATE TABLE \"" + f.name + "\"").size(),
                       "CREATE TABLE \"" + fresh + "\"");
        sql.push_back(create);
        // Every record keeps its place; the file's highest place is where numbering goes on.
        std::string names = std::string("\"") + kRowColumn + "\"", exprs = "rowid";
        for (const FieldDef& fd : f.fields) {
            std::string from = fd.isText() ? "''" : "0";
            if (has(fd.name)) {
                from = "\"" + fd.name + "\"";
            } else {
                for (const FormerField& ff : formerFields())
                    for (const std::string& target : ff.current)
                        if (ff.file == file && target == fd.name && has(ff.formerName))
                            from = "\"" + ff.formerName + "\"";
            }
            names += ", \"" + fd.name + "\"";
            exprs += ", " + from;
        }
        names += std::string(", ") + kRevisionColumn;
        exprs += has(kRevisionColumn) ? std::string(", ") + kRevisionColumn : ", 0";
        sql.push_back("INSERT INTO \"" + fresh + "\" (" + names + ") SELECT " + exprs + " FROM \"" +
                      f.name + "\"");
        sql.push_back("DROP TABLE \"" + f.name + "\"");
        sql.push_back("ALTER TABLE \"" + fresh + "\" RENAME TO \"" + f.name + "\"");
    }
    for (size_t k = 0; k < f.keys.size(); ++k) {
        sql.push_back("DROP INDEX IF EXISTS \"" + f.keys[k].sqlName + "\"");
        sql.push_back(createIndexSql(f, static_cast<int>(k)));
    }
    sql.push_back("PRAGMA main.user_version = " + std::to_string(f.version));
    for (const std::string& s : sql) {
        rc = c.exec(s.c_str());
        if (rc != SQLITE_OK) return abort(storageErrorFromSqlite(rc), rc);
    }
    rc = c.exec("COMMIT");
    if (rc != SQLITE_OK) return abort(storageErrorFromSqlite(rc), rc);
    return Error::None;
}

// The division a cash-account file belongs to: 0 read (`division` set, -1 when unmarked), or the
// SQLite error.
static int markedDivision(Connection& c, int& division) {
    division = -1;
    sqlite3_stmt* s = nullptr;
    int rc =
        c.prepare("SELECT count(*) FROM main.sqlite_master WHERE type = 'table' AND name = ?", s);
    if (rc != SQLITE_OK) return rc;
    sqlite3_bind_text(s, 1, kDivisionTable, -1, SQLITE_STATIC);
    rc = sqlite3_step(s);
    const bool marked = rc == SQLITE_ROW && sqlite3_column_int(s, 0) > 0;
    sqlite3_finalize(s);
    if (rc != SQLITE_ROW) return rc;
    if (!marked) return SQLITE_OK;
    rc = c.prepare(std::string("SELECT Division FROM main.") + kDivisionTable + " LIMIT 1", s);
    if (rc != SQLITE_OK) return rc;
    rc = sqlite3_step(s);
    if (rc == SQLITE_ROW) division = sqlite3_column_int(s, 0);
    sqlite3_finalize(s);
    return rc == SQLITE_ROW || rc == SQLITE_DONE ? SQLITE_OK : rc;
}

Error FileSession::claimForDivision(FileId file, Connection& c) {
    const int division = storage_.division();
    if (file != FileId::APbnu || division < 0) return Error::None;
    int owner = -1;
    int rc = markedDivision(c, owner);
    if (rc == SQLITE_OK && owner < 0) {
        // Unmarked (new, or kept before divisions were told apart): the first division to open
        // it takes it; of two opening at once, the one that marks it first.
        const std::string table = std::string("main.") + kDivisionTable;
        rc = c.exec("BEGIN IMMEDIATE");
        if (rc == SQLITE_OK)
            rc = c.exec(
                ("CREATE TABLE IF NOT EXISTS " + table + " (Division INTEGER NOT NULL)").c_str());
        sqlite3_stmt* s = nullptr;
        if (rc == SQLITE_OK)
            rc = c.prepare("INSERT INTO " + table + " (Division) SELECT ? WHERE NOT EXISTS " +
                               "(SELECT 1 FROM " + table + ")",
                           s);
        if (rc == SQLITE_OK) {
            sqlite3_bind_int(s, 1, division);
            rc = sqlite3_step(s) == SQLITE_DONE ? SQLITE_OK : sqlite3_errcode(c.db);
        }
        sqlite3_finalize(s);
        if (rc == SQLITE_OK) rc = c.exec("COMMIT");
        if (rc != SQLITE_OK) {
            Error e = fail(storageErrorFromSqlite(rc), file, &c, rc);
            if (!sqlite3_get_autocommit(c.db)) c.exec("ROLLBACK");
            return e;
        }
        rc = markedDivision(c, owner);
    }
    if (rc != SQLITE_OK) return fail(storageErrorFromSqlite(rc), file, &c, rc);
    if (owner == division) return Error::None;
    char dd[16];
    std::snprintf(dd, sizeof dd, "%02d", owner);
    return failText(
        Error::Driver, file,
        std::string("the file belongs to division ") + dd + "; start the program again");
}

Error FileSession::open(FileId file) {
    if (isOpen(file)) return failText(Error::AlreadyOpen, file, "already open");
    std::unique_ptr<Connection> c;
    if (Error e = openConnection(file, false, c); e != Error::None) return e;
    if (Error e = checkFile(file, *c); e != Error::None) return e;
    if (Error e = claimForDivision(file, *c); e != Error::None) return e;
    conns_[static_cast<size_t>(file)] = std::move(c);
    return Error::None;
}

Error FileSession::create(FileId file) {
    if (isOpen(file)) return failText(Error::AlreadyOpen, file, "already open");
    std::unique_ptr<Connection> c;
    if (Error e = openConnection(file, true, c); e != Error::None) return e;
    std::vector<std::string> cols;
    int rc = tableColumns(*c, fileDef(file).name, cols);
    if (rc != SQLITE_OK) return fail(storageErrorFromSqlite(rc), file, c.get(), rc);
    if (cols.empty())
        if (Error e = convert(file, *c); e != Error::None) return e;
    if (Error e = checkFile(file, *c); e != Error::None) return e;
    if (Error e = claimForDivision(file, *c); e != Error::None) return e;
    conns_[static_cast<size_t>(file)] = std::move(c);
    return Error::None;
}

Error FileSession::upgrade(FileId file) {
    if (txnMask_ & bit(file))
        return failText(Error::NoTransaction, file, "the file is in an active transaction");
    std::unique_ptr<Connection> c;
    if (Error e = openConnection(file, false, c); e != Error::None) return e;
    if (Error e = convert(file, *c); e != Error::None) return e;
    return checkFile(file, *c);
}

Error FileSession::rebuildKeys(FileId file) {
    if (txnMask_ & bit(file))
        return failText(Error::NoTransaction, file, "the file is in an active transaction");
    const FileDef& f = fileDef(file);
    std::unique_ptr<Connection> c;
    if (Error e = openConnection(file, false, c); e != Error::None) return e;
    int rc = c->exec("BEGIN IMMEDIATE");
    for (size_t k = 0; rc == SQLITE_OK && k < f.keys.size(); ++k) {
        rc = c->exec(("DROP INDEX IF EXISTS \"" + f.keys[k].sqlName + "\"").c_str());
        if (rc == SQLITE_OK) rc = c->exec(createIndexSql(f, static_cast<int>(k)).c_str());
    }
    if (rc == SQLITE_OK) rc = c->exec("COMMIT");
    if (rc != SQLITE_OK) {
        Error e = fail(storageErrorFromSqlite(rc), file, c.get(), rc);
        c->exec("ROLLBACK");
        return e;
    }
    return Error::None;
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
    auto c = std::make_unique<Connection>();
    FileId first = FileId::APbnk;
    for (int i = 0; i < kFileCount; ++i)
        if (mask & (1u << i)) {
            first = static_cast<FileId>(i);
            break;
        }
    // The main database must be a real file for commits across files to be atomic.
    int rc = sqlite3_open_v2(storage_.filePath(first).c_str(), &c->db, kOpenFlags, nullptr);
    if (rc != SQLITE_OK) {
        err = fail(Error::Driver, first, c.get(), rc);
        return nullptr;
    }
    sqlite3_extended_result_codes(c->db, 1);
    sqlite3_busy_timeout(c->db, recoverMs_);
    c->schema[static_cast<size_t>(first)] = "main";
    sqlite3_stmt* attach = nullptr;
    for (int i = 0; i < kFileCount; ++i) {
        FileId f = static_cast<FileId>(i);
        if (!(mask & (1u << i)) || f == first) continue;
        const std::string& name = fileDef(f).name;
        sqlite3_finalize(attach);
        rc = c->prepare("ATTACH DATABASE ? AS \"" + name + "\"", attach);
        if (rc == SQLITE_OK) {
            std::string path = storage_.filePath(f);
            sqlite3_bind_text(attach, 1, path.c_str(), -1, SQLITE_TRANSIENT);
            rc = sqlite3_step(attach);
        }
        if (rc != SQLITE_OK && rc != SQLITE_DONE) {
            err = fail(storageErrorFromSqlite(rc), f, c.get(), rc);
            sqlite3_finalize(attach);
            return nullptr;
        }
        c->schema[static_cast<size_t>(i)] = name;
    }
    sqlite3_finalize(attach);
    c->fileMask = mask;
    for (int i = 0; i < kFileCount; ++i) {
        if (!(mask & (1u << i))) continue;
        if (Error e = useRollbackJournal(*c, static_cast<FileId>(i)); e != Error::None) {
            err = e;
            return nullptr;
        }
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
    Connection* c = std::has_single_bit(mask) ? conns_[static_cast<size_t>(files[0])].get()
                                              : transactionConnection(mask, err);
    if (!c) return err;
    sqlite3_busy_timeout(c->db, waitMilliseconds(timeoutSeconds * 1000));
    int rc = c->exec("BEGIN IMMEDIATE");
    sqlite3_busy_timeout(c->db, recoverMs_);
    if (rc != SQLITE_OK) {
        Error n =
            storageErrorFromSqlite(rc) == Error::FileLocked ? Error::NoTransaction : Error::Driver;
        return fail(n, files[0], c, rc);
    }
    if (!std::has_single_bit(mask)) {
        if (Error e = checkJournals(*c, timeoutSeconds); e != Error::None) {
            if (!sqlite3_get_autocommit(c->db)) c->exec("ROLLBACK");
            return e;
        }
    }
    txn_ = c;
    txnMask_ = mask;
    savepointDepth_ = 0;
    for (FileId f : files) invalidateWalks(f);
    return Error::None;
}

// COMMIT meets a busy lock while a reader still holds one of the files; the transaction stays
// active then, so it is tried again until the session's lock wait is spent.
static int commitWithin(Connection& c, int waitMs) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(waitMs);
    int rc = SQLITE_OK;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        sqlite3_busy_timeout(c.db, static_cast<int>(std::max<int64_t>(left, 0)));
        rc = c.exec("COMMIT");
        const int primary = rc & 0xff;
        if ((primary != SQLITE_BUSY && primary != SQLITE_LOCKED) || sqlite3_get_autocommit(c.db) ||
            Clock::now() >= deadline)
            break;
    }
    sqlite3_busy_timeout(c.db, waitMs);
    return rc;
}

Error FileSession::finishTransaction(const char* sql) {
    if (!txn_) return Error::None;
    Connection* c = txn_;
    const bool committing = std::string_view(sql) == "COMMIT";
    int rc = committing ? commitWithin(*c, recoverMs_) : c->exec(sql);
    Error result = Error::None;
    FileId first = FileId::APbnk;
    for (int i = 0; i < kFileCount; ++i)
        if (txnMask_ & (1u << i)) {
            first = static_cast<FileId>(i);
            break;
        }
    if (rc != SQLITE_OK) {
        result = fail(storageErrorFromSqlite(rc), first, c, rc);
        if (!sqlite3_get_autocommit(c->db)) c->exec("ROLLBACK");
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
    int rc = txn_->exec(sql.c_str());
    if (rc != SQLITE_OK) return fail(storageErrorFromSqlite(rc), FileId::APbnk, txn_, rc);
    ++savepointDepth_;
    return Error::None;
}

Error FileSession::releaseSavepoint() {
    if (!txn_ || savepointDepth_ == 0)
        return failText(Error::NoTransaction, FileId::APbnk, "no savepoint");
    std::string sql = "RELEASE sp" + std::to_string(savepointDepth_);
    int rc = txn_->exec(sql.c_str());
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
    int rc = txn_->exec(("ROLLBACK TO " + name).c_str());
    if (rc == SQLITE_OK) rc = txn_->exec(("RELEASE " + name).c_str());
    if (rc != SQLITE_OK) return fail(storageErrorFromSqlite(rc), FileId::APbnk, txn_, rc);
    undoWrites(savepointDepth_);
    forgetLastIdentifiers();
    --savepointDepth_;
    for (int i = 0; i < kFileCount; ++i)
        if (txnMask_ & (1u << i)) invalidateWalks(static_cast<FileId>(i));
    return Error::None;
}

}  // namespace storage
