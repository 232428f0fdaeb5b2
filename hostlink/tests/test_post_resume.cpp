// A posting killed half-way leaves the suite's files and its transaction rows disagreeing; the
// next post finishes the run without writing anything twice, and clears the checks once.
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QSqlQuery>
#include <map>

#include "post_fixture.h"
#include "suiteapi/tvsysdata.h"
#include "testsupport/silent_progress_view.h"
#include "tvsuite/suite_files.h"

using namespace corelib;
using namespace hostlink;

namespace {

// Runs the posting one entry per slice and kills the process after the slice's entry was
// written but before its transaction rows were committed, or (killAfterEntry 0) once every
// entry is done but before the window closes and the clearing starts.
class KillingProgress : public ProgressBackend {
  public:
    explicit KillingProgress(int killAfterEntry) : killAfterEntry_(killAfterEntry) {}
    ProgressResult run(const ProgressOptions&, ProgressJob& job) override {
        testsupport::SilentProgressView view;
        job.open(view);
        bool more = true;
        for (int entry = 1; more; ++entry) {
            job.sliceBegin();
            more = job.tick(view);
            if (entry == killAfterEntry_) ::kill(::getpid(), SIGKILL);
            job.sliceEnd();
        }
        if (killAfterEntry_ == 0) ::kill(::getpid(), SIGKILL);
        job.close();
        return ProgressResult::Completed;
    }

  private:
    int killAfterEntry_;
};

class PostResume : public PostTest {
  protected:
    void SetUp() override {
        PostTest::SetUp();
        if (IsSkipped()) return;
        ASSERT_EQ(files_.addRegisterCheck(division_, "APB", 2002, 31, 7, -999, 1, "Old name"), "");
        addPayrollFiles(true, "C");
        addTransaction(payablesCheck(1, 2001, 6, "-150.0000", "123", "Acme Supplies"));
        addTransaction(payrollCheck(3));
        addTransaction(payablesCheck(2, 2002, 7, "-75.0000", "456", "New name"));
        auto deposit = payablesCheck(4, 0, 0, "80.0000", "", "Receipts");
        deposit.sourceModuleId = 10;
        addTransaction(deposit);
        queue(1, "AP", "APB");
        queue(3, "PR", "PRB");
        queue(2, "AP", "APB");
        queue(4, "CR", "");
        // Every write of a check to the register, every clearing of one and every write to
        // the payroll files is logged.
        suiteFile_ = tvsuite::suiteFilePath(folder_);
        ASSERT_EQ(exec("CREATE TABLE WriteLog(Item TEXT NOT NULL);"
                       "CREATE TRIGGER RegisterAdded AFTER INSERT ON Register BEGIN "
                       "INSERT INTO WriteLog VALUES('register ' || NEW.Ext); END;"
                       "CREATE TRIGGER RegisterWritten AFTER UPDATE OF Amount, Vendor, Name"
                       " ON Register BEGIN INSERT INTO WriteLog VALUES('register ' || NEW.Ext);"
                       " END;"
                       "CREATE TRIGGER RegisterCleared AFTER UPDATE OF ClearingRun ON Register"
                       " BEGIN INSERT INTO WriteLog VALUES('cleared ' || NEW.Ext); END;"
                       "CREATE TRIGGER PayrollChanged AFTER UPDATE ON Payroll BEGIN "
                       "INSERT INTO WriteLog VALUES('payroll ' || NEW.FileType); END;"),
                  SQLITE_OK);
    }

    int exec(const std::string& sql) {
        sqlite3* db = nullptr;
        int rc = sqlite3_open(suiteFile_.c_str(), &db);
        if (rc == SQLITE_OK) rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
        sqlite3_close(db);
        return rc;
    }
    // How often each register check and payroll file was written.
    std::map<std::string, int> writes() {
        std::map<std::string, int> out;
        sqlite3* db = nullptr;
        if (sqlite3_open(suiteFile_.c_str(), &db) == SQLITE_OK) {
            sqlite3_stmt* s = nullptr;
            if (sqlite3_prepare_v2(db, "SELECT Item FROM WriteLog", -1, &s, nullptr) == SQLITE_OK)
                while (sqlite3_step(s) == SQLITE_ROW)
                    ++out[reinterpret_cast<const char*>(sqlite3_column_text(s, 0))];
            sqlite3_finalize(s);
        }
        sqlite3_close(db);
        return out;
    }

