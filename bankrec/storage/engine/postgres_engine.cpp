// The PostgreSQL engine: the record files as tables on a server. A division is a schema "divNN",
// a record file a table named like the file, APbnu a table of the schema "shared" that the
// store's divisions share; each schema's "_Version" table holds the structure version of its
// files. Text columns use the collation shared.nocase (ICU, case ignored), so every comparison,
// order and unique key is blind to case as SQLite's NOCASE is; the partial indexes leave rows
// whose key components are all empty out, as on SQLite.
//
// A session holds two server connections: one for autocommit reads and writes, one for its
// transactions. A transaction over named files locks exactly their tables in SHARE ROW EXCLUSIVE
// mode (other writers wait, readers do not) within SET LOCAL lock_timeout (48 when the wait runs
// out); a station that dies mid-transaction leaves nothing behind, the server rolls it back.
// Statements are prepared once per connection and always take their values as parameters.
//
// Inside a transaction a failed statement would abort it on this server, where SQLite lets the
// transaction go on: so inserts skip a duplicate (ON CONFLICT DO NOTHING, reported as 40) and
// updates refuse one in their WHERE clause, and neither ever fails on a unique key.
#include <libpq-fe.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdio>
#include <cstdlib>

#include "bankrec/storage/connection.h"
#include "bankrec/storage/engine.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/storage.h"

using namespace corelib;

namespace storage {

namespace {

constexpr const char* kSharedSchema = "shared";
constexpr const char* kCollation = "shared.nocase";
constexpr const char* kVersionTable = "_Version";

uint32_t bit(FileId f) {
    return 1u << static_cast<int>(f);
}

std::string quoted(const std::string& name) {
    std::string q = "\"";
    for (char ch : name) q += ch == '"' ? std::string("\"\"") : std::string(1, ch);
    return q + "\"";
}

// One server connection, shared by the Connection objects of one side of a session.
struct PgLink {
    PGconn* conn = nullptr;
    int nextName = 0;
    int64_t changes = 0;
    int64_t lastInsert = 0;
    int lockWaitMs = -1;
    std::string lastMessage;

