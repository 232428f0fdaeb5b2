// Reconciliation benchmark: a bank with 10,000 outstanding checks (a third of them marked) and
// 2,000 deposits, and its open statement.
//  - worksheet: opening the worksheet (finding the open statement, recounting both lists from
//    the marks, the first page of each list), as the window does it;
//  - range: marking a range of 5,000 of the checks through UpdateAPrecRange (headless);
// each beside plain SQLite doing the same reads and writes on an identical copy of the files
// (same tables, indexes and pragmas) in the same run, the rounds taken in turn. Prints
// min/median/max of each and a last line "ratio worksheet=X range=Y" (median over median).
#include <sqlite3.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bankrec/reconcile/update_aprec_new.h"
#include "bankrec/reconcile/update_aprec_range.h"
#include "bankrec/shell/startup_parameters.h"
#include "bankrec/storage/connection.h"
#include "bankrec/storage/dictionary.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/key_sql.h"
#include "bankrec/storage/transaction.h"
#include "corelib/globals.h"
#include "corelib/message_box.h"
#include "corelib/message_script.h"

using namespace corelib;
using namespace storage;
using namespace reconcile;

namespace {

constexpr int kChecks = 10000;
constexpr int kDeposits = 2000;
constexpr int kRounds = 7;
constexpr int kOpensPerRound = 20;
constexpr int kPage = 100;
constexpr int32_t kBank = 1;

using Clock = std::chrono::steady_clock;
double secondsSince(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

void die(const char* what, sqlite3* db) {
    std::fprintf(stderr, "%s: %s\n", what, db ? sqlite3_errmsg(db) : "");
    std::exit(1);
}

// The bank's register: checks 1..kChecks with references 100000.., deposits after them.
void fillActivity(FileSession& session) {
    auto& f = session.file<APbac>();
    Transaction t(session, {FileId::APbac}, 5);
    for (int i = 1; i <= kChecks + kDeposits; ++i) {
        f.clear();
        f.rec.ActivityID = i;
        f.rec.BankID = kBank;
        f.rec.TransactionID = i;
        f.rec.Source = "AP";
        f.rec.ActivityDate = 80000 + i % 90;
        f.rec.Name = "Payee number " + std::to_string(i % 977);
        f.rec.Description =
            "Invoice payment for services rendered, batch " + std::to_string(i / 50);
        if (i <= kChecks) {
            f.rec.ActivityType = "Check";
            f.rec.Reference = std::to_string(100000 + i - 1);
            f.rec.PaymentOrDebit = Decimal::fromCents(1000 + i % 5000);
            f.rec.Amount = -f.rec.PaymentOrDebit;
            f.rec.Marked = i % 3 == 0;
        } else {
            f.rec.ActivityType = "Deposit";
            f.rec.DepositOrCredit = Decimal::fromCents(5000 + i % 7000);
            f.rec.Amount = f.rec.DepositOrCredit;
            f.rec.Marked = i % 4 == 0;
        }
        if (f.add() != Error::None) die("add activity", nullptr);
    }
    if (t.commit() != Error::None) die("commit activity", nullptr);
}

void fillBankAndStatements(FileSession& session) {
    auto& b = session.file<APbnk>();
    b.clear();
    b.rec.BankID = kBank;
    b.rec.FIAID = 1;
    b.rec.Bank = "Operating Account";
    b.rec.ServiceChargePost = b.rec.InterestEarnedPost = 1;
    if (b.add() != Error::None) die("add bank", nullptr);
    auto& r = session.file<APrec>();
    for (int i = 1; i <= 24; ++i) {
        r.clear();
        r.rec.ReconciliationID = i;
        r.rec.BankID = kBank;
        r.rec.Done = i < 24;
        r.rec.EndingDate = 79000 + i * 30;
        r.rec.EndingBalance = Decimal::fromCents(100000 * i);
        if (r.add() != Error::None) die("add statement", nullptr);
    }
}

struct Stats {
    std::vector<double> v;
    double median() {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    }
    double min() { return *std::min_element(v.begin(), v.end()); }
    double max() { return *std::max_element(v.begin(), v.end()); }
};

// Plain SQLite on copies of the files: one connection per file, as the storage keeps them.
struct Plain {
    sqlite3* bac = nullptr;
    sqlite3* rec = nullptr;
    const FileDef& fb = fileDef(FileId::APbac);
    const FileDef& fr = fileDef(FileId::APrec);
    sqlite3_stmt* findOpen = nullptr;
    sqlite3_stmt* count[2] = {};
    sqlite3_stmt* sum[2] = {};
    sqlite3_stmt* page[2] = {};
    sqlite3_stmt* rangeRead = nullptr;
    sqlite3_stmt* update = nullptr;

    Plain(const std::string& bacPath, const std::string& recPath) {
        if (sqlite3_open(bacPath.c_str(), &bac) != SQLITE_OK) die("open", bac);
        if (sqlite3_open(recPath.c_str(), &rec) != SQLITE_OK) die("open", rec);
        const int reconciled = APBAC_KEY_RECONCILED.index;
        const std::string present = keyPresentSql(fb, reconciled);
        const std::string order = " ORDER BY " + keysql::orderBy(fb, reconciled, true);
        findOpen =
            prepare(rec, "SELECT " + selectList(fr) + " FROM \"APrec\" WHERE " +
                             keyPresentSql(fr, APREC_KEY_BANKDONE.index) +
                             " AND \"BankID\" = ? AND \"Done\" = 0 ORDER BY " +
                             keysql::orderBy(fr, APREC_KEY_BANKDONE.index, true) + " LIMIT 1");
        const char* types[2] = {"Deposit", "Check"};
        const char* amounts[2] = {"DepositOrCredit", "PaymentOrDebit"};
        for (int l = 0; l < 2; ++l) {
            const std::string where = " FROM \"APbac\" WHERE " + present +
                                      " AND \"BankID\" = ? AND \"Reconciled\" = 0 AND "
                                      "\"ActivityType\" = '" +
                                      types[l] + "'";
            count[l] = prepare(bac, "SELECT count(*)" + where);
            sum[l] = prepare(bac, std::string("SELECT count(*), coalesce(sum(\"") + amounts[l] +
                                      "\"), 0)" + where + " AND \"Marked\" <> 0");
            page[l] = prepare(bac, "SELECT " + selectList(fb) + where + order + " LIMIT ?");
        }
        rangeRead = prepare(bac, "SELECT " + selectList(fb) + " FROM \"APbac\" WHERE " + present +
                                     " AND \"BankID\" = ? AND \"Reconciled\" = 0 AND "
                                     "\"ActivityType\" = 'Check'" +
                                     order);
        std::string set;
        for (const FieldDef& fd : fb.fields) set += "\"" + fd.name + "\" = ?, ";
        update = prepare(bac, "UPDATE \"APbac\" SET " + set +
                                  "_Revision = _Revision + 1 WHERE rowid = ? AND _Revision = ?");
    }
    ~Plain() {
        for (sqlite3_stmt* s :
             {findOpen, count[0], count[1], sum[0], sum[1], page[0], page[1], rangeRead, update})
            sqlite3_finalize(s);
        sqlite3_close(bac);
        sqlite3_close(rec);
    }
    static sqlite3_stmt* prepare(sqlite3* db, const std::string& sql) {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) die("prepare", db);
        return s;
    }
    static void exec(sqlite3* db, const char* sql) {
        if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) die(sql, db);
    }

