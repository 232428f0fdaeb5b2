// loadfia_bench: loading the suite's financial institution accounts into APbnk and APbnu.
// Builds a suite of 2,000 institution accounts with 3 cash accounts each (SQLite), then times,
// in the same run:
//   loader    LOADFIA and the account loader (time-sliced job, headless: no pacing delays)
//             into a fresh data folder, then a second load over the loaded files;
//   baseline  a plain SQL read of the same institution/cash-account rows, and plain inserts of
//             the same APbnk and APbnu records in one transaction (prepared statements, the
//             same tables and indexes).
//   loadfia_bench [rounds, at least 5; 7 by default]
// Prints the least, median and greatest of the rounds; the last line is "ratio loadfia=X", the
// median of the per-round ratios of the first load over the baseline.
#include <sqlite3.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "bankrec/banks/load_fia.h"
#include "bankrec/shell/startup_parameters.h"
#include "bankrec/storage/dictionary.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/storage.h"
#include "bench_stats.h"
#include "corelib/message_script.h"
#include "suiteapi/tvsysdata.h"
#include "tvhost/suite_database.h"
#include "tvsuite/suite_admin.h"

using namespace corelib;
using namespace storage;
using namespace shell;
using namespace banks;

namespace {
constexpr int kAccounts = 2000;
constexpr int kDivision = 3;

struct CashAccount {
    const char* external;
    const char* stringId;
    const char* internalId;
    const char* description;
};
const CashAccount kCash[3] = {{"1000-000-00", "GL00100001", "100001", "Cash - Operating"},
                              {"1000-100-00", "GL00100002", "100002", "Cash - Special"},
                              {"1010-000-00", "GL00100003", "100003", "Cash - Payroll"}};

bool fail(const QString& what) {
    std::fprintf(stderr, "loadfia_bench: %s\n", what.toUtf8().constData());
    return false;
}

bool makeSuite(const std::string& folder) {
    const QString server = QString::fromStdString("sqlite:" + folder);
    QString error = tvhost::createSuiteDatabase(server, kDivision, "bench", "bench",
                                                QString::fromStdString(folder), false);
    if (!error.isEmpty()) return fail(error);
    tvsuite::SuiteAdmin admin;
    std::string e = admin.open(folder);
    if (e.empty()) e = admin.begin();
    for (const char* s : {"1000", "1010"})
        if (e.empty()) e = admin.addSegment(kDivision, 1, s, "A", "Cash");
    for (const char* s : {"000", "100"})
        if (e.empty()) e = admin.addSegment(kDivision, 2, s, "A", "Fund");
    if (e.empty()) e = admin.addSegment(kDivision, 3, "00", "A", "Unrestricted");
    for (const CashAccount& c : kCash)
        if (e.empty())
            e = admin.addAccount(kDivision, c.external, c.stringId, c.internalId, c.description);
    if (e.empty()) e = admin.commit();
    if (!e.empty()) return fail(QString::fromStdString(e));

    QString connError;
    {
        QSqlDatabase db = tvhost::openSuiteDatabase(server, kDivision, "bench", "bench",
                                                    "bench-suite", &connError);
        if (!db.isValid() || !db.isOpen()) return fail(connError);
        error = tvhost::addBulkAccounts(db, 1, kAccounts, 0, 1);
        if (!error.isEmpty()) return fail(error);
        db.transaction();
        for (int fia = 1; fia <= kAccounts && error.isEmpty(); ++fia)
            for (int k = 1; k < 3 && error.isEmpty(); ++k) {
                tvhost::LedgerAccount la;
                la.fiaId = fia;
                la.laId = kCash[k].external;
                la.description = kCash[k].description;
                la.laInternalId = kCash[k].internalId;
                la.laInternalStringId = kCash[k].stringId;
                error = tvhost::addLedgerAccount(db, la);
            }
        if (!error.isEmpty()) return fail(error);
        db.commit();
    }
    QSqlDatabase::removeDatabase("bench-suite");
    return true;
}

struct Timing {
    bench::Sample time;
    double loadfiaMs = 0;  // of which LOADFIA itself
    FiaLoadCounts counts;
};

Timing runLoader(const Storage& storage, const StartupParameters& params) {
    const bench::Stopwatch watch;
    FileSession session(storage);
    Timing r;
    {
        FileUse files(session, {FileId::APbnk, FileId::APbnu});
        FiaLink link(params);
        QElapsedTimer l;
        l.start();
        link.load();
        r.loadfiaMs = l.nsecsElapsed() / 1e6;
        FiaLoadJob job(session, link);
        runProgress(loadFiaQuickOptions(), job);
        r.counts = job.loader().counts();
    }
    r.time = watch.sample();
    return r;
}

std::string insertSql(const FileDef& f, const char* schema) {
    std::string cols, marks;
    for (const FieldDef& d : f.fields) {
        cols += (cols.empty() ? "" : ", ") + d.name;
        marks += marks.empty() ? "?" : ", ?";
    }
    return "INSERT INTO " + std::string(schema) + "." + f.name + " (" + cols + ") VALUES (" +
           marks + ")";
}

bool exec(sqlite3* db, const std::string& sql) {
    char* err = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        fail(QString("%1: %2").arg(QString::fromStdString(sql), err ? err : "?"));
        sqlite3_free(err);
        return false;
    }
    return true;
}

