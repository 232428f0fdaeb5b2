// Completing a statement at scale: 10,000 outstanding items, half of them marked, completed by
// UpdateAPrecDone beside plain SQL doing the same reads and writes in one transaction over the
// same three files; each the median of three rounds on fresh copies of the same files.
//   complete_bench [items]
// The last line is "ratio complete=X" (completion time / plain SQL time).
#include <sqlite3.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bankrec/reconcile/update_aprec_done.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/storage.h"
#include "corelib/message_box.h"
#include "corelib/message_script.h"

using namespace corelib;
using namespace storage;
using namespace reconcile;
namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void check(int rc, sqlite3* db, const char* what) {
    if (rc == SQLITE_OK || rc == SQLITE_ROW || rc == SQLITE_DONE) return;
    std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
    std::exit(1);
}

void nameFiles(Storage& storage, const std::string& folder) {
    fs::create_directories(folder);
    storage.nameFiles(folder, 3);
    storage.setFileName(FileId::APbnu, folder + "/APbnu");
}

// One bank with `items` outstanding checks and deposits, every other one marked, and its open
// reconciliation with a service charge and interest.
void makeStatement(const Storage& storage, int items) {
    FileSession s(storage);
    for (const FileDef& f : allFiles()) (void)s.create(f.id);
    (void)s.begin({FileId::APbnk, FileId::APbac, FileId::APrec}, 5);
    auto& bnk = s.file<APbnk>();
    bnk.rec.BankID = 1;
    bnk.rec.Bank = "Operating";
    (void)bnk.add();
    auto& bac = s.file<APbac>();
    for (int i = 1; i <= items; ++i) {
        const bool check = i % 5 != 0;
        bac.clear();
        bac.rec.ActivityID = i;
        bac.rec.TransactionID = 100000 + i;
        bac.rec.BankID = 1;
        bac.rec.ActivityType = check ? "Check" : "Deposit";
        bac.rec.ActivityDate = 82000 + i % 60;
        bac.rec.Source = check ? "AP" : "CR";
        bac.rec.Reference = std::to_string(10000 + i);
        bac.rec.Name = "Payee number " + std::to_string(i % 300);
        bac.rec.Description = "Invoice " + std::to_string(i);
        bac.rec.Marked = i % 2;
        bac.rec.PaymentOrDebit = Decimal::fromCents(check ? 1000 + i : 0);
        bac.rec.DepositOrCredit = Decimal::fromCents(check ? 0 : 5000 + i);
        bac.rec.Amount = check ? -bac.rec.PaymentOrDebit : bac.rec.DepositOrCredit;
        (void)bac.add();
    }
    auto& rec = s.file<APrec>();
    rec.rec.ReconciliationID = 1;
    rec.rec.BankID = 1;
    rec.rec.EndingDate = 82060;
    rec.rec.ServiceCharge = Decimal::fromCents(1250);
    rec.rec.ServiceChargeDate = 82060;
    rec.rec.InterestEarned = Decimal::fromCents(310);
    rec.rec.InterestEarnedDate = 82060;
    (void)rec.add();
    if (s.commit() != Error::None) {
        std::fprintf(stderr, "could not make the statement\n");
        std::exit(1);
    }
}

void copyFolder(const std::string& from, const std::string& to) {
    fs::remove_all(to);
    fs::create_directories(to);
    for (const auto& f : fs::directory_iterator(from))
        fs::copy_file(f.path(), fs::path(to) / f.path().filename());
}

double completion(const Storage& storage, DoneResult& result) {
    FileSession session(storage);
    (void)openFile(session, FileId::APbnk);
    session.file<APbnk>().rec.BankID = 1;
    (void)session.file<APbnk>().get(APBNK_KEY_BANKID);
    const auto start = Clock::now();
    result = UpdateAPrecDone(session);
    const double ms = msSince(start);
    closeFile(session, FileId::APbnk);
    return ms;
}

