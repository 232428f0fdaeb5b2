// The SQLite engine: one database file per record file in the data folder, a connection per file
// and per set of files attached together, rollback journals so commits across files are atomic.
#include <sys/stat.h>

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstdio>

#include "bankrec/storage/connection.h"
#include "bankrec/storage/engine.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/storage.h"

namespace storage {

namespace {

uint32_t bit(FileId f) {
    return 1u << static_cast<int>(f);
}

// A session, and with it each of its connections, is used from one thread at a time, so SQLite
// need not lock a connection on every call (its multi-thread mode).
constexpr int kOpenFlags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX;

class SqliteStatement final : public Statement {
  public:
    explicit SqliteStatement(sqlite3_stmt* s) : s_(s) {}
    ~SqliteStatement() override { sqlite3_finalize(s_); }
    void bindInt(int index, int64_t value) override { sqlite3_bind_int64(s_, index, value); }
    void bindText(int index, std::string_view t) override {
        sqlite3_bind_text(s_, index, t.data(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
    }
    bool bindRecord(const FileDef& f, void* rec, int first, int& bad) override {
        return storage::bindRecord(s_, f, rec, first, bad);
    }
    int step() override { return sqlite3_step(s_); }
    bool isNull(int column) override { return sqlite3_column_type(s_, column) == SQLITE_NULL; }
    bool isText(int column) override { return sqlite3_column_type(s_, column) == SQLITE_TEXT; }
    int64_t columnInt(int column) override { return sqlite3_column_int64(s_, column); }
    std::string_view columnText(int column) override {
        const unsigned char* t = sqlite3_column_text(s_, column);
        return t ? std::string_view(reinterpret_cast<const char*>(t),
                                    static_cast<size_t>(sqlite3_column_bytes(s_, column)))
                 : std::string_view();
    }
    void readRecord(const FileDef& f, void* rec, int first) override {
        storage::readRecord(s_, f, rec, first);
    }
    void reset() override {
        sqlite3_reset(s_);
        sqlite3_clear_bindings(s_);
    }

  private:
    sqlite3_stmt* s_;
};

class SqliteConnection final : public Connection {
  public:
    sqlite3* db = nullptr;

    ~SqliteConnection() override {
        dropStatements();
        if (db) sqlite3_close_v2(db);
    }
    int prepare(const std::string& sql, std::unique_ptr<Statement>& out) override {
        out.reset();
        sqlite3_stmt* s = nullptr;
        int rc = prepareRaw(sql, s);
        if (s) out = std::make_unique<SqliteStatement>(s);
        return rc;
    }
    int prepareRaw(const std::string& sql, sqlite3_stmt*& out) {
        out = nullptr;
        return sqlite3_prepare_v3(db, sql.c_str(), static_cast<int>(sql.size()) + 1,
                                  SQLITE_PREPARE_PERSISTENT, &out, nullptr);
    }
    int exec(const std::string& sql) override {
        return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    }
    int64_t changes() override { return sqlite3_changes(db); }
    int64_t lastInsertRow() override { return sqlite3_last_insert_rowid(db); }
    std::string message(int) override { return db ? sqlite3_errmsg(db) : std::string(); }
    void setLockWait(int ms) override { sqlite3_busy_timeout(db, ms); }
    bool inTransaction() override { return !sqlite3_get_autocommit(db); }
};

SqliteConnection& lite(Connection& c) {
    return static_cast<SqliteConnection&>(c);
}

bool fileExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

// Column names of a table in declared order; empty when the table does not exist.
int tableColumns(SqliteConnection& c, const std::string& table, std::vector<std::string>& out) {
    out.clear();
    sqlite3_stmt* s = nullptr;
    std::string sql = "PRAGMA main.table_info(\"" + table + "\")";
    int rc = c.prepareRaw(sql, s);
    if (rc != SQLITE_OK) return rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW)
        out.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(s, 1)));
    sqlite3_finalize(s);
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

int userVersion(SqliteConnection& c, int& version) {
    sqlite3_stmt* s = nullptr;
    int rc = c.prepareRaw("PRAGMA main.user_version", s);
    if (rc != SQLITE_OK) return rc;
    rc = sqlite3_step(s);
    if (rc == SQLITE_ROW) version = sqlite3_column_int(s, 0);
    sqlite3_finalize(s);
    return rc == SQLITE_ROW ? SQLITE_OK : rc;
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
std::string journalMode(SqliteConnection& c, const std::string& schema, bool setDelete, int& rc) {
    sqlite3_stmt* s = nullptr;
    std::string mode;
    rc = c.prepareRaw("PRAGMA \"" + schema + "\".journal_mode" + (setDelete ? " = DELETE" : ""), s);
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

// The division a cash-account file belongs to: 0 read (`division` set, -1 when unmarked), or the
// SQLite error.
int markedDivision(SqliteConnection& c, int& division) {
    division = -1;
    sqlite3_stmt* s = nullptr;
    int rc = c.prepareRaw(
        "SELECT count(*) FROM main.sqlite_master WHERE type = 'table' AND name = ?", s);
    if (rc != SQLITE_OK) return rc;
    sqlite3_bind_text(s, 1, kDivisionTable, -1, SQLITE_STATIC);
    rc = sqlite3_step(s);
    const bool marked = rc == SQLITE_ROW && sqlite3_column_int(s, 0) > 0;
    sqlite3_finalize(s);
    if (rc != SQLITE_ROW) return rc;
    if (!marked) return SQLITE_OK;
    rc = c.prepareRaw(std::string("SELECT Division FROM main.") + kDivisionTable + " LIMIT 1", s);
    if (rc != SQLITE_OK) return rc;
    rc = sqlite3_step(s);
    if (rc == SQLITE_ROW) division = sqlite3_column_int(s, 0);
    sqlite3_finalize(s);
    return rc == SQLITE_ROW || rc == SQLITE_DONE ? SQLITE_OK : rc;
}

class SqliteEngine final : public Engine {
  public:
    Error openFile(FileSession& s, FileId file, bool create,
                   std::unique_ptr<Connection>& out) override;
    Error upgrade(FileSession& s, FileId file) override;
    Error rebuildKeys(FileSession& s, FileId file) override;
    Error openFiles(FileSession& s, uint32_t mask, std::unique_ptr<Connection>& out) override;
    bool singleOnOwnConnection() const override { return true; }
    Error begin(FileSession& s, Connection& c, uint32_t mask, int timeoutSeconds) override;
    int commit(Connection& c, int waitMs) override;

  private:
    Error openConnection(FileSession& s, FileId file, bool create,
                         std::unique_ptr<SqliteConnection>& out);
    // Sets the rollback journal on the connection's copy of `file`. 0; 32 while the file is
    // locked; 90 when it stays in write-ahead-log mode.
    Error useRollbackJournal(FileSession& s, SqliteConnection& c, FileId file);
    // After BEGIN on a connection with several files: switches back any file found in
    // write-ahead-log mode (the transaction is begun again) or fails with 90.
    Error checkJournals(FileSession& s, SqliteConnection& c, int timeoutSeconds);
    // APbnu of a storage named for a division: marks an unmarked file as the division's, and
    // refuses (90) one that belongs to another division.
    Error claimForDivision(FileSession& s, FileId file, SqliteConnection& c);
    Error checkFile(FileSession& s, FileId file, SqliteConnection& c);
    Error convert(FileSession& s, FileId file, SqliteConnection& c);
};

}  // namespace

std::unique_ptr<Engine> makeSqliteEngine() {
    return std::make_unique<SqliteEngine>();
}

Error SqliteEngine::openConnection(FileSession& s, FileId file, bool create,
                                   std::unique_ptr<SqliteConnection>& out) {
    const std::string path = s.storage().filePath(file);
    if (!create && !fileExists(path)) return s.failText(Error::FileNotFound, file, path);
    auto c = std::make_unique<SqliteConnection>();
    int flags = kOpenFlags | (create ? SQLITE_OPEN_CREATE : 0);
    int rc = sqlite3_open_v2(path.c_str(), &c->db, flags, nullptr);
    if (rc != SQLITE_OK) {
        if (!fileExists(path)) return s.failText(Error::FileNotFound, file, path);
        return s.fail(
            storageErrorFromSqlite(rc) == Error::FileLocked ? Error::FileLocked : Error::Driver,
            file, c.get(), rc);
    }
    sqlite3_extended_result_codes(c->db, 1);
    sqlite3_busy_timeout(c->db, s.recoverMilliseconds());
    c->fileMask = bit(file);
    c->schema[static_cast<size_t>(file)] = "main";
    if (Error e = useRollbackJournal(s, *c, file); e != Error::None) return e;
    out = std::move(c);
    return Error::None;
}

Error SqliteEngine::useRollbackJournal(FileSession& s, SqliteConnection& c, FileId file) {
    int rc = SQLITE_OK;
    const std::string mode = journalMode(c, c.schema[static_cast<size_t>(file)], true, rc);
    if (rc == SQLITE_OK && mode == "delete") return Error::None;
    const std::string path = s.storage().filePath(file);
    if (rc != SQLITE_OK && !walHeader(path))
        return s.fail(storageErrorFromSqlite(rc), file, &c, rc);
    // Shown in a warning cut to 150 characters: short, and saying what to do.
    return s.failText(Error::Driver, file,
                      "in write-ahead log mode, kept so by another program; close it to set the "
                      "rollback journal back",
                      rc);
}

Error SqliteEngine::checkJournals(FileSession& s, SqliteConnection& c, int timeoutSeconds) {
    for (int i = 0; i < kFileCount; ++i) {
        if (!(c.fileMask & (1u << i))) continue;
        int rc = SQLITE_OK;
        if (journalMode(c, c.schema[static_cast<size_t>(i)], false, rc) == "delete") continue;
        // Switched from outside since this connection last looked: the switch back needs the
        // file to itself, outside a transaction.
        c.exec("ROLLBACK");
        if (Error e = useRollbackJournal(s, c, static_cast<FileId>(i)); e != Error::None) return e;
        sqlite3_busy_timeout(c.db, s.waitMilliseconds(timeoutSeconds * 1000));
        rc = c.exec("BEGIN IMMEDIATE");
        sqlite3_busy_timeout(c.db, s.recoverMilliseconds());
        if (rc != SQLITE_OK) {
            Error n = storageErrorFromSqlite(rc) == Error::FileLocked ? Error::NoTransaction
                                                                      : Error::Driver;
            return s.fail(n, static_cast<FileId>(i), &c, rc);
        }
        i = -1;  // look at every file again inside the new transaction
    }
    return Error::None;
}

Error SqliteEngine::checkFile(FileSession& s, FileId file, SqliteConnection& c) {
    const FileDef& f = fileDef(file);
    int version = 0;
    int rc = userVersion(c, version);
    std::vector<std::string> cols;
    if (rc == SQLITE_OK) rc = tableColumns(c, f.name, cols);
    if (rc != SQLITE_OK) return s.fail(storageErrorFromSqlite(rc), file, &c, rc);
    if (cols.empty())
        return s.failText(Error::InvalidFile, file, "the file holds no table " + f.name);
    if (version > f.version)
        return s.failText(Error::BadDeclaration, file,
                          "structure version " + std::to_string(version) + " is newer than " +
                              std::to_string(f.version));
    if (version < f.version) {
        if (Error e = convert(s, file, c); e != Error::None) return e;
        return checkFile(s, file, c);
    }
    if (cols != expectedColumns(f)) {
        if (!sameFields(f, cols))
            return s.failText(Error::BadDeclaration, file, "the columns of " + f.name + " differ");
        if (Error e = convert(s, file, c); e != Error::None) return e;
        return checkFile(s, file, c);
    }
    sqlite3_stmt* st = nullptr;
    rc = c.prepareRaw("SELECT sql FROM main.sqlite_master WHERE type = 'index' AND name = ?", st);
    if (rc != SQLITE_OK) return s.fail(storageErrorFromSqlite(rc), file, &c, rc);
    for (size_t k = 0; k < f.keys.size(); ++k) {
        sqlite3_bind_text(st, 1, f.keys[k].sqlName.c_str(), -1, SQLITE_STATIC);
        rc = sqlite3_step(st);
        bool same = rc == SQLITE_ROW && sqlite3_column_text(st, 0) &&
                    createIndexSql(f, static_cast<int>(k)) ==
                        reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        sqlite3_reset(st);
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
            sqlite3_finalize(st);
            return s.fail(storageErrorFromSqlite(rc), file, &c, rc);
        }
        if (!same) {
            sqlite3_finalize(st);
            return s.failText(Error::RebuildKeys, file,
                              "key " + f.keys[k].name + " must be rebuilt");
        }
    }
    sqlite3_finalize(st);
    return Error::None;
}

// Brings the file behind `c` to the current layout in one transaction: creates a missing table,
// converts an older version or an older set of hidden columns, rebuilds the keys. Refuses newer
// versions and same-version tables whose declared columns differ (47).
Error SqliteEngine::convert(FileSession& s, FileId file, SqliteConnection& c) {
    const FileDef& f = fileDef(file);
    int rc = c.exec("BEGIN IMMEDIATE");
    if (rc != SQLITE_OK) return s.fail(storageErrorFromSqlite(rc), file, &c, rc);
    auto abort = [&](Error number, int code) {
        Error e = code ? s.fail(number, file, &c, code) : number;
        c.exec("ROLLBACK");
        return e;
    };
    int version = 0;
    std::vector<std::string> cols;
    rc = userVersion(c, version);
    if (rc == SQLITE_OK) rc = tableColumns(c, f.name, cols);
    if (rc != SQLITE_OK) return abort(storageErrorFromSqlite(rc), rc);
    if (version > f.version) {
        (void)s.failText(Error::BadDeclaration, file,
                         "structure version " + std::to_string(version) + " is newer than " +
                             std::to_string(f.version));
        return abort(Error::BadDeclaration, 0);
    }
    std::vector<std::string> sql;
    if (cols.empty()) {
        sql.push_back(createTableSql(f));
    } else if (cols != expectedColumns(f)) {
        if (version == f.version && !sameFields(f, cols)) {
            (void)s.failText(Error::BadDeclaration, file, "the columns of " + f.name + " differ");
            return abort(Error::BadDeclaration, 0);
        }
        const std::string fresh = f.name + "__upgrade";
        std::string create = createTableSql(f);
        create.replace(0, ("CREATE TABLE \"" + f.name + "\"").size(),
                       "CREATE TABLE \"" + fresh + "\"");
        sql.push_back(create);
        // Every record keeps its place; the file's highest place is where numbering goes on.
        sql.push_back(copyRowsSql(f, cols, "\"" + fresh + "\"", "\"" + f.name + "\"", "rowid"));
        sql.push_back("DROP TABLE \"" + f.name + "\"");
        sql.push_back("ALTER TABLE \"" + fresh + "\" RENAME TO \"" + f.name + "\"");
    }
    for (size_t k = 0; k < f.keys.size(); ++k) {
        sql.push_back("DROP INDEX IF EXISTS \"" + f.keys[k].sqlName + "\"");
        sql.push_back(createIndexSql(f, static_cast<int>(k)));
    }
    sql.push_back("PRAGMA main.user_version = " + std::to_string(f.version));
    for (const std::string& text : sql) {
        rc = c.exec(text);
        if (rc != SQLITE_OK) return abort(storageErrorFromSqlite(rc), rc);
    }
    rc = c.exec("COMMIT");
    if (rc != SQLITE_OK) return abort(storageErrorFromSqlite(rc), rc);
    return Error::None;
}

Error SqliteEngine::claimForDivision(FileSession& s, FileId file, SqliteConnection& c) {
    const int division = s.storage().division();
    if (file != FileId::APbnu || division < 0) return Error::None;
    int owner = -1;
    int rc = markedDivision(c, owner);
    if (rc == SQLITE_OK && owner < 0) {
        // Unmarked (new, or kept before divisions were told apart): the first division to open
        // it takes it; of two opening at once, the one that marks it first.
        const std::string table = std::string("main.") + kDivisionTable;
        rc = c.exec("BEGIN IMMEDIATE");
        if (rc == SQLITE_OK)
            rc = c.exec("CREATE TABLE IF NOT EXISTS " + table + " (Division INTEGER NOT NULL)");
        sqlite3_stmt* st = nullptr;
        if (rc == SQLITE_OK)
            rc = c.prepareRaw("INSERT INTO " + table + " (Division) SELECT ? WHERE NOT EXISTS " +
                                  "(SELECT 1 FROM " + table + ")",
                              st);
        if (rc == SQLITE_OK) {
            sqlite3_bind_int(st, 1, division);
            rc = sqlite3_step(st) == SQLITE_DONE ? SQLITE_OK : sqlite3_errcode(c.db);
        }
        sqlite3_finalize(st);
        if (rc == SQLITE_OK) rc = c.exec("COMMIT");
        if (rc != SQLITE_OK) {
            Error e = s.fail(storageErrorFromSqlite(rc), file, &c, rc);
            if (c.inTransaction()) c.exec("ROLLBACK");
            return e;
        }
        rc = markedDivision(c, owner);
    }
    if (rc != SQLITE_OK) return s.fail(storageErrorFromSqlite(rc), file, &c, rc);
    if (owner == division) return Error::None;
    return s.failText(Error::Driver, file, otherDivisionText(owner));
}

Error SqliteEngine::openFile(FileSession& s, FileId file, bool create,
                             std::unique_ptr<Connection>& out) {
    std::unique_ptr<SqliteConnection> c;
    if (Error e = openConnection(s, file, create, c); e != Error::None) return e;
    if (create) {
        std::vector<std::string> cols;
        int rc = tableColumns(*c, fileDef(file).name, cols);
        if (rc != SQLITE_OK) return s.fail(storageErrorFromSqlite(rc), file, c.get(), rc);
        if (cols.empty())
            if (Error e = convert(s, file, *c); e != Error::None) return e;
    }
    if (Error e = checkFile(s, file, *c); e != Error::None) return e;
    if (Error e = claimForDivision(s, file, *c); e != Error::None) return e;
    out = std::move(c);
    return Error::None;
}

Error SqliteEngine::upgrade(FileSession& s, FileId file) {
    std::unique_ptr<SqliteConnection> c;
    if (Error e = openConnection(s, file, false, c); e != Error::None) return e;
    if (Error e = convert(s, file, *c); e != Error::None) return e;
    return checkFile(s, file, *c);
}

Error SqliteEngine::rebuildKeys(FileSession& s, FileId file) {
    const FileDef& f = fileDef(file);
    std::unique_ptr<SqliteConnection> c;
    if (Error e = openConnection(s, file, false, c); e != Error::None) return e;
    int rc = c->exec("BEGIN IMMEDIATE");
    for (size_t k = 0; rc == SQLITE_OK && k < f.keys.size(); ++k) {
        rc = c->exec("DROP INDEX IF EXISTS \"" + f.keys[k].sqlName + "\"");
        if (rc == SQLITE_OK) rc = c->exec(createIndexSql(f, static_cast<int>(k)));
    }
    if (rc == SQLITE_OK) rc = c->exec("COMMIT");
    if (rc != SQLITE_OK) {
        Error e = s.fail(storageErrorFromSqlite(rc), file, c.get(), rc);
        c->exec("ROLLBACK");
        return e;
    }
    return Error::None;
}

Error SqliteEngine::openFiles(FileSession& s, uint32_t mask, std::unique_ptr<Connection>& out) {
    auto c = std::make_unique<SqliteConnection>();
    FileId first = static_cast<FileId>(std::countr_zero(mask));
    // The main database must be a real file for commits across files to be atomic.
    int rc = sqlite3_open_v2(s.storage().filePath(first).c_str(), &c->db, kOpenFlags, nullptr);
    if (rc != SQLITE_OK) return s.fail(Error::Driver, first, c.get(), rc);
    sqlite3_extended_result_codes(c->db, 1);
    sqlite3_busy_timeout(c->db, s.recoverMilliseconds());
    c->schema[static_cast<size_t>(first)] = "main";
    sqlite3_stmt* attach = nullptr;
    for (int i = 0; i < kFileCount; ++i) {
        FileId f = static_cast<FileId>(i);
        if (!(mask & (1u << i)) || f == first) continue;
        const std::string& name = fileDef(f).name;
        sqlite3_finalize(attach);
        rc = c->prepareRaw("ATTACH DATABASE ? AS \"" + name + "\"", attach);
        if (rc == SQLITE_OK) {
            std::string path = s.storage().filePath(f);
            sqlite3_bind_text(attach, 1, path.c_str(), -1, SQLITE_TRANSIENT);
            rc = sqlite3_step(attach);
        }
        if (rc != SQLITE_OK && rc != SQLITE_DONE) {
            Error e = s.fail(storageErrorFromSqlite(rc), f, c.get(), rc);
            sqlite3_finalize(attach);
            return e;
        }
        c->schema[static_cast<size_t>(i)] = name;
    }
    sqlite3_finalize(attach);
    c->fileMask = mask;
    for (int i = 0; i < kFileCount; ++i) {
        if (!(mask & (1u << i))) continue;
        if (Error e = useRollbackJournal(s, *c, static_cast<FileId>(i)); e != Error::None) return e;
    }
    out = std::move(c);
    return Error::None;
}

Error SqliteEngine::begin(FileSession& s, Connection& conn, uint32_t mask, int timeoutSeconds) {
    SqliteConnection& c = lite(conn);
    const FileId first = static_cast<FileId>(std::countr_zero(mask));
    sqlite3_busy_timeout(c.db, s.waitMilliseconds(timeoutSeconds * 1000));
    int rc = c.exec("BEGIN IMMEDIATE");
    sqlite3_busy_timeout(c.db, s.recoverMilliseconds());
    if (rc != SQLITE_OK) {
        Error n =
            storageErrorFromSqlite(rc) == Error::FileLocked ? Error::NoTransaction : Error::Driver;
        return s.fail(n, first, &c, rc);
    }
    if (!std::has_single_bit(mask)) {
        if (Error e = checkJournals(s, c, timeoutSeconds); e != Error::None) {
            if (c.inTransaction()) c.exec("ROLLBACK");
            return e;
        }
    }
    return Error::None;
}

// COMMIT meets a busy lock while a reader still holds one of the files; the transaction stays
// active then, so it is tried again until the session's lock wait is spent.
int SqliteEngine::commit(Connection& conn, int waitMs) {
    SqliteConnection& c = lite(conn);
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(waitMs);
    int rc = SQLITE_OK;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        sqlite3_busy_timeout(c.db, static_cast<int>(std::max<int64_t>(left, 0)));
        rc = c.exec("COMMIT");
        const int primary = rc & 0xff;
        if ((primary != SQLITE_BUSY && primary != SQLITE_LOCKED) || !c.inTransaction() ||
            Clock::now() >= deadline)
            break;
    }
    sqlite3_busy_timeout(c.db, waitMs);
    return rc;
}

// ---- Shared by the engines ----

std::vector<std::string> expectedColumns(const FileDef& f) {
    std::vector<std::string> cols;
    for (const FieldDef& fd : f.fields) cols.push_back(fd.name);
    cols.emplace_back(kRevisionColumn);
    cols.emplace_back(kRowColumn);
    return cols;
}

bool sameFields(const FileDef& f, const std::vector<std::string>& cols) {
    size_t i = 0;
    for (const std::string& col : cols) {
        if (!col.empty() && col.front() == '_') continue;
        if (i == f.fields.size() || f.fields[i].name != col) return false;
        ++i;
    }
    return i == f.fields.size();
}

std::string copyRowsSql(const FileDef& f, const std::vector<std::string>& cols,
                        const std::string& to, const std::string& from, const std::string& row) {
    auto has = [&](const std::string& name) {
        return std::find(cols.begin(), cols.end(), name) != cols.end();
    };
    std::string names = std::string("\"") + kRowColumn + "\"", exprs = row;
    for (const FieldDef& fd : f.fields) {
        std::string value = fd.isText() ? "''" : "0";
        if (has(fd.name)) {
            value = "\"" + fd.name + "\"";
        } else {
            for (const FormerField& ff : formerFields())
                for (const std::string& target : ff.current)
                    if (ff.file == f.id && target == fd.name && has(ff.formerName))
                        value = "\"" + ff.formerName + "\"";
        }
        names += ", \"" + fd.name + "\"";
        exprs += ", " + value;
    }
    const std::string rev = std::string("\"") + kRevisionColumn + "\"";
    names += ", " + rev;
    exprs += has(kRevisionColumn) ? ", " + rev : std::string(", 0");
    return "INSERT INTO " + to + " (" + names + ") SELECT " + exprs + " FROM " + from;
}

std::string otherDivisionText(int owner) {
    char dd[16];
    std::snprintf(dd, sizeof dd, "%02d", owner);
    return std::string("the file belongs to division ") + dd + "; start the program again";
}

std::unique_ptr<Engine> makeEngine(const Storage& storage) {
    return storage.server().empty() ? makeSqliteEngine() : makePostgresEngine(storage);
}

}  // namespace storage