    // The worksheet's reads: its open statement inside a transaction on APrec, each list's count
    // and marked total, and each list's first page read into records.
    int64_t openWorksheet() {
        exec(rec, "BEGIN IMMEDIATE");
        APrec r;
        sqlite3_bind_int(findOpen, 1, kBank);
        if (sqlite3_step(findOpen) != SQLITE_ROW) die("find", rec);
        readRecord(findOpen, fr, &r, 2);
        sqlite3_reset(findOpen);
        exec(rec, "COMMIT");
        int64_t seen = 0;
        for (int l = 0; l < 2; ++l) {
            sqlite3_bind_int(count[l], 1, kBank);
            if (sqlite3_step(count[l]) != SQLITE_ROW) die("count", bac);
            seen += sqlite3_column_int64(count[l], 0);
            sqlite3_reset(count[l]);
            sqlite3_bind_int(sum[l], 1, kBank);
            if (sqlite3_step(sum[l]) != SQLITE_ROW) die("sum", bac);
            seen += sqlite3_column_int64(sum[l], 1);
            sqlite3_reset(sum[l]);
            sqlite3_bind_int(page[l], 1, kBank);
            sqlite3_bind_int(page[l], 2, kPage);
            std::vector<APbac> rows(kPage);
            size_t n = 0;
            while (sqlite3_step(page[l]) == SQLITE_ROW) readRecord(page[l], fb, &rows[n++], 2);
            sqlite3_reset(page[l]);
            seen += static_cast<int64_t>(n);
        }
        return seen;
    }

