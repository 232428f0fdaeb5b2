#include "tvhost/admin_command.h"

#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>

#include <set>

#include "tvhost/suite_database.h"
#include "tvsuite/suite_admin.h"

namespace tvhost {
namespace {

struct Options {
    QString command;
    QString what;
    QString server;
    int division = -1;
    QString data;
    QString user;
    QString password;
    bool demo = false;
    int accounts = 0;
    int transactions = 0;
    int firstFiaId = 1000;
};

const char* const kUsage =
    "usage: tvhost init --server sqlite:DIR|postgresql://HOST[:PORT] --division N\n"
    "                   [--data DIR] [--demo] [--user U --password P]\n"
    "       tvhost show transactions|accounts|register|ledger|payroll|chart|journals|runs\n"
    "                   --server S --division N [--data DIR] [--user U --password P]\n"
    "       tvhost bulk --server S --division N --accounts A --transactions T\n"
    "                   [--first-fiaid F] [--user U --password P]\n";

// Parses the arguments; an empty text on success.
QString parse(const QStringList& arguments, Options& options) {
    if (arguments.isEmpty()) return "no command";
    options.command = arguments.first();
    int i = 1;
    if (options.command == "show") {
        if (arguments.size() < 2) return "show needs what to show";
        options.what = arguments.at(1);
        i = 2;
    } else if (options.command != "init" && options.command != "bulk") {
        return "unknown command " + options.command;
    }
    for (; i < arguments.size(); ++i) {
        const QString& name = arguments.at(i);
        if (name == "--demo") {
            options.demo = true;
            continue;
        }
        if (i + 1 >= arguments.size()) return name + " needs a value";
        const QString value = arguments.at(++i);
        if (name == "--server") {
            options.server = value;
        } else if (name == "--division") {
            bool ok = false;
            options.division = value.toInt(&ok);
            if (!ok || options.division < 0 || options.division > 99)
                return "the division must be a number from 0 to 99";
        } else if (name == "--accounts" || name == "--transactions" || name == "--first-fiaid") {
            bool ok = false;
            const int number = value.toInt(&ok);
            if (!ok || number < 0) return name + " needs a whole number";
            (name == "--accounts"       ? options.accounts
             : name == "--transactions" ? options.transactions
                                        : options.firstFiaId) = number;
        } else if (name == "--data") {
            options.data = value;
        } else if (name == "--user") {
            options.user = value;
        } else if (name == "--password") {
            options.password = value;
        } else {
            return "unknown option " + name;
        }
    }
    if (options.server.isEmpty()) return "--server is required";
    if (options.division < 0) return "--division is required";
    if (parseServer(options.server).kind == SuiteServer::Kind::Invalid)
        return "unknown server " + displayServer(options.server);
    return {};
}

void printTable(QTextStream& out, const QStringList& headings, const QList<QStringList>& rows,
                const std::set<int>& rightAligned) {
    QList<int> widths;
    for (const QString& heading : headings) widths << heading.size();
    for (const QStringList& row : rows)
        for (int c = 0; c < row.size() && c < widths.size(); ++c)
            widths[c] = std::max(widths[c], static_cast<int>(row[c].size()));
    auto line = [&](const QStringList& cells) {
        QStringList parts;
        for (int c = 0; c < widths.size(); ++c) {
            const QString cell = c < cells.size() ? cells[c] : QString();
            parts << (rightAligned.count(c) ? cell.rightJustified(widths[c])
                                            : cell.leftJustified(widths[c]));
        }
        QString text = parts.join("  ");
        while (text.endsWith(' ')) text.chop(1);
        out << text << "\n";
    };
    line(headings);
    QStringList rules;
    for (int width : widths) rules << QString(width, '-');
    line(rules);
    for (const QStringList& row : rows) line(row);
    out << "(" << rows.size() << (rows.size() == 1 ? " row" : " rows") << ")\n";
}

QString dateText(const QVariant& value, bool withTime) {
    if (value.isNull()) return {};
    if (value.metaType().id() == QMetaType::QDateTime)
        return value.toDateTime().toString(withTime ? "yyyy-MM-dd HH:mm" : "yyyy-MM-dd");
    QString text = value.toString().replace('T', ' ');
    return withTime ? text.left(16) : text.left(10);
}

QString sourceName(int module) {
    switch (module) {
        case 6:
            return "GL";
        case 8:
            return "AP";
        case 9:
            return "PR";
        case 10:
            return "CR";
        default:
            return QString::number(module);
    }
}

QString showTransactions(QSqlDatabase& db, QTextStream& out) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.setNumericalPrecisionPolicy(QSql::HighPrecision);
    const QString sql =
        QString(
            "SELECT \"TransactionID\", \"FIAID\", \"SourceModuleID\", \"FIStatus\", "
            "\"DateProduced\", \"ExternalFormID\", \"RunOrBatch\", \"InternalFormID\", "
            "\"NetAmount\", \"Electronic\", \"PayeeOrPayorID\", \"Description\", \"ReconDate\" "
            "FROM %1 ORDER BY \"FIAID\", \"TransactionID\"")
            .arg(tableName(db, "FIATransaction"));
    if (!query.exec(sql)) return query.lastError().text();
    QList<QStringList> rows;
    while (query.next()) {
        rows << QStringList{query.value(0).toString(),          query.value(1).toString(),
                            sourceName(query.value(2).toInt()), query.value(3).toString().trimmed(),
                            dateText(query.value(4), false),    query.value(5).toString(),
                            query.value(6).toString(),          query.value(7).toString(),
                            query.value(8).toString(),          query.value(9).toInt() ? "Y" : "",
                            query.value(10).toString(),         query.value(11).toString(),
                            dateText(query.value(12), true)};
    }
    printTable(out,
               {"TransID", "FIAID", "Src", "St", "Produced", "ExtForm", "Run", "IntForm",
                "NetAmount", "Elec", "Payee", "Description", "ReconDate"},
               rows, {0, 1, 6, 7, 8});
    return {};
}

QString showAccounts(QSqlDatabase& db, QTextStream& out) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QString("SELECT i.\"FIAID\", i.\"FIID\", i.\"Description\", i.\"AccountNo\", "
                            "l.\"LAID\", l.\"LAInternalStringID\", l.\"Description\" FROM %1 i "
                            "LEFT JOIN %2 l ON l.\"FIAID\" = i.\"FIAID\" "
                            "ORDER BY i.\"FIAID\", l.\"LAInternalStringID\"")
                        .arg(tableName(db, "FinlInstitutionAcct"), tableName(db, "FIALedgerAcct"))))
        return query.lastError().text();
    QList<QStringList> rows;
    while (query.next()) {
        QStringList row;
        for (int c = 0; c < 7; ++c) row << query.value(c).toString();
        rows << row;
    }
    printTable(out,
               {"FIAID", "FIID", "Institution account", "AccountNo", "Ledger account", "StringID",
                "Ledger description"},
               rows, {0, 1});
    out << "\n";
    if (!query.exec(QString("SELECT \"USAGEID\", \"FIID\", \"FIAID\", \"SOURCEMODULEID\", "
                            "\"MODULEUSAGEID\", \"DESCRIPTION\" FROM %1 ORDER BY \"USAGEID\"")
                        .arg(tableName(db, "FIAModuleUsage"))))
        return query.lastError().text();
    rows.clear();
    while (query.next())
        rows << QStringList{query.value(0).toString(), query.value(1).toString(),
                            query.value(2).toString(), sourceName(query.value(3).toInt()),
                            query.value(4).toString(), query.value(5).toString()};
    printTable(out, {"Usage", "FIID", "FIAID", "Module", "Bank code", "Description"}, rows,
               {0, 1, 2});
    return {};
}

