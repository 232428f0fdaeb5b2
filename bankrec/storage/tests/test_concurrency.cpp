// Two processes on one data folder: a writer waits for another's transaction up to its time-out,
// and a change made by one process is detected by the other.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include "test_engine_fixture.h"

using namespace storage;

namespace {

// A pipe used to step a child process and its parent in turn.
struct Signal {
    int fd[2] = {-1, -1};
    Signal() { (void)!pipe(fd); }
    ~Signal() {
        ::close(fd[0]);
        ::close(fd[1]);
    }
    void post() { (void)!write(fd[1], "x", 1); }
    bool wait() {
        char c;
        return read(fd[0], &c, 1) == 1;
    }
};

int exitCode(pid_t pid) {
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

}  // namespace

using TwoProcesses = StorageTest;

TEST_P(TwoProcesses, SecondWriterWaitsItsTimeOutThenGets48) {
    Signal started, finish;
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        FileSession s(folder.storage);
        if (s.begin({FileId::APbnk, FileId::APbnu}, 2) != Error::None) _exit(2);
        auto& bnk = s.file<APbnk>();
        bnk.rec.BankID = 9;
        bnk.rec.Bank = "From the child";
        if (bnk.add() != Error::None) _exit(3);
        started.post();
        finish.wait();
        _exit(s.commit() != Error::None ? 4 : 0);
    }
    ASSERT_TRUE(started.wait());
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(session->begin({FileId::APbnk}, 1), Error::NoTransaction);
    auto waited = std::chrono::steady_clock::now() - t0;
    EXPECT_GE(waited, std::chrono::milliseconds(900));
    EXPECT_LT(waited, std::chrono::milliseconds(3000));
    EXPECT_EQ(session->lastError().number, Error::NoTransaction);
    // Another file stays free for writers meanwhile.
    EXPECT_EQ(session->begin({FileId::APrec}, 1), Error::None);
    EXPECT_EQ(session->commit(), Error::None);

    finish.post();
    ASSERT_EQ(exitCode(pid), 0);
    ASSERT_EQ(session->begin({FileId::APbnk}, 1), Error::None);
    auto& bnk = session->file<APbnk>();
    bnk.rec.BankID = 9;
    ASSERT_EQ(bnk.get(APBNK_KEY_BANKID), Error::None);
    EXPECT_EQ(bnk.rec.Bank, "From the child");
    EXPECT_EQ(session->commit(), Error::None);
}

// A scheduled run asks every wait to last at least as long as it is willing to wait.
TEST_P(TwoProcesses, ALeastWaitLengthensAShortTimeOutUntilTheOtherWriterIsDone) {
    Signal started;
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        FileSession s(folder.storage);
        if (s.begin({FileId::APbnk}, 2) != Error::None) _exit(2);
        started.post();
        usleep(1500 * 1000);
        _exit(s.commit() != Error::None ? 4 : 0);
    }
    ASSERT_TRUE(started.wait());
    Storage patient = folder.storage;
    patient.setLeastWaitSeconds(6);
    FileSession waiting(patient);
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(waiting.begin({FileId::APbnk}, 1), Error::None);
    const auto waited = std::chrono::steady_clock::now() - t0;
    EXPECT_GE(waited, std::chrono::milliseconds(1200));
    EXPECT_LT(waited, std::chrono::milliseconds(5000));
    EXPECT_EQ(waiting.commit(), Error::None);
    ASSERT_EQ(exitCode(pid), 0);
}

TEST_P(TwoProcesses, AChangeMadeByOneIsDetectedByTheOther) {
    ASSERT_EQ(addBank(1, 11, "Before"), Error::None);
    auto& bnk = session->file<APbnk>();
    bnk.rec.BankID = 1;
    ASSERT_EQ(bnk.get(APBNK_KEY_BANKID), Error::None);

    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        FileSession s(folder.storage);
        auto& other = s.file<APbnk>();
        other.rec.BankID = 1;
        if (other.get(APBNK_KEY_BANKID) != Error::None) _exit(2);
        other.rec.Bank = "Changed elsewhere";
        other.rec.InterestEarnedPost = 1;
        _exit(other.put() != Error::None ? 3 : 0);
    }
    ASSERT_EQ(exitCode(pid), 0);

    bnk.rec.Bank = "Mine";
    EXPECT_EQ(bnk.put(), Error::Changed);
    EXPECT_EQ(bnk.rec.Bank, "Changed elsewhere");
    EXPECT_EQ(bnk.rec.InterestEarnedPost, 1);
    EXPECT_EQ(storedInt(FileId::APbnk, "SELECT count(*) FROM \"APbnk\" WHERE \"Bank\" = 'Mine'"),
              0);
}

INSTANTIATE_TEST_SUITE_P(Engines, TwoProcesses, BANKREC_ENGINES);