    // Range marking: every unreconciled check read in key order, those in the range written
    // back marked with the revision check, in one transaction.
    int markRange(const std::string& low, const std::string& high, uint8_t mark) {
        int marked = 0;
        exec(bac, "BEGIN IMMEDIATE");
        sqlite3_bind_int(rangeRead, 1, kBank);
        APbac r;
        std::vector<std::pair<int64_t, int64_t>> none;
        while (sqlite3_step(rangeRead) == SQLITE_ROW) {
            const int64_t rowid = sqlite3_column_int64(rangeRead, 0);
            const int64_t rev = sqlite3_column_int64(rangeRead, 1);
            readRecord(rangeRead, fb, &r, 2);
            const std::string form = comparisonForm(r.Reference);
            if (form < low || form > high || r.Marked == mark) continue;
            r.Marked = mark;
            int bad = -1;
            if (!bindRecord(update, fb, &r, 1, bad)) die("bind", bac);
            const int n = static_cast<int>(fb.fields.size());
            sqlite3_bind_int64(update, n + 1, rowid);
            sqlite3_bind_int64(update, n + 2, rev);
            if (sqlite3_step(update) != SQLITE_DONE || sqlite3_changes(bac) != 1)
                die("update", bac);
            sqlite3_reset(update);
            ++marked;
        }
        sqlite3_reset(rangeRead);
        exec(bac, "COMMIT");
        return marked;
    }
};

}  // namespace