QString showSql(const Options& options, QTextStream& out) {
    const QString connection = "tvhost-show-" + QUuid::createUuid().toString(QUuid::Id128);
    QString error;
    {
        QSqlDatabase db = openSuiteDatabase(options.server, options.division, options.user,
                                            options.password, connection, &error);
        if (db.isValid()) {
            error =
                options.what == "transactions" ? showTransactions(db, out) : showAccounts(db, out);
            db.close();
        }
    }
    if (QSqlDatabase::contains(connection)) QSqlDatabase::removeDatabase(connection);
    return error;
}

QString showFiles(const Options& options, QTextStream& out) {
    QString folder = options.data;
    if (folder.isEmpty()) {
        const SuiteServer server = parseServer(options.server);
        folder = server.kind == SuiteServer::Kind::Sqlite ? server.folder : QString(".");
    }
    tvsuite::SuiteAdmin files;
    std::string error = files.open(folder.toStdString(), false);
    if (!error.empty())
        error = "Unable to open the suite's files in " + folder.toStdString() + ": " + error;
    tvsuite::Listing listing;
    std::set<int> right;
    if (error.empty()) {
        if (options.what == "register") {
            error = files.listRegister(options.division, listing);
            right = {5};
        } else if (options.what == "ledger") {
            error = files.listLedger(options.division, listing);
            right = {0, 3, 5};
        } else if (options.what == "payroll") {
            error = files.listPayroll(options.division, listing);
            right = {5};
        } else if (options.what == "chart") {
            error = files.listChart(options.division, listing);
        } else if (options.what == "journals") {
            error = files.listJournals(options.division, listing);
        } else {
            error = files.listClearingRuns(options.division, listing);
            right = {0, 7};
        }
    }
    if (!error.empty()) return QString::fromStdString(error);
    QStringList headings;
    for (const auto& heading : listing.headings) headings << QString::fromStdString(heading);
    QList<QStringList> rows;
    for (const auto& row : listing.rows) {
        QStringList cells;
        for (const auto& cell : row) cells << QString::fromStdString(cell);
        rows << cells;
    }
    printTable(out, headings, rows, right);
    if (options.what == "register") {
        tvsuite::Listing runs;
        if (files.listClearingRuns(options.division, runs).empty() && !runs.rows.empty()) {
            out << "\nClearing runs\n";
            QList<QStringList> runRows;
            for (const auto& row : runs.rows) {
                QStringList cells;
                for (const auto& cell : row) cells << QString::fromStdString(cell);
                runRows << cells;
            }
            QStringList runHeadings;
            for (const auto& heading : runs.headings)
                runHeadings << QString::fromStdString(heading);
            printTable(out, runHeadings, runRows, {0, 7});
        }
    }
    return {};
}

