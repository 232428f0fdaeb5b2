// Check loading at scale: 10,000 open suite transactions loaded into an empty register, then
// loaded again unchanged, each timed beside plain SQL doing the same reads and writes in one
// transaction on a file of the same layout, over several rounds into fresh files.
//   loadchk_bench [transactions] [rounds, at least 5; 7 by default]
// Prints the least, median and greatest of the rounds; the last line is
// "ratio load=X reload=Y", the medians of the per-round ratios (loader time / plain SQL time).
#include <sqlite3.h>

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bankrec/activity/load_chk.h"
#include "bankrec/shell/startup_parameters.h"
#include "bankrec/storage/dictionary.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/storage.h"
#include "bench_stats.h"
#include "corelib/message_box.h"
#include "corelib/message_script.h"
#include "tvhost/suite_database.h"

using namespace corelib;
using namespace storage;
using namespace hostlink;
using namespace shell;
using namespace activity;

namespace {

using bench::Clock;
using bench::msSince;

bool check(int rc, sqlite3* db, const char* what) {
    if (rc == SQLITE_OK || rc == SQLITE_ROW || rc == SQLITE_DONE) return true;
    std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
    std::exit(1);
}

// The same reads and writes as the loader, in plain SQL: per entry a lookup by transaction,
// and for a new row the highest identifier and the insert. The reload only looks up and
// compares.
[[gnu::noinline]] bench::Sample plainSql(const std::string& path,
                                         const std::vector<ChkEntryValues>& entries,
                                         int32_t bankId) {
    sqlite3* db = nullptr;
    check(sqlite3_open(path.c_str(), &db), db, "open");
    sqlite3_stmt *find = nullptr, *last = nullptr, *insert = nullptr;
    check(sqlite3_prepare_v2(
              db,
              "SELECT rowid, * FROM APbac WHERE TransactionID = ? AND NOT (TransactionID = 0) "
              "ORDER BY TransactionID, rowid LIMIT 1",
              -1, &find, nullptr),
          db, "prepare find");
    check(sqlite3_prepare_v2(db,
                             "SELECT ActivityID FROM APbac WHERE NOT (ActivityID = 0) "
                             "ORDER BY ActivityID DESC LIMIT 1",
                             -1, &last, nullptr),
          db, "prepare last");
    check(sqlite3_prepare_v2(
              db,
              "INSERT INTO APbac (ActivityID, ChangeID, ChangeDate, ChangeTime, TransactionID, "
              "BankID, ReconciliationID, ActivityDate, ActivityType, ClearDate, Source, "
              "Reference, Name, Description, Reconciled, Marked, PaymentOrDebit, Cash, Coin, "
              "Checks, DepositOrCredit, Amount, Balance) VALUES (?, 0, 1, 1, ?, ?, 0, ?, ?, 0, ?, "
              "?, ?, ?, 0, 0, ?, 0, 0, 0, ?, ?, 0)",
              -1, &insert, nullptr),
          db, "prepare insert");
    const bench::Stopwatch watch;
    check(sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), db, "begin");
    int64_t unchanged = 0;
    for (const ChkEntryValues& v : entries) {
        sqlite3_bind_int(find, 1, v.TransactionID);
        const int rc = sqlite3_step(find);
        check(rc, db, "find");
        if (rc == SQLITE_ROW) {
            // Compare the values the loader sets.
            const bool same =
                sqlite3_column_int(find, 6) == bankId &&
                sqlite3_column_int(find, 8) == v.ActivityDate &&
                v.ActivityType == reinterpret_cast<const char*>(sqlite3_column_text(find, 9)) &&
                v.Reference == reinterpret_cast<const char*>(sqlite3_column_text(find, 12)) &&
                v.Name == reinterpret_cast<const char*>(sqlite3_column_text(find, 13)) &&
                sqlite3_column_int64(find, 22) == v.Amount.cents();
            unchanged += same;
            sqlite3_reset(find);
            continue;
        }
        sqlite3_reset(find);
        int64_t id = 1;
        if (check(sqlite3_step(last), db, "last") && sqlite3_column_type(last, 0) != SQLITE_NULL)
            id = sqlite3_column_int64(last, 0) + 1;
        sqlite3_reset(last);
        int i = 1;
        sqlite3_bind_int64(insert, i++, id);
        sqlite3_bind_int(insert, i++, v.TransactionID);
        sqlite3_bind_int(insert, i++, bankId);
        sqlite3_bind_int(insert, i++, v.ActivityDate);
        for (const std::string* s :
             {&v.ActivityType, &v.Source, &v.Reference, &v.Name, &v.Description})
            sqlite3_bind_text(insert, i++, s->c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(insert, i++, v.PaymentOrDebit.cents());
        sqlite3_bind_int64(insert, i++, v.DepositOrCredit.cents());
        sqlite3_bind_int64(insert, i++, v.Amount.cents());
        check(sqlite3_step(insert), db, "insert");
        sqlite3_reset(insert);
    }
    check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db, "commit");
    const bench::Sample ms = watch.sample();
    sqlite3_finalize(find);
    sqlite3_finalize(last);
    sqlite3_finalize(insert);
    sqlite3_close(db);
    if (unchanged && unchanged != static_cast<int64_t>(entries.size()))
        std::fprintf(stderr, "plain SQL reload found %lld rows changed\n",
                     static_cast<long long>(entries.size() - unchanged));
    return ms;
}

