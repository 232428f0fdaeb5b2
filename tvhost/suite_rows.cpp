// Rows of the suite's SQL tables, one at a time for tests and in bulk for benchmarks.
#include <QDate>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

#include "tvhost/suite_database.h"

namespace tvhost {
namespace {

// Datetimes go in as text: ISO with a "T" for SQLite, the plain form PostgreSQL casts.
QVariant dateValue(const QSqlDatabase& db, const QDateTime& value) {
    if (!value.isValid()) return QVariant(QMetaType(QMetaType::QString));
    return value.toString(isPostgres(db) ? "yyyy-MM-dd HH:mm:ss" : "yyyy-MM-ddTHH:mm:ss");
}

QDateTime traceDate() {
    return QDateTime(QDate(2026, 11, 1), QTime(8, 0));
}

// Money text with four decimals ("-412.37" gives "-412.3700"); empty when malformed.
QString fourDecimals(const QString& text) {
    static const QRegularExpression kMoney("^\\s*(-?)(\\d{1,15})(?:\\.(\\d{0,4}))?\\s*$");
    const QRegularExpressionMatch match = kMoney.match(text);
    if (!match.hasMatch()) return {};
    return match.captured(1) + match.captured(2) + "." + match.captured(3).leftJustified(4, '0');
}

QString run(QSqlQuery& query) {
    return query.exec() ? QString() : query.lastError().text();
}

const char* const kInsertInstitution =
    "INSERT INTO %1(\"AccountNo\", \"Description\", \"FIAID\", \"FIAStatus\", \"FIAType\", "
    "\"FIID\", \"IsSoleCopy\", \"PositivePay\", \"SourceModuleFIAID\", \"SourceModuleID\", "
    "\"TraceDate\", \"TraceUser\") VALUES(?, ?, ?, ?, ?, ?, 1, 0, ?, ?, ?, 1)";
const char* const kInsertLedger =
    "INSERT INTO %1(\"Description\", \"FIAID\", \"LAID\", \"LAIDType\", \"LAInternalID\", "
    "\"LAInternalStringID\", \"Status\", \"TraceDate\", \"TraceUser\") "
    "VALUES(?, ?, ?, 'A', ?, ?, ?, ?, 1)";
const char* const kInsertUsage =
    "INSERT INTO %1(\"CANTUNMAPMSG\", \"DESCRIPTION\", \"FIAID\", \"FIID\", \"ISSOLECOPY\", "
    "\"LAIDORMASK\", \"LAORMASKIMPORTED\", \"MODULEUSAGEID\", \"SOURCEMODULEID\", \"STATUS\", "
    "\"TRACEDATE\", \"TRACEUSER\", \"USAGEID\") VALUES('', ?, ?, ?, 1, '', 0, ?, ?, 'A', ?, 1, ?)";
const char* const kInsertTransaction =
    "INSERT INTO %1(\"AmendmentSequence\", \"DateAdded\", \"DateCleared\", \"DateProduced\", "
    "\"Description\", \"Electronic\", \"ExternalFormID\", \"FIAID\", \"FIStatus\", "
    "\"GLPostingOption\", \"GLPostingStatus\", \"InternalFormID\", \"IsAmendmentTo\", "
    "\"IsCurrent\", \"IsSoleCopy\", \"NativeUnique\", \"NetAmount\", "
    "\"PartiallyReconcilable\", \"PayeeOrPayorID\", \"ReconDate\", \"ReconStatementID\", "
    "\"RunOrBatch\", \"RunOrBatchItemID\", \"SourceModuleID\", \"SourceModuleStatus\", "
    "\"SubSource\", \"TraceDate\", \"TraceUser\", \"TransactionID\", \"TransactionSubType\", "
    "\"TransactionType\", \"UsageID\") VALUES(0, ?, ?, ?, ?, ?, ?, ?, ?, 'N', 'P', ?, 0, 1, 1, "
    "?, ?, 0, ?, ?, 0, ?, 0, ?, 'P', '', ?, 1, ?, '', ?, 0)";

void bindInstitution(QSqlQuery& query, const QSqlDatabase& db, const InstitutionAccount& row) {
    query.addBindValue(row.accountNo);
    query.addBindValue(row.description);
    query.addBindValue(row.fiaId);
    query.addBindValue(row.status);
    query.addBindValue(row.type);
    query.addBindValue(row.fiId);
    query.addBindValue(QString::number(row.fiaId));
    query.addBindValue(row.sourceModuleId);
    query.addBindValue(dateValue(db, traceDate()));
}

void bindLedger(QSqlQuery& query, const QSqlDatabase& db, const LedgerAccount& row) {
    query.addBindValue(row.description);
    query.addBindValue(row.fiaId);
    query.addBindValue(row.laId);
    query.addBindValue(row.laInternalId);
    query.addBindValue(row.laInternalStringId);
    query.addBindValue(row.status);
    query.addBindValue(dateValue(db, traceDate()));
}

void bindUsage(QSqlQuery& query, const QSqlDatabase& db, const ModuleUsage& row) {
    query.addBindValue(row.description);
    query.addBindValue(row.fiaId);
    query.addBindValue(row.fiId);
    query.addBindValue(row.moduleUsageId);
    query.addBindValue(row.sourceModuleId);
    query.addBindValue(dateValue(db, traceDate()));
    query.addBindValue(row.usageId);
}

QString transactionType(int sourceModuleId, const QString& amount) {
    switch (sourceModuleId) {
        case 6:
            return "JE";
        case 10:
            return "DEP";
        default:
            return amount.startsWith('-') ? "CHK" : "DEP";
    }
}

void bindTransaction(QSqlQuery& query, const QSqlDatabase& db, const Transaction& row) {
    const QDateTime produced = row.dateProduced.isValid()
                                   ? row.dateProduced
                                   : QDateTime(QDate::currentDate(), QTime(0, 0));
    query.addBindValue(dateValue(db, produced));
    query.addBindValue(dateValue(db, row.reconDate));
    query.addBindValue(dateValue(db, produced));
    query.addBindValue(row.description);
    query.addBindValue(row.electronic ? 1 : 0);
    query.addBindValue(row.externalFormId);
    query.addBindValue(row.fiaId);
    query.addBindValue(row.fiStatus);
    query.addBindValue(row.internalFormId);
    query.addBindValue(row.nativeUnique);
    query.addBindValue(fourDecimals(row.netAmount));
    query.addBindValue(row.payeeOrPayorId);
    query.addBindValue(dateValue(db, row.reconDate));
    query.addBindValue(row.runOrBatch);
    query.addBindValue(row.sourceModuleId);
    query.addBindValue(dateValue(db, produced));
    query.addBindValue(row.transactionId);
    query.addBindValue(transactionType(row.sourceModuleId, row.netAmount));
}

template <typename Row, typename Bind>
QString insertOne(QSqlDatabase& db, const char* sql, const char* table, const Row& row, Bind bind) {
    QSqlQuery query(db);
    if (!query.prepare(QString(sql).arg(tableName(db, table)))) return query.lastError().text();
    bind(query, db, row);
    return run(query);
}

}  // namespace

QString addInstitutionAccount(QSqlDatabase& db, const InstitutionAccount& row) {
    return insertOne(db, kInsertInstitution, "FinlInstitutionAcct", row, bindInstitution);
}

QString addLedgerAccount(QSqlDatabase& db, const LedgerAccount& row) {
    return insertOne(db, kInsertLedger, "FIALedgerAcct", row, bindLedger);
}

QString addModuleUsage(QSqlDatabase& db, const ModuleUsage& row) {
    return insertOne(db, kInsertUsage, "FIAModuleUsage", row, bindUsage);
}

QString addTransaction(QSqlDatabase& db, const Transaction& row) {
    if (fourDecimals(row.netAmount).isEmpty()) return "Malformed amount " + row.netAmount;
    return insertOne(db, kInsertTransaction, "FIATransaction", row, bindTransaction);
}

QString addBulkAccounts(QSqlDatabase& db, int firstFiaId, int accounts, int transactionsPerAccount,
                        int firstTransactionId) {
    if (accounts < 0 || transactionsPerAccount < 0) return "Counts must not be negative";
    if (!db.transaction()) return db.lastError().text();
    QSqlQuery institution(db), ledger(db), usage(db), transaction(db);
    QString error;
    if (!institution.prepare(
            QString(kInsertInstitution).arg(tableName(db, "FinlInstitutionAcct"))) ||
        !ledger.prepare(QString(kInsertLedger).arg(tableName(db, "FIALedgerAcct"))) ||
        !usage.prepare(QString(kInsertUsage).arg(tableName(db, "FIAModuleUsage"))) ||
        !transaction.prepare(QString(kInsertTransaction).arg(tableName(db, "FIATransaction")))) {
        error = "Unable to prepare the bulk statements";
    }
    int transactionId = firstTransactionId;
    const QDate start(2026, 1, 2);
    for (int a = 0; a < accounts && error.isEmpty(); ++a) {
        const int fiaId = firstFiaId + a;
        InstitutionAccount account;
        account.fiaId = fiaId;
        account.accountNo = QString("BULK-%1").arg(fiaId, 8, 10, QChar('0'));
        account.description = QString("Bulk account %1").arg(fiaId);
        bindInstitution(institution, db, account);
        error = run(institution);
        if (!error.isEmpty()) break;
        LedgerAccount cash;
        cash.fiaId = fiaId;
        cash.laId = "1000-000-00";
        cash.description = "Cash - Operating";
        cash.laInternalId = "100001";
        cash.laInternalStringId = "GL00100001";
        bindLedger(ledger, db, cash);
        error = run(ledger);
        if (!error.isEmpty()) break;
        ModuleUsage payables;
        payables.usageId = fiaId;
        payables.fiaId = fiaId;
        payables.moduleUsageId = QString("B%1").arg(fiaId);
        payables.description = "Bulk payables";
        bindUsage(usage, db, payables);
        error = run(usage);
        for (int t = 0; t < transactionsPerAccount && error.isEmpty(); ++t, ++transactionId) {
            Transaction check;
            check.transactionId = transactionId;
            check.fiaId = fiaId;
            check.dateProduced = QDateTime(start.addDays(t % 360), QTime(0, 0));
            check.description = QString("Vendor %1").arg(t % 997);
            check.externalFormId = QString::number(100000 + t);
            check.internalFormId = 100000 + t;
            check.runOrBatch = 1 + t / 100;
            check.nativeUnique = t + 1;
            check.netAmount = QString("-%1.%2").arg(10 + t % 5000).arg(t % 100, 2, 10, QChar('0'));
            check.payeeOrPayorId = QString::number(1000 + t % 997);
            bindTransaction(transaction, db, check);
            error = run(transaction);
        }
    }
    if (!error.isEmpty()) {
        db.rollback();
        return error;
    }
    return db.commit() ? QString() : db.lastError().text();
}

}  // namespace tvhost
