// Crash atomicity: a child process runs multi-file transactions and is killed with SIGKILL at
// random moments; afterwards every transaction is in all of its files or in none, and every file
// passes SQLite's integrity check.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <random>

#include "test_engine_fixture.h"

using namespace storage;

namespace {

constexpr int kRowsPerFile = 4;
const FileId kFiles[] = {FileId::APbac, FileId::APrac, FileId::APbda};

// The child: transaction after transaction until it is killed. Each one writes kRowsPerFile rows
// to each file, all carrying the transaction's tag.
[[noreturn]] void runWriter(const Storage& storage, int run, int ready) {
    FileSession s(storage);
    auto& bac = s.file<APbac>();
    auto& rac = s.file<APrac>();
    auto& bda = s.file<APbda>();
    for (int k = 1; k <= 100000; ++k) {
        int32_t tag = run * 10000 + k;
        if (s.begin({FileId::APbac, FileId::APrac, FileId::APbda}, 5) != Error::None) _exit(3);
        if (k == 1) (void)!write(ready, "r", 1);
        for (int i = 0; i < kRowsPerFile; ++i) {
            int32_t id = tag * 10 + i;
            bac.clear();
            bac.rec.ActivityID = id;
            bac.rec.TransactionID = tag;
            bac.rec.Description = std::string(150, 'd');
            rac.clear();
            rac.rec.ReconciliationActivityID = id;
            rac.rec.ReconciliationID = tag;
            rac.rec.Name = std::string(80, 'n');
            bda.clear();
            bda.rec.DepositID = id;
            bda.rec.ActivityID = tag;
            if (bac.add() != Error::None || rac.add() != Error::None || bda.add() != Error::None)
                _exit(4);
        }
        if (s.commit() != Error::None) _exit(5);
    }
    _exit(0);
}

// Rows per tag in one file, read straight from the file (recovering a hot journal first).
std::map<int64_t, int64_t> rowsPerTag(const std::string& path, const char* sql) {
    std::map<int64_t, int64_t> out;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_busy_timeout(db, 2000);
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) == SQLITE_OK)
            while (sqlite3_step(s) == SQLITE_ROW)
                out[sqlite3_column_int64(s, 0)] = sqlite3_column_int64(s, 1);
        sqlite3_finalize(s);
    }
    sqlite3_close(db);
    return out;
}

std::string integrity(const std::string& path) {
    sqlite3* db = nullptr;
    std::string result = "cannot open";
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_busy_timeout(db, 2000);
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &s, nullptr) == SQLITE_OK &&
            sqlite3_step(s) == SQLITE_ROW)
            result = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
        sqlite3_finalize(s);
    }
    sqlite3_close(db);
    return result;
}

}  // namespace

TEST(CrashAtomicity, KilledMultiFileTransactionsLeaveAllOrNothing) {
    DataFolder folder;
    {
        FileSession s(folder.storage);
        for (FileId f : kFiles) ASSERT_EQ(s.create(f), Error::None);
    }
    const unsigned seed = std::random_device{}();
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> delayUs(0, 60000);
    int64_t committed = 0;
    int hotJournals = 0;  // kills that left a journal behind: they hit a write or a commit
    const auto start = std::chrono::steady_clock::now();
    int runs = 0;
    for (; runs < 200 && std::chrono::steady_clock::now() - start < std::chrono::seconds(40);
         ++runs) {
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) runWriter(folder.storage, runs + 1, ready[1]);
        char c;
        (void)!read(ready[0], &c, 1);  // the writer is in its first transaction
        ::close(ready[0]);
        ::close(ready[1]);
        usleep(static_cast<useconds_t>(delayUs(rng)));
        kill(pid, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        for (FileId f : kFiles)
            if (std::filesystem::exists(folder.storage.filePath(f) + "-journal")) {
                ++hotJournals;
                break;
            }
        ASSERT_TRUE(WIFSIGNALED(status))
            << "writer ended on its own with " << WEXITSTATUS(status) << " (seed " << seed << ")";

        auto bac = rowsPerTag(folder.storage.filePath(FileId::APbac),
                              "SELECT TransactionID, count(*) FROM APbac GROUP BY 1");
        auto rac = rowsPerTag(folder.storage.filePath(FileId::APrac),
                              "SELECT ReconciliationID, count(*) FROM APrac GROUP BY 1");
        auto bda = rowsPerTag(folder.storage.filePath(FileId::APbda),
                              "SELECT ActivityID, count(*) FROM APbda GROUP BY 1");
        ASSERT_EQ(bac, rac) << "run " << runs << " seed " << seed;
        ASSERT_EQ(bac, bda) << "run " << runs << " seed " << seed;
        for (auto [tag, n] : bac) ASSERT_EQ(n, kRowsPerFile) << "tag " << tag << " seed " << seed;
        committed = static_cast<int64_t>(bac.size());
        for (FileId f : kFiles)
            ASSERT_EQ(integrity(folder.storage.filePath(f)), "ok")
                << fileDef(f).name << " run " << runs << " seed " << seed;
    }
    EXPECT_GE(runs, 50);
    EXPECT_GT(committed, 0) << "no transaction ever committed: the kills came too early";
    EXPECT_GT(hotJournals, 0) << "no kill ever hit a transaction in flight";
    std::printf("crash runs: %d, killed in flight: %d, transactions committed: %lld, seed %u\n",
                runs, hotJournals, static_cast<long long>(committed), seed);
}