int main() {
    char tmpl[] = "/tmp/reconcile_bench_XXXXXX";
    if (!mkdtemp(tmpl)) return 1;
    const std::string dir = tmpl;
    std::filesystem::create_directories(dir + "/plain");
    auto scripted = std::make_shared<ScriptedMessages>();
    ThisMessageBox.setBackend(scripted);
    glo_ApplicationName = "Bank Reconciliation";

    Storage storage;
    storage.nameFiles(dir, 3);
    storage.setFileName(FileId::APbnu, dir + "/APbnu");
    {
        FileSession setup(storage);
        for (FileId id : {FileId::APbnk, FileId::APbac, FileId::APrec})
            if (setup.create(id) != Error::None) die("create", nullptr);
        fillActivity(setup);
        fillBankAndStatements(setup);
    }
    for (FileId id : {FileId::APbac, FileId::APrec})
        std::filesystem::copy_file(
            storage.filePath(id),
            dir + "/plain/" + std::filesystem::path(storage.filePath(id)).filename().string());
    Plain plain(dir + "/plain/03APbac.db", dir + "/plain/03APrec.db");

    FileSession session(storage);
    shell::StartupParameters params;
    params.DIVISION = 3;
    ReconcileCalls calls;
    // The list holds the files open while the worksheet runs on its session.
    FileUse held(session, {FileId::APbnk, FileId::APbac, FileId::APrec});
    if (held.error() != Error::None) die("open files", nullptr);

    Stats worksheetOurs, worksheetPlain, rangeOurs, rangePlain;
    int64_t seenOurs = 0, seenPlain = 0;
    int markedOurs = 0, markedPlain = 0;
    for (int round = 0; round < kRounds; ++round) {
        auto t = Clock::now();
        for (int i = 0; i < kOpensPerRound; ++i) {
            auto& bnk = session.file<APbnk>();
            bnk.clear();
            bnk.rec.BankID = kBank;
            if (bnk.get(APBNK_KEY_BANKID) != Error::None) die("bank", nullptr);
            Worksheet w(session, params, calls);
            if (!w.open()) die("worksheet", nullptr);
            seenOurs = 0;
            for (WorksheetList l : {WorksheetList::Deposits, WorksheetList::Checks}) {
                seenOurs += w.list(l).count();
                for (int r = 0; r < kPage; ++r)
                    if (w.list(l).row(r)) ++seenOurs;
            }
            seenOurs +=
                w.record().ChecksMarkedAmount.cents() + w.record().DepositsMarkedAmount.cents();
        }
        worksheetOurs.v.push_back(secondsSince(t) / kOpensPerRound);
        t = Clock::now();
        for (int i = 0; i < kOpensPerRound; ++i) seenPlain = plain.openWorksheet();
        worksheetPlain.v.push_back(secondsSince(t) / kOpensPerRound);

        // Marking and unmarking in turn, so every round writes the 5,000 rows.
        const uint8_t mark = round % 2 == 0 ? 1 : 0;
        session.file<APbnk>().rec.BankID = kBank;
        t = Clock::now();
        const RangeResult r = UpdateAPrecRange(session, "100000", "104999", mark);
        rangeOurs.v.push_back(secondsSince(t));
        markedOurs = r.written;
        t = Clock::now();
        markedPlain = plain.markRange(comparisonForm("100000"), comparisonForm("104999"), mark);
        rangePlain.v.push_back(secondsSince(t));
    }

    std::printf("bank: %d outstanding checks, %d deposits; %d rounds\n", kChecks, kDeposits,
                kRounds);
    std::printf("worksheet open (find, recount, first page of both lists), ms per opening:\n");
    std::printf("  ours  min %.2f  median %.2f  max %.2f\n", worksheetOurs.min() * 1e3,
                worksheetOurs.median() * 1e3, worksheetOurs.max() * 1e3);
    std::printf("  plain min %.2f  median %.2f  max %.2f\n", worksheetPlain.min() * 1e3,
                worksheetPlain.median() * 1e3, worksheetPlain.max() * 1e3);
    std::printf("range marking of 5,000 checks (rows written: ours %d, plain %d), ms:\n",
                markedOurs, markedPlain);
    std::printf("  ours  min %.1f  median %.1f  max %.1f\n", rangeOurs.min() * 1e3,
                rangeOurs.median() * 1e3, rangeOurs.max() * 1e3);
    std::printf("  plain min %.1f  median %.1f  max %.1f\n", rangePlain.min() * 1e3,
                rangePlain.median() * 1e3, rangePlain.max() * 1e3);
    std::printf("ratio worksheet=%.2f range=%.2f\n",
                worksheetOurs.median() / worksheetPlain.median(),
                rangeOurs.median() / rangePlain.median());
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    const bool same = seenOurs == seenPlain && markedOurs == 5000 && markedPlain == 5000;
    if (!same)
        std::fprintf(stderr, "the two sides disagree: seen %lld / %lld, marked %d / %d\n",
                     static_cast<long long>(seenOurs), static_cast<long long>(seenPlain),
                     markedOurs, markedPlain);
    return same ? 0 : 2;
}
