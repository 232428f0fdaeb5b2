#include "hostlink/host_connection.h"

#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QUrl>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

#include "corelib/text.h"
#include "corelib/thread_registry.h"
#include "hostlink/hostlink.h"
#include "hostlink/link_text.h"

using namespace corelib;

namespace hostlink {

namespace {

constexpr int kConnectTimeoutSeconds = 5;

// Library-wide use counts: connections by key, tables by key + name.
//
// States of a connection key (one per server, division, user and thread):
//   closed   no entry in connectionUsers; no Qt SQL connection of that name
//   open     connectionUsers[key] = the number of open HostTables using it
// Transitions: closed --first HostTable::open()--> open --last HostTable::close()--> closed.
//   A first open whose table probe fails leaves the key closed again.
// Invariants (under `mutex`):
//   1. connectionUsers[key] equals the sum of tableUsers over the key's tables, and no count
//      is ever kept at 0 (the entry goes).
//   2. A table's existence is probed once, by its first user; the suite's tables are never
//      created here.
struct Registry {
    std::mutex mutex;
    std::map<std::string, int> connectionUsers;
    std::map<std::string, int> tableUsers;
};
Registry& registry() {
    static Registry r;
    return r;
}

std::string& odbcDriverSetting() {
    static std::string name;
    return name;
}

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

// The connection name of an owner: one connection per (server, division, user) and thread,
// since a Qt SQL connection belongs to the thread that made it.
std::string connectionKey(const Owner& owner) {
    return "hostlink|" + owner.server + "|" + owner.database() + "|" + owner.user + "|" +
           std::to_string(reinterpret_cast<quintptr>(QThread::currentThread()));
}

HostDriver driverOf(const std::string& server) {
    if (server.rfind("sqlite:", 0) == 0) return HostDriver::Sqlite;
    if (server.rfind("postgresql://", 0) == 0) return HostDriver::Postgres;
    return HostDriver::Odbc;
}

// Opens the connection of `key`; on failure fills `error` and leaves nothing behind.
bool openConnection(const std::string& key, const Owner& owner, WarningError& error) {
    const ConnectionTarget target = connectionTarget(owner);
    const QString name = q(key);
    if (target.driver == HostDriver::Sqlite) {
        // The suite's database must exist: a missing file is an open failure, never a new
        // empty database.
        if (!QFileInfo(target.sqliteFile).isFile()) {
            error = {2, standardErrorText(2, "File Not Found")};
            return false;
        }
    }
    bool ok = false;
    {
        QSqlDatabase db;
        switch (target.driver) {
            case HostDriver::Sqlite:
                db = QSqlDatabase::addDatabase("QSQLITE", name);
                db.setDatabaseName(QUrl::fromLocalFile(target.sqliteFile).toString() + "?mode=rw");
                db.setConnectOptions("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000");
                break;
            case HostDriver::Postgres:
                db = QSqlDatabase::addDatabase("QPSQL", name);
                db.setHostName(target.host);
                if (target.port > 0) db.setPort(target.port);
                db.setDatabaseName(q(owner.database()));
                db.setUserName(q(owner.user));
                db.setPassword(q(owner.password));
                db.setConnectOptions(QString("connect_timeout=%1").arg(kConnectTimeoutSeconds));
                break;
            case HostDriver::Odbc:
                db = QSqlDatabase::addDatabase("QODBC", name);
                db.setDatabaseName(odbcConnectionString(owner, odbcDriverName()));
                db.setConnectOptions(
                    QString("SQL_ATTR_LOGIN_TIMEOUT=%1").arg(kConnectTimeoutSeconds));
                break;
        }
        ok = db.open();
        if (!ok) error = sqlWarningError(db.lastError(), owner.password);
    }
    if (!ok) QSqlDatabase::removeDatabase(name);
    return ok;
}

void closeConnection(const std::string& key) {
    const QString name = q(key);
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        if (db.isValid()) db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

}  // namespace

std::string Owner::text() const {
    // The template "#,tvw#;UID=#;PWD=#" with its four places filled in order.
    const std::string values[4] = {server, division, user, password};
    const std::string templ = "#,tvw#;UID=#;PWD=#";
    std::string out;
    int next = 0;
    for (char c : templ) {
        if (c == '#' && next < 4)
            out += values[next++];
        else
            out += c;
    }
    return out;
}

Owner FixOwner(const std::function<std::string(std::string_view)>& query) {
    THREAD_LOG("FixOwner");
    Owner owner;
    owner.server = query("SERVERNAME");
    owner.division = query("DIVISION");
    owner.user = query("USERNAME");
    owner.password = query("USERPW");
    THREAD_RETURN("FixOwner");
    return owner;
}

ConnectionTarget connectionTarget(const Owner& owner) {
    ConnectionTarget t;
    t.driver = driverOf(owner.server);
    switch (t.driver) {
        case HostDriver::Sqlite: {
            const QString folder = q(owner.server.substr(7));
            t.sqliteFile =
                (folder.isEmpty() ? QString(".") : folder) + "/" + q(owner.database()) + ".db";
            break;
        }
        case HostDriver::Postgres: {
            const QUrl url(q(owner.server));
            t.host = url.host();
            t.port = url.port(0);
            break;
        }
        case HostDriver::Odbc: {
            // SQL Server names: "host", "host,port" or "host\instance".
            const QString server = q(owner.server);
            const qsizetype comma = server.indexOf(',');
            if (comma >= 0) {
                t.host = server.left(comma).trimmed();
                t.port = server.mid(comma + 1).trimmed().toInt();
            } else {
                t.host = server.trimmed();
                t.port = server.contains('\\') ? 0 : 1433;
            }
            break;
        }
    }
    return t;
}

QString odbcValue(const QString& value) {
    const bool needsBraces = value.contains(';') || value.contains('{') || value.contains('}') ||
                             value.startsWith(' ') || value.endsWith(' ');
    if (!needsBraces) return value;
    QString v = value;
    v.replace("}", "}}");
    return "{" + v + "}";
}

QString odbcConnectionString(const Owner& owner, const QString& driverName) {
    const ConnectionTarget t = connectionTarget(owner);
    const bool freeTds = driverName.contains("FreeTDS", Qt::CaseInsensitive);
    QString s = "DRIVER={" + driverName + "};";
    if (freeTds) {
        s += "SERVER=" + odbcValue(t.host) + ";";
        if (t.port > 0) s += QString("PORT=%1;").arg(t.port);
    } else {
        // Other SQL Server drivers take the port after a comma in the server name.
        s += "SERVER=" + odbcValue(t.port > 0 ? QString("%1,%2").arg(t.host).arg(t.port) : t.host) +
             ";";
    }
    s += "DATABASE=" + odbcValue(q(owner.database())) + ";UID=" + odbcValue(q(owner.user)) +
         ";PWD=" + odbcValue(q(owner.password));
    if (freeTds) s += ";TDS_Version=7.4;ClientCharset=UTF-8";
    return s;
}

std::string scrubbedError(const std::string& text, const std::string& password) {
    std::string out = text;
    auto blot = [&out](const std::string& secret) {
        if (secret.empty()) return;
        for (size_t at = out.find(secret); at != std::string::npos; at = out.find(secret, at + 5))
            out.replace(at, secret.size(), "*****");
    };
    // Whatever follows a password keyword, up to the end of its value (from the back, so the
    // positions ahead stay valid).
    for (const char* key : {"PWD=", "PASSWORD="}) {
        size_t at = std::string::npos;
        while ((at = text::upper(out).rfind(key, at)) != std::string::npos) {
            const size_t from = at + std::strlen(key);
            size_t to = from;
            while (to < out.size() && out[to] != ';' && out[to] != ' ') ++to;
            if (to > from) out.replace(from, to - from, "*****");
            if (at == 0) break;
            --at;
        }
    }
    // The password itself, as given or as a connection string quotes it; a very short one
    // would blot ordinary letters, and says nothing found among them.
    if (password.size() >= 4) {
        std::string quoted;
        for (char c : password) {
            if (c == '\'' || c == '\\') quoted += '\\';
            quoted += c;
        }
        blot(quoted);
        blot(password);
    }
    return out;
}

WarningError sqlWarningError(const QSqlError& error, const std::string& password) {
    QString message = error.databaseText().simplified();
    const QString driverText = error.driverText().simplified();
    if (message.isEmpty())
        message = driverText;
    else if (!driverText.isEmpty() && !message.contains(driverText))
        message = driverText + ": " + message;
    // PostgreSQL and ODBC codes are SQLSTATE texts, so the code is put in as text, once.
    QString code = error.nativeErrorCode().trimmed();
    if (code.isEmpty()) code = "90";
    const QString tail = " (" + code + ")";
    if (message.endsWith(tail)) message.chop(tail.size());
    const std::string text = scrubbedError(message.toStdString(), password);
    // Cut to 150 characters, keeping the code.
    const std::string code150 = tail.toStdString();
    return {90, text::cutBytes(text, 150 - code150.size()) + code150};
}

QString odbcDriverName() {
    if (!odbcDriverSetting().empty()) return q(odbcDriverSetting());
    const char* env = std::getenv("BANKREC_ODBC_DRIVER");
    return env && *env ? QString::fromLocal8Bit(env) : QString("FreeTDS");
}

QString limitPrefix(HostDriver driver, int rows) {
    return driver == HostDriver::Odbc ? QString("TOP %1 ").arg(rows) : QString();
}

QString limitSuffix(HostDriver driver, int rows) {
    return driver == HostDriver::Odbc ? QString() : QString(" LIMIT %1").arg(rows);
}

HostTable::HostTable(std::string name) : name_(std::move(name)) {}

HostTable::~HostTable() {
    close();
}

bool HostTable::open(const Owner& owner) {
    if (open_) return true;
    WarningError error;
    {
        Registry& r = registry();
        std::lock_guard lock(r.mutex);
        const std::string key = connectionKey(owner);
        const std::string tableKey = key + "|" + name_;
        driver_ = driverOf(owner.server);
        password_ = owner.password;
        const bool connected = r.connectionUsers.count(key) > 0;
        bool ok = connected || openConnection(key, owner, error);
        if (ok && r.tableUsers.count(tableKey) == 0) {
            // The first user of a table checks that it is there: the suite's tables are never
            // created here.
            key_ = key;
            {
                QSqlQuery probe(database());
                ok = probe.exec("SELECT 1 FROM " + sql() + " WHERE 1 = 0");
                if (!ok) error = sqlWarningError(probe.lastError(), owner.password);
            }
            if (!ok && !connected) closeConnection(key);
        }
        if (ok) {
            ++r.connectionUsers[key];
            ++r.tableUsers[tableKey];
            key_ = key;
            open_ = true;
            return true;
        }
        key_.clear();
    }
    StandardWarning(Warn_OpenFailed, displayName(), "", error);
    return false;
}

void HostTable::close() {
    if (!open_) return;
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    const std::string tableKey = key_ + "|" + name_;
    if (--r.tableUsers[tableKey] <= 0) r.tableUsers.erase(tableKey);
    if (--r.connectionUsers[key_] <= 0) {
        r.connectionUsers.erase(key_);
        closeConnection(key_);
    }
    open_ = false;
}

QSqlDatabase HostTable::database() const {
    return QSqlDatabase::database(q(key_), false);
}

QString HostTable::sql() const {
    const QSqlDatabase db = database();
    const QSqlDriver* d = db.driver();
    const QString table = d->escapeIdentifier(q(name_), QSqlDriver::TableName);
    if (driver_ == HostDriver::Sqlite) return table;
    return d->escapeIdentifier("dbo", QSqlDriver::TableName) + "." + table;
}

QString HostTable::column(const char* name) const {
    return database().driver()->escapeIdentifier(QString::fromLatin1(name), QSqlDriver::FieldName);
}

std::string HostTable::errorText(const QSqlError& error) const {
    return sqlWarningError(error, password_).text;
}

void HOSTLINK_SetOdbcDriver(const std::string& driverName) {
    hostlink::odbcDriverSetting() = driverName;
}

}  // namespace hostlink