// The same reads and writes in plain SQL: the open reconciliation, the rows counted and read in
// key order, the highest snapshot number, one snapshot per row, the marked rows reconciled, the
// reconciliation written, two adjustments numbered and added; one transaction.
double plainSql(const Storage& storage, int64_t& snapshots) {
    sqlite3* db = nullptr;
    check(sqlite3_open(storage.filePath(FileId::APrec).c_str(), &db), db, "open");
    for (FileId f : {FileId::APbac, FileId::APrac}) {
        const std::string sql =
            "ATTACH DATABASE '" + storage.filePath(f) + "' AS " + fileDef(f).name;
        check(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), db, "attach");
    }
    auto prepare = [&](const char* sql) {
        sqlite3_stmt* s = nullptr;
        check(sqlite3_prepare_v2(db, sql, -1, &s, nullptr), db, sql);
        return s;
    };
    sqlite3_stmt* open = prepare(
        "SELECT rowid, ReconciliationID, ServiceCharge, ServiceChargeDate, InterestEarned,"
        " InterestEarnedDate FROM main.APrec WHERE BankID = 1 AND Done = 0 LIMIT 1");
    sqlite3_stmt* count =
        prepare("SELECT count(*) FROM APbac.APbac WHERE BankID = 1 AND NOT Reconciled");
    sqlite3_stmt* rows = prepare(
        "SELECT rowid, ActivityID, ActivityDate, ActivityType, Reference, Name, Description,"
        " Marked, PaymentOrDebit, DepositOrCredit FROM APbac.APbac WHERE BankID = 1 AND NOT"
        " Reconciled ORDER BY BankID, Reconciled, ActivityType, ActivityDate, Reference,"
        " ActivityID, rowid");
    sqlite3_stmt* lastSnapshot = prepare("SELECT max(ReconciliationActivityID) FROM APrac.APrac");
    sqlite3_stmt* snapshot = prepare(
        "INSERT INTO APrac.APrac (ReconciliationActivityID, ChangeID, ChangeDate, ChangeTime,"
        " ReconciliationID, ActivityID, ActivityDate, ActivityType, Reference, Name,"
        " Description, Marked, Amount) VALUES (?, 0, 0, 0, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    sqlite3_stmt* clear =
        prepare("UPDATE APbac.APbac SET Reconciled = 1, _Revision = _Revision + 1 WHERE rowid = ?");
    sqlite3_stmt* done = prepare(
        "UPDATE main.APrec SET Done = 1, ChecksMarked = ?, ChecksMarkedAmount = ?,"
        " DepositsMarked = ?, DepositsMarkedAmount = ?, _Revision = _Revision + 1"
        " WHERE rowid = ?");
    sqlite3_stmt* lastActivity = prepare("SELECT max(ActivityID) FROM APbac.APbac");
    sqlite3_stmt* adjust = prepare(
        "INSERT INTO APbac.APbac (ActivityID, BankID, ReconciliationID, ActivityDate,"
        " ActivityType, Description, Reconciled, Marked, PaymentOrDebit, DepositOrCredit,"
        " Amount) VALUES (?, 1, ?, ?, 'Adjustment', ?, 1, 1, ?, ?, ?)");

    const auto start = Clock::now();
    check(sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), db, "begin");
    check(sqlite3_step(open), db, "open reconciliation");
    const int64_t recRow = sqlite3_column_int64(open, 0);
    const int64_t recId = sqlite3_column_int64(open, 1);
    const int64_t charge = sqlite3_column_int64(open, 2),
                  chargeDate = sqlite3_column_int64(open, 3);
    const int64_t interest = sqlite3_column_int64(open, 4),
                  interestDate = sqlite3_column_int64(open, 5);
    sqlite3_reset(open);
    check(sqlite3_step(count), db, "count");
    sqlite3_reset(count);
    check(sqlite3_step(lastSnapshot), db, "last snapshot");
    int64_t next = sqlite3_column_int64(lastSnapshot, 0) + 1;
    sqlite3_reset(lastSnapshot);

    struct Row {
        int64_t rowid, id, date, marked, payment, deposit;
        std::string type, ref, name, description;
    };
    std::vector<Row> read;
    while (sqlite3_step(rows) == SQLITE_ROW) {
        auto text = [&](int c) {
            return std::string(reinterpret_cast<const char*>(sqlite3_column_text(rows, c)));
        };
        read.push_back({sqlite3_column_int64(rows, 0), sqlite3_column_int64(rows, 1),
                        sqlite3_column_int64(rows, 2), sqlite3_column_int64(rows, 7),
                        sqlite3_column_int64(rows, 8), sqlite3_column_int64(rows, 9), text(3),
                        text(4), text(5), text(6)});
    }
    sqlite3_reset(rows);
    int64_t checks = 0, checksAmount = 0, deposits = 0, depositsAmount = 0, running = 0;
    for (const Row& r : read) {
        const bool isCheck = r.type == "Check", isDeposit = r.type == "Deposit";
        if (isCheck) running = r.payment;
        if (isDeposit) running = r.deposit;
        int p = 1;
        sqlite3_bind_int64(snapshot, p++, next++);
        sqlite3_bind_int64(snapshot, p++, recId);
        sqlite3_bind_int64(snapshot, p++, r.id);
        sqlite3_bind_int64(snapshot, p++, r.date);
        for (const std::string* t : {&r.type, &r.ref, &r.name, &r.description})
            sqlite3_bind_text(snapshot, p++, t->c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_int64(snapshot, p++, r.marked);
        sqlite3_bind_int64(snapshot, p++, running);
        check(sqlite3_step(snapshot), db, "snapshot");
        sqlite3_reset(snapshot);
        ++snapshots;
        if (!r.marked || (!isCheck && !isDeposit)) continue;
        checks += isCheck;
        checksAmount += isCheck ? r.payment : 0;
        deposits += isDeposit;
        depositsAmount += isDeposit ? r.deposit : 0;
        sqlite3_bind_int64(clear, 1, r.rowid);
        check(sqlite3_step(clear), db, "reconcile");
        sqlite3_reset(clear);
    }
    int p = 1;
    for (int64_t v : {checks, checksAmount, deposits, depositsAmount, recRow})
        sqlite3_bind_int64(done, p++, v);
    check(sqlite3_step(done), db, "done");
    sqlite3_reset(done);
    const struct {
        const char* description;
        int64_t date, payment, deposit, amount;
    } adjustments[] = {{"Service Charge", chargeDate, charge, 0, -charge},
                       {"Interest Earned", interestDate, 0, interest, interest}};
    for (const auto& a : adjustments) {
        check(sqlite3_step(lastActivity), db, "last activity");
        const int64_t id = sqlite3_column_int64(lastActivity, 0) + 1;
        sqlite3_reset(lastActivity);
        int q = 1;
        sqlite3_bind_int64(adjust, q++, id);
        sqlite3_bind_int64(adjust, q++, recId);
        sqlite3_bind_int64(adjust, q++, a.date);
        sqlite3_bind_text(adjust, q++, a.description, -1, SQLITE_STATIC);
        sqlite3_bind_int64(adjust, q++, a.payment);
        sqlite3_bind_int64(adjust, q++, a.deposit);
        sqlite3_bind_int64(adjust, q++, a.amount);
        check(sqlite3_step(adjust), db, "adjustment");
        sqlite3_reset(adjust);
    }
    check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db, "commit");
    const double ms = msSince(start);
    for (sqlite3_stmt* s :
         {open, count, rows, lastSnapshot, snapshot, clear, done, lastActivity, adjust})
        sqlite3_finalize(s);
    sqlite3_close(db);
    return ms;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int items = argc > 1 ? std::atoi(argv[1]) : 10000;
    auto scripted = std::make_shared<ScriptedMessages>(ScriptedMessages::HaltMode::Exit);
    scripted->setEcho(true);
    ThisMessageBox.setBackend(scripted);

    QTemporaryDir dir;
    const std::string root = dir.path().toStdString();
    Storage model;
    nameFiles(model, root + "/model");
    makeStatement(model, items);

    std::vector<double> ours, plain;
    DoneResult result;
    int64_t snapshots = 0;
    for (int round = 0; round < 3; ++round) {
        Storage a, b;
        copyFolder(root + "/model", root + "/ours");
        copyFolder(root + "/model", root + "/plain");
        nameFiles(a, root + "/ours");
        nameFiles(b, root + "/plain");
        ours.push_back(completion(a, result));
        snapshots = 0;
        plain.push_back(plainSql(b, snapshots));
        if (!result.done || result.snapshotRows != snapshots) {
            std::fprintf(stderr, "the two runs differ: %d snapshots against %lld\n",
                         result.snapshotRows, static_cast<long long>(snapshots));
            return 1;
        }
    }
    const double oursMs = median(ours), plainMs = median(plain);
    std::printf("%d items, %d cleared (%d checks, %d deposits), %d snapshot rows\n", items,
                result.checksMarked + result.depositsMarked, result.checksMarked,
                result.depositsMarked, result.snapshotRows);
    std::printf("complete: UpdateAPrecDone %.1f ms, plain SQL %.1f ms (median of 3)\n", oursMs,
                plainMs);
    std::printf("ratio complete=%.2f\n", oursMs / plainMs);
    return 0;
}