// Adds many accounts and open checks to an existing suite database, timed.
QString addBulk(const Options& options, QTextStream& out) {
    const QString connection = "tvhost-bulk-" + QUuid::createUuid().toString(QUuid::Id128);
    QString error;
    {
        QSqlDatabase db = openSuiteDatabase(options.server, options.division, options.user,
                                            options.password, connection, &error);
        if (db.isValid()) {
            QElapsedTimer timer;
            timer.start();
            // Transaction numbers continue after the highest one there.
            QSqlQuery last(db);
            int firstTransaction = 1;
            if (last.exec(QString("SELECT max(\"TransactionID\") FROM %1")
                              .arg(tableName(db, "FIATransaction"))) &&
                last.next())
                firstTransaction = last.value(0).toInt() + 1;
            last.finish();
            error = addBulkAccounts(db, options.firstFiaId, options.accounts, options.transactions,
                                    firstTransaction);
            if (error.isEmpty())
                out << "Added " << options.accounts << " accounts with " << options.transactions
                    << " open checks each in " << timer.elapsed() << " ms\n";
            db.close();
        }
    }
    if (QSqlDatabase::contains(connection)) QSqlDatabase::removeDatabase(connection);
    return error;
}

}  // namespace

int runAdminCommand(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    Options options;
    if (QString error = parse(arguments, options); !error.isEmpty()) {
        err << "tvhost: " << error << "\n" << kUsage;
        return 2;
    }
    static const QStringList kShows = {"transactions", "accounts", "register", "ledger",
                                       "payroll",      "chart",    "journals", "runs"};
    if (options.command == "show" && !kShows.contains(options.what)) {
        err << "tvhost: unknown listing " << options.what << "\n" << kUsage;
        return 2;
    }
    QString error;
    if (options.command == "bulk") {
        error = addBulk(options, out);
    } else if (options.command == "init") {
        error = createSuiteDatabase(options.server, options.division, options.user,
                                    options.password, options.data, options.demo);
        if (error.isEmpty())
            out << "Created " << databaseName(options.division) << " on "
                << displayServer(options.server) << (options.demo ? " with demonstration data" : "")
                << "\n";
    } else if (options.what == "transactions" || options.what == "accounts") {
        error = showSql(options, out);
    } else {
        error = showFiles(options, out);
    }
    if (!error.isEmpty()) {
        err << "tvhost: " << error << "\n";
        return 1;
    }
    return 0;
}

}  // namespace tvhost
