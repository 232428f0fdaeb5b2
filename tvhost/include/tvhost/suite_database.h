#pragma once
// The stand-in suite's SQL database of a division ("tvwNN") and the suite's files, for the
// admin command and for tests that need a fresh suite.
//
// Server text: "sqlite:DIR" is the file DIR/tvwNN.db; "postgresql://HOST[:PORT]" is the
// database tvwNN on that server, tables in schema "dbo". Tables and columns are created with
// their names exactly as spelled (FIATransaction, NetAmount, FIAModuleUsage.SOURCEMODULEID);
// on PostgreSQL they are quoted identifiers, so queries name them quoted:
// dbo."FIATransaction"."NetAmount". Column types: LONG INTEGER, BYTE SMALLINT, CSTRING(n)
// VARCHAR(n-1), STRING(n) CHAR(n), datetime TIMESTAMP (SQLite: ISO text
// "yyyy-MM-ddTHH:mm:ss"), money NUMERIC(19,4) (SQLite: exact decimal text "-150.0000",
// since SQLite's NUMERIC would keep fractions in floating point). Read money with
// QSql::HighPrecision.
//
// Every function returns an empty text on success and the reason otherwise; passwords never
// appear in the reason.
#include <QDateTime>
#include <QSqlDatabase>
#include <QString>

namespace tvhost {

struct SuiteServer {
    enum class Kind { Invalid, Sqlite, Postgres };
    Kind kind = Kind::Invalid;
    QString folder;  // sqlite
    QString host;    // postgresql
    int port = 5432;
};

SuiteServer parseServer(const QString& server);
// The server text for messages, without any user name or password written into it.
QString displayServer(const QString& server);
// "tvw02" for division 2.
QString databaseName(int division);
bool isPostgres(const QSqlDatabase& db);
// The table's name for SQL on this connection: "\"FIATransaction\"" on SQLite,
// "dbo.\"FIATransaction\"" on PostgreSQL.
QString tableName(const QSqlDatabase& db, const QString& table);

// Opens the division's existing suite database under `connectionName` (the caller removes
// it with QSqlDatabase::removeDatabase after the last use). On failure the returned
// database is invalid and `error` tells why.
QSqlDatabase openSuiteDatabase(const QString& server, int division, const QString& user,
                               const QString& password, const QString& connectionName,
                               QString* error);

// Makes a fresh suite for the division: the SQL database (created when missing; its tables
// dropped and created empty) and the division's part of the suite's files in `dataFolder`
// (empty: the sqlite DIR, or the current directory for a server), emptied. With `demo` it
// loads the demonstration organisation (see demo_data.h).
QString createSuiteDatabase(const QString& server, int division, const QString& user,
                            const QString& password, const QString& dataFolder, bool demo);

// Rows for tests and the demo. Fields left at their defaults get sensible values. Foreign
// keys hold: a ledger row needs its institution account first (a distribution its
// transaction). Each call prepares its statement afresh; use addBulkAccounts for volume.
struct InstitutionAccount {
    int fiaId = 0;
    int fiId = 1;
    QString accountNo;
    QString description;
    QString status = "A";
    QString type = "CHK";
    int sourceModuleId = 0;
};
struct LedgerAccount {
    int fiaId = 0;
    QString laId;  // external form, "1000-000-00"
    QString description;
    QString laInternalId;
    QString laInternalStringId;  // the chart's string ID
    QString status = "A";
};
struct ModuleUsage {
    int usageId = 0;
    int fiaId = 0;
    int fiId = 1;
    int sourceModuleId = 8;  // 6 journal, 8 payables, 9 payroll, 10 cash receipts
    QString moduleUsageId;   // the bank code
    QString description;
};
struct Transaction {
    int transactionId = 0;
    int fiaId = 0;
    int sourceModuleId = 8;
    QString fiStatus = "O";
    QDateTime dateProduced;  // invalid: today at midnight
    QString description;
    QString externalFormId;
    int internalFormId = 0;
    int runOrBatch = 0;
    int nativeUnique = 0;
    QString netAmount = "0";  // decimal text; payments negative
    bool electronic = false;
    QString payeeOrPayorId;
    QDateTime reconDate;  // set for reconciled rows
};

QString addInstitutionAccount(QSqlDatabase& db, const InstitutionAccount& row);
QString addLedgerAccount(QSqlDatabase& db, const LedgerAccount& row);
QString addModuleUsage(QSqlDatabase& db, const ModuleUsage& row);
QString addTransaction(QSqlDatabase& db, const Transaction& row);

// Many rows quickly, in one transaction with prepared statements: `accounts` institution
// accounts from FIAID `firstFiaId` on, each with one ledger row (cash account 1000-000-00),
// one payables usage (bank code "B" + FIAID) and `transactionsPerAccount` open payables
// checks numbered from `firstTransactionId` on.
QString addBulkAccounts(QSqlDatabase& db, int firstFiaId, int accounts, int transactionsPerAccount,
                        int firstTransactionId);

}  // namespace tvhost
