#pragma once
// A fresh stand-in suite per test: the division's SQL database (SQLite in a temporary folder,
// or PostgreSQL when BANKREC_TEST_PG_* are set and the test asks for it), the suite's files in
// the same folder (also the current folder, where POSTCHK writes its text file), scripted
// messages and a recording progress backend.
#include <gtest/gtest.h>

#include <QSqlDatabase>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "corelib/message_script.h"
#include "corelib/progress.h"
#include "hostlink/hostlink.h"
#include "testsupport/sandbox.h"
#include "tvhost/suite_database.h"
#include "tvsuite/suite_admin.h"

namespace hostlink {

// What the progress windows were told.
struct ProgressLog {
    std::vector<corelib::ProgressOptions> options;
    std::vector<std::string> texts;
    std::vector<int> percents;
    int64_t rangeHigh = -1;
    int64_t lastValue = -1;
    int ticks = 0;
    bool cancelRefused = false;
};

// Runs jobs without a window, recording what they show; can press Cancel before tick n.
class RecordingProgress : public corelib::ProgressBackend {
  public:
    explicit RecordingProgress(std::shared_ptr<ProgressLog> log, int cancelBeforeTick = -1)
        : log_(std::move(log)), cancelBeforeTick_(cancelBeforeTick) {}
    corelib::ProgressResult run(const corelib::ProgressOptions& options,
                                corelib::ProgressJob& job) override;

  private:
    std::shared_ptr<ProgressLog> log_;
    int cancelBeforeTick_;
};

// The PostgreSQL server of the integration tests; nullopt when not configured.
struct PgServer {
    std::string server;
    std::string user;
    std::string password;
};
std::optional<PgServer> testPgServer();

class HostSuiteTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Makes the suite on SQLite (division 2 unless given) or, with `postgres`, on the test
    // server (division 87 unless given, a database no other module's tests use). Returns false
    // when there is no test server.
    bool makeSuite(bool postgres, int division = 0);

    // Rows of the division's SQL tables.
    void addInstitution(int fiaId, int fiId, const std::string& description);
    void addLedger(int fiaId, const std::string& stringId);
    void addUsage(int usageId, int fiaId, int fiId, int sourceModule, const std::string& code);
    void addTransaction(const tvhost::Transaction& row);
    // A chart account of the division (segments added as needed).
    void addChartAccount(const std::string& external, const std::string& stringId);

    // One value of a transaction row, as text.
    std::string transactionValue(int transactionId, const char* column);
    // Cancel before tick n of the next progress windows.
    void cancelBeforeTick(int n);

    int division_ = 2;
    std::string server_;
    INFO info_;
    testsupport::Sandbox sandbox_;
    std::string folder_;
    corelib::ScopedScriptedMessages& messages_ = sandbox_.messages;
    std::shared_ptr<ProgressLog> progress_ = std::make_shared<ProgressLog>();
    tvsuite::SuiteAdmin files_;
    QString adminConnection_;
    int pgLock_ = -1;
};

// Every message text shown so far, joined (for "never shows X" checks).
std::string allMessageText(const corelib::ScriptedMessages& messages);

}  // namespace hostlink
