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
#include <cstdio>
#include <fstream>
#include <string>

#include "bankrec/imports/import_values.h"
#include "bankrec/imports/text_import.h"
#include "bankrec/storage/line_file.h"

#include "bench_stats.h"
#include "import_bench_setup.h"

using namespace corelib;
using namespace storage;
using namespace imports;

namespace {

constexpr int kChecks = 20000;
constexpr int kLines = 10000;
constexpr int kRounds = 5;

// Line i of the list: a check number, its amount (another for 500 lines, none for 500 more)
// and a date.
void line(int i, int64_t& cents, int& check) {
    check = 100000 + (i * 7) % kChecks;
    cents = bench::checkCents(check - 100000);
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

// The same import in plain SQLite: each line read and parsed, the rows of its reference read in
// key order, the first match rewritten whole, all in one transaction.
struct Plain : bench::PlainSql {
    using PlainSql::PlainSql;

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
            if (markCheck(c.reference, c.amount, c.clearDate)) ++marked;
        }
        exec("COMMIT");
        return marked;
    }
};

}  // namespace

int main() {
    // 20,000 outstanding checks dated over 90 days.
    bench::ImportBench setup("import_bench", [](FileSession& session) {
        for (int i = 0; i < kChecks; ++i) bench::addCheck(session, i + 1, i, 80000 + i % 90);
    });
    const std::string fixedFile = setup.dir() + "/cleared.txt";
    const std::string commaFile = setup.dir() + "/cleared.csv";
    writeLists(fixedFile, commaFile);

    bench::Timings ours_[2], plain_[2];
    int64_t markedOurs[2] = {}, markedPlain[2] = {};
    for (int round = 0; round < kRounds; ++round) {
        for (int f = 0; f < 2; ++f) {
            const TextFormat format = f == 0 ? TextFormat::Fixed : TextFormat::Comma;
            const std::string& file = f == 0 ? fixedFile : commaFile;
            markedOurs[f] = setup
                                .round(
                                    ours_[f], plain_[f],
                                    [&](FileSession& session) {
                                        return f == 0 ? UpdateAPrecFixed(session, file, true, false,
                                                                         true, 1, 7, 8, 20, 21, 30)
                                                      : UpdateAPrecComma(session, file, true, false,
                                                                         true, 1, 2, 3);
                                    },
                                    [&](const std::string& copy, bench::Timings& time) {
                                        Plain plain(copy);
                                        const bench::Stopwatch watch;
                                        markedPlain[f] = plain.run(file, format);
                                        time.add(watch.sample());
                                    })
                                .counts.marked;
        }
    }
    if (setup.messages() != 0) bench::die("no message expected", nullptr);

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
    return 0;
}
