// Bank-file benchmark: a BAI2 file and an OFX file of 10,000 items each (9,000 paid checks, of
// which some 450 with another amount and 450 with no such check, and 1,000 credits, of which
// 100 have two candidate deposits) imported against 20,000 outstanding checks and 1,200 deposits of
// one bank, each timed beside plain SQLite doing the same on a copy of the file in one transaction:
// the same file read and parsed by the same reader, for a check the rows of its reference read
// in key order and the first match rewritten whole, for a credit the bank's rows dated within
// the five days before posting read in date order and the only unmarked deposit of that amount
// rewritten. Every round clears the marks first.
// Prints min/median/max of each and a last line "ratio bai2=X ofx=Y" (median over median).
#include <sqlite3.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "bankrec/imports/bank_files.h"
#include "bankrec/imports/bank_import.h"
#include "bankrec/storage/change_stamp.h"
#include "bankrec/storage/connection.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/key_sql.h"
#include "bankrec/storage/storage.h"
#include "bankrec/storage/transaction.h"
#include "corelib/daytime.h"
#include "corelib/message_box.h"
#include "corelib/message_script.h"

using namespace corelib;
using namespace storage;
using namespace imports;

namespace {

constexpr int kChecks = 20000;
constexpr int kCheckItems = 9000;
constexpr int kCredits = 1000;
constexpr int kAmbiguous = 100;  // credits with two candidate deposits
constexpr int kRounds = 5;
constexpr int32_t kBank = 1;
constexpr int32_t kWindow = 5;
const int32_t kPosted = daytime::dayNumber(2024, 3, 29);

using Clock = std::chrono::steady_clock;
double secondsSince(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

[[noreturn]] void die(const char* what, sqlite3* db) {
    std::fprintf(stderr, "%s failed%s%s\n", what, db ? ": " : "", db ? sqlite3_errmsg(db) : "");
    std::exit(1);
}

int64_t checkCents(int i) {
    return 1000 + (i * 37) % 90000;
}
int64_t creditCents(int k) {
    return 500000 + k * 13;
}

// Paid check i of the file: a number and an amount (another for 500, no such check for 500).
void paidCheck(int i, int64_t& cents, int& check) {
    check = 100000 + (i * 7) % kChecks;
    cents = checkCents(check - 100000);
    if (i % 18 == 1) cents += 1;
    if (i % 18 == 2) check = 900000 + i;
}

void writeFiles(const std::string& bai2, const std::string& ofx) {
    const daytime::Ymd d = daytime::ymd(kPosted);
    char date6[16], date8[16];
    std::snprintf(date6, sizeof date6, "%02d%02d%02d", d.year % 100, d.month, d.day);
    std::snprintf(date8, sizeof date8, "%04d%02d%02d", d.year, d.month, d.day);
    std::ostringstream b, o;
    int64_t total = 0;
    b << "01,BANK,CUST," << date6 << ",0800,1,80,,2/\n02,CUST,BANK,1," << date6
      << ",2359,USD,2/\n03,123456789,USD/\n";
    o << "OFXHEADER:100\nDATA:OFXSGML\nVERSION:102\n\n<OFX><BANKMSGSRSV1><STMTTRNRS><STMTRS>"
         "<CURDEF>USD<BANKACCTFROM><ACCTID>123456789</BANKACCTFROM><BANKTRANLIST>\n";
    for (int i = 0; i < kCheckItems + kCredits; ++i) {
        int64_t cents = 0;
        int check = 0;
        const bool credit = i % 10 == 9;
        if (credit)
            cents = creditCents(i / 10);
        else
            paidCheck(i, cents, check);
        total += cents;
        const std::string amount = Decimal::fromCents(credit ? cents : -cents).toString();
        if (credit) {
            b << "16,175," << cents << ",,BR" << i << ",,DEPOSIT/\n";
            o << "<STMTTRN><TRNTYPE>CREDIT<DTPOSTED>" << date8 << "<TRNAMT>" << amount << "<FITID>"
              << i << "<NAME>Deposit</STMTTRN>\n";
        } else {
            b << "16,475," << cents << ",,BR" << i << "," << check << "/\n";
            o << "<STMTTRN><TRNTYPE>CHECK<DTPOSTED>" << date8 << "<TRNAMT>" << amount << "<FITID>"
              << i << "<CHECKNUM>" << check << "</STMTTRN>\n";
        }
    }
    const int records = kCheckItems + kCredits;
    b << "49," << total << "," << records + 2 << "/\n98," << total << ",1," << records + 4
      << "/\n99," << total << ",1," << records + 6 << "/\n";
    o << "</BANKTRANLIST></STMTRS></STMTTRNRS></BANKMSGSRSV1></OFX>\n";
    std::ofstream(bai2) << b.str();
    std::ofstream(ofx) << o.str();
}

void fillActivity(FileSession& session) {
    auto& bank = session.file<APbnk>();
    bank.clear();
    bank.rec.BankID = kBank;
    bank.rec.Bank = "Operating Account";
    if (bank.add() != Error::None) die("add bank", nullptr);
    auto& f = session.file<APbac>();
    Transaction t(session, {FileId::APbac}, 5);
    int32_t id = 0;
    for (int i = 0; i < kChecks; ++i) {
        f.clear();
        f.rec.ActivityID = ++id;
        f.rec.BankID = kBank;
        f.rec.TransactionID = id;
        f.rec.Source = "AP";
        f.rec.ActivityType = "Check";
        f.rec.ActivityDate = kPosted - 120 + i % 120;
        f.rec.Reference = std::to_string(100000 + i);
        f.rec.Name = "Payee number " + std::to_string(i % 977);
        f.rec.Description =
            "Invoice payment for services rendered, batch " + std::to_string(i / 50);
        f.rec.PaymentOrDebit = Decimal::fromCents(checkCents(i));
        f.rec.Amount = -f.rec.PaymentOrDebit;
        if (f.add() != Error::None) die("add check", nullptr);
    }
    // One deposit per credit, two for the first 100, dated within the days before posting.
    for (int k = 0; k < kCredits + kAmbiguous; ++k) {
        const int credit = k < kCredits ? k : k - kCredits;
        f.clear();
        f.rec.ActivityID = ++id;
        f.rec.BankID = kBank;
        f.rec.TransactionID = id;
        f.rec.Source = "AR";
        f.rec.ActivityType = "Deposit";
        f.rec.ActivityDate = kPosted - (k % (kWindow + 1));
        f.rec.Reference = "D" + std::to_string(k);
        f.rec.DepositOrCredit = Decimal::fromCents(creditCents(credit));
        f.rec.Amount = f.rec.DepositOrCredit;
        if (f.add() != Error::None) die("add deposit", nullptr);
    }
    if (t.commit() != Error::None) die("commit activity", nullptr);
}

void clearMarks(const std::string& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) die("open", db);
    if (sqlite3_exec(db, "UPDATE \"APbac\" SET \"Marked\" = 0, \"ClearDate\" = 0", nullptr, nullptr,
                     nullptr) != SQLITE_OK)
        die("clear marks", db);
    sqlite3_close(db);
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

struct Plain {
    sqlite3* db = nullptr;
    const FileDef& fb = fileDef(FileId::APbac);
    sqlite3_stmt* byReference = nullptr;
    sqlite3_stmt* byDate = nullptr;
    sqlite3_stmt* update = nullptr;

    explicit Plain(const std::string& path) {
        if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) die("open", db);
        const int ref = APBAC_KEY_BANKIDREFERENCE.index;
        byReference =
            prepare("SELECT " + selectList(fb) + " FROM \"APbac\" WHERE " + keyPresentSql(fb, ref) +
                    " AND \"BankID\" = ? AND \"Reference\" = ? COLLATE NOCASE ORDER BY " +
                    keysql::orderBy(fb, ref, true));
        const int act = APBAC_KEY_ACTIVITY.index;
        byDate =
            prepare("SELECT " + selectList(fb) + " FROM \"APbac\" WHERE " + keyPresentSql(fb, act) +
                    " AND \"BankID\" = ? AND \"ActivityDate\" BETWEEN ? AND ? ORDER BY " +
                    keysql::orderBy(fb, act, true));
        std::string set;
        for (const FieldDef& fd : fb.fields) set += "\"" + fd.name + "\" = ?, ";
        update = prepare("UPDATE \"APbac\" SET " + set +
                         "_Revision = _Revision + 1 WHERE rowid = ? AND _Revision = ?");
    }
    ~Plain() {
        sqlite3_finalize(byReference);
        sqlite3_finalize(byDate);
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
    void rewrite(APbac& r, int64_t rowid, int64_t rev, int32_t date) {
        r.Marked = 1;
        r.ClearDate = date;
        stampChange(r);
        int bad = -1;
        if (!bindRecord(update, fb, &r, 1, bad)) die("bind", db);
        const int n = static_cast<int>(fb.fields.size());
        sqlite3_bind_int64(update, n + 1, rowid);
        sqlite3_bind_int64(update, n + 2, rev);
        if (sqlite3_step(update) != SQLITE_DONE || sqlite3_changes(db) != 1) die("update", db);
        sqlite3_reset(update);
    }
    bool markCheck(const BankItem& item) {
        sqlite3_bind_int(byReference, 1, kBank);
        sqlite3_bind_text(byReference, 2, item.checkNumber.c_str(), -1, SQLITE_TRANSIENT);
        APbac r;
        bool done = false;
        while (sqlite3_step(byReference) == SQLITE_ROW) {
            readRecord(byReference, fb, &r, 2);
            if (r.PaymentOrDebit.cents() != item.cents) continue;
            if (!r.Marked) {
                rewrite(r, sqlite3_column_int64(byReference, 0),
                        sqlite3_column_int64(byReference, 1), item.date);
                done = true;
            }
            break;
        }
        sqlite3_reset(byReference);
        return done;
    }
    bool markDeposit(const BankItem& item) {
        sqlite3_bind_int(byDate, 1, kBank);
        sqlite3_bind_int(byDate, 2, item.date - kWindow);
        sqlite3_bind_int(byDate, 3, item.date);
        APbac r, only;
        int64_t rowid = 0, rev = 0;
        int candidates = 0;
        while (sqlite3_step(byDate) == SQLITE_ROW) {
            readRecord(byDate, fb, &r, 2);
            if (r.DepositOrCredit.cents() != item.cents || r.Marked) continue;
            if (++candidates == 1) {
                only = r;
                rowid = sqlite3_column_int64(byDate, 0);
                rev = sqlite3_column_int64(byDate, 1);
            }
        }
        sqlite3_reset(byDate);
        if (candidates != 1) return false;
        rewrite(only, rowid, rev, item.date);
        return true;
    }
    int run(const std::string& path, BankFormat format) {
        const std::string text = readAll(path);
        const BankFile file = format == BankFormat::Bai2 ? parseBai2(text) : parseOfx(text);
        int marked = 0;
        exec("BEGIN IMMEDIATE");
        for (const BankItem& item : file.accounts.at(0).items)
            if (item.isCheck() ? markCheck(item) : item.credit && markDeposit(item)) ++marked;
        exec("COMMIT");
        return marked;
    }
};

struct Stats {
    std::vector<double> v;
    double median() {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    }
    double min() const { return *std::min_element(v.begin(), v.end()); }
    double max() const { return *std::max_element(v.begin(), v.end()); }
};

}  // namespace

int main() {
    char tmpl[] = "/tmp/bankfile_bench_XXXXXX";
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
        fillActivity(setup);
    }
    const std::string ours = storage.filePath(FileId::APbac);
    const std::string copy = dir + "/plain/" + std::filesystem::path(ours).filename().string();
    std::filesystem::copy_file(ours, copy);
    const std::string bai2File = dir + "/cleared.bai";
    const std::string ofxFile = dir + "/cleared.ofx";
    writeFiles(bai2File, ofxFile);

