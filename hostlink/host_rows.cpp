#include "hostlink/host_rows.h"

#include <QDateTime>
#include <QSqlError>
#include <algorithm>

#include "corelib/daytime.h"
#include "corelib/globals.h"
#include "corelib/message.h"
#include "corelib/text.h"
#include "hostlink/link_text.h"

using namespace corelib;

namespace hostlink {

int32_t dayOfDateTime(const QVariant& value) {
    if (value.isNull() || !value.isValid()) return 0;
    QDate date;
    switch (value.typeId()) {
        case QMetaType::QDateTime:
            date = value.toDateTime().date();
            break;
        case QMetaType::QDate:
            date = value.toDate();
            break;
        default: {
            // Text such as "2026-03-31 00:00:00" or "2026-03-31T00:00:00.000".
            const QString text = value.toString().trimmed();
            date = QDate::fromString(text.left(10), Qt::ISODate);
            break;
        }
    }
    if (!date.isValid()) return 0;
    return daytime::dayNumber(date.year(), date.month(), date.day());
}

QVariant nowForDriver(HostDriver driver) {
    const QDateTime now = QDateTime::currentDateTime();
    if (driver == HostDriver::Sqlite) return now.toString("yyyy-MM-ddTHH:mm:ss");
    // Whole seconds, as a SQL datetime keeps them reliably on every server.
    return QDateTime(now.date(),
                     QTime(now.time().hour(), now.time().minute(), now.time().second()));
}

Decimal moneyOf(const QVariant& value) {
    if (value.isNull() || !value.isValid()) return {};
    const std::string text = value.toString().trimmed().toStdString();
    if (std::optional<Decimal> d = Decimal::parse(text)) return *d;
    // A REAL column of SQLite may come back in exponent form ("1.5e-05").
    bool ok = false;
    const double v = value.toString().toDouble(&ok);
    return ok ? Decimal::fromDouble(v) : Decimal{};
}

std::string textOf(const QVariant& value) {
    if (value.isNull()) return {};
    return text::trimRight(value.toString().toStdString());
}

int32_t longOf(const QVariant& value) {
    if (value.isNull()) return 0;
    bool ok = false;
    const qlonglong v = value.toLongLong(&ok);
    if (!ok || v < INT32_MIN || v > INT32_MAX) return 0;
    return static_cast<int32_t>(v);
}

bool prepareOn(HostTable& table, QSqlQuery& query, const QString& sql) {
    query = QSqlQuery(table.database());
    query.setForwardOnly(true);
    query.setNumericalPrecisionPolicy(QSql::HighPrecision);
    if (query.prepare(sql)) return true;
    showReadError(table, query);
    return false;
}

void showReadError(const HostTable& table, const QSqlQuery& query) {
    StandardWarning(Warn_RecordFetchError, table.displayName(), "",
                    {90, table.errorText(query.lastError())});
}

bool loadBNK(HostTable& usage, std::vector<BNKEntry>& out) {
    QSqlQuery query;
    const QString sql = "SELECT " + usage.column("FIID") + ", " + usage.column("FIAID") + ", " +
                        usage.column("SOURCEMODULEID") + ", " + usage.column("MODULEUSAGEID") +
                        " FROM " + usage.sql() + " ORDER BY " + usage.column("USAGEID");
    if (!prepareOn(usage, query, sql)) return false;
    if (!query.exec()) {
        showReadError(usage, query);
        return false;
    }
    while (query.next()) {
        BNKEntry e;
        e.FIID = longOf(query.value(0));
        e.FIAID = longOf(query.value(1));
        e.SOURCEMODULEID = longOf(query.value(2));
        e.BANK = text::cutBytes(textOf(query.value(3)), 10);
        out.push_back(std::move(e));
    }
    if (query.lastError().isValid()) {
        showReadError(usage, query);
        return false;
    }
    return true;
}

bool askContinue(const std::string& question) {
    ds_Beep();
    return ds_Message(question, glo_ApplicationName, icon::Information, msg::Yes | msg::No,
                      msg::Yes) == msg::Yes;
}

}  // namespace hostlink