    ~PgLink() {
        if (conn) PQfinish(conn);
    }
    // The result code of a failed result (or of the connection without one), its text kept.
    int fail(const PGresult* r) {
        const char* state = r ? PQresultErrorField(r, PG_DIAG_SQLSTATE) : nullptr;
        const char* text = r ? PQresultErrorMessage(r) : PQerrorMessage(conn);
        lastMessage = std::string(state ? state : "") + (state ? " " : "") + (text ? text : "");
        while (!lastMessage.empty() && (lastMessage.back() == '\n' || lastMessage.back() == ' '))
            lastMessage.pop_back();
        const std::string s = state ? state : "";
        if (s == "23505") return SQLITE_CONSTRAINT_UNIQUE;
        if (s == "55P03" || s == "40P01" || s == "40001") return SQLITE_BUSY;
        if (!state && PQstatus(conn) != CONNECTION_OK) return SQLITE_IOERR;
        return SQLITE_ERROR;
    }
    // Runs SQL without parameters; SQLITE_OK or the failure's code.
    int exec(const std::string& sql) {
        PGresult* r = PQexec(conn, sql.c_str());
        const ExecStatusType st = PQresultStatus(r);
        int rc = st == PGRES_COMMAND_OK || st == PGRES_TUPLES_OK ? SQLITE_OK : fail(r);
        PQclear(r);
        return rc;
    }
    // Runs SQL with text parameters; the result (to be cleared) or nullptr with rc set.
    PGresult* query(const std::string& sql, std::initializer_list<std::string> params, int& rc) {
        std::vector<const char*> values;
        for (const std::string& p : params) values.push_back(p.c_str());
        PGresult* r = PQexecParams(conn, sql.c_str(), static_cast<int>(values.size()), nullptr,
                                   values.data(), nullptr, nullptr, 0);
        const ExecStatusType st = PQresultStatus(r);
        if (st == PGRES_COMMAND_OK || st == PGRES_TUPLES_OK) {
            rc = SQLITE_OK;
            return r;
        }
        rc = fail(r);
        PQclear(r);
        return nullptr;
    }
    void setLockWait(int ms) {
        if (ms == lockWaitMs || !conn) return;
        if (exec("SET lock_timeout = " + std::to_string(ms < 1 ? 1 : ms)) == SQLITE_OK)
            lockWaitMs = ms;
    }
    bool inTransaction() const { return conn && PQtransactionStatus(conn) != PQTRANS_IDLE; }
};

int64_t toInt(const char* text) {
    return text ? std::strtoll(text, nullptr, 10) : 0;
}

class PgStatement final : public Statement {
  public:
    PgStatement(std::shared_ptr<PgLink> link, std::string name, int params, bool insert)
        : link_(std::move(link)),
          name_(std::move(name)),
          insert_(insert),
          values_(static_cast<size_t>(params)),
          set_(static_cast<size_t>(params), 0) {}
    ~PgStatement() override {
        clearResult();
        if (link_->conn && PQtransactionStatus(link_->conn) != PQTRANS_INERROR)
            link_->exec("DEALLOCATE " + quoted(name_));
    }
    void bindInt(int index, int64_t value) override {
        if (!slot(index)) return;
        char buf[24];
        auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
        values_[static_cast<size_t>(index - 1)].assign(buf, end);
        set_[static_cast<size_t>(index - 1)] = 1;
    }
    void bindText(int index, std::string_view t) override {
        if (!slot(index)) return;
        values_[static_cast<size_t>(index - 1)].assign(t);
        set_[static_cast<size_t>(index - 1)] = 1;
    }
    bool bindRecord(const FileDef& f, void* rec, int first, int& bad) override {
        int p = first;
        for (size_t i = 0; i < f.fields.size(); ++i, ++p) {
            const FieldDef& fd = f.fields[i];
            char* at = static_cast<char*>(rec) + fd.offset;
            switch (fd.type) {
                case FieldType::Long:
                    bindInt(p, *reinterpret_cast<int32_t*>(at));
                    break;
                case FieldType::Byte:
                    bindInt(p, *reinterpret_cast<uint8_t*>(at));
                    break;
                case FieldType::Decimal: {
                    const Decimal& d = *reinterpret_cast<Decimal*>(at);
                    if (!d.inRange()) {
                        bad = static_cast<int>(i);
                        return false;
                    }
                    bindInt(p, d.cents());
                    break;
                }
                default: {
                    std::string& t = *reinterpret_cast<std::string*>(at);
                    if (t.size() > static_cast<size_t>(fd.maxTextBytes()))
                        t = cutUtf8(t, static_cast<size_t>(fd.maxTextBytes()));
                    bindText(p, t);
                }
            }
        }
        return true;
    }
    int step() override {
        if (res_) return ++row_ < rows_ ? SQLITE_ROW : SQLITE_DONE;
        std::vector<const char*> ptrs(values_.size());
        for (size_t i = 0; i < values_.size(); ++i)
            ptrs[i] = set_[i] ? values_[i].c_str() : nullptr;
        res_ = PQexecPrepared(link_->conn, name_.c_str(), static_cast<int>(ptrs.size()),
                              ptrs.data(), nullptr, nullptr, 0);
        const ExecStatusType st = PQresultStatus(res_);
        if (st == PGRES_COMMAND_OK) {
            link_->changes = toInt(PQcmdTuples(res_));
            clearResult();
            return SQLITE_DONE;
        }
        if (st != PGRES_TUPLES_OK) {
            const int rc = link_->fail(res_);
            clearResult();
            return rc;
        }
        rows_ = PQntuples(res_);
        row_ = 0;
        if (insert_) {  // INSERT ... ON CONFLICT DO NOTHING RETURNING "_Row"
            const int inserted = rows_;
            link_->changes = inserted;
            if (inserted == 1) link_->lastInsert = toInt(PQgetvalue(res_, 0, 0));
            clearResult();
            if (inserted == 1) return SQLITE_DONE;
            link_->lastMessage = "23505 duplicate key value violates a unique key";
            return SQLITE_CONSTRAINT_UNIQUE;
        }
        return rows_ > 0 ? SQLITE_ROW : SQLITE_DONE;
    }
    bool isNull(int column) override { return PQgetisnull(res_, row_, column); }
    bool isText(int column) override {
        const Oid type = PQftype(res_, column);
        return type == 25 || type == 1043 || type == 19 || type == 1042;
    }
    int64_t columnInt(int column) override { return toInt(PQgetvalue(res_, row_, column)); }
    std::string_view columnText(int column) override {
        return std::string_view(PQgetvalue(res_, row_, column),
                                static_cast<size_t>(PQgetlength(res_, row_, column)));
    }
    void readRecord(const FileDef& f, void* rec, int first) override {
        int c = first;
        for (const FieldDef& fd : f.fields) {
            char* at = static_cast<char*>(rec) + fd.offset;
            const bool null = PQgetisnull(res_, row_, c);
            const char* v = null ? nullptr : PQgetvalue(res_, row_, c);
            switch (fd.type) {
                case FieldType::Long:
                    *reinterpret_cast<int32_t*>(at) = static_cast<int32_t>(toInt(v));
                    break;
                case FieldType::Byte:
                    *reinterpret_cast<uint8_t*>(at) = static_cast<uint8_t>(toInt(v));
                    break;
                case FieldType::Decimal:
                    *reinterpret_cast<Decimal*>(at) = Decimal::fromCents(toInt(v));
                    break;
                default:
                    if (v)
                        reinterpret_cast<std::string*>(at)->assign(
                            v, static_cast<size_t>(PQgetlength(res_, row_, c)));
                    else
                        reinterpret_cast<std::string*>(at)->clear();
            }
            ++c;
        }
    }
    void reset() override {
        clearResult();
        std::fill(set_.begin(), set_.end(), 0);
    }

