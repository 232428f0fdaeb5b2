// Crash atomicity on a PostgreSQL store: a station killed with SIGKILL in the middle of its
// multi-file transactions leaves each of them in all of the tables or in none (the server rolls
// back what the dead connection left open), and the next station gets the files at once.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <map>
#include <random>

#include "test_engine_fixture.h"

using namespace storage;

namespace {

constexpr int kRowsPerFile = 4;

[[noreturn]] void runStation(const Storage& storage, int run, int ready) {
    FileSession s(storage);
    auto& bac = s.file<APbac>();
    auto& rac = s.file<APrac>();
    auto& bda = s.file<APbda>();
    for (int k = 1; k <= 100000; ++k) {
        const int32_t tag = run * 10000 + k;
        if (s.begin({FileId::APbac, FileId::APrac, FileId::APbda}, 5) != Error::None) _exit(3);
        if (k == 1) (void)!write(ready, "r", 1);
        for (int i = 0; i < kRowsPerFile; ++i) {
            const int32_t id = tag * 10 + i;
            bac.clear();
            bac.rec.ActivityID = id;
            bac.rec.TransactionID = tag;
            rac.clear();
            rac.rec.ReconciliationActivityID = id;
            rac.rec.ReconciliationID = tag;
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

// Rows per tag in APbac, APrac and APbda of division 3, read through a connection of the test's
// own in one snapshot: a killed station's COMMIT that already reached the server may still be
// finishing, and separate reads could see it land between them.
std::array<std::map<int64_t, int64_t>, 3> rowsPerTag(const std::string& database) {
    std::array<std::map<int64_t, int64_t>, 3> out;
    PGconn* c = connectTestServer(database);
    if (!c) return out;
    PQclear(PQexec(c, "BEGIN ISOLATION LEVEL REPEATABLE READ"));
    const char* sql[] = {"SELECT \"TransactionID\", count(*) FROM div03.\"APbac\" GROUP BY 1",
                         "SELECT \"ReconciliationID\", count(*) FROM div03.\"APrac\" GROUP BY 1",
                         "SELECT \"ActivityID\", count(*) FROM div03.\"APbda\" GROUP BY 1"};
    for (size_t t = 0; t < out.size(); ++t) {
        PGresult* r = PQexec(c, sql[t]);
        if (PQresultStatus(r) == PGRES_TUPLES_OK)
            for (int i = 0; i < PQntuples(r); ++i)
                out[t][std::strtoll(PQgetvalue(r, i, 0), nullptr, 10)] =
                    std::strtoll(PQgetvalue(r, i, 1), nullptr, 10);
        else
            ADD_FAILURE() << PQresultErrorMessage(r);
        PQclear(r);
    }
    PQclear(PQexec(c, "COMMIT"));
    PQfinish(c);
    return out;
}

}  // namespace

TEST(ServerCrashAtomicity, KilledStationsLeaveEachTransactionAllOrNothing) {
    DataFolder folder;
    std::string skip;
    if (!folder.use(Backend::Postgres, skip)) GTEST_SKIP() << skip;
    {
        FileSession s(folder.storage);
        for (FileId f : {FileId::APbac, FileId::APrac, FileId::APbda})
            ASSERT_EQ(s.create(f), Error::None) << s.lastError().driverMessage;
    }
    const std::string db = folder.store.database();
    const unsigned seed = std::random_device{}();
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> delayUs(0, 60000);
    int64_t committed = 0;
    const auto start = std::chrono::steady_clock::now();
    int runs = 0;
    for (; runs < 200 && std::chrono::steady_clock::now() - start < std::chrono::seconds(60);
         ++runs) {
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) runStation(folder.storage, runs + 1, ready[1]);
        char c;
        (void)!read(ready[0], &c, 1);  // the station is in its first transaction
        ::close(ready[0]);
        ::close(ready[1]);
        usleep(static_cast<useconds_t>(delayUs(rng)));
        kill(pid, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(status))
            << "station ended on its own with " << WEXITSTATUS(status) << " (seed " << seed << ")";
        const auto [bac, rac, bda] = rowsPerTag(db);
        ASSERT_EQ(bac, rac) << "run " << runs << " seed " << seed;
        ASSERT_EQ(bac, bda) << "run " << runs << " seed " << seed;
        for (auto [tag, n] : bac) ASSERT_EQ(n, kRowsPerFile) << "tag " << tag << " seed " << seed;
        committed = static_cast<int64_t>(bac.size());
    }
    EXPECT_GE(runs, 50);
    EXPECT_GT(committed, 0) << "no transaction ever committed: the kills came too early";
    std::printf("server crash runs: %d, transactions committed: %lld, seed %u\n", runs,
                static_cast<long long>(committed), seed);
}