    FileSession session(storage);
    FileUse held(session, {FileId::APbnk, FileId::APbac});
    if (held.error() != Error::None) die("open files", nullptr);
    session.file<APbnk>().clear();
    session.file<APbnk>().rec.BankID = kBank;
    if (session.file<APbnk>().get(APBNK_KEY_BANKID) != Error::None) die("bank", nullptr);

    Stats ours_[2], plain_[2];
    ImportCounts counts[2];
    int64_t markedPlain[2] = {};
    for (int round = 0; round < kRounds; ++round) {
        for (int f = 0; f < 2; ++f) {
            const BankFormat format = f == 0 ? BankFormat::Bai2 : BankFormat::Ofx;
            const std::string& file = f == 0 ? bai2File : ofxFile;
            clearMarks(ours);
            auto t = Clock::now();
            const ImportResult r =
                runBankImport(session, file, format, {true, true, true, kWindow});
            ours_[f].v.push_back(secondsSince(t));
            if (r.end != ImportEnd::Completed) die("import", nullptr);
            counts[f] = r.counts;

            clearMarks(copy);
            Plain plain(copy);
            t = Clock::now();
            markedPlain[f] = plain.run(file, format);
            plain_[f].v.push_back(secondsSince(t));
        }
    }
    if (scripted->count() != 0) die("no message expected", nullptr);

    std::printf("bank: %d outstanding checks, %d deposits; files of %d items; %d rounds\n", kChecks,
                kCredits + kAmbiguous, kCheckItems + kCredits, kRounds);
    const char* names[2] = {"BAI2 file", "OFX file"};
    for (int f = 0; f < 2; ++f) {
        std::printf(
            "%s (ours: %lld marked, %lld not matched, %lld ambiguous; plain: %lld marked), ms:\n",
            names[f], static_cast<long long>(counts[f].marked),
            static_cast<long long>(counts[f].notMatched),
            static_cast<long long>(counts[f].ambiguous), static_cast<long long>(markedPlain[f]));
        std::printf("  ours  min %.1f  median %.1f  max %.1f\n", ours_[f].min() * 1e3,
                    ours_[f].median() * 1e3, ours_[f].max() * 1e3);
        std::printf("  plain min %.1f  median %.1f  max %.1f\n", plain_[f].min() * 1e3,
                    plain_[f].median() * 1e3, plain_[f].max() * 1e3);
    }
    std::printf("ratio bai2=%.2f ofx=%.2f\n", ours_[0].median() / plain_[0].median(),
                ours_[1].median() / plain_[1].median());
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    return 0;
}
