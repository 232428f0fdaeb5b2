// Completion killed at random moments: a child process completes a statement of a few hundred
// items and is killed with SIGKILL; afterwards the statement is either still open with nothing
// of the completion kept, or done with all of it, and every file passes SQLite's integrity check.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>

#include "bankrec/reconcile/update_aprec_done.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/storage.h"
#include "corelib/message_script.h"

using namespace corelib;
using namespace storage;
using namespace reconcile;
namespace fs = std::filesystem;

namespace {

constexpr int kItems = 300;
bool marked(int i) {
    return i % 3 == 0;
}
bool isCheck(int i) {
    return i % 4 != 0;
}
const FileId kFiles[] = {FileId::APbnk, FileId::APbac, FileId::APrac, FileId::APrec};

void nameFiles(Storage& storage, const std::string& folder) {
    storage.nameFiles(folder, 3);
    storage.setFileName(FileId::APbnu, folder + "/APbnu");
}

// The statement to complete: one bank, kItems checks and deposits, an open reconciliation with
// a service charge and interest and stale totals.
void makeStatement(const Storage& storage) {
    FileSession s(storage);
    for (FileId f :
         {FileId::APbnk, FileId::APbnu, FileId::APbac, FileId::APbda, FileId::APrac, FileId::APrec})
        ASSERT_EQ(s.create(f), Error::None);
    ASSERT_EQ(s.begin({FileId::APbnk, FileId::APbac, FileId::APrec}, 1), Error::None);
    auto& bnk = s.file<APbnk>();
    bnk.rec.BankID = 1;
    bnk.rec.Bank = "Operating";
    ASSERT_EQ(bnk.add(), Error::None);
    auto& bac = s.file<APbac>();
    for (int i = 1; i <= kItems; ++i) {
        bac.clear();
        bac.rec.ActivityID = i;
        bac.rec.BankID = 1;
        bac.rec.ActivityType = isCheck(i) ? "Check" : "Deposit";
        bac.rec.ActivityDate = 82000 + i % 30;
        bac.rec.Reference = std::to_string(1000 + i);
        bac.rec.Description = std::string(120, 'd');
        bac.rec.Marked = marked(i) ? 1 : 0;
        bac.rec.PaymentOrDebit = Decimal::fromCents(isCheck(i) ? 100 * i : 0);
        bac.rec.DepositOrCredit = Decimal::fromCents(isCheck(i) ? 0 : 100 * i);
        ASSERT_EQ(bac.add(), Error::None);
    }
    auto& rec = s.file<APrec>();
    rec.rec.ReconciliationID = 1;
    rec.rec.BankID = 1;
    rec.rec.EndingDate = 82030;
    rec.rec.ServiceCharge = Decimal::fromCents(1250);
    rec.rec.ServiceChargeDate = 82030;
    rec.rec.InterestEarned = Decimal::fromCents(310);
    rec.rec.InterestEarnedDate = 82030;
    rec.rec.ChecksMarked = 99;
    ASSERT_EQ(rec.add(), Error::None);
    ASSERT_EQ(s.commit(), Error::None);
}

// The child: completes the statement, telling the parent when it starts and when it is done.
[[noreturn]] void runCompletion(const Storage& storage, int signal) {
    ScopedScriptedMessages messages;
    FileSession s(storage);
    auto& bnk = s.file<APbnk>();
    bnk.rec.BankID = 1;
    if (bnk.get(APBNK_KEY_BANKID) != Error::None) _exit(3);
    (void)!write(signal, "r", 1);
    const DoneResult result = UpdateAPrecDone(s);
    if (!result.done) _exit(4);
    (void)!write(signal, "d", 1);
    for (;;) pause();
}

int64_t number(const std::string& path, const char* sql) {
    int64_t v = -1;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_busy_timeout(db, 2000);
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) == SQLITE_OK) {
            if (sqlite3_step(s) == SQLITE_ROW) v = sqlite3_column_int64(s, 0);
        }
        sqlite3_finalize(s);
    }
    sqlite3_close(db);
    return v;
}

std::string integrity(const std::string& path) {
    std::string result = "cannot open";
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &s, nullptr) == SQLITE_OK &&
            sqlite3_step(s) == SQLITE_ROW)
            result = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
        sqlite3_finalize(s);
    }
    sqlite3_close(db);
    return result;
}

std::string tempFolder(const char* name) {
    std::string t = (fs::temp_directory_path() / (std::string(name) + "_XXXXXX")).string();
    return mkdtemp(t.data()) ? t : std::string();
}

}  // namespace