  private:
    bool slot(int index) const { return index >= 1 && static_cast<size_t>(index) <= set_.size(); }
    void clearResult() {
        if (res_) PQclear(res_);
        res_ = nullptr;
        rows_ = 0;
        row_ = -1;
    }

    std::shared_ptr<PgLink> link_;
    std::string name_;
    bool insert_;
    std::vector<std::string> values_;
    std::vector<char> set_;
    PGresult* res_ = nullptr;
    int rows_ = 0, row_ = -1;
};

// "?" placeholders become "$1", "$2", ... (outside quotes); "$n" written out stay. The number of
// parameters is the highest used.
std::string numberParams(const std::string& sql, int& count) {
    std::string out;
    out.reserve(sql.size() + 16);
    count = 0;
    int next = 0;
    char quote = 0;
    for (size_t i = 0; i < sql.size(); ++i) {
        const char ch = sql[i];
        if (quote) {
            if (ch == quote) quote = 0;
            out += ch;
        } else if (ch == '\'' || ch == '"') {
            quote = ch;
            out += ch;
        } else if (ch == '?') {
            out += "$" + std::to_string(++next);
            count = std::max(count, next);
        } else if (ch == '$' && i + 1 < sql.size() &&
                   std::isdigit(static_cast<unsigned char>(sql[i + 1]))) {
            size_t j = i + 1;
            int n = 0;
            while (j < sql.size() && std::isdigit(static_cast<unsigned char>(sql[j])))
                n = n * 10 + (sql[j++] - '0');
            count = std::max(count, n);
            out.append(sql, i, j - i);
            i = j - 1;
        } else {
            out += ch;
        }
    }
    return out;
}

class PgConnection final : public Connection {
  public:
    explicit PgConnection(std::shared_ptr<PgLink> link) : link_(std::move(link)) {}
    ~PgConnection() override { dropStatements(); }

    int prepare(const std::string& sql, std::unique_ptr<Statement>& out) override {
        out.reset();
        int count = 0;
        std::string text = numberParams(sql, count);
        const bool insert = text.rfind("INSERT INTO ", 0) == 0;
        if (insert) text += " ON CONFLICT DO NOTHING RETURNING \"_Row\"";
        const std::string name = "b" + std::to_string(++link_->nextName);
        PGresult* r = PQprepare(link_->conn, name.c_str(), text.c_str(), 0, nullptr);
        const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
        const int rc = ok ? SQLITE_OK : link_->fail(r);
        PQclear(r);
        if (ok) out = std::make_unique<PgStatement>(link_, name, count, insert);
        return rc;
    }
    int exec(const std::string& sql) override { return link_->exec(sql); }
    int64_t changes() override { return link_->changes; }
    int64_t lastInsertRow() override { return link_->lastInsert; }
    std::string message(int) override { return link_->lastMessage; }
    void setLockWait(int ms) override { link_->setLockWait(ms); }
    bool inTransaction() override { return link_->inTransaction(); }
    std::string updateGuard(const FileDef& f) const override;

    PgLink& link() { return *link_; }

