#pragma once
// Internal to the storage engine: the SQL pieces of walking along a key. Rows are ordered by the
// key's components and then by rowid, so every row has one place and a walk can start again
// right after the last row it returned.
#include <string>

#include "bankrec/storage/dictionary.h"

namespace storage {

namespace keysql {

// "(\"a\", \"b\")" or "\"a\"" for one column; with rowid appended when asked.
std::string columns(const FileDef& f, int key, bool withRowid);
// "(?, ?)" matching columns().
std::string params(const FileDef& f, int key, bool withRowid);
// ORDER BY list, ascending or descending in every component and rowid.
std::string orderBy(const FileDef& f, int key, bool ascending);
// The key's component values of a record buffer.
std::vector<FieldValue> values(const FileDef& f, int key, const void* rec);
// The condition of a seek: components (and rowid) compared with the parameters.
// op is one of ">=", "<=", ">", "<".
std::string seek(const FileDef& f, int key, const char* op, bool withRowid);

}  // namespace keysql

}  // namespace storage
