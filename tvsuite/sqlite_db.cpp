#include "tvsuite/sqlite_db.h"

namespace tvsuite {

SqliteDb::~SqliteDb() {
    close();
}

std::string SqliteDb::open(const std::string& path, bool create) {
    close();
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX;
    if (create) flags |= SQLITE_OPEN_CREATE;
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        std::string error = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close(db);
        return error;
    }
    db_ = db;
    sqlite3_busy_timeout(db_, 5000);
    return {};
}

void SqliteDb::close() {
    for (auto& entry : cache_) sqlite3_finalize(entry.second);
    cache_.clear();
    if (db_) sqlite3_close(db_);
    db_ = nullptr;
}

std::string SqliteDb::exec(const char* sql) {
    if (!db_) return "database not open";
    char* message = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) == SQLITE_OK) return {};
    std::string error = message ? message : "SQLite error";
    sqlite3_free(message);
    return error;
}

sqlite3_stmt* SqliteDb::prepare(const char* sql) {
    if (!db_) return nullptr;
    auto it = cache_.find(std::string_view(sql));
    if (it != cache_.end()) {
        sqlite3_reset(it->second);
        sqlite3_clear_bindings(it->second);
        return it->second;
    }
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, sql, -1, &stmt, nullptr) != SQLITE_OK) return nullptr;
    cache_.emplace(sql, stmt);
    return stmt;
}

std::string SqliteDb::lastError() const {
    return db_ ? sqlite3_errmsg(db_) : "database not open";
}

Statement& Statement::bind(int index, std::string_view text) {
    if (stmt_)
        sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
    return *this;
}

Statement& Statement::bind(int index, int64_t value) {
    if (stmt_) sqlite3_bind_int64(stmt_, index, value);
    return *this;
}

int Statement::step() {
    return stmt_ ? sqlite3_step(stmt_) : SQLITE_MISUSE;
}

std::string Statement::text(int column) const {
    const unsigned char* value = sqlite3_column_text(stmt_, column);
    return value ? std::string(reinterpret_cast<const char*>(value),
                               static_cast<size_t>(sqlite3_column_bytes(stmt_, column)))
                 : std::string();
}

int64_t Statement::integer(int column) const {
    return sqlite3_column_int64(stmt_, column);
}

WriteTransaction::~WriteTransaction() {
    if (active_) db_.exec("ROLLBACK");
}

std::string WriteTransaction::begin() {
    std::string error = db_.exec("BEGIN IMMEDIATE");
    active_ = error.empty();
    return error;
}

std::string WriteTransaction::commit() {
    std::string error = db_.exec("COMMIT");
    if (error.empty()) active_ = false;
    return error;
}

}  // namespace tvsuite
