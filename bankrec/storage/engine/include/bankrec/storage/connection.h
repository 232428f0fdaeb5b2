#pragma once
// Internal to the storage engine: the narrow interface an engine (SQLite files, a PostgreSQL
// server) gives the record files, views and sessions. A Connection reaches a set of record files
// (fileMask) and prepares Statements on them; statements are prepared once, kept until the
// connection closes, and reset after every use (no statement stays active between calls).
//
// Result codes are SQLite's (SQLITE_ROW, SQLITE_DONE, SQLITE_BUSY, SQLITE_CONSTRAINT_UNIQUE, ...)
// whatever the engine: the PostgreSQL engine maps its SQL states onto them, so error numbers are
// made in one place (storageErrorFromSqlite) and the driver's own code and text stay in message().
// The SQL the engine-neutral code writes is common to both: "?" parameters, "_Row" as the
// record's place, COLLATE NOCASE, coalesce(), row-value comparisons.
#include <sqlite3.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "bankrec/storage/dictionary.h"
#include "bankrec/storage/records.h"

namespace storage {

// Statement slots per file.
enum StatementSlot : int {
    SlotInsert,
    SlotUpdate,
    SlotDelete,
    SlotReadRow,
    SlotCount,
    SlotLastId,
    SlotKeyBase,
};
// Statements per key, after SlotKeyBase.
enum KeyStatement : int {
    KeyGet,       // exact match on the components
    KeySeekFrom,  // components >= values, ascending
    KeySeekTo,    // components <= values, descending
    KeyAfter,     // (components, _Row) > values, ascending
    KeyBefore,    // (components, _Row) < values, descending
    KeyFirst,     // ascending from the start
    KeyLast,      // descending from the end
    kKeyStatements,
};
inline constexpr int kMaxKeys = 8;
inline constexpr int kSlotsPerFile = SlotKeyBase + kMaxKeys * kKeyStatements;
inline int keySlot(int key, KeyStatement s) {
    return SlotKeyBase + key * kKeyStatements + s;
}

// A prepared statement. Parameters are numbered from 1, result columns from 0.
class Statement {
  public:
    virtual ~Statement() = default;
    virtual void bindInt(int index, int64_t value) = 0;
    // The text is copied.
    virtual void bindText(int index, std::string_view text) = 0;
    void bindValue(int index, const FieldValue& v);
    // Binds the fields of `rec` to parameters first..first+n-1, cutting over-long texts in the
    // buffer; the buffer must outlive the next step(). false (`bad` = field index) when a Decimal
    // is out of range.
    virtual bool bindRecord(const FileDef& f, void* rec, int first, int& bad) = 0;
    // Runs the statement or moves to its next row: SQLITE_ROW, SQLITE_DONE or an error code.
    virtual int step() = 0;
    virtual bool isNull(int column) = 0;
    virtual bool isText(int column) = 0;
    virtual int64_t columnInt(int column) = 0;
    virtual std::string_view columnText(int column) = 0;
    // Reads the fields from columns first..first+n-1 into `rec`.
    virtual void readRecord(const FileDef& f, void* rec, int first) = 0;
    // Ends the run (rows not read are dropped) and clears the bindings.
    virtual void reset() = 0;
};

class Connection {
  public:
    uint32_t fileMask = 0;                       // files reached here (bit per FileId)
    std::array<std::string, kFileCount> schema;  // schema of each file reached
    std::array<std::string, kFileCount> name;    // its table (the file's name unless set)

    Connection() = default;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    virtual ~Connection();

    // The statement of a slot, built by `build` on first use. nullptr with rc set on failure.
    template <class Build>
    Statement* slot(FileId file, int slot, Build&& build, int& rc) {
        std::unique_ptr<Statement>& s =
            slots_[static_cast<size_t>(static_cast<int>(file) * kSlotsPerFile + slot)];
        if (!s) rc = prepare(build(), s);
        return s.get();
    }
    // A statement by its SQL text (views), kept in a bounded cache.
    Statement* statement(const std::string& sql, int& rc);
    virtual int prepare(const std::string& sql, std::unique_ptr<Statement>& out) = 0;
    // Runs SQL without parameters and without rows.
    virtual int exec(const std::string& sql) = 0;
    // Rows changed by the last INSERT, UPDATE or DELETE.
    virtual int64_t changes() = 0;
    // The _Row of the last row inserted.
    virtual int64_t lastInsertRow() = 0;
    // The driver's text of the failure that gave `rc`.
    virtual std::string message(int rc) = 0;
    // How long statements wait for a lock another connection holds.
    virtual void setLockWait(int ms) = 0;
    // Whether a transaction is open on the connection.
    virtual bool inTransaction() = 0;
    // Conditions an UPDATE of `f` (fields bound first, then the row's place) adds so that it
    // leaves the row alone rather than fail on a unique key; empty when failing is harmless.
    virtual std::string updateGuard(const FileDef& f) const;
    // "schema"."table" of a file reached here.
    std::string table(const FileDef& f) const;

  protected:
    // Statements are dropped before the derived connection closes.
    void dropStatements();

  private:
    std::vector<std::unique_ptr<Statement>> slots_ =
        std::vector<std::unique_ptr<Statement>>(kFileCount * kSlotsPerFile);
    std::unordered_map<std::string, std::unique_ptr<Statement>> adhoc_;
};

// SQLite binding and reading of record buffers (also used by the benchmarks' plain side).
bool bindRecord(sqlite3_stmt* s, const FileDef& f, void* rec, int first, int& bad);
void readRecord(sqlite3_stmt* s, const FileDef& f, void* rec, int first);
void bindValue(sqlite3_stmt* s, int index, const FieldValue& v);
// "_Row", "_Revision" then every field, quoted, comma separated.
std::string selectList(const FileDef& f);

}  // namespace storage
