// Several stations (processes) saving the same reconciliation over and over: every save that did
// not meet another station's change is in the final record (no update is lost), and every save
// that met one was refused with 89 and the other station's record shown. The stations raise a
// counter on each save, so the final counter is the number of saves that went through.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

#include "test_engine_fixture.h"

using namespace storage;

namespace {

constexpr int kStations = 8;
// Five seconds in the suite; BANKREC_STATION_SECONDS runs it longer (a minute before a release).
std::chrono::seconds runFor() {
    const char* given = std::getenv("BANKREC_STATION_SECONDS");
    const long seconds = given ? std::strtol(given, nullptr, 10) : 0;
    return std::chrono::seconds(seconds > 0 ? seconds : 5);
}

struct Tally {
    int64_t saved = 0, conflicts = 0, failures = 0;
};

[[noreturn]] void runStation(const Storage& storage, int out) {
    FileSession s(storage);
    auto& rec = s.file<APrec>();
    Tally t;
    const auto end = std::chrono::steady_clock::now() + runFor();
    // Eight stations opening one file at once may find it held for a moment.
    Error first = Error::FileLocked;
    while (first == Error::FileLocked && std::chrono::steady_clock::now() < end) {
        rec.rec.ReconciliationID = 1;
        first = rec.get(APREC_KEY_RECONCILIATIONID);
    }
    if (first != Error::None) _exit(errorNumber(first) & 0xff);
    while (std::chrono::steady_clock::now() < end) {
        const int32_t seen = rec.rec.ChecksMarked;
        rec.rec.ChecksMarked = seen + 1;
        rec.rec.DepositsMarked = rec.rec.DepositsMarked ? 0 : 1;  // marking and unmarking
        const Error e = rec.put();
        if (e == Error::None) {
            ++t.saved;
        } else if (e == Error::Changed) {
            ++t.conflicts;  // the buffer holds the other station's record: go on from it
            if (rec.rec.ChecksMarked < seen) ++t.failures;
        } else if (e == Error::FileLocked) {
            (void)rec.reget(rec.position());
        } else {
            ++t.failures;
            (void)rec.reget(rec.position());
        }
        // A clerk's pace, far above it still: without any pause SQLite's busy waits let a
        // station go hungry for seconds while the others keep the file.
        usleep(2000);
    }
    (void)!write(out, &t, sizeof t);
    _exit(0);
}

}  // namespace

using MultiStation = StorageTest;

TEST_P(MultiStation, EverySaveThatWentThroughIsKeptAndEveryConflictIsReported) {
    auto& rec = session->file<APrec>();
    rec.clear();
    rec.rec.ReconciliationID = 1;
    rec.rec.BankID = 1;
    ASSERT_EQ(rec.add(), Error::None);
    folder.storage.setRecoverSeconds(5);
    int pipes[kStations][2];
    pid_t pids[kStations];
    for (int i = 0; i < kStations; ++i) {
        ASSERT_EQ(pipe(pipes[i]), 0);
        pids[i] = fork();
        ASSERT_GE(pids[i], 0);
        if (pids[i] == 0) runStation(folder.storage, pipes[i][1]);
        ::close(pipes[i][1]);
    }
    Tally all;
    for (int i = 0; i < kStations; ++i) {
        Tally t;
        const ssize_t got = read(pipes[i][0], &t, sizeof t);
        ::close(pipes[i][0]);
        int status = 0;
        ASSERT_EQ(waitpid(pids[i], &status, 0), pids[i]);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << "station " << i << " ended with " << WEXITSTATUS(status);
        ASSERT_EQ(got, static_cast<ssize_t>(sizeof t)) << i;
        all.saved += t.saved;
        all.conflicts += t.conflicts;
        all.failures += t.failures;
    }
    FileSession look(folder.storage);
    auto& last = look.file<APrec>();
    last.rec.ReconciliationID = 1;
    ASSERT_EQ(last.get(APREC_KEY_RECONCILIATIONID), Error::None);
    EXPECT_EQ(last.rec.ChecksMarked, all.saved) << all.conflicts << " conflicts";
    EXPECT_EQ(all.failures, 0);
    EXPECT_GT(all.saved, 100);
    EXPECT_GT(all.conflicts, 0) << "the stations never met: the test proves nothing";
    std::printf("stations %d: saves %lld, conflicts reported %lld\n", kStations,
                static_cast<long long>(all.saved), static_cast<long long>(all.conflicts));
}

INSTANTIATE_TEST_SUITE_P(Engines, MultiStation, BANKREC_ENGINES);
