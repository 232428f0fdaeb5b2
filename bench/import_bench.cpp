// Import benchmark: a bank's list of 10,000 cleared checks as a fixed-format file and as a
// comma-separated file, imported against 20,000 outstanding checks of one bank, each timed
// beside plain SQLite doing the same lookups and writes in one transaction on a copy of the file
// (the same lines read and parsed by the same value rules, the rows of each reference read in
// key order, the first match rewritten whole with its revision raised).
// The list: 9,000 lines match a check and its amount, 500 name a check with another amount,
// 500 name no check. Every round clears the marks first.
// Prints the least, median and greatest of the rounds (elapsed and processor time, and the
// per-round ratios); the last line is "ratio fixed=X comma=Y", the medians of the per-round
// ratios of the elapsed times.
#include <sqlite3.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bankrec/imports/import_values.h"
#include "bankrec/imports/text_import.h"
#include "bankrec/storage/change_stamp.h"
#include "bankrec/storage/connection.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/key_sql.h"
#include "bankrec/storage/line_file.h"
#include "bankrec/storage/storage.h"
#include "bankrec/storage/transaction.h"
#include "corelib/message_box.h"
#include "corelib/message_script.h"

#include "bench_stats.h"

using namespace corelib;
using namespace storage;
using namespace imports;

namespace {

constexpr int kChecks = 20000;
constexpr int kLines = 10000;
constexpr int kRounds = 5;
constexpr int32_t kBank = 1;

[[noreturn]] void die(const char* what, sqlite3* db) {
    std::fprintf(stderr, "%s failed%s%s\n", what, db ? ": " : "", db ? sqlite3_errmsg(db) : "");
    std::exit(1);
}

int64_t amountCents(int i) {
    return 1000 + (i * 37) % 90000;
}

// Line i of the list: a check number, its amount (another for 500 lines, none for 500 more)
// and a date.
void line(int i, int64_t& cents, int& check) {
    check = 100000 + (i * 7) % kChecks;
    cents = amountCents(check - 100000);
    if (i % 20 == 1) cents += 1;          // another amount
    if (i % 20 == 2) check = 900000 + i;  // no such check
}

void writeLists(const std::string& fixed, const std::string& comma) {
    std::ofstream f(fixed), c(comma);
    char buf[96];
    for (int i = 0; i < kLines; ++i) {
        int64_t cents = 0;
        int check = 0;
        line(i, cents, check);
        const std::string amount = Decimal::fromCents(cents).toString();
        std::snprintf(buf, sizeof buf, "%07d%13s%-10s\n", check, amount.c_str(), "01/15/2024");
        f << buf;
        c << check << ",\"" << amount << "\",01/15/2024\n";
    }
}

void fillChecks(FileSession& session) {
    auto& b = session.file<APbnk>();
    b.clear();
    b.rec.BankID = kBank;
    b.rec.Bank = "Operating Account";
    if (b.add() != Error::None) die("add bank", nullptr);
    auto& f = session.file<APbac>();
    Transaction t(session, {FileId::APbac}, 5);
    for (int i = 0; i < kChecks; ++i) {
        f.clear();
        f.rec.ActivityID = i + 1;
        f.rec.BankID = kBank;
        f.rec.TransactionID = i + 1;
        f.rec.Source = "AP";
        f.rec.ActivityType = "Check";
        f.rec.ActivityDate = 80000 + i % 90;
        f.rec.Reference = std::to_string(100000 + i);
        f.rec.Name = "Payee number " + std::to_string(i % 977);
        f.rec.Description =
            "Invoice payment for services rendered, batch " + std::to_string(i / 50);
        f.rec.PaymentOrDebit = Decimal::fromCents(amountCents(i));
        f.rec.Amount = -f.rec.PaymentOrDebit;
        if (f.add() != Error::None) die("add check", nullptr);
    }
    if (t.commit() != Error::None) die("commit checks", nullptr);
}

void clearMarks(const std::string& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) die("open", db);
    if (sqlite3_exec(db, "UPDATE \"APbac\" SET \"Marked\" = 0, \"ClearDate\" = 0", nullptr, nullptr,
                     nullptr) != SQLITE_OK)
        die("clear marks", db);
    sqlite3_close(db);
}

// The same import in plain SQLite: each line read and parsed, the rows of its reference read in
// key order, the first match rewritten whole, all in one transaction.
struct Plain {
    sqlite3* db = nullptr;
    const FileDef& fb = fileDef(FileId::APbac);
    sqlite3_stmt* find = nullptr;
    sqlite3_stmt* update = nullptr;

