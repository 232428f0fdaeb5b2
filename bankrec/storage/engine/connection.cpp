// Connections of the storage engine: the statement cache, and SQLite's record binding and reading.
#include "bankrec/storage/connection.h"

using namespace corelib;

namespace storage {

Connection::~Connection() = default;

void Connection::dropStatements() {
    adhoc_.clear();
    for (auto& s : slots_) s.reset();
}

Statement* Connection::statement(const std::string& sql, int& rc) {
    auto it = adhoc_.find(sql);
    if (it != adhoc_.end()) return it->second.get();
    if (adhoc_.size() >= 64) adhoc_.clear();  // views with ever new filters: keep it bounded
    std::unique_ptr<Statement> s;
    rc = prepare(sql, s);
    if (!s) return nullptr;
    return adhoc_.emplace(sql, std::move(s)).first->second.get();
}

std::string Connection::table(const FileDef& f) const {
    const std::string& n = name[static_cast<size_t>(f.id)];
    return "\"" + schema[static_cast<size_t>(f.id)] + "\".\"" + (n.empty() ? f.name : n) + "\"";
}

std::string Connection::updateGuard(const FileDef&) const {
    return {};
}

void Statement::bindValue(int index, const FieldValue& v) {
    if (auto* i = std::get_if<int64_t>(&v))
        bindInt(index, *i);
    else if (auto* d = std::get_if<Decimal>(&v))
        bindInt(index, d->cents());
    else
        bindText(index, std::get<std::string>(v));
}

namespace {
template <class T>
T& at(void* rec, const FieldDef& fd) {
    return *reinterpret_cast<T*>(static_cast<char*>(rec) + fd.offset);
}
}  // namespace

bool bindRecord(sqlite3_stmt* s, const FileDef& f, void* rec, int first, int& bad) {
    int p = first;
    for (size_t i = 0; i < f.fields.size(); ++i, ++p) {
        const FieldDef& fd = f.fields[i];
        switch (fd.type) {
            case FieldType::Long:
                sqlite3_bind_int(s, p, at<int32_t>(rec, fd));
                break;
            case FieldType::Byte:
                sqlite3_bind_int(s, p, at<uint8_t>(rec, fd));
                break;
            case FieldType::Decimal: {
                const Decimal& d = at<Decimal>(rec, fd);
                if (!d.inRange()) {
                    bad = static_cast<int>(i);
                    return false;
                }
                sqlite3_bind_int64(s, p, d.cents());
                break;
            }
            default: {
                std::string& t = at<std::string>(rec, fd);
                if (t.size() > static_cast<size_t>(fd.maxTextBytes()))
                    t = cutUtf8(t, static_cast<size_t>(fd.maxTextBytes()));
                sqlite3_bind_text(s, p, t.data(), static_cast<int>(t.size()), SQLITE_STATIC);
            }
        }
    }
    return true;
}

void readRecord(sqlite3_stmt* s, const FileDef& f, void* rec, int first) {
    int c = first;
    for (const FieldDef& fd : f.fields) {
        switch (fd.type) {
            case FieldType::Long:
                at<int32_t>(rec, fd) = sqlite3_column_int(s, c);
                break;
            case FieldType::Byte:
                at<uint8_t>(rec, fd) = static_cast<uint8_t>(sqlite3_column_int(s, c));
                break;
            case FieldType::Decimal:
                at<Decimal>(rec, fd) = Decimal::fromCents(sqlite3_column_int64(s, c));
                break;
            default: {
                const unsigned char* t = sqlite3_column_text(s, c);
                int n = sqlite3_column_bytes(s, c);
                std::string& out = at<std::string>(rec, fd);
                if (t)
                    out.assign(reinterpret_cast<const char*>(t), static_cast<size_t>(n));
                else
                    out.clear();
            }
        }
        ++c;
    }
}

void bindValue(sqlite3_stmt* s, int index, const FieldValue& v) {
    if (auto* i = std::get_if<int64_t>(&v))
        sqlite3_bind_int64(s, index, *i);
    else if (auto* d = std::get_if<Decimal>(&v))
        sqlite3_bind_int64(s, index, d->cents());
    else {
        const std::string& t = std::get<std::string>(v);
        sqlite3_bind_text(s, index, t.data(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
    }
}

std::string selectList(const FileDef& f) {
    std::string sql = std::string("\"_Row\", \"") + kRevisionColumn + "\"";
    for (const FieldDef& fd : f.fields) sql += ", \"" + fd.name + "\"";
    return sql;
}

}  // namespace storage