    // Posts in a child process that is killed at the given moment.
    void postAndKill(int killAfterEntry) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            setProgressBackend(std::make_unique<KillingProgress>(killAfterEntry));
            POSTCHK(link_);
            ::_exit(3);  // not killed: the test fails below
        }
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    }

    // Dates the rows already reconciled in the past, so a second marking would show.
    void backdateReconciled() {
        QSqlDatabase db = QSqlDatabase::database(adminConnection_);
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec("UPDATE " + tvhost::tableName(db, "FIATransaction") +
                           " SET \"ReconDate\" = '2001-02-03 04:05:06' WHERE \"FIStatus\" = 'R'"));
    }
    std::map<int, std::string> reconDates() {
        std::map<int, std::string> out;
        for (int id : {1, 2, 3, 4}) out[id] = transactionValue(id, "ReconDate");
        return out;
    }

    // The next post finishes the run: everything once, the checks cleared by one run.
    void expectFinishedOnceByTheNextPost() {
        backdateReconciled();
        const std::map<int, std::string> before = reconDates();
        POSTCHK(link_);
        EXPECT_EQ(messages_->count(), 0u) << allMessageText(messages_.get());
        for (int id : {1, 2, 3, 4}) {
            EXPECT_EQ(transactionValue(id, "FIStatus"), "R") << id;
            if (before.at(id).rfind("2001", 0) == 0) {
                EXPECT_EQ(transactionValue(id, "ReconDate"), before.at(id)) << id;
            }
        }
        const auto status = payrollStatus();
        EXPECT_EQ(status.at("PYK"), "R");
        EXPECT_EQ(status.at("BRK"), "RY");
        const std::map<std::string, int> once = {{"cleared 0002001", 1},  {"cleared 0002002", 1},
                                                 {"payroll BRK", 1},      {"payroll PYK", 1},
                                                 {"register 0002001", 1}, {"register 0002002", 1}};
        EXPECT_EQ(writes(), once);
        const tvsuite::Listing reg = listing(false);
        ASSERT_EQ(reg.rows.size(), 2u);
        EXPECT_EQ(reg.rows[0][5], "-000000000000150.00");
        EXPECT_EQ(reg.rows[1][5], "-000000000000075.00");
        EXPECT_EQ(reg.rows[1][7], "New name");
        tvsuite::Listing runs = listing(true);
        ASSERT_EQ(runs.rows.size(), 1u);
        EXPECT_EQ(runs.rows[0][7], "2");
        EXPECT_FALSE(QFile::exists("zor0007.jnl"));

        // Posting the same reconciliation once more changes nothing.
        backdateReconciled();
        const std::map<int, std::string> posted = reconDates();
        POSTCHK(link_);
        EXPECT_EQ(messages_->count(), 0u) << allMessageText(messages_.get());
        EXPECT_EQ(reconDates(), posted);
        EXPECT_EQ(writes(), once);
        EXPECT_EQ(listing(true).rows.size(), 1u);
    }

    std::string suiteFile_;
};

TEST_P(PostResume, KilledBeforeAPayablesEntrysStatusWasCommitted) {
    postAndKill(3);
    // The suite disagrees with itself: the check is in the register, its row still open.
    EXPECT_EQ(transactionValue(2, "FIStatus"), "O");
    EXPECT_EQ(writes()["register 0002002"], 1);
    EXPECT_TRUE(listing(true).rows.empty());
    expectFinishedOnceByTheNextPost();
}

TEST_P(PostResume, KilledAfterTheLastEntryBeforeTheClearing) {
    postAndKill(0);
    EXPECT_EQ(transactionValue(4, "FIStatus"), "R");
    EXPECT_TRUE(listing(true).rows.empty());
    expectFinishedOnceByTheNextPost();
}

TEST_P(PostResume, AnEarlierRunOfAnotherAccountIsClearedFirstAndHoldsUpThisOneUntilItIs) {
    // A run of this terminal for account 51 posted a check and stopped before its clearing.
    ASSERT_EQ(files_.addRegisterCheck(division_, "OTHB", 3001, 5, 1, -10, 1, "Other"), "");
    ASSERT_EQ(exec("UPDATE Register SET Pending = 1 WHERE trim(Bank) = 'OTHB'"), SQLITE_OK);
    const int32_t otherDay = daytime::dayNumber(2026, 3, 31);
    auto leaveJournal = [](int32_t day) {
        QFile journal("zor0007.jnl");
        ASSERT_TRUE(journal.open(QIODevice::WriteOnly | QIODevice::Truncate));
        journal.write(("clearing 51 " + std::to_string(day) + " OTHB\nposted 77\n").c_str());
    };

    leaveJournal(0);  // a date the clearing refuses: it cannot be finished yet
    messages_->answer(msg::OK);
    POSTCHK(link_);
    ASSERT_EQ(messages_->count(), 1u);
    EXPECT_NE(messages_->last()->text.find("Unable to start the check clearing process"),
              std::string::npos);
    EXPECT_EQ(transactionValue(1, "FIStatus"), "O");  // nothing of this run is posted
    EXPECT_TRUE(listing(true).rows.empty());
    EXPECT_TRUE(QFile::exists("zor0007.jnl"));

    messages_->clear();
    leaveJournal(otherDay);
    POSTCHK(link_);
    EXPECT_EQ(messages_->count(), 0u) << allMessageText(messages_.get());
    const tvsuite::Listing runs = listing(true);
    ASSERT_EQ(runs.rows.size(), 2u);
    char day[8] = "0000000";
    CvtCtoJ("03/31/2026", day);
    EXPECT_EQ(runs.rows[0][2], "OTHB");
    EXPECT_EQ(runs.rows[0][3], day);
    EXPECT_EQ(runs.rows[0][7], "1");
    EXPECT_EQ(runs.rows[1][2], "APB");
    EXPECT_EQ(runs.rows[1][7], "2");
    EXPECT_EQ(transactionValue(1, "FIStatus"), "R");
    EXPECT_FALSE(QFile::exists("zor0007.jnl"));
}

INSTANTIATE_TEST_SUITE_P(Suite, PostResume, ::testing::Bool(), backendName);

}  // namespace