    explicit Plain(const std::string& path) {
        if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) die("open", db);
        const int key = APBAC_KEY_BANKIDREFERENCE.index;
        find =
            prepare("SELECT " + selectList(fb) + " FROM \"APbac\" WHERE " + keyPresentSql(fb, key) +
                    " AND \"BankID\" = ? AND \"Reference\" = ? COLLATE NOCASE ORDER BY " +
                    keysql::orderBy(fb, key, true));
        std::string set;
        for (const FieldDef& fd : fb.fields) set += "\"" + fd.name + "\" = ?, ";
        update = prepare("UPDATE \"APbac\" SET " + set +
                         "_Revision = _Revision + 1 WHERE rowid = ? AND _Revision = ?");
    }
    ~Plain() {
        sqlite3_finalize(find);
        sqlite3_finalize(update);
        sqlite3_close(db);
    }
    sqlite3_stmt* prepare(const std::string& sql) {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) die("prepare", db);
        return s;
    }
    void exec(const char* sql) {
        if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) die(sql, db);
    }

    int run(const std::string& file, TextFormat format) {
        const ImportFlags flags{true, false, true};
        std::ifstream in(file);
        std::string text;
        int marked = 0;
        exec("BEGIN IMMEDIATE");
        while (std::getline(in, text)) {
            text.resize(ASimp::kWidth, ' ');
            const ImportedCheck c = format == TextFormat::Fixed
                                        ? readFixedLine(text, FixedLayout{}, flags)
                                        : readCommaLine(text, CommaLayout{}, flags);
            if (c.skip()) continue;
            sqlite3_bind_int(find, 1, kBank);
            sqlite3_bind_text(find, 2, c.reference.c_str(), -1, SQLITE_TRANSIENT);
            APbac r;
            while (sqlite3_step(find) == SQLITE_ROW) {
                readRecord(find, fb, &r, 2);
                if (r.PaymentOrDebit != c.amount) continue;
                if (r.Marked) break;
                const int64_t rowid = sqlite3_column_int64(find, 0);
                const int64_t rev = sqlite3_column_int64(find, 1);
                r.Marked = 1;
                r.ClearDate = c.clearDate;
                stampChange(r);
                int bad = -1;
                if (!bindRecord(update, fb, &r, 1, bad)) die("bind", db);
                const int n = static_cast<int>(fb.fields.size());
                sqlite3_bind_int64(update, n + 1, rowid);
                sqlite3_bind_int64(update, n + 2, rev);
                if (sqlite3_step(update) != SQLITE_DONE || sqlite3_changes(db) != 1)
                    die("update", db);
                sqlite3_reset(update);
                ++marked;
                break;
            }
            sqlite3_reset(find);
        }
        exec("COMMIT");
        return marked;
    }
};

}  // namespace

int main() {
    char tmpl[] = "/tmp/import_bench_XXXXXX";
    if (!mkdtemp(tmpl)) return 1;
    const std::string dir = tmpl;
    std::filesystem::create_directories(dir + "/plain");
    auto scripted = std::make_shared<ScriptedMessages>();
    ThisMessageBox.setBackend(scripted);
    glo_ApplicationName = "Bank Reconciliation";

    Storage storage;
    storage.nameFiles(dir, 5);
    storage.setFileName(FileId::APbnu, dir + "/APbnu");
    {
        FileSession setup(storage);
        for (FileId id : {FileId::APbnk, FileId::APbac})
            if (setup.create(id) != Error::None) die("create", nullptr);
        fillChecks(setup);
    }
    const std::string ours = storage.filePath(FileId::APbac);
    const std::string copy = dir + "/plain/" + std::filesystem::path(ours).filename().string();
    std::filesystem::copy_file(ours, copy);
    const std::string fixedFile = dir + "/cleared.txt";
    const std::string commaFile = dir + "/cleared.csv";
    writeLists(fixedFile, commaFile);

    FileSession session(storage);
    // The worksheet holds the files open and its bank current while the import runs.
    FileUse held(session, {FileId::APbnk, FileId::APbac});
    if (held.error() != Error::None) die("open files", nullptr);
    session.file<APbnk>().clear();
    session.file<APbnk>().rec.BankID = kBank;
    if (session.file<APbnk>().get(APBNK_KEY_BANKID) != Error::None) die("bank", nullptr);

    bench::Timings ours_[2], plain_[2];
    int64_t markedOurs[2] = {}, markedPlain[2] = {};
    for (int round = 0; round < kRounds; ++round) {
        for (int f = 0; f < 2; ++f) {
            const TextFormat format = f == 0 ? TextFormat::Fixed : TextFormat::Comma;
            const std::string& file = f == 0 ? fixedFile : commaFile;
            clearMarks(ours);
            const bench::Stopwatch oursWatch;
            const ImportResult r =
                f == 0 ? UpdateAPrecFixed(session, file, true, false, true, 1, 7, 8, 20, 21, 30)
                       : UpdateAPrecComma(session, file, true, false, true, 1, 2, 3);
            ours_[f].add(oursWatch.sample());
            if (r.end != ImportEnd::Completed) die("import", nullptr);
            markedOurs[f] = r.counts.marked;

            clearMarks(copy);
            Plain plain(copy);
            const bench::Stopwatch plainWatch;
            markedPlain[f] = plain.run(file, format);
            plain_[f].add(plainWatch.sample());
        }
    }
    if (scripted->count() != 0) die("no message expected", nullptr);

    std::printf("bank: %d outstanding checks; lists of %d lines; %d rounds\n", kChecks, kLines,
                kRounds);
    const char* names[2] = {"fixed", "comma"};
    bench::Series ratio[2];
    for (int f = 0; f < 2; ++f) {
        std::printf("%s: rows marked: ours %lld, plain %lld\n", names[f],
                    static_cast<long long>(markedOurs[f]), static_cast<long long>(markedPlain[f]));
        ratio[f] = bench::compare(names[f], "ours", ours_[f], "plain", plain_[f]);
    }
    std::printf("ratio fixed=%.2f comma=%.2f\n", ratio[0].median(), ratio[1].median());
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    return 0;
}
