#include "host_suite_fixture.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <QDir>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <cstdlib>

#include "corelib/globals.h"
#include "suiteapi/tvsysdata.h"

using namespace corelib;

namespace hostlink {

namespace {

struct LogView : ProgressView {
    explicit LogView(ProgressLog& l) : log(l) {}
    void setTitle(const std::string&) override {}
    void setText(const std::string& text) override { log.texts.push_back(text); }
    void setRange(int64_t, int64_t high) override { log.rangeHigh = high; }
    void setValue(int64_t value) override { log.lastValue = value; }
    void setPercent(int percent) override { log.percents.push_back(percent); }
    ProgressLog& log;
};

}  // namespace

ProgressResult RecordingProgress::run(const ProgressOptions& options, ProgressJob& job) {
    log_->options.push_back(options);
    LogView view(*log_);
    job.open(view);
    bool more = true;
    for (int n = 0; more; ++n) {
        if (n == cancelBeforeTick_) {
            if (job.cancel(view)) {
                job.close();
                return ProgressResult::Cancelled;
            }
            log_->cancelRefused = true;
        }
        job.sliceBegin();
        more = job.tick(view);
        job.sliceEnd();
        ++log_->ticks;
    }
    job.close();
    return ProgressResult::Completed;
}

std::optional<PgServer> testPgServer() {
    const char* server = std::getenv("BANKREC_TEST_PG_SERVER");
    const char* user = std::getenv("BANKREC_TEST_PG_USER");
    const char* password = std::getenv("BANKREC_TEST_PG_PASSWORD");
    if (!server || !*server || !user || !password) return std::nullopt;
    return PgServer{server, user, password};
}

std::string allMessageText(const ScriptedMessages& messages) {
    std::string all;
    for (const RecordedMessage& m : messages.messages()) all += m.caption + "\n" + m.text + "\n";
    return all;
}

void HostSuiteTest::SetUp() {
    ASSERT_TRUE(sandbox_.valid());
    folder_ = sandbox_.path();
    QDir::setCurrent(QString::fromStdString(folder_));
    tvsuite_SetDataFolder(folder_.c_str());
    setProgressBackend(std::make_unique<RecordingProgress>(progress_));
    glo_ApplicationName = "Bank Reconciliation";
    HOSTLINK_SetCommandLine({});
    info_.DATAPATH = folder_;
    info_.USERID = 5;
    info_.TTY = 7;
}

void HostSuiteTest::TearDown() {
    if (!adminConnection_.isEmpty()) {
        {
            QSqlDatabase db = QSqlDatabase::database(adminConnection_, false);
            if (db.isValid()) db.close();
        }
        QSqlDatabase::removeDatabase(adminConnection_);
    }
    setProgressBackend(nullptr);
    tvsuite_SetDataFolder(nullptr);
    if (pgLock_ >= 0) ::close(pgLock_);  // releases the lock
}

bool HostSuiteTest::makeSuite(bool postgres, int division) {
    division_ = division > 0 ? division : (postgres ? 87 : 2);
    division = division_;
    std::string user = "tvadmin", password = "secret";
    if (postgres) {
        const std::optional<PgServer> pg = testPgServer();
        if (!pg) return false;
        server_ = pg->server;
        user = pg->user;
        password = pg->password;
        // Tests of this program share the server's database of the division: one at a time.
        pgLock_ = ::open(("/tmp/bankrec-hostlink-pg-" + std::to_string(division) + ".lock").c_str(),
                         O_CREAT | O_RDWR, 0666);
        if (pgLock_ >= 0) ::flock(pgLock_, LOCK_EX);
    } else {
        server_ = "sqlite:" + folder_ + "/suite";
    }
    info_.DIVISION = division;
    info_.SERVERNAME = server_;
    info_.USERNAME = user;
    info_.USERPW = password;
    const QString error = tvhost::createSuiteDatabase(
        QString::fromStdString(server_), division, QString::fromStdString(user),
        QString::fromStdString(password), QString::fromStdString(folder_), false);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    adminConnection_ = "hostlink-test-" + QUuid::createUuid().toString(QUuid::Id128);
    QString openError;
    QSqlDatabase db = tvhost::openSuiteDatabase(
        QString::fromStdString(server_), division, QString::fromStdString(user),
        QString::fromStdString(password), adminConnection_, &openError);
    EXPECT_TRUE(db.isValid()) << openError.toStdString();
    EXPECT_EQ(files_.open(folder_), "");
    return true;
}

void HostSuiteTest::addInstitution(int fiaId, int fiId, const std::string& description) {
    QSqlDatabase db = QSqlDatabase::database(adminConnection_);
    tvhost::InstitutionAccount row;
    row.fiaId = fiaId;
    row.fiId = fiId;
    row.description = QString::fromStdString(description);
    ASSERT_EQ(tvhost::addInstitutionAccount(db, row).toStdString(), "");
}

void HostSuiteTest::addLedger(int fiaId, const std::string& stringId) {
    QSqlDatabase db = QSqlDatabase::database(adminConnection_);
    tvhost::LedgerAccount row;
    row.fiaId = fiaId;
    row.laInternalStringId = QString::fromStdString(stringId);
    row.laId = QString::fromStdString(stringId);
    ASSERT_EQ(tvhost::addLedgerAccount(db, row).toStdString(), "");
}

void HostSuiteTest::addUsage(int usageId, int fiaId, int fiId, int sourceModule,
                             const std::string& code) {
    QSqlDatabase db = QSqlDatabase::database(adminConnection_);
    tvhost::ModuleUsage row;
    row.usageId = usageId;
    row.fiaId = fiaId;
    row.fiId = fiId;
    row.sourceModuleId = sourceModule;
    row.moduleUsageId = QString::fromStdString(code);
    ASSERT_EQ(tvhost::addModuleUsage(db, row).toStdString(), "");
}

void HostSuiteTest::addTransaction(const tvhost::Transaction& row) {
    QSqlDatabase db = QSqlDatabase::database(adminConnection_);
    ASSERT_EQ(tvhost::addTransaction(db, row).toStdString(), "");
}

void HostSuiteTest::addChartAccount(const std::string& external, const std::string& stringId) {
    size_t start = 0;
    for (int segment = 1; start <= external.size(); ++segment) {
        size_t end = external.find('-', start);
        if (end == std::string::npos) end = external.size();
        ASSERT_EQ(files_.addSegment(division_, segment, external.substr(start, end - start), "A",
                                    "Segment"),
                  "");
        start = end + 1;
    }
    ASSERT_EQ(files_.addAccount(division_, external, stringId, stringId, "Cash"), "");
}

std::string HostSuiteTest::transactionValue(int transactionId, const char* column) {
    QSqlDatabase db = QSqlDatabase::database(adminConnection_);
    QSqlQuery query(db);
    query.prepare("SELECT \"" + QString(column) + "\" FROM " +
                  tvhost::tableName(db, "FIATransaction") + " WHERE \"TransactionID\" = ?");
    query.addBindValue(transactionId);
    if (!query.exec() || !query.next()) return "<missing>";
    return query.value(0).toString().trimmed().toStdString();
}

void HostSuiteTest::cancelBeforeTick(int n) {
    setProgressBackend(std::make_unique<RecordingProgress>(progress_, n));
}

}  // namespace hostlink