// One run of the loader over the filled link, paced by the headless progress runner.
bench::Sample loaderRun(FileSession& session, ZORBRCHK& link, int32_t bankId, ChkLoadCounts& counts,
                        int& slices, double& commitMs) {
    link.select(0);
    const bench::Stopwatch watch;
    ChkLoader loader(session, link, bankId);
    struct Job : ProgressJob {
        ChkLoader& l;
        int slices = 0;
        double commitMs = 0;
        explicit Job(ChkLoader& loader) : l(loader) {}
        bool tick(ProgressView&) override { return l.step(); }
        void sliceBegin() override {
            ++slices;
            l.beginSlice();
        }
        void sliceEnd() override {
            const auto t = Clock::now();
            l.endSlice();
            commitMs += msSince(t);
        }
    } job(loader);
    HeadlessProgress().run(loadChkOptions(), job);
    loader.endSlice();
    counts = loader.counts();
    slices = job.slices;
    commitMs = job.commitMs;
    return watch.sample();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int transactions = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int rounds = std::max(5, argc > 2 ? std::atoi(argv[2]) : 7);
    auto scripted = std::make_shared<ScriptedMessages>(ScriptedMessages::HaltMode::Exit);
    scripted->setEcho(true);
    ThisMessageBox.setBackend(scripted);

    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    const QString server = QString::fromStdString("sqlite:" + folder);
    QString error = tvhost::createSuiteDatabase(server, 2, "tvadmin", "secret", dir.path(), false);
    QString openError;
    {
        QSqlDatabase db =
            tvhost::openSuiteDatabase(server, 2, "tvadmin", "secret", "bench", &openError);
        if (error.isEmpty()) error = openError;
        if (error.isEmpty()) error = tvhost::addBulkAccounts(db, 101, 1, transactions, 1);
    }
    QSqlDatabase::removeDatabase("bench");
    if (!error.isEmpty()) {
        std::fprintf(stderr, "suite: %s\n", error.toStdString().c_str());
        return 1;
    }

    StartupParameters params;
    params.DIVISION = 2;
    params.DATAPATH = folder;
    params.SERVERNAME = server.toStdString();
    params.USERNAME = "tvadmin";
    params.USERPW = "secret";
    ChkLink link(params);
    link.link.FIAID = 101;
    auto start = Clock::now();
    LOADCHK(link.link);
    const double fetchMs = msSince(start);
    std::vector<ChkEntryValues> entries;
    for (int32_t i = 1; i <= link.link.records(); ++i) {
        link.link.select(i);
        ChkEntryValues v;
        readChkEntry(link.link, v);
        entries.push_back(v);
    }
    std::printf("LOADCHK fetched %d transactions in %.1f ms\n", link.link.records(), fetchMs);

    // Each round loads into fresh files, the loader and plain SQL in turn (which goes first
    // alternates), then loads the same transactions again over what it stored.
    bench::Timings load, plainLoad, reload, plainReload;
    ChkLoadCounts loadCounts, reloadCounts;
    int slices = 0;
    double commitMs = 0;
    for (int round = 0; round < rounds; ++round) {
        const std::string ours = folder + "/program" + std::to_string(round);
        const std::string plainFolder = folder + "/plain" + std::to_string(round);
        std::filesystem::create_directories(ours);
        std::filesystem::create_directories(plainFolder);
        Storage storage;
        storage.nameFiles(ours, 2);
        FileSession session(storage);
        (void)openFile(session, FileId::APbnk);
        (void)openFile(session, FileId::APbac);
        session.file<APbnk>().rec.Bank = "Bulk account 101";
        session.file<APbnk>().rec.FIAID = 101;
        (void)addNumbered(session, FileId::APbnk);
        const int32_t bankId = session.file<APbnk>().rec.BankID;

        // The plain SQL file: the same table and keys, empty.
        Storage plainStorage;
        plainStorage.nameFiles(plainFolder, 2);
        {
            FileSession plain(plainStorage);
            (void)plain.create(FileId::APbac);
        }
        const std::string plainPath = plainStorage.filePath(FileId::APbac);

        const bool oursFirst = round % 2 == 0;
        auto pair = [&](bench::Timings& mine, bench::Timings& theirs, ChkLoadCounts& counts) {
            bench::Sample plain;
            if (!oursFirst) plain = plainSql(plainPath, entries, bankId);
            mine.add(loaderRun(session, link.link, bankId, counts, slices, commitMs));
            if (oursFirst) plain = plainSql(plainPath, entries, bankId);
            theirs.add(plain);
        };
        pair(load, plainLoad, loadCounts);
        pair(reload, plainReload, reloadCounts);
        closeFile(session, FileId::APbac);
        closeFile(session, FileId::APbnk);
    }

    std::printf(
        "%d rounds, each into fresh files; last round: %d added, then %d unchanged and "
        "%d updated (%d slices, %.1f ms in their commits)\n",
        rounds, loadCounts.added, reloadCounts.unchanged, reloadCounts.updated, slices, commitMs);
    const bench::Series loadRatio = bench::compare("load", "loader", load, "plain SQL", plainLoad);
    const bench::Series reloadRatio =
        bench::compare("reload", "loader", reload, "plain SQL", plainReload);
    std::printf("ratio load=%.2f reload=%.2f\n", loadRatio.median(), reloadRatio.median());
    return 0;
}