TEST(CompletionCrash, KilledAnywhereTheStatementIsOpenWithNothingKeptOrDoneWithEverything) {
    const std::string model = tempFolder("completion_model"), work = tempFolder("completion_work");
    Storage modelStorage, storage;
    nameFiles(modelStorage, model);
    nameFiles(storage, work);
    makeStatement(modelStorage);
    const auto fresh = [&] {
        // Journals of a killed run belong to its files: they go with them.
        fs::remove_all(work);
        fs::create_directory(work);
        for (const auto& f : fs::directory_iterator(model))
            fs::copy_file(f.path(), fs::path(work) / f.path().filename());
    };

    // One run to its end first: how long a completion takes here.
    auto spawn = [&](int& signal) {
        int channel[2];
        EXPECT_EQ(pipe(channel), 0);
        const pid_t pid = fork();
        if (pid == 0) runCompletion(storage, channel[1]);
        ::close(channel[1]);
        signal = channel[0];
        char c = 0;
        EXPECT_EQ(read(signal, &c, 1), 1);  // started
        return pid;
    };
    fresh();
    int signal = -1;
    pid_t pid = spawn(signal);
    const auto begun = std::chrono::steady_clock::now();
    char c = 0;
    ASSERT_EQ(read(signal, &c, 1), 1) << "the completion did not finish";
    const auto took = std::chrono::duration_cast<std::chrono::microseconds>(
                          std::chrono::steady_clock::now() - begun)
                          .count();
    ::close(signal);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);

    const unsigned seed = std::random_device{}();
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int64_t> delay(0, took * 5 / 4);
    const std::string bac = storage.filePath(FileId::APbac), rac = storage.filePath(FileId::APrac),
                      rec = storage.filePath(FileId::APrec);
    int64_t markedItems = 0, markedChecks = 0;
    for (int i = 1; i <= kItems; ++i) {
        markedItems += marked(i);
        markedChecks += marked(i) && isCheck(i);
    }
    int open = 0, done = 0, inFlight = 0, runs = 0;
    const auto start = std::chrono::steady_clock::now();
    for (; runs < 200 || (runs < 400 && (open == 0 || done == 0)); ++runs) {
        ASSERT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(240));
        fresh();
        pid = spawn(signal);
        usleep(static_cast<useconds_t>(delay(rng)));
        kill(pid, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ::close(signal);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the completion failed with " << WEXITSTATUS(status);
        for (const auto& f : fs::directory_iterator(work))
            if (f.path().string().find("journal") != std::string::npos) {
                ++inFlight;
                break;
            }

        const std::string at = "run " + std::to_string(runs) + " seed " + std::to_string(seed);
        const int64_t isDone = number(rec, "SELECT Done FROM APrec WHERE ReconciliationID = 1");
        const int64_t snapshot = number(rac, "SELECT count(*) FROM APrac");
        const int64_t reconciled = number(bac, "SELECT count(*) FROM APbac WHERE Reconciled = 1");
        const int64_t adjustments =
            number(bac, "SELECT count(*) FROM APbac WHERE ReconciliationID = 1");
        const int64_t checks =
            number(rec, "SELECT ChecksMarked FROM APrec WHERE ReconciliationID = 1");
        if (isDone == 1) {
            ++done;
            EXPECT_EQ(snapshot, kItems) << at;
            EXPECT_EQ(reconciled, markedItems + 2) << at;  // and the two adjustments
            EXPECT_EQ(adjustments, 2) << at;
            EXPECT_EQ(checks, markedChecks) << at;
        } else {
            ++open;
            EXPECT_EQ(isDone, 0) << at;
            EXPECT_EQ(snapshot, 0) << at;
            EXPECT_EQ(reconciled, 0) << at;
            EXPECT_EQ(adjustments, 0) << at;
            EXPECT_EQ(checks, 99) << at;
        }
        for (FileId f : kFiles)
            ASSERT_EQ(integrity(storage.filePath(f)), "ok") << fileDef(f).name << " " << at;
        if (HasFailure()) break;
    }
    fs::remove_all(work);
    fs::remove_all(model);
    EXPECT_GE(runs, 200);
    EXPECT_GT(open, 0);
    EXPECT_GT(done, 0);
    EXPECT_GT(inFlight, 0) << "no kill hit a write in flight";
    std::printf(
        "completion %lld us; %d kills: %d open, %d done, %d with a journal in flight; "
        "seed %u\n",
        static_cast<long long>(took), runs, open, done, inFlight, seed);
}