  private:
    std::shared_ptr<PgLink> link_;
};

// An update never fails on a unique key (that would abort the transaction): it leaves the row
// alone when another row already holds one of the new unique key values. The new values are the
// update's parameters $1..$n, the row's place $n+1.
std::string PgConnection::updateGuard(const FileDef& f) const {
    std::string sql;
    const std::string row = "$" + std::to_string(f.fields.size() + 1);
    for (size_t k = 0; k < f.keys.size(); ++k) {
        const KeyDef& key = f.keys[k];
        if (!key.unique) continue;
        std::string empty, same;
        for (size_t i = 0; i < key.components.size(); ++i) {
            const FieldDef& fd = f.fields[static_cast<size_t>(key.components[i])];
            const std::string p = "$" + std::to_string(key.components[i] + 1);
            empty += (i ? " AND " : "") + p + (fd.isText() ? " = ''" : " = 0");
            same += " AND o." + quoted(fd.name) + " = " + p;
        }
        sql += " AND ((" + empty + ") OR NOT EXISTS (SELECT 1 FROM " + table(f) +
               " o WHERE o.\"_Row\" <> " + row + same + "))";
    }
    return sql;
}

// The schema and table of a file as the storage names it ("div03.APbnk").
void splitName(const std::string& name, std::string& schema, std::string& table) {
    const size_t dot = name.find('.');
    schema = dot == std::string::npos ? std::string("public") : name.substr(0, dot);
    table = dot == std::string::npos ? name : name.substr(dot + 1);
}

std::string columnType(const FieldDef& fd) {
    if (fd.isText()) return std::string("text COLLATE ") + kCollation + " NOT NULL DEFAULT ''";
    if (fd.type == FieldType::Decimal) return "bigint NOT NULL DEFAULT 0";
    return "integer NOT NULL DEFAULT 0";
}

std::string createTable(const FileDef& f, const std::string& qualified) {
    std::string sql = "CREATE TABLE " + qualified + " (";
    for (const FieldDef& fd : f.fields) sql += quoted(fd.name) + " " + columnType(fd) + ", ";
    return sql + quoted(kRevisionColumn) + " bigint NOT NULL DEFAULT 0, " + quoted(kRowColumn) +
           " bigserial PRIMARY KEY)";
}

// Index names are per schema: a table with another name than its file's prefixes them.
std::string indexName(const FileDef& f, int key, const std::string& table) {
    const std::string& n = f.keys[static_cast<size_t>(key)].sqlName;
    return table == f.name ? n : table + "_" + n;
}

std::string createIndex(const FileDef& f, int key, const std::string& schema,
                        const std::string& table) {
    const KeyDef& k = f.keys[static_cast<size_t>(key)];
    std::string sql = std::string("CREATE ") + (k.unique ? "UNIQUE " : "") + "INDEX " +
                      quoted(indexName(f, key, table)) + " ON " + quoted(schema) + "." +
                      quoted(table) + " (";
    for (size_t i = 0; i < k.components.size(); ++i)
        sql += (i ? ", " : "") + quoted(f.fields[static_cast<size_t>(k.components[i])].name);
    return sql + ") WHERE " + keyPresentSql(f, key);
}

class PostgresEngine final : public Engine {
  public:
    explicit PostgresEngine(const Storage& storage) : storage_(storage) {}

    Error openFile(FileSession& s, FileId file, bool create,
                   std::unique_ptr<Connection>& out) override;
    Error upgrade(FileSession& s, FileId file) override;
    Error rebuildKeys(FileSession& s, FileId file) override;
    Error openFiles(FileSession& s, uint32_t mask, std::unique_ptr<Connection>& out) override;
    bool singleOnOwnConnection() const override { return false; }
    Error begin(FileSession& s, Connection& c, uint32_t mask, int timeoutSeconds) override;
    int commit(Connection& c, int) override { return c.exec("COMMIT"); }

  private:
    // The link of one side (autocommit or transactions), connected on first use.
    Error link(FileSession& s, FileId file, bool forTransactions, std::shared_ptr<PgLink>& out);
    // A connection on the autocommit link naming `file` (schema and table resolved).
    Error fileConnection(FileSession& s, FileId file, std::unique_ptr<PgConnection>& out);
    // Creates the schemas, the collation and the version tables when missing, and for APbnu
    // finds the table of this division in the shared schema: the first division to use the
    // store takes "APbnu", others get "<dd>APbnu" (their bank identifiers are their own).
    Error ensureStore(FileSession& s, FileId file, PgLink& l, const std::string& schema,
                      std::string& table);
    Error checkFile(FileSession& s, FileId file, PgConnection& c, bool create);
    Error convert(FileSession& s, FileId file, PgConnection& c);
    Error columns(FileSession& s, FileId file, PgConnection& c, std::vector<std::string>& out);
    Error version(FileSession& s, FileId file, PgConnection& c, int& out);

