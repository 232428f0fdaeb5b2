// Storage benchmark: 100,000 APbac rows added in transactions of 1,000, changed by key, and walked
// along APBAC_KEY_RECONCILED, each timed against plain SQLite running the same statements on an
// identical file (same table, indexes and pragmas) in the same run.
//   storage_bench [walk rounds, at least 5; 7 by default]
// Adds and changes run batch by batch in turn with plain SQLite, the walks round by round; each
// prints the least, median and greatest of its batches or rounds and of their per-batch or
// per-round ratios. The last line is "ratio add=X change=Y walk=Z": for add and change the
// ratio of the totals, for walk the median of the per-round ratios.
#include <sqlite3.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "bankrec/storage/connection.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/key_sql.h"
#include "bankrec/storage/transaction.h"
#include "bankrec/storage/view.h"
#include "bench_stats.h"

using namespace corelib;
using namespace storage;

namespace {

constexpr int kRows = 100000;
constexpr int kBatch = 1000;
const char* const kTypes[] = {"Check", "Deposit", "Adjustment"};

using bench::Clock;
double secondsSince(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

void fill(APbac& r, int i) {
    r.ActivityID = i;
    r.TransactionID = i * 3;
    r.BankID = i % 20 + 1;
    r.ReconciliationID = 0;
    r.ActivityDate = 80000 + i % 400;
    r.ActivityType = kTypes[i % 3];
    r.ClearDate = 0;
    r.Source = "AP";
    r.Reference = std::to_string(100000 + i);
    r.Name = "Payee number " + std::to_string(i % 977);
    r.Description = "Invoice payment for services rendered, batch " + std::to_string(i / 1000);
    r.Reconciled = i % 5 == 0;
    r.Marked = 0;
    r.PaymentOrDebit = Decimal::fromCents(i * 7 % 100000);
    r.Cash = Decimal();
    r.Coin = Decimal();
    r.Checks = Decimal();
    r.DepositOrCredit = Decimal();
    r.Amount = Decimal::fromCents(-(i * 7 % 100000));
    r.Balance = Decimal();
}

// The record as a plain C program would hold it.
struct PlainRow {
    int32_t ints[12];
    char text[5][161];
    int64_t money[7];
};

void die(const char* what, sqlite3* db) {
    std::fprintf(stderr, "%s: %s\n", what, db ? sqlite3_errmsg(db) : "");
    std::exit(1);
}

struct Plain {
    sqlite3* db = nullptr;
    const FileDef& f = fileDef(FileId::APbac);
    explicit Plain(const std::string& path) {
        if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) die("open", db);
        exec(createTableSql(f));
        for (size_t k = 0; k < f.keys.size(); ++k) exec(createIndexSql(f, static_cast<int>(k)));
        exec("PRAGMA user_version = " + std::to_string(f.version));
    }
    ~Plain() { sqlite3_close(db); }
    void exec(const std::string& sql) {
        if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) die("exec", db);
    }
    sqlite3_stmt* prepare(const std::string& sql) {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) die("prepare", db);
        return s;
    }
    void bind(sqlite3_stmt* s, const APbac& r) {
        int p = 1;
        for (int32_t v : {r.ActivityID, r.ChangeID, r.ChangeDate, r.ChangeTime, r.TransactionID,
                          r.BankID, r.ReconciliationID, r.ActivityDate})
            sqlite3_bind_int(s, p++, v);
        sqlite3_bind_text(s, p++, r.ActivityType.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_int(s, p++, r.ClearDate);
        for (const std::string* t : {&r.Source, &r.Reference, &r.Name, &r.Description})
            sqlite3_bind_text(s, p++, t->c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_int(s, p++, r.Reconciled);
        sqlite3_bind_int(s, p++, r.Marked);
        for (Decimal d :
             {r.PaymentOrDebit, r.Cash, r.Coin, r.Checks, r.DepositOrCredit, r.Amount, r.Balance})
            sqlite3_bind_int64(s, p++, d.cents());
    }
    static void read(sqlite3_stmt* s, PlainRow& row, int first) {
        int ints = 0, texts = 0, money = 0;
        for (int c = first; c < first + 23; ++c) {
            int idx = c - first;
            if (idx == 8 || (idx >= 10 && idx <= 13)) {
                const unsigned char* t = sqlite3_column_text(s, c);
                int n = sqlite3_column_bytes(s, c);
                std::memcpy(row.text[texts], t, static_cast<size_t>(n));
                row.text[texts++][n] = 0;
            } else if (idx >= 16) {
                row.money[money++] = sqlite3_column_int64(s, c);
            } else {
                row.ints[ints++] = sqlite3_column_int(s, c);
            }
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    const int walkRounds = std::max(5, argc > 1 ? std::atoi(argv[1]) : 7);
    char tmpl[] = "/tmp/storage_bench_XXXXXX";
    if (!mkdtemp(tmpl)) return 1;
    const std::string dir = tmpl;
    Storage storage;
    storage.nameFiles(dir, 3);
    const FileDef& f = fileDef(FileId::APbac);
    const std::string cols = [&] {
        std::string c;
        for (const FieldDef& fd : f.fields) c += (c.empty() ? "\"" : ", \"") + fd.name + "\"";
        return c;
    }();
    APbac row;
    double ours[2], plain[2], oursCpu[2] = {0, 0}, plainCpu[2] = {0, 0};  // s, ms

    FileSession session(storage);
    if (session.create(FileId::APbac) != Error::None) return 1;
    auto& bac = session.file<APbac>();
    Plain p(dir + "/plain.db");

    // The two sides run batch by batch in turn, so both meet the same disk and machine load.
    std::string qs;
    for (size_t i = 0; i < f.fields.size(); ++i) qs += i ? ", ?" : "?";
    sqlite3_stmt* ins = p.prepare("INSERT INTO \"APbac\" (" + cols + ") VALUES (" + qs + ")");
    sqlite3_stmt* get =
        p.prepare("SELECT " + selectList(f) + " FROM \"APbac\" WHERE " + keyPresentSql(f, 0) +
                  " AND \"ActivityID\" = ? ORDER BY " + keysql::orderBy(f, 0, true) + " LIMIT 1");
    std::string set;
    for (const FieldDef& fd : f.fields) set += "\"" + fd.name + "\" = ?, ";
    sqlite3_stmt* upd = p.prepare("UPDATE \"APbac\" SET " + set +
                                  "_Revision = _Revision + 1 WHERE rowid = ? AND _Revision = ?");
    const int key = APBAC_KEY_RECONCILED.index;
    sqlite3_stmt* walk =
        p.prepare("SELECT " + selectList(f) + " FROM \"APbac\" WHERE " + keyPresentSql(f, key) +
                  " ORDER BY " + keysql::orderBy(f, key, true));
    PlainRow pr;
    for (double& v : ours) v = 0;
    for (double& v : plain) v = 0;
    bench::Series batchOurs[2], batchPlain[2], walkOurs, walkPlain;  // milliseconds

    // Add.
    for (int b = 0; b < kRows / kBatch; ++b) {
        auto t = Clock::now();
        double c = bench::cpuMs();
        {
            Transaction txn(session, {FileId::APbac}, 5);
            for (int i = b * kBatch + 1; i <= (b + 1) * kBatch; ++i) {
                fill(bac.rec, i);
                if (bac.add() != Error::None) return 2;
            }
            if (txn.commit() != Error::None) return 2;
        }
        batchOurs[0].add(secondsSince(t) * 1e3);
        ours[0] += secondsSince(t);
        oursCpu[0] += bench::cpuMs() - c;
        t = Clock::now();
        c = bench::cpuMs();
        p.exec("BEGIN IMMEDIATE");
        for (int i = b * kBatch + 1; i <= (b + 1) * kBatch; ++i) {
            fill(row, i);
            p.bind(ins, row);
            if (sqlite3_step(ins) != SQLITE_DONE) die("insert", p.db);
            sqlite3_reset(ins);
        }
        p.exec("COMMIT");
        batchPlain[0].add(secondsSince(t) * 1e3);
        plain[0] += secondsSince(t);
        plainCpu[0] += bench::cpuMs() - c;
    }

    // Change by key: read by ActivityID, change, write back with the revision check.
    for (int b = 0; b < kRows / kBatch; ++b) {
        auto t = Clock::now();
        double c = bench::cpuMs();
        {
            Transaction txn(session, {FileId::APbac}, 5);
            for (int i = b * kBatch + 1; i <= (b + 1) * kBatch; ++i) {
                bac.rec.ActivityID = i;
                if (bac.get(APBAC_KEY_ACTIVITYID) != Error::None) return 3;
                bac.rec.Marked = 1;
                bac.rec.ClearDate = 80500;
                if (bac.put() != Error::None) return 3;
            }
            if (txn.commit() != Error::None) return 3;
        }
        batchOurs[1].add(secondsSince(t) * 1e3);
        ours[1] += secondsSince(t);
        oursCpu[1] += bench::cpuMs() - c;
        t = Clock::now();
        c = bench::cpuMs();
        p.exec("BEGIN IMMEDIATE");
        for (int i = b * kBatch + 1; i <= (b + 1) * kBatch; ++i) {
            sqlite3_bind_int(get, 1, i);
            if (sqlite3_step(get) != SQLITE_ROW) die("get", p.db);
            int64_t rowid = sqlite3_column_int64(get, 0), rev = sqlite3_column_int64(get, 1);
            Plain::read(get, pr, 2);
            sqlite3_reset(get);
            fill(row, i);  // the plain program's record, changed
            row.Marked = 1;
            row.ClearDate = 80500;
            p.bind(upd, row);
            sqlite3_bind_int64(upd, 24, rowid);
            sqlite3_bind_int64(upd, 25, rev);
            if (sqlite3_step(upd) != SQLITE_DONE || sqlite3_changes(p.db) != 1) die("update", p.db);
            sqlite3_reset(upd);
        }
        p.exec("COMMIT");
        batchPlain[1].add(secondsSince(t) * 1e3);
        plain[1] += secondsSince(t);
        plainCpu[1] += bench::cpuMs() - c;
    }

    // Walk along APBAC_KEY_RECONCILED, round by round, which side goes first alternating.
    int walkedOurs = 0, walkedPlain = 0;
    for (int round = 0; round < walkRounds; ++round) {
        for (int side = 0; side < 2; ++side) {
            const auto t = Clock::now();
            if ((side == 0) == (round % 2 == 0)) {
                walkedOurs = 0;
                if (bac.setStart(APBAC_KEY_RECONCILED) != Error::None) return 4;
                while (bac.next() == Error::None) ++walkedOurs;
                walkOurs.add(secondsSince(t) * 1e3);
            } else {
                walkedPlain = 0;
                while (sqlite3_step(walk) == SQLITE_ROW) {
                    Plain::read(walk, pr, 2);
                    ++walkedPlain;
                }
                sqlite3_reset(walk);
                walkPlain.add(secondsSince(t) * 1e3);
            }
        }
    }
    sqlite3_finalize(ins);
    sqlite3_finalize(get);
    sqlite3_finalize(upd);
    sqlite3_finalize(walk);

    // A list opening: the first page of a view over all rows, and over a bank's 5,000 rows.
    double firstPageAll = 0, firstPageBank = 0;
    {
        View<APbac> v(session, APBAC_KEY_RECONCILED);
        std::vector<View<APbac>::Row> page;
        auto t = Clock::now();
        if (v.fetch(nullptr, 50, page) != Error::None || page.size() != 50) return 6;
        firstPageAll = secondsSince(t);
        v.bindings().bind("Bank:BankID", int64_t{3});
        if (v.setFilter("APbac:BankID = Bank:BankID AND NOT APbac:Reconciled") != Error::None)
            return 6;
        t = Clock::now();
        if (v.fetch(nullptr, 50, page) != Error::None || page.size() != 50) return 6;
        firstPageBank = secondsSince(t);
    }

    std::printf("rows: %d (walked %d / %d)\n", kRows, walkedOurs, walkedPlain);
    std::printf("first page of a list: all rows %.2f ms, one bank %.2f ms\n", firstPageAll * 1e3,
                firstPageBank * 1e3);
    const char* names[] = {"add", "change"};
    double ratio[3];
    for (int i = 0; i < 2; ++i) {
        ratio[i] = ours[i] / plain[i];
        std::printf(
            "%-7s ours %.3f s  plain SQLite %.3f s  (%zu batches); cpu ours %.3f s  plain %.3f s  "
            "ratio %.2f\n",
            names[i], ours[i], plain[i], batchOurs[i].size(), oursCpu[i] / 1e3, plainCpu[i] / 1e3,
            oursCpu[i] / plainCpu[i]);
        const std::string label = std::string(names[i]) + " batch";
        bench::print((label + " ours").c_str(), batchOurs[i], "ms");
        bench::print((label + " plain").c_str(), batchPlain[i], "ms");
        bench::print((label + " ratio").c_str(), bench::ratios(batchOurs[i], batchPlain[i]));
    }
    std::printf("walk    %d rounds\n", walkRounds);
    bench::print("walk ours", walkOurs, "ms");
    bench::print("walk plain", walkPlain, "ms");
    const bench::Series walkRatio = bench::ratios(walkOurs, walkPlain);
    bench::print("walk ratio per round", walkRatio);
    ratio[2] = walkRatio.median();
    std::printf("ratio add=%.2f change=%.2f walk=%.2f\n", ratio[0], ratio[1], ratio[2]);
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    return walkedOurs == kRows && walkedPlain == kRows ? 0 : 5;
}
