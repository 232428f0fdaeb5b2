// The check register report at scale: registers of 10,000 and 100,000 rows (three bank
// accounts) printed to a PDF, and the larger one also into the preview's page files. Each run
// is a process of its own, so its peak resident memory is its own.
//   report_bench [small] [large]          (defaults 10000 and 100000)
// The last line is "ratio rss=X" (peak memory of the large run over the small run's, PDF).
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bankrec/reports/print_target.h"
#include "bankrec/reports/report_apbac.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/storage.h"
#include "corelib/daytime.h"
#include "corelib/message_script.h"
#include "corelib/zor_preview.h"

using namespace corelib;
using namespace storage;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kBanks = 3;

// A register of `rows` rows over a year, in one transaction.
void makeData(const std::string& folder, int rows) {
    ScopedScriptedMessages messages;
    Storage storage;
    storage.nameFiles(folder, 3);
    FileSession session(storage);
    FileUse files(session, {FileId::APbnk, FileId::APbac});
    if (files.error() != Error::None ||
        session.begin({FileId::APbnk, FileId::APbac}, 5) != Error::None)
        std::exit(1);
    auto& bnk = session.file<APbnk>();
    for (int b = 1; b <= kBanks; ++b) {
        bnk.clear();
        bnk.rec.BankID = b;
        bnk.rec.Bank = "Bank Account " + std::to_string(b);
        if (bnk.add() != Error::None) std::exit(1);
    }
    auto& bac = session.file<APbac>();
    const int32_t first = daytime::dayNumber(2026, 1, 1);
    for (int i = 1; i <= rows; ++i) {
        bac.clear();
        APbac& a = bac.rec;
        a.ActivityID = i;
        a.BankID = 1 + i % kBanks;
        a.ActivityDate = first + i % 365;
        const int kind = i % 10;
        a.ActivityType = kind < 7 ? "Check" : kind < 9 ? "Deposit" : "Adjustment";
        a.Reference = std::to_string(100000 + i);
        a.Name = kind == 9 ? "" : "Vendor number " + std::to_string(i % 997);
        a.Description = "Invoice " + std::to_string(i) + " for supplies and services rendered";
        a.Amount = Decimal::fromCents(kind < 7 ? -(1000 + i % 50000) : 2000 + i % 70000);
        if (kind < 7) a.PaymentOrDebit = -a.Amount;
        if (kind == 7 || kind == 8) a.DepositOrCredit = a.Amount;
        if (bac.add() != Error::None) std::exit(1);
    }
    if (session.commit() != Error::None) std::exit(1);
}

// Runs the report over the folder's register; prints its time and pages.
int runReport(int argc, char** argv, const std::string& folder, const std::string& pdf,
              bool preview) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ScopedScriptedMessages messages;
    Storage storage;
    storage.nameFiles(folder, 3);
    FileSession session(storage);
    reports::RegisterSelection s;
    s.FromDate = daytime::dayNumber(2026, 1, 1);
    s.ToDate = daytime::dayNumber(2026, 12, 31);
    s.PreviewReport = preview ? 1 : 0;
    reports::ReportOutput out;
    out.printer = [&] { return std::make_unique<reports::PdfTarget>(pdf); };
    // The preview is shown and left without printing: the run measures the page files.
    int pages = 0;
    int64_t pageBytes = 0;
    struct CountingPreview : PreviewBackend {
        int& pages;
        int64_t& bytes;
        CountingPreview(int& p, int64_t& b) : pages(p), bytes(b) {}
        PreviewAnswer show(PreviewPages& p, const PreviewOptions&) override {
            pages = p.count();
            bytes = p.totalSize();
            return {};
        }
    };
    setPreviewBackend(std::make_shared<CountingPreview>(pages, pageBytes));
    const auto start = Clock::now();
    const reports::ReportResult r = reports::ReportAPbac(session, s, "Bench Trust", out);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    if (preview) {
        if (r != reports::ReportResult::NotPrinted) return 1;
        std::printf("%.0f ms, %d page files, %.1f MB on disk", ms, pages, pageBytes / 1048576.0);
    } else {
        if (r != reports::ReportResult::Printed) return 1;
        std::printf("%.0f ms, PDF %.1f MB", ms,
                    QFileInfo(QString::fromStdString(pdf)).size() / 1048576.0);
    }
    std::fflush(stdout);
    return 0;
}

// Runs `work` in a child process; returns its peak resident memory in MB (negative on failure).
template <typename Work>
double inChild(Work work) {
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) std::_Exit(work());
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return -1;
    return usage.ru_maxrss / 1024.0;
}

}  // namespace

int main(int argc, char** argv) {
    const int small = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int large = argc > 2 ? std::atoi(argv[2]) : 100000;
    QTemporaryDir dir;
    double rss[2] = {0, 0};
    int n = 0;
    for (int rows : {small, large}) {
        const std::string folder = dir.filePath(QString::number(rows)).toStdString();
        QDir().mkpath(QString::fromStdString(folder));
        if (inChild([&] {
                makeData(folder, rows);
                return 0;
            }) < 0) {
            std::fprintf(stderr, "making %d rows failed\n", rows);
            return 1;
        }
        std::printf("%7d rows to PDF:      ", rows);
        rss[n] =
            inChild([&] { return runReport(argc, argv, folder, folder + "/register.pdf", false); });
        if (rss[n] < 0) return 1;
        std::printf(", peak RSS %.1f MB\n", rss[n]);
        if (rows == large) {
            std::printf("%7d rows to preview:  ", rows);
            const double p = inChild([&] { return runReport(argc, argv, folder, {}, true); });
            if (p < 0) return 1;
            std::printf(", peak RSS %.1f MB\n", p);
        }
        ++n;
    }
    std::printf("ratio rss=%.3f\n", rss[1] / rss[0]);
    return 0;
}