// The same rows read with one plain query, and the same records written with plain inserts.
[[gnu::noinline]] Timing runBaseline(const std::string& suiteFolder, const std::string& folder,
                                     int& rowsRead) {
    const bench::Stopwatch watch;
    struct Row {
        int fiaId;
        std::string bank, account, apBank;
    };
    std::vector<Row> rows;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "bench-plain");
        db.setDatabaseName(QString::fromStdString(suiteFolder + "/tvw03.db"));
        if (!db.open()) return fail(db.lastError().text()), Timing{};
        QSqlQuery q(db);
        q.setForwardOnly(true);
        q.exec(
            "SELECT f.FIAID, f.Description, l.LAID, u.MODULEUSAGEID FROM FinlInstitutionAcct f"
            " JOIN FIALedgerAcct l ON l.FIAID = f.FIAID"
            " LEFT JOIN FIAModuleUsage u ON u.FIAID = f.FIAID AND u.FIID = f.FIID"
            " ORDER BY f.FIAID, l.LAID");
        while (q.next())
            rows.push_back({q.value(0).toInt(), q.value(1).toString().toStdString(),
                            q.value(2).toString().toStdString(),
                            q.value(3).toString().toStdString()});
    }
    QSqlDatabase::removeDatabase("bench-plain");
    rowsRead = int(rows.size());

    sqlite3* db = nullptr;
    const FileDef& bnk = fileDef(FileId::APbnk);
    const FileDef& bnu = fileDef(FileId::APbnu);
    if (sqlite3_open((folder + "/plain_APbnk.db").c_str(), &db) != SQLITE_OK) return {};
    // Each file's table and keys are made in one transaction, as the storage engine makes them.
    auto create = [&](const FileDef& f, const char* schema) {
        bool made = exec(db, "BEGIN IMMEDIATE") && exec(db, createTableSql(f, schema));
        for (size_t k = 0; made && k < f.keys.size(); ++k)
            made = exec(db, createIndexSql(f, int(k), schema));
        return made && exec(db, "COMMIT");
    };
    bool ok = exec(db, "ATTACH DATABASE '" + folder + "/plain_APbnu.db' AS u") &&
              create(bnk, "main") && create(bnu, "u");
    sqlite3_stmt* insBank = nullptr;
    sqlite3_stmt* insUse = nullptr;
    ok = ok && exec(db, "BEGIN IMMEDIATE") &&
         sqlite3_prepare_v2(db, insertSql(bnk, "main").c_str(), -1, &insBank, nullptr) ==
             SQLITE_OK &&
         sqlite3_prepare_v2(db, insertSql(bnu, "u").c_str(), -1, &insUse, nullptr) == SQLITE_OK;
    std::map<int, int> bankOf;
    int useId = 0;
    for (const Row& r : rows) {
        if (!ok) break;
        auto [it, added] = bankOf.emplace(r.fiaId, int(bankOf.size()) + 1);
        if (added) {
            sqlite3_reset(insBank);
            sqlite3_clear_bindings(insBank);
            for (int i = 1; i <= int(bnk.fields.size()); ++i) sqlite3_bind_int(insBank, i, 0);
            sqlite3_bind_int(insBank, 1, it->second);
            sqlite3_bind_int(insBank, 5, r.fiaId);
            sqlite3_bind_text(insBank, 6, r.bank.c_str(), -1, SQLITE_TRANSIENT);
            for (int i : {8, 9, 11, 12, 14}) sqlite3_bind_text(insBank, i, "", -1, SQLITE_STATIC);
            sqlite3_bind_text(insBank, 13, r.apBank.c_str(), -1, SQLITE_TRANSIENT);
            ok = sqlite3_step(insBank) == SQLITE_DONE;
        }
        sqlite3_reset(insUse);
        sqlite3_bind_int(insUse, 1, ++useId);
        for (int i = 2; i <= 4; ++i) sqlite3_bind_int(insUse, i, 0);
        sqlite3_bind_int(insUse, 5, it->second);
        sqlite3_bind_text(insUse, 6, r.account.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(insUse, 7, 0);
        ok = ok && sqlite3_step(insUse) == SQLITE_DONE;
    }
    sqlite3_finalize(insBank);
    sqlite3_finalize(insUse);
    ok = ok && exec(db, "COMMIT");
    sqlite3_close(db);
    if (!ok) return {};
    Timing r;
    r.time = watch.sample();
    return r;
}
}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ScopedScriptedMessages messages;
    messages->setEcho(true);
    QTemporaryDir dir;
    const std::string root = dir.path().toStdString();
    const std::string suite = root + "/suite";
    QDir().mkpath(QString::fromStdString(suite));
    if (!makeSuite(suite)) return 1;
    tvsuite_SetDataFolder(suite.c_str());

    // Each measurement in several rounds into fresh files, the loader and the baseline in
    // turn: a single commit's fsync varies a lot on a shared disk.
    const int rounds = std::max(5, argc > 1 ? std::atoi(argv[1]) : 7);
    bench::Timings firsts, seconds, baselines;
    Timing first, second;
    int rowsRead = 0;
    for (int round = 0; round < rounds; ++round) {
        const std::string data = root + "/data" + std::to_string(round);
        const std::string plain = root + "/plain" + std::to_string(round);
        for (const auto& d : {data, plain}) QDir().mkpath(QString::fromStdString(d));
        StartupParameters params;
        params.parse({"Division=3", "DataPath=" + data, "Server=sqlite:" + suite, "UserID=bench",
                      "Password=bench", "TVUser=1"});
        Storage storage;
        storage.nameFiles(data, kDivision);
        storage.setFileName(FileId::APbnu, data + "/APbnu");
        Timing baseline;
        if (round % 2) baseline = runBaseline(suite, plain, rowsRead);
        first = runLoader(storage, params);
        second = runLoader(storage, params);
        if (round % 2 == 0) baseline = runBaseline(suite, plain, rowsRead);
        if (baseline.time.wallMs <= 0) return 1;
        firsts.add(first.time);
        seconds.add(second.time);
        baselines.add(baseline.time);
    }

    std::printf(
        "institution accounts %d, cash accounts each 3, suite rows read %d; %d rounds, each "
        "into fresh files\n",
        kAccounts, rowsRead, rounds);
    std::printf(
        "last round: first load LOADFIA %.1f ms; entries %d, banks added %d, cash added %d, "
        "defaults %d; second load LOADFIA %.1f ms; banks updated %d, cash added %d, removed "
        "%d\n",
        first.loadfiaMs, first.counts.entries, first.counts.banksAdded, first.counts.cashAdded,
        first.counts.defaultsSet, second.loadfiaMs, second.counts.banksUpdated,
        second.counts.cashAdded, second.counts.cashRemoved);
    bench::print("loader second load", seconds.wall, "ms");
    bench::print("loader second load cpu", seconds.cpu, "ms");
    const bench::Series ratio =
        bench::compare("first load", "loader", firsts, "baseline", baselines);
    std::printf("messages shown %zu\n", messages->count());
    std::printf("ratio loadfia=%.2f\n", ratio.median());
    return 0;
}
