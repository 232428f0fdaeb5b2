#pragma once
// A small owner of one SQLite connection with a cache of prepared statements, so a handle
// reuses its statements for as long as it is open.
#include <sqlite3.h>

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace tvsuite {

class Statement;

class SqliteDb {
  public:
    SqliteDb() = default;
    ~SqliteDb();
    SqliteDb(const SqliteDb&) = delete;
    SqliteDb& operator=(const SqliteDb&) = delete;

    // Opens `path`; with `create` false a missing file is an error. Empty text on success.
    std::string open(const std::string& path, bool create);
    void close();
    bool isOpen() const { return db_ != nullptr; }

    // Runs statements without parameters. Empty text on success.
    std::string exec(const char* sql);
    // A cached statement, reset and with its bindings cleared; null when it does not prepare.
    sqlite3_stmt* prepare(const char* sql);
    std::string lastError() const;
    sqlite3* raw() const { return db_; }

  private:
    sqlite3* db_ = nullptr;
    std::map<std::string, sqlite3_stmt*, std::less<>> cache_;
};

// Binds and steps one cached statement; resets it when it goes out of scope.
class Statement {
  public:
    Statement(SqliteDb& db, const char* sql) : stmt_(db.prepare(sql)) {}
    ~Statement() {
        if (stmt_) sqlite3_reset(stmt_);
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool ok() const { return stmt_ != nullptr; }
    Statement& bind(int index, std::string_view text);
    Statement& bind(int index, int64_t value);
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step();
    std::string text(int column) const;
    int64_t integer(int column) const;

  private:
    sqlite3_stmt* stmt_;
};

// Rolls back unless committed. begin() starts BEGIN IMMEDIATE so a writer waits for the
// busy time-out instead of failing at its first write.
class WriteTransaction {
  public:
    explicit WriteTransaction(SqliteDb& db) : db_(db) {}
    ~WriteTransaction();
    std::string begin();
    std::string commit();

  private:
    SqliteDb& db_;
    bool active_ = false;
};

}  // namespace tvsuite