    const Storage& storage_;
    std::shared_ptr<PgLink> auto_, txn_;
    std::vector<std::string> readySchemas_;
};

}  // namespace

std::unique_ptr<Engine> makePostgresEngine(const Storage& storage) {
    return std::make_unique<PostgresEngine>(storage);
}

Error PostgresEngine::link(FileSession& s, FileId file, bool forTransactions,
                           std::shared_ptr<PgLink>& out) {
    std::shared_ptr<PgLink>& l = forTransactions ? txn_ : auto_;
    if (l && PQstatus(l->conn) != CONNECTION_OK) l.reset();  // lost: connect again
    if (!l) {
        auto fresh = std::make_shared<PgLink>();
        std::vector<const char*> keys = {"dbname", "connect_timeout", "application_name"};
        std::vector<const char*> values = {storage_.server().c_str(), "10", "bankrec"};
        if (!storage_.user().empty()) {
            keys.push_back("user");
            values.push_back(storage_.user().c_str());
        }
        if (!storage_.password().empty()) {
            keys.push_back("password");
            values.push_back(storage_.password().c_str());
        }
        keys.push_back(nullptr);
        values.push_back(nullptr);
        fresh->conn = PQconnectdbParams(keys.data(), values.data(), 1);
        if (PQstatus(fresh->conn) != CONNECTION_OK) {
            fresh->fail(nullptr);
            return s.failText(Error::Driver, file, "cannot reach the store: " + fresh->lastMessage,
                              SQLITE_CANTOPEN);
        }
        // Notices (a schema that exists already, ...) are not the user's business.
        PQsetNoticeProcessor(
            fresh->conn, [](void*, const char*) {}, nullptr);
        int rc = fresh->exec("SET search_path = shared");
        if (rc == SQLITE_OK) rc = fresh->exec("SET client_encoding = 'UTF8'");
        if (rc != SQLITE_OK) return s.failText(Error::Driver, file, fresh->lastMessage, rc);
        fresh->setLockWait(s.recoverMilliseconds());
        l = std::move(fresh);
    }
    out = l;
    return Error::None;
}

Error PostgresEngine::ensureStore(FileSession& s, FileId file, PgLink& l, const std::string& schema,
                                  std::string& table) {
    const bool claim = file == FileId::APbnu && storage_.division() >= 0;
    if (!claim &&
        std::find(readySchemas_.begin(), readySchemas_.end(), schema) != readySchemas_.end())
        return Error::None;
    // Everything there already (the usual case): nothing is made, so clerks need no right to.
    int rc = SQLITE_OK;
    PGresult* r = l.query(
        "SELECT to_regclass($1) IS NOT NULL AND to_regclass('shared.\"_Division\"') IS NOT NULL "
        "AND EXISTS (SELECT 1 FROM pg_collation c JOIN pg_namespace n ON n.oid = "
        "c.collnamespace WHERE n.nspname = 'shared' AND c.collname = 'nocase')",
        {quoted(schema) + "." + quoted(kVersionTable)}, rc);
    const bool ready = r && PQntuples(r) == 1 && PQgetvalue(r, 0, 0)[0] == 't';
    if (r) PQclear(r);
    if (rc != SQLITE_OK) return s.failText(Error::Driver, file, l.lastMessage, rc);
    int owner = -1;
    auto readOwner = [&] {
        PGresult* o = l.query("SELECT \"Division\" FROM shared.\"_Division\" LIMIT 1", {}, rc);
        if (o && PQntuples(o) == 1) owner = static_cast<int>(toInt(PQgetvalue(o, 0, 0)));
        if (o) PQclear(o);
    };
    if (ready && claim) readOwner();
    if (rc != SQLITE_OK) return s.failText(Error::Driver, file, l.lastMessage, rc);
    if (!ready || (claim && owner < 0)) {
        const std::string version = " (file text PRIMARY KEY, version integer NOT NULL)";
        // One station at a time makes the store's objects (the advisory lock ends with the
        // commit); the first division to use APbnu marks it as its own.
        rc = l.exec(
            "BEGIN; SELECT pg_advisory_xact_lock(7270216); "
            "CREATE SCHEMA IF NOT EXISTS shared; "
            "CREATE COLLATION IF NOT EXISTS shared.nocase (provider = icu, locale = "
            "'und-u-ks-level2', deterministic = false); "
            "CREATE TABLE IF NOT EXISTS shared.\"_Version\"" +
            version +
            "; CREATE TABLE IF NOT EXISTS shared.\"_Division\" "
            "(\"Division\" integer NOT NULL); "
            "CREATE SCHEMA IF NOT EXISTS " +
            quoted(schema) + "; CREATE TABLE IF NOT EXISTS " + quoted(schema) + "." +
            quoted(kVersionTable) + version);
        if (rc == SQLITE_OK && claim) {
            r = l.query(
                "INSERT INTO shared.\"_Division\" (\"Division\") SELECT $1::integer "
                "WHERE NOT EXISTS (SELECT 1 FROM shared.\"_Division\")",
                {std::to_string(storage_.division())}, rc);
            if (r) PQclear(r);
            if (rc == SQLITE_OK) readOwner();
        }
        if (rc == SQLITE_OK) rc = l.exec("COMMIT");
        if (rc != SQLITE_OK) {
            Error e = s.failText(Error::Driver, file, l.lastMessage, rc);
            if (l.inTransaction()) l.exec("ROLLBACK");
            return e;
        }
    }
    if (claim && owner >= 0 && owner != storage_.division()) {
        char dd[16];
        std::snprintf(dd, sizeof dd, "%02d", storage_.division());
        table = dd + table;
    }
    readySchemas_.push_back(schema);
    return Error::None;
}

Error PostgresEngine::fileConnection(FileSession& s, FileId file,
                                     std::unique_ptr<PgConnection>& out) {
    std::shared_ptr<PgLink> l;
    if (Error e = link(s, file, false, l); e != Error::None) return e;
    std::string schema, table;
    splitName(storage_.fileName(file), schema, table);
    if (Error e = ensureStore(s, file, *l, schema, table); e != Error::None) return e;
    auto c = std::make_unique<PgConnection>(l);
    c->fileMask = bit(file);
    c->schema[static_cast<size_t>(file)] = schema;
    c->name[static_cast<size_t>(file)] = table;
    out = std::move(c);
    return Error::None;
}

Error PostgresEngine::columns(FileSession& s, FileId file, PgConnection& c,
                              std::vector<std::string>& out) {
    out.clear();
    int rc = SQLITE_OK;
    PGresult* r = c.link().query(
        "SELECT attname FROM pg_attribute WHERE attrelid = to_regclass($1) AND attnum > 0 AND "
        "NOT attisdropped ORDER BY attnum",
        {c.table(fileDef(file))}, rc);
    if (!r) return s.fail(storageErrorFromSqlite(rc), file, &c, rc);
    for (int i = 0; i < PQntuples(r); ++i) out.emplace_back(PQgetvalue(r, i, 0));
    PQclear(r);
    return Error::None;
}

Error PostgresEngine::version(FileSession& s, FileId file, PgConnection& c, int& out) {
    out = 0;
    int rc = SQLITE_OK;
    const size_t i = static_cast<size_t>(file);
    PGresult* r = c.link().query("SELECT version FROM " + quoted(c.schema[i]) + "." +
                                     quoted(kVersionTable) + " WHERE file = $1",
                                 {c.name[i]}, rc);
    if (!r) return s.fail(storageErrorFromSqlite(rc), file, &c, rc);
    if (PQntuples(r) == 1) out = static_cast<int>(toInt(PQgetvalue(r, 0, 0)));
    PQclear(r);
    return Error::None;
}

Error PostgresEngine::checkFile(FileSession& s, FileId file, PgConnection& c, bool create) {
    const FileDef& f = fileDef(file);
    std::vector<std::string> cols;
    if (Error e = columns(s, file, c, cols); e != Error::None) return e;
    if (cols.empty()) {
        if (!create) return s.failText(Error::FileNotFound, file, c.table(f) + " does not exist");
        if (Error e = convert(s, file, c); e != Error::None) return e;
        return checkFile(s, file, c, false);
    }
    int v = 0;
    if (Error e = version(s, file, c, v); e != Error::None) return e;
    if (v > f.version)
        return s.failText(Error::BadDeclaration, file,
                          "structure version " + std::to_string(v) + " is newer than " +
                              std::to_string(f.version));
    if (v < f.version || cols != expectedColumns(f)) {
        if (v == f.version && !sameFields(f, cols))
            return s.failText(Error::BadDeclaration, file, "the columns of " + f.name + " differ");
        if (Error e = convert(s, file, c); e != Error::None) return e;
        return checkFile(s, file, c, false);
    }
    const size_t i = static_cast<size_t>(file);
    int rc = SQLITE_OK;
    PGresult* r =
        c.link().query("SELECT indexname FROM pg_indexes WHERE schemaname = $1 AND tablename = $2",
                       {c.schema[i], c.name[i]}, rc);
    if (!r) return s.fail(storageErrorFromSqlite(rc), file, &c, rc);
    std::vector<std::string> have;
    for (int row = 0; row < PQntuples(r); ++row) have.emplace_back(PQgetvalue(r, row, 0));
    PQclear(r);
    for (size_t k = 0; k < f.keys.size(); ++k)
        if (std::find(have.begin(), have.end(), indexName(f, static_cast<int>(k), c.name[i])) ==
            have.end())
            return s.failText(Error::RebuildKeys, file,
                              "key " + f.keys[k].name + " must be rebuilt");
    return Error::None;
}

// Brings the table to the current layout in one transaction (see the SQLite engine's convert).
Error PostgresEngine::convert(FileSession& s, FileId file, PgConnection& c) {
    const FileDef& f = fileDef(file);
    const size_t i = static_cast<size_t>(file);
    PgLink& l = c.link();
    int rc = l.exec("BEGIN; SELECT pg_advisory_xact_lock(7270216)");
    auto abort = [&](Error number, int code) {
        Error e = code ? s.fail(number, file, &c, code) : number;
        if (l.inTransaction()) l.exec("ROLLBACK");
        return e;
    };
    if (rc != SQLITE_OK) return abort(storageErrorFromSqlite(rc), rc);
    std::vector<std::string> cols;
    int v = 0;
    if (Error e = columns(s, file, c, cols); e != Error::None) return abort(e, 0);
    if (Error e = version(s, file, c, v); e != Error::None) return abort(e, 0);
    if (v > f.version) {
        (void)s.failText(Error::BadDeclaration, file,
                         "structure version " + std::to_string(v) + " is newer than " +
                             std::to_string(f.version));
        return abort(Error::BadDeclaration, 0);
    }
    const std::string table = c.table(f);
    std::vector<std::string> sql;
    if (cols.empty()) {
        sql.push_back(createTable(f, table));
    } else if (cols != expectedColumns(f)) {
        if (v == f.version && !sameFields(f, cols)) {
            (void)s.failText(Error::BadDeclaration, file, "the columns of " + f.name + " differ");
            return abort(Error::BadDeclaration, 0);
        }
        const std::string old = quoted(c.schema[i]) + "." + quoted(c.name[i] + "__former");
        sql.push_back("ALTER TABLE " + table + " RENAME TO " + quoted(c.name[i] + "__former"));
        for (size_t k = 0; k < f.keys.size(); ++k)
            sql.push_back("DROP INDEX IF EXISTS " + quoted(c.schema[i]) + "." +
                          quoted(indexName(f, static_cast<int>(k), c.name[i])));
        sql.push_back(createTable(f, table));
        const bool hasRow = std::find(cols.begin(), cols.end(), kRowColumn) != cols.end();
        sql.push_back(
            copyRowsSql(f, cols, table, old, hasRow ? "\"_Row\"" : "row_number() OVER ()"));
        sql.push_back("SELECT setval(pg_get_serial_sequence('" + table +
                      "', '_Row'), coalesce(max(\"_Row\"), 0) + 1, false) FROM " + table);
        sql.push_back("DROP TABLE " + old);
    }
    for (size_t k = 0; k < f.keys.size(); ++k) {
        sql.push_back("DROP INDEX IF EXISTS " + quoted(c.schema[i]) + "." +
                      quoted(indexName(f, static_cast<int>(k), c.name[i])));
        sql.push_back(createIndex(f, static_cast<int>(k), c.schema[i], c.name[i]));
    }
    for (const std::string& text : sql) {
        rc = l.exec(text);
        if (rc != SQLITE_OK) return abort(storageErrorFromSqlite(rc), rc);
    }
    PGresult* r = l.query("INSERT INTO " + quoted(c.schema[i]) + "." + quoted(kVersionTable) +
                              " (file, version) VALUES ($1, $2::integer) ON CONFLICT (file) DO "
                              "UPDATE SET version = EXCLUDED.version",
                          {c.name[i], std::to_string(f.version)}, rc);
    if (r) PQclear(r);
    if (rc == SQLITE_OK) rc = l.exec("COMMIT");
    if (rc != SQLITE_OK) return abort(storageErrorFromSqlite(rc), rc);
    return Error::None;
}

Error PostgresEngine::openFile(FileSession& s, FileId file, bool create,
                               std::unique_ptr<Connection>& out) {
    std::unique_ptr<PgConnection> c;
    if (Error e = fileConnection(s, file, c); e != Error::None) return e;
    if (Error e = checkFile(s, file, *c, create); e != Error::None) return e;
    out = std::move(c);
    return Error::None;
}

Error PostgresEngine::upgrade(FileSession& s, FileId file) {
    std::unique_ptr<PgConnection> c;
    if (Error e = fileConnection(s, file, c); e != Error::None) return e;
    std::vector<std::string> cols;
    if (Error e = columns(s, file, *c, cols); e != Error::None) return e;
    if (cols.empty())
        return s.failText(Error::FileNotFound, file, c->table(fileDef(file)) + " does not exist");
    if (Error e = convert(s, file, *c); e != Error::None) return e;
    return checkFile(s, file, *c, false);
}

Error PostgresEngine::rebuildKeys(FileSession& s, FileId file) {
    const FileDef& f = fileDef(file);
    std::unique_ptr<PgConnection> c;
    if (Error e = fileConnection(s, file, c); e != Error::None) return e;
    const size_t i = static_cast<size_t>(file);
    int rc = c->exec("BEGIN");
    for (size_t k = 0; rc == SQLITE_OK && k < f.keys.size(); ++k) {
        rc = c->exec("DROP INDEX IF EXISTS " + quoted(c->schema[i]) + "." +
                     quoted(indexName(f, static_cast<int>(k), c->name[i])));
        if (rc == SQLITE_OK)
            rc = c->exec(createIndex(f, static_cast<int>(k), c->schema[i], c->name[i]));
    }
    if (rc == SQLITE_OK) rc = c->exec("COMMIT");
    if (rc != SQLITE_OK) {
        Error e = s.fail(storageErrorFromSqlite(rc), file, c.get(), rc);
        if (c->inTransaction()) c->exec("ROLLBACK");
        return e;
    }
    return Error::None;
}

Error PostgresEngine::openFiles(FileSession& s, uint32_t mask, std::unique_ptr<Connection>& out) {
    std::shared_ptr<PgLink> l;
    if (Error e = link(s, static_cast<FileId>(std::countr_zero(mask)), true, l); e != Error::None)
        return e;
    auto c = std::make_unique<PgConnection>(l);
    c->fileMask = mask;
    for (int i = 0; i < kFileCount; ++i) {
        if (!(mask & (1u << i))) continue;
        std::string schema, table;
        splitName(storage_.fileName(static_cast<FileId>(i)), schema, table);
        if (Error e = ensureStore(s, static_cast<FileId>(i), *l, schema, table); e != Error::None)
            return e;
        c->schema[static_cast<size_t>(i)] = schema;
        c->name[static_cast<size_t>(i)] = table;
    }
    out = std::move(c);
    return Error::None;
}

Error PostgresEngine::begin(FileSession& s, Connection& c, uint32_t mask, int timeoutSeconds) {
    std::string tables;
    for (int i = 0; i < kFileCount; ++i)
        if (mask & (1u << i))
            tables += (tables.empty() ? "" : ", ") + c.table(fileDef(static_cast<FileId>(i)));
    // lock_timeout 0 would wait for ever: the shortest wait is a millisecond.
    const int waitMs = std::max(1, s.waitMilliseconds(timeoutSeconds * 1000));
    const int rc = c.exec("BEGIN; SET LOCAL lock_timeout = " + std::to_string(waitMs) +
                          "; LOCK TABLE " + tables + " IN SHARE ROW EXCLUSIVE MODE; SET LOCAL " +
                          "lock_timeout = " + std::to_string(std::max(1, s.recoverMilliseconds())));
    if (rc == SQLITE_OK) return Error::None;
    const FileId first = static_cast<FileId>(std::countr_zero(mask));
    Error e = s.fail(rc == SQLITE_BUSY ? Error::NoTransaction : Error::Driver, first, &c, rc);
    if (c.inTransaction()) c.exec("ROLLBACK");
    return e;
}

}  // namespace storage
