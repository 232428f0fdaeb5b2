#include "tvhost/suite_database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUuid>

#include "tvhost/demo_data.h"
#include "tvsuite/suite_admin.h"

namespace tvhost {
namespace {

enum class Kind { Long, Byte, CString, String, DateTime, Money, Percent };

struct Column {
    const char* name;
    Kind kind;
    int size = 0;  // declared size of CSTRING and STRING
    bool notNull = false;
};

struct Table {
    const char* name;
    std::vector<Column> columns;
    const char* primaryKey;
    // Extra statements after the table, with %1 standing for a qualified table name.
    std::vector<const char*> extras;
};

const std::vector<Table>& tables() {
    static const std::vector<Table> kTables = {
        {"FinlInstitutionAcct",
         {{"AccountNo", Kind::CString, 21},
          {"Description", Kind::CString, 31},
          {"FIAID", Kind::Long, 0, true},
          {"FIAStatus", Kind::String, 1},
          {"FIAType", Kind::String, 3},
          {"FIID", Kind::Long},
          {"IsSoleCopy", Kind::Byte},
          {"PositivePay", Kind::Byte},
          {"SourceModuleFIAID", Kind::CString, 51},
          {"SourceModuleID", Kind::Long},
          {"TraceDate", Kind::DateTime},
          {"TraceUser", Kind::Long}},
         "\"FIAID\"",
         {"CREATE INDEX \"FK_FinlInstitutionAcct_FinlInstitution\" ON %1(\"FIID\")"}},
        {"FIALedgerAcct",
         {{"Description", Kind::CString, 31},
          {"FIAID", Kind::Long, 0, true},
          {"LAID", Kind::CString, 31},
          {"LAIDType", Kind::String, 1},
          {"LAInternalID", Kind::CString, 19},
          {"LAInternalStringID", Kind::CString, 20, true},
          {"Status", Kind::String, 1},
          {"TraceDate", Kind::DateTime},
          {"TraceUser", Kind::Long}},
         "\"FIAID\", \"LAInternalStringID\"",
         {"CREATE INDEX \"FK_FIALedgerAcct_FinlInstitutionAcct\" ON %1(\"FIAID\")"}},
        {"FIAModuleUsage",
         {{"CANTUNMAPMSG", Kind::CString, 101},
          {"DESCRIPTION", Kind::CString, 36},
          {"FIAID", Kind::Long},
          {"FIID", Kind::Long},
          {"ISSOLECOPY", Kind::Byte},
          {"LAIDORMASK", Kind::CString, 56},
          {"LAORMASKIMPORTED", Kind::Byte},
          {"MODULEUSAGEID", Kind::CString, 11},
          {"SOURCEMODULEID", Kind::Long},
          {"STATUS", Kind::String, 1},
          {"TRACEDATE", Kind::DateTime},
          {"TRACEUSER", Kind::Long},
          {"USAGEID", Kind::Long, 0, true}},
         "\"USAGEID\"",
         {"CREATE UNIQUE INDEX \"Unique_SourceModID_ModUsageID\" ON %1(\"SOURCEMODULEID\", "
          "\"MODULEUSAGEID\")"}},
        {"FIATransaction",
         {{"AmendmentSequence", Kind::Long},
          {"DateAdded", Kind::DateTime},
          {"DateCleared", Kind::DateTime},
          {"DateProduced", Kind::DateTime},
          {"Description", Kind::CString, 51},
          {"Electronic", Kind::Byte},
          {"ExternalFormID", Kind::CString, 51},
          {"FIAID", Kind::Long},
          {"FIStatus", Kind::String, 1},
          {"GLPostingOption", Kind::String, 1},
          {"GLPostingStatus", Kind::String, 1},
          {"InternalFormID", Kind::Long},
          {"IsAmendmentTo", Kind::Long},
          {"IsCurrent", Kind::Byte},
          {"IsSoleCopy", Kind::Byte},
          {"NativeUnique", Kind::Long},
          {"NetAmount", Kind::Money},
          {"PartiallyReconcilable", Kind::Byte},
          {"PayeeOrPayorID", Kind::CString, 51},
          {"ReconDate", Kind::DateTime},
          {"ReconStatementID", Kind::Long},
          {"RunOrBatch", Kind::Long},
          {"RunOrBatchItemID", Kind::Long},
          {"SourceModuleID", Kind::Long},
          {"SourceModuleStatus", Kind::String, 1},
          {"SubSource", Kind::String, 1},
          {"TraceDate", Kind::DateTime},
          {"TraceUser", Kind::Long},
          {"TransactionID", Kind::Long, 0, true},
          {"TransactionSubType", Kind::CString, 8},
          {"TransactionType", Kind::CString, 8},
          {"UsageID", Kind::Long}},
         "\"TransactionID\"",
         {"CREATE INDEX \"Sort_FIATransaction\" ON %1(\"FIAID\", \"FIStatus\", "
          "\"DateProduced\", \"TransactionID\")"}},
        {"FIATransactionDistribution",
         {{"Amount", Kind::Money},
          {"DistributionID", Kind::Long, 0, true},
          {"GLAccount", Kind::CString, 56},
          {"Percentage", Kind::Percent},
          {"Remainder", Kind::Byte},
          {"TransactionID", Kind::Long, 0, true}},
         "\"DistributionID\"",
         {"CREATE INDEX \"FK_FIATransactionDistribution_FIATransaction\" ON "
          "%1(\"TransactionID\")"}},
    };
    return kTables;
}

QString columnType(const Column& column, bool postgres) {
    switch (column.kind) {
        case Kind::Long:
            return "INTEGER";
        case Kind::Byte:
            return "SMALLINT";
        case Kind::CString:
            return QString("VARCHAR(%1)").arg(column.size - 1);
        case Kind::String:
            return QString("CHAR(%1)").arg(column.size);
        case Kind::DateTime:
            return postgres ? "TIMESTAMP" : "TEXT";
        case Kind::Money:
            return postgres ? "NUMERIC(19,4)" : "TEXT";
        case Kind::Percent:
            return postgres ? "NUMERIC(9,4)" : "TEXT";
    }
    return "TEXT";
}

QString defaultValue(const Column& column) {
    switch (column.kind) {
        case Kind::Long:
        case Kind::Byte:
            return " DEFAULT 0";
        case Kind::CString:
        case Kind::String:
            return " DEFAULT ''";
        case Kind::Money:
        case Kind::Percent:
            return " DEFAULT '0'";
        case Kind::DateTime:
            return {};
    }
    return {};
}

QString execAll(QSqlDatabase& db, const QStringList& statements) {
    QSqlQuery query(db);
    for (const QString& sql : statements)
        if (!query.exec(sql)) return query.lastError().text();
    return {};
}

QString createTables(QSqlDatabase& db) {
    const bool postgres = isPostgres(db);
    QStringList statements;
    // Dropped in reverse order, so the distribution table goes before its transactions.
    for (auto it = tables().rbegin(); it != tables().rend(); ++it)
        statements << QString("DROP TABLE IF EXISTS %1%2")
                          .arg(tableName(db, it->name), postgres ? " CASCADE" : "");
    for (const Table& table : tables()) {
        QStringList columns;
        for (const Column& column : table.columns)
            columns << QString("\"%1\" %2%3%4")
                           .arg(column.name, columnType(column, postgres),
                                column.notNull ? QString(" NOT NULL") : QString(),
                                column.notNull ? QString() : defaultValue(column));
        QString foreignKey;
        if (QString(table.name) == "FIALedgerAcct")
            foreignKey = QString(", FOREIGN KEY(\"FIAID\") REFERENCES %1(\"FIAID\")")
                             .arg(tableName(db, "FinlInstitutionAcct"));
        if (QString(table.name) == "FIATransactionDistribution")
            foreignKey =
                QString(", FOREIGN KEY(\"TransactionID\") REFERENCES %1(\"TransactionID\")")
                    .arg(tableName(db, "FIATransaction"));
        statements << QString("CREATE TABLE %1(%2, CONSTRAINT \"PK_%3\" PRIMARY KEY(%4)%5)")
                          .arg(tableName(db, table.name), columns.join(", "), table.name,
                               table.primaryKey, foreignKey);
        for (const char* extra : table.extras) {
            QString sql = QString(extra).arg(tableName(db, table.name));
            statements << sql;
        }
    }
    return execAll(db, statements);
}

// Creates the PostgreSQL database of the division when it is missing.
QString ensurePostgresDatabase(const SuiteServer& server, int division, const QString& user,
                               const QString& password) {
    const QString connection = "tvhost-admin-" + QUuid::createUuid().toString(QUuid::Id128);
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QPSQL", connection);
        db.setHostName(server.host);
        db.setPort(server.port);
        db.setDatabaseName("postgres");
        db.setUserName(user);
        db.setPassword(password);
        db.setConnectOptions("connect_timeout=10");
        if (!db.open()) {
            error = "Unable to connect to " + server.host + ": " + db.lastError().databaseText();
        } else {
            {
                QSqlQuery query(db);
                query.prepare("SELECT 1 FROM pg_database WHERE datname = ?");
                query.addBindValue(databaseName(division));
                bool exists = false;
                if (!query.exec())
                    error = query.lastError().text();
                else
                    exists = query.next();
                QSqlQuery create(db);
                // The name is made of digits only, so it is safe as an identifier.
                if (error.isEmpty() && !exists &&
                    !create.exec("CREATE DATABASE " + databaseName(division))) {
                    error = create.lastError().text();
                    // Another process may have created it meanwhile.
                    if (query.exec() && query.next()) error.clear();
                }
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(connection);
    return error;
}

}  // namespace

SuiteServer parseServer(const QString& server) {
    SuiteServer out;
    if (server.startsWith("sqlite:")) {
        out.folder = server.mid(7);
        if (!out.folder.isEmpty()) out.kind = SuiteServer::Kind::Sqlite;
        return out;
    }
    if (server.startsWith("postgresql://") || server.startsWith("postgres://")) {
        const QUrl url(server);
        if (!url.isValid() || url.host().isEmpty()) return out;
        out.kind = SuiteServer::Kind::Postgres;
        out.host = url.host();
        out.port = url.port(5432);
    }
    return out;
}

QString displayServer(const QString& server) {
    const qsizetype scheme = server.indexOf("://");
    const qsizetype at = server.lastIndexOf('@');
    if (scheme < 0 || at < scheme) return server;
    return server.left(scheme + 3) + server.mid(at + 1);
}

QString databaseName(int division) {
    return QString("tvw%1").arg(division, 2, 10, QChar('0'));
}

bool isPostgres(const QSqlDatabase& db) {
    return db.driverName() == "QPSQL";
}

QString tableName(const QSqlDatabase& db, const QString& table) {
    return isPostgres(db) ? "dbo.\"" + table + "\"" : "\"" + table + "\"";
}

QSqlDatabase openSuiteDatabase(const QString& server, int division, const QString& user,
                               const QString& password, const QString& connectionName,
                               QString* error) {
    QString reason;
    const SuiteServer parsed = parseServer(server);
    if (division < 0 || division > 99) {
        reason = QString("Division %1 is not between 0 and 99").arg(division);
    } else if (parsed.kind == SuiteServer::Kind::Sqlite) {
        const QString path = QDir(parsed.folder).filePath(databaseName(division) + ".db");
        if (!QFileInfo::exists(path)) {
            reason = "Suite database " + path + " does not exist";
        } else {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", connectionName);
            db.setDatabaseName(path);
            if (db.open()) {
                QSqlQuery(db).exec("PRAGMA foreign_keys = ON");
                return db;
            }
            reason = "Unable to open " + path + ": " + db.lastError().text();
        }
    } else if (parsed.kind == SuiteServer::Kind::Postgres) {
        QSqlDatabase db = QSqlDatabase::addDatabase("QPSQL", connectionName);
        db.setHostName(parsed.host);
        db.setPort(parsed.port);
        db.setDatabaseName(databaseName(division));
        db.setUserName(user);
        db.setPassword(password);
        db.setConnectOptions("connect_timeout=10");
        if (db.open()) return db;
        reason = "Unable to connect to " + databaseName(division) + " on " + parsed.host + ": " +
                 db.lastError().databaseText();
    } else {
        reason = "Unknown server " + displayServer(server) +
                 " (use sqlite:DIR or postgresql://HOST:PORT)";
    }
    if (QSqlDatabase::contains(connectionName)) QSqlDatabase::removeDatabase(connectionName);
    if (error) *error = reason;
    return QSqlDatabase();
}

QString createSuiteDatabase(const QString& server, int division, const QString& user,
                            const QString& password, const QString& dataFolder, bool demo) {
    const SuiteServer parsed = parseServer(server);
    if (parsed.kind == SuiteServer::Kind::Invalid)
        return "Unknown server " + displayServer(server) +
               " (use sqlite:DIR or postgresql://HOST:PORT)";
    if (division < 0 || division > 99)
        return QString("Division %1 is not between 0 and 99").arg(division);

    if (parsed.kind == SuiteServer::Kind::Sqlite) {
        if (!QDir().mkpath(parsed.folder)) return "Unable to create folder " + parsed.folder;
        const QString path = QDir(parsed.folder).filePath(databaseName(division) + ".db");
        if (QFileInfo::exists(path) && !QFile::remove(path)) return "Unable to replace " + path;
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) return "Unable to create " + path;
        file.close();
    } else if (QString error = ensurePostgresDatabase(parsed, division, user, password);
               !error.isEmpty()) {
        return error;
    }

    const QString connection = "tvhost-init-" + QUuid::createUuid().toString(QUuid::Id128);
    QString error;
    {
        QSqlDatabase db = openSuiteDatabase(server, division, user, password, connection, &error);
        if (db.isValid()) {
            // Quiet the server's notices about schemas and tables that are (not) there yet.
            if (isPostgres(db))
                error = execAll(
                    db, {"SET client_min_messages TO WARNING", "CREATE SCHEMA IF NOT EXISTS dbo"});
            if (error.isEmpty()) error = createTables(db);
            if (error.isEmpty() && demo) error = loadDemoTables(db);
            db.close();
        }
    }
    if (QSqlDatabase::contains(connection)) QSqlDatabase::removeDatabase(connection);
    if (!error.isEmpty()) return error;

    QString folder = dataFolder;
    if (folder.isEmpty())
        folder = parsed.kind == SuiteServer::Kind::Sqlite ? parsed.folder : QString(".");
    if (!QDir().mkpath(folder)) return "Unable to create folder " + folder;
    tvsuite::SuiteAdmin files;
    std::string fileError = files.open(folder.toStdString());
    if (fileError.empty()) fileError = files.begin();
    if (fileError.empty()) fileError = files.clearDivision(division);
    if (fileError.empty() && demo) fileError = loadDemoFiles(files, division).toStdString();
    if (fileError.empty()) fileError = files.commit();
    if (!fileError.empty())
        return "Unable to prepare the suite's files in " + folder + ": " +
               QString::fromStdString(fileError);
    return {};
}

}  // namespace tvhost
