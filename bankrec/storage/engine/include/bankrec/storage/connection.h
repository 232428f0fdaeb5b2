#pragma once
// Internal to the storage engine: one SQLite connection with the record files attached to it and
// the statements prepared on it. Statements are prepared once, kept until the connection closes,
// and reset after every use (no statement stays active between calls).
#include <sqlite3.h>

#include <array>
#include <string>
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
    KeyAfter,     // (components, rowid) > values, ascending
    KeyBefore,    // (components, rowid) < values, descending
    KeyFirst,     // ascending from the start
    KeyLast,      // descending from the end
    kKeyStatements,
};
inline constexpr int kMaxKeys = 8;
inline constexpr int kSlotsPerFile = SlotKeyBase + kMaxKeys * kKeyStatements;
inline int keySlot(int key, KeyStatement s) {
    return SlotKeyBase + key * kKeyStatements + s;
}

struct Connection {
    sqlite3* db = nullptr;
    uint32_t fileMask = 0;                       // files attached (bit per FileId)
    std::array<std::string, kFileCount> schema;  // schema name of each attached file
    std::vector<sqlite3_stmt*> slots = std::vector<sqlite3_stmt*>(kFileCount * kSlotsPerFile);
    std::unordered_map<std::string, sqlite3_stmt*> adhoc;  // views' statements by SQL text

    Connection() = default;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection();

    // The statement of a slot, built by `build` on first use. nullptr with rc set on failure.
    template <class Build>
    sqlite3_stmt* slot(FileId file, int slot, Build&& build, int& rc) {
        sqlite3_stmt*& s =
            slots[static_cast<size_t>(static_cast<int>(file) * kSlotsPerFile + slot)];
        if (!s) rc = prepare(build(), s);
        return s;
    }
    sqlite3_stmt* statement(const std::string& sql, int& rc);
    int prepare(const std::string& sql, sqlite3_stmt*& out);
    int exec(const char* sql);
    // "schema"."table" of a file attached here.
    std::string table(const FileDef& f) const;
};

// Binding and reading of record buffers.
// Binds the fields of `rec` to parameters first..first+n-1; cuts over-long texts in the buffer.
// Returns false (with `bad` = field index) when a Decimal is out of range.
bool bindRecord(sqlite3_stmt* s, const FileDef& f, void* rec, int first, int& bad);
// Reads the fields from columns first..first+n-1 into `rec`.
void readRecord(sqlite3_stmt* s, const FileDef& f, void* rec, int first);
void bindValue(sqlite3_stmt* s, int index, const FieldValue& v);
// "rowid", "_Revision" then every field, quoted, comma separated.
std::string selectList(const FileDef& f);

}  // namespace storage
