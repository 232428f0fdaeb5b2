// Bank-file benchmark: a BAI2 file and an OFX file of 10,000 items each (9,000 paid checks, of
// which some 450 with another amount and 450 with no such check, and 1,000 credits, of which
// 100 have two candidate deposits) imported against 20,000 outstanding checks and 1,200 deposits of
// one bank, each timed beside plain SQLite doing the same on a copy of the file in one transaction:
// the same file read and parsed by the same reader, for a check the rows of its reference read
// in key order and the first match rewritten whole, for a credit the bank's rows dated within
// the five days before posting read in date order and the only unmarked deposit of that amount
// rewritten. Every round clears the marks first.
// Prints the least, median and greatest of the rounds (elapsed and processor time, and the
// per-round ratios); the last line is "ratio bai2=X ofx=Y", the medians of the per-round ratios
// of the elapsed times.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "bankrec/imports/bank_files.h"
#include "bankrec/imports/bank_import.h"
#include "corelib/daytime.h"

#include "bench_stats.h"
#include "import_bench_setup.h"

using namespace corelib;
using namespace storage;
using namespace imports;
using bench::kBank;

namespace {

constexpr int kChecks = 20000;
constexpr int kCheckItems = 9000;
constexpr int kCredits = 1000;
constexpr int kAmbiguous = 100;  // credits with two candidate deposits
constexpr int kRounds = 5;
constexpr int32_t kWindow = 5;
const int32_t kPosted = daytime::dayNumber(2024, 3, 29);

int64_t creditCents(int k) {
    return 500000 + k * 13;
}

// Paid check i of the file: a number and an amount (another for 500, no such check for 500).
void paidCheck(int i, int64_t& cents, int& check) {
    check = 100000 + (i * 7) % kChecks;
    cents = bench::checkCents(check - 100000);
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

// 20,000 outstanding checks dated over the 120 days before posting; one deposit per credit,
// two for the first 100, dated within the days before posting.
void fillActivity(FileSession& session) {
    int32_t id = 0;
    for (int i = 0; i < kChecks; ++i) bench::addCheck(session, ++id, i, kPosted - 120 + i % 120);
    for (int k = 0; k < kCredits + kAmbiguous; ++k) {
        const int credit = k < kCredits ? k : k - kCredits;
        APbac& r = bench::newActivity(session, ++id);
        r.Source = "AR";
        r.ActivityType = "Deposit";
        r.ActivityDate = kPosted - (k % (kWindow + 1));
        r.Reference = "D" + std::to_string(k);
        r.DepositOrCredit = Decimal::fromCents(creditCents(credit));
        r.Amount = r.DepositOrCredit;
        if (session.file<APbac>().add() != Error::None) bench::die("add deposit", nullptr);
    }
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

struct Plain : bench::PlainSql {
    sqlite3_stmt* byDate = nullptr;

    explicit Plain(const std::string& path) : PlainSql(path) {
        const int act = APBAC_KEY_ACTIVITY.index;
        byDate =
            prepare("SELECT " + selectList(fb) + " FROM \"APbac\" WHERE " + keyPresentSql(fb, act) +
                    " AND \"BankID\" = ? AND \"ActivityDate\" BETWEEN ? AND ? ORDER BY " +
                    keysql::orderBy(fb, act, true));
    }
    ~Plain() override { sqlite3_finalize(byDate); }
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
        mark(only, rowid, rev, item.date);
        return true;
    }
    int run(const std::string& path, BankFormat format) {
        const std::string text = readAll(path);
        const BankFile file = format == BankFormat::Bai2 ? parseBai2(text) : parseOfx(text);
        int marked = 0;
        exec("BEGIN IMMEDIATE");
        for (const BankItem& item : file.accounts.at(0).items)
            if (item.isCheck()
                    ? markCheck(item.checkNumber, Decimal::fromCents(item.cents), item.date)
                    : item.credit && markDeposit(item))
                ++marked;
        exec("COMMIT");
        return marked;
    }
};

}  // namespace

int main() {
    bench::ImportBench setup("bankfile_bench", fillActivity);
    const std::string bai2File = setup.dir() + "/cleared.bai";
    const std::string ofxFile = setup.dir() + "/cleared.ofx";
    writeFiles(bai2File, ofxFile);

    bench::Timings ours_[2], plain_[2];
    ImportCounts counts[2];
    int64_t markedPlain[2] = {};
    for (int round = 0; round < kRounds; ++round) {
        for (int f = 0; f < 2; ++f) {
            const BankFormat format = f == 0 ? BankFormat::Bai2 : BankFormat::Ofx;
            const std::string& file = f == 0 ? bai2File : ofxFile;
            counts[f] = setup
                            .round(
                                ours_[f], plain_[f],
                                [&](FileSession& session) {
                                    return runBankImport(session, file, format,
                                                         {true, true, true, kWindow});
                                },
                                [&](const std::string& copy, bench::Timings& time) {
                                    Plain plain(copy);
                                    const bench::Stopwatch watch;
                                    markedPlain[f] = plain.run(file, format);
                                    time.add(watch.sample());
                                })
                            .counts;
        }
    }
    if (setup.messages() != 0) bench::die("no message expected", nullptr);

    std::printf("bank: %d outstanding checks, %d deposits; files of %d items; %d rounds\n", kChecks,
                kCredits + kAmbiguous, kCheckItems + kCredits, kRounds);
    const char* names[2] = {"bai2", "ofx"};
    bench::Series ratio[2];
    for (int f = 0; f < 2; ++f) {
        std::printf(
            "%s: ours %lld marked, %lld not matched, %lld ambiguous; plain %lld marked\n", names[f],
            static_cast<long long>(counts[f].marked), static_cast<long long>(counts[f].notMatched),
            static_cast<long long>(counts[f].ambiguous), static_cast<long long>(markedPlain[f]));
        ratio[f] = bench::compare(names[f], "ours", ours_[f], "plain", plain_[f]);
    }
    std::printf("ratio bai2=%.2f ofx=%.2f\n", ratio[0].median(), ratio[1].median());
    return 0;
}
