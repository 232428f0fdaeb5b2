// SQL pieces of walking along a key.
#include "bankrec/storage/key_sql.h"

namespace storage {

namespace keysql {

namespace {
const KeyDef& keyOf(const FileDef& f, int key) {
    return f.keys[static_cast<size_t>(key)];
}
}  // namespace

std::string columns(const FileDef& f, int key, bool withRowid) {
    const KeyDef& k = keyOf(f, key);
    size_t n = k.components.size() + (withRowid ? 1 : 0);
    std::string sql = n > 1 ? "(" : "";
    for (size_t i = 0; i < k.components.size(); ++i) {
        if (i) sql += ", ";
        sql += "\"" + f.fields[static_cast<size_t>(k.components[i])].name + "\"";
    }
    if (withRowid) sql += ", \"_Row\"";
    if (n > 1) sql += ")";
    return sql;
}

std::string params(const FileDef& f, int key, bool withRowid) {
    size_t n = keyOf(f, key).components.size() + (withRowid ? 1 : 0);
    std::string sql = n > 1 ? "(" : "";
    for (size_t i = 0; i < n; ++i) sql += i ? ", ?" : "?";
    if (n > 1) sql += ")";
    return sql;
}

std::string orderBy(const FileDef& f, int key, bool ascending) {
    const KeyDef& k = keyOf(f, key);
    const char* dir = ascending ? "" : " DESC";
    std::string sql;
    for (int c : k.components)
        sql += "\"" + f.fields[static_cast<size_t>(c)].name + "\"" + dir + ", ";
    return sql + "\"_Row\"" + dir;
}

std::vector<FieldValue> values(const FileDef& f, int key, const void* rec) {
    std::vector<FieldValue> v;
    for (int c : keyOf(f, key).components) v.push_back(getField(f, rec, c));
    return v;
}

std::string seek(const FileDef& f, int key, const char* op, bool withRowid) {
    return columns(f, key, withRowid) + " " + op + " " + params(f, key, withRowid);
}

}  // namespace keysql

}  // namespace storage
