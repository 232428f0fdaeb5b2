#pragma once
// The data dictionary: every keyed file with its fields (name, type, width), keys, links and
// structure version, declared once as data in dictionary.cpp. Everything else derives from it:
// the SQL layout of each file, record sizes, binding of record buffers, and the generic access
// to a field by name that the dump command and the filter parser use.
//
// The tables are constant and built at first use; they are safe to read from any thread.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "bankrec/storage/records.h"
#include "corelib/decimal.h"

namespace storage {

enum class FieldType : uint8_t {
    Long,     // LONG: 4 bytes, int32_t
    Byte,     // BYTE: 1 byte, uint8_t
    CString,  // CSTRING(n): at most n-1 bytes of UTF-8 text, std::string
    String,   // STRING(n): fixed-length text, std::string (kept without its padding)
    Decimal,  // DECIMAL(15,2): 8 bytes, Decimal; stored as INTEGER cents
};

struct FieldDef {
    std::string name;  // "BankID"
    FieldType type = FieldType::Long;
    int width = 0;      // bytes in the declared record layout
    size_t offset = 0;  // of the member inside the record struct
    bool isText() const { return type == FieldType::CString || type == FieldType::String; }
    // Longest text the field holds, in bytes: width-1 for CSTRING, width for STRING, 0 otherwise.
    int maxTextBytes() const;
};

struct KeyDef {
    std::string name;             // "APBNK_KEY_FIAID"
    std::string sqlName;          // index name in the database file
    std::vector<int> components;  // field indexes, in key order (all ascending)
    bool unique = false;
    bool primary = false;
};

// A link between two files and what deleting the parent does to the children.
enum class DeleteRule : uint8_t {
    Restrict,      // refused while any child exists
    Cascade,       // children deleted (each with its own children)
    ClearLinkage,  // children kept, their linking field set to 0
};
struct LinkDef {
    FileId parent;
    FileId child;
    std::string field;  // linking field, same name in both files
    DeleteRule onDelete;
    KeyId childKey;  // child key whose first component is the linking field
};

struct FileDef {
    FileId id;
    std::string name;    // "APbnk": table name and file name
    int version = 0;     // structure version (PRAGMA user_version)
    int recordSize = 0;  // sum of the field widths
    std::vector<FieldDef> fields;
    std::vector<KeyDef> keys;  // keys[0] is the primary key

    // Field index by name without regard to case (with or without the "APbnk:" prefix); -1 if none.
    int fieldIndex(std::string_view name) const;
    // Key index by name ("APBNK_KEY_FIAID", also "APBNK:KEY_FIAID"); -1 if none.
    int keyIndex(std::string_view name) const;
};

// The dictionary entry of a file.
const FileDef& fileDef(FileId id);
// All files, in FileId order.
std::span<const FileDef> allFiles();
// File by name without regard to case ("apbnk"); nullptr if none.
const FileDef* findFile(std::string_view name);
// Every link between the files.
std::span<const LinkDef> allLinks();
const KeyDef& keyDef(KeyId key);

// The older layouts that an upgrade understands, for files whose version is above 0. A former
// field maps onto one or more current fields (APbnk version 4: CheckBank into APBank and PRBank).
struct FormerField {
    FileId file;
    std::string formerName;            // "CheckBank"
    std::vector<std::string> current;  // {"APBank", "PRBank"}
};
std::span<const FormerField> formerFields();

// The SQL of a file: table and index definitions, all derived from the dictionary.
// The table holds the fields as columns in declared order, then two hidden columns: the
// revision, raised by every change, and the record's place (the rowid), handed out once for the
// file's life (AUTOINCREMENT), so a record that is deleted never has a successor in its place.
inline constexpr const char* kRevisionColumn = "_Revision";
inline constexpr const char* kRowColumn = "_Row";
// The table beside APbnu's that names the division the file belongs to (one row, "Division").
inline constexpr const char* kDivisionTable = "_Division";
// With an empty schema the names are left unqualified (how they are kept in the file).
std::string createTableSql(const FileDef& f, std::string_view schema = {});
// One CREATE [UNIQUE] INDEX per key: text components COLLATE NOCASE, partial WHERE leaving out
// rows whose components are all empty.
std::string createIndexSql(const FileDef& f, int key, std::string_view schema = {});
// The partial-index condition of a key ("NOT (BankID=0 AND Bank='')"); every walk uses it too.
std::string keyPresentSql(const FileDef& f, int key);
// The older layout of APbnk (version 4), used by tests and by the upgrade: the current fields
// with CheckBank CSTRING(11) in place of APBank and PRBank.
std::string createFormerAPbnkTableSql();

// ---- Generic field access (by field index of the file's FileDef) ----

// A field's value: LONG and BYTE as int64_t, texts as std::string, DECIMAL as Decimal.
using FieldValue = std::variant<int64_t, std::string, corelib::Decimal>;

// Read a field of a record buffer of file `f` (rec points at the file's struct).
FieldValue getField(const FileDef& f, const void* rec, int field);
// The field as text: integers in decimal, Decimal as "-1234.50", texts as they are.
std::string getFieldText(const FileDef& f, const void* rec, int field);
// Set a field from a value. Integers are range-checked (LONG 32-bit, BYTE 0..255), texts are cut
// to the field's width (at a UTF-8 character boundary), Decimal must be inRange(); an int64_t
// given for a DECIMAL field is whole units. Returns false (record unchanged) on a mismatch.
bool setField(const FileDef& f, void* rec, int field, const FieldValue& value);
// Set a field from text: integers parsed in decimal, Decimal through Decimal::parse, texts as
// given (cut to width). Returns false (record unchanged) when the text does not parse.
bool setFieldText(const FileDef& f, void* rec, int field, std::string_view text);

// Typed conveniences: setField(rec, "Bank", std::string("X")).
template <Record R>
FieldValue getField(const R& rec, std::string_view name) {
    const FileDef& f = fileDef(R::kFile);
    int i = f.fieldIndex(name);
    return i < 0 ? FieldValue{} : getField(f, &rec, i);
}
template <Record R>
bool setField(R& rec, std::string_view name, const FieldValue& value) {
    const FileDef& f = fileDef(R::kFile);
    int i = f.fieldIndex(name);
    return i >= 0 && setField(f, &rec, i, value);
}

// Cut UTF-8 text to at most maxBytes bytes without splitting a character.
std::string cutUtf8(std::string_view text, size_t maxBytes);
// Cut every text field of a record buffer to its width (what is stored).
void cutTextFields(const FileDef& f, void* rec);
// Clear a record buffer: numbers 0, texts empty.
void clearRecord(const FileDef& f, void* rec);

}  // namespace storage
