// The admin command: a fresh suite with the demo organisation, and its listings.
#include <QDir>
#include <QProcess>
#include <QSqlQuery>
#include <QUuid>

#include "suite_fixture.h"
#include "tvhost/admin_command.h"
#include "tvhost/suite_database.h"

namespace {

struct CommandResult {
    int code;
    QString out;
    QString err;
};

CommandResult runTvhost(const QStringList& arguments) {
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    const int code = tvhost::runAdminCommand(arguments, outStream, errStream);
    outStream.flush();
    errStream.flush();
    return {code, out, err};
}

// Runs `use` on an open connection to the division's suite database.
template <typename Use>
void withDatabase(const QString& server, int division, const QString& user, const QString& password,
                  Use use) {
    const QString name = "test-" + QUuid::createUuid().toString(QUuid::Id128);
    {
        QString error;
        QSqlDatabase db = tvhost::openSuiteDatabase(server, division, user, password, name, &error);
        ASSERT_TRUE(db.isValid()) << error.toStdString();
        use(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

int count(QSqlDatabase& db, const QString& table, const QString& where = "1 = 1") {
    QSqlQuery query(db);
    EXPECT_TRUE(
        query.exec("SELECT count(*) FROM " + tvhost::tableName(db, table) + " WHERE " + where));
    return query.next() ? query.value(0).toInt() : -1;
}

// What the demo must hold, on any server.
void expectDemo(QSqlDatabase& db) {
    EXPECT_EQ(count(db, "FinlInstitutionAcct"), 3);
    EXPECT_EQ(count(db, "FIALedgerAcct"), 4);
    EXPECT_EQ(count(db, "FIALedgerAcct", "\"FIAID\" = 101"), 2);
    EXPECT_EQ(count(db, "FIATransaction", "\"FIStatus\" = 'O'"), 13);
    EXPECT_EQ(count(db, "FIATransaction", "\"FIStatus\" = 'R'"), 4);
    EXPECT_EQ(count(db, "FIATransaction", "\"Electronic\" = 1 AND \"SourceModuleID\" = 9"), 1);
    for (int module : {6, 8, 9, 10})
        EXPECT_GT(count(db, "FIATransaction",
                        QString("\"FIStatus\" = 'O' AND \"SourceModuleID\" = %1").arg(module)),
                  0)
            << module;
    // The payroll account's first usage is payroll.
    QSqlQuery first(db);
    ASSERT_TRUE(first.exec("SELECT \"SOURCEMODULEID\" FROM " +
                           tvhost::tableName(db, "FIAModuleUsage") +
                           " WHERE \"FIAID\" = 102 ORDER BY \"USAGEID\""));
    ASSERT_TRUE(first.next());
    EXPECT_EQ(first.value(0).toInt(), 9);
    // Money comes back exact.
    QSqlQuery amount(db);
    amount.setNumericalPrecisionPolicy(QSql::HighPrecision);
    ASSERT_TRUE(amount.exec("SELECT \"NetAmount\" FROM " + tvhost::tableName(db, "FIATransaction") +
                            " WHERE \"TransactionID\" = 1001"));
    ASSERT_TRUE(amount.next());
    EXPECT_EQ(amount.value(0).toString(), "-412.3700");
}

TEST(TvhostInit, MakesTheDemoSuiteAndShowsIt) {
    QTemporaryDir dir;
    const QString server = "sqlite:" + dir.path();
    CommandResult init = runTvhost({"init", "--server", server, "--division", "2", "--demo"});
    ASSERT_EQ(init.code, 0) << init.err.toStdString();
    EXPECT_TRUE(QFile::exists(dir.filePath("tvw02.db")));
    EXPECT_TRUE(QFile::exists(dir.filePath("tvsuite.db")));
    withDatabase(server, 2, {}, {}, expectDemo);

    CommandResult shown =
        runTvhost({"show", "transactions", "--server", server, "--division", "2"});
    ASSERT_EQ(shown.code, 0) << shown.err.toStdString();
    EXPECT_TRUE(shown.out.contains("Office Depot Supply"));
    EXPECT_TRUE(shown.out.contains("-2104.5500"));
    EXPECT_TRUE(shown.out.contains("(17 rows)"));
    for (const char* what :
         {"accounts", "register", "ledger", "payroll", "chart", "journals", "runs"}) {
        CommandResult listing = runTvhost({"show", what, "--server", server, "--division", "2"});
        EXPECT_EQ(listing.code, 0) << what << listing.err.toStdString();
    }
    EXPECT_TRUE(runTvhost({"show", "register", "--server", server, "--division", "2"})
                    .out.contains("Valley Electric Cooperative"));
    EXPECT_TRUE(runTvhost({"show", "payroll", "--server", server, "--division", "2"})
                    .out.contains("Susan Park"));

    // Init again gives a fresh, empty suite; another division is a database of its own.
    ASSERT_EQ(runTvhost({"init", "--server", server, "--division", "2"}).code, 0);
    withDatabase(server, 2, {}, {},
                 [](QSqlDatabase& db) { EXPECT_EQ(count(db, "FIATransaction"), 0); });
    ASSERT_EQ(runTvhost({"init", "--server", server, "--division", "12", "--demo"}).code, 0);
    EXPECT_TRUE(QFile::exists(dir.filePath("tvw12.db")));
    EXPECT_TRUE(runTvhost({"show", "register", "--server", server, "--division", "2"})
                    .out.contains("(0 rows)"));
}

TEST(TvhostInit, ReportsUsageErrorsAndMissingDatabases) {
    QTemporaryDir dir;
    EXPECT_EQ(runTvhost({}).code, 2);
    EXPECT_EQ(runTvhost({"frobnicate"}).code, 2);
    EXPECT_EQ(runTvhost({"init", "--server", "sqlite:" + dir.path()}).code, 2);
    EXPECT_EQ(runTvhost({"init", "--server", "ftp://x", "--division", "2"}).code, 2);
    EXPECT_EQ(runTvhost({"init", "--server", "sqlite:x", "--division", "100"}).code, 2);
    EXPECT_EQ(runTvhost({"show", "everything", "--server", "sqlite:x", "--division", "2"}).code, 2);
    CommandResult missing =
        runTvhost({"show", "transactions", "--server", "sqlite:" + dir.path(), "--division", "5"});
    EXPECT_EQ(missing.code, 1);
    EXPECT_TRUE(missing.err.contains("does not exist"));
    // Showing the suite's files of an empty folder does not create them.
    EXPECT_EQ(
        runTvhost({"show", "register", "--server", "sqlite:" + dir.path(), "--division", "5"}).code,
        1);
    EXPECT_FALSE(QFile::exists(dir.filePath("tvsuite.db")));
    // Credentials written into a server text stay out of messages.
    CommandResult credentials =
        runTvhost({"init", "--server", "postgresql://clerk:hunter2@", "--division", "2"});
    EXPECT_EQ(credentials.code, 2);
    EXPECT_FALSE(credentials.err.contains("hunter2"));
    EXPECT_EQ(tvhost::displayServer("postgresql://clerk:hunter2@db:5432"), "postgresql://db:5432");
}

TEST(TvhostInit, BuildsManyAccountsAndTransactionsInOneGo) {
    QTemporaryDir dir;
    const QString server = "sqlite:" + dir.path();
    ASSERT_EQ(tvhost::createSuiteDatabase(server, 3, {}, {}, {}, false), "");
    withDatabase(server, 3, {}, {}, [](QSqlDatabase& db) {
        ASSERT_EQ(tvhost::addBulkAccounts(db, 5000, 20, 500, 100000), "");
        EXPECT_EQ(count(db, "FinlInstitutionAcct"), 20);
        EXPECT_EQ(count(db, "FIATransaction", "\"FIAID\" = 5007 AND \"FIStatus\" = 'O'"), 500);
        // A clash rolls the whole batch back.
        EXPECT_NE(tvhost::addBulkAccounts(db, 6000, 2, 10, 100000), "");
        EXPECT_EQ(count(db, "FinlInstitutionAcct"), 20);
        tvhost::Transaction bad;
        bad.transactionId = 1;
        bad.fiaId = 5000;
        bad.netAmount = "12,50";
        EXPECT_NE(tvhost::addTransaction(db, bad), "");
    });
    // The command continues the transaction numbers after the highest one.
    CommandResult bulk = runTvhost({"bulk", "--server", server, "--division", "3", "--accounts",
                                    "2", "--transactions", "3", "--first-fiaid", "7000"});
    ASSERT_EQ(bulk.code, 0) << bulk.err.toStdString();
    withDatabase(server, 3, {}, {}, [](QSqlDatabase& db) {
        EXPECT_EQ(count(db, "FIATransaction"), 10006);
        EXPECT_EQ(count(db, "FIATransaction", "\"TransactionID\" = 110000"), 1);
    });
    EXPECT_EQ(runTvhost({"bulk", "--server", server, "--division", "3", "--accounts", "-1"}).code,
              2);
}

TEST(TvhostCommand, RunsAsAProgram) {
    QTemporaryDir dir;
    QProcess process;
    process.start(TVHOST_EXE, {"init", "--server", "sqlite:" + dir.path(), "--division", "2",
                               "--demo", "--user", "clerk", "--password", "s3cret;pass"});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    const QString output = process.readAll();
    EXPECT_FALSE(output.contains("s3cret"));
    process.start(TVHOST_EXE,
                  {"show", "ledger", "--server", "sqlite:" + dir.path(), "--division", "2"});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_TRUE(process.readAllStandardOutput().contains("(0 rows)"));
}

class TvhostPostgres : public ::testing::Test {
  protected:
    void SetUp() override {
        server_ = qEnvironmentVariable("BANKREC_TEST_PG_SERVER");
        user_ = qEnvironmentVariable("BANKREC_TEST_PG_USER");
        password_ = qEnvironmentVariable("BANKREC_TEST_PG_PASSWORD");
        if (server_.isEmpty()) GTEST_SKIP() << "BANKREC_TEST_PG_SERVER is not set";
    }
    QString server_, user_, password_;
};

// Division 41 keeps these tests off the databases other modules' tests use on that server.
TEST_F(TvhostPostgres, MakesTheDemoSuiteInSchemaDboAndShowsIt) {
    QTemporaryDir data;
    CommandResult init =
        runTvhost({"init", "--server", server_, "--division", "41", "--demo", "--data", data.path(),
                   "--user", user_, "--password", password_});
    ASSERT_EQ(init.code, 0) << init.err.toStdString();
    EXPECT_FALSE(init.out.contains(password_));
    withDatabase(server_, 41, user_, password_, expectDemo);
    CommandResult shown = runTvhost({"show", "transactions", "--server", server_, "--division",
                                     "41", "--user", user_, "--password", password_});
    ASSERT_EQ(shown.code, 0) << shown.err.toStdString();
    EXPECT_TRUE(shown.out.contains("2026-11-13"));
    EXPECT_TRUE(shown.out.contains("2026-10-31 16:30"));
    // A second init empties the tables again.
    ASSERT_EQ(tvhost::createSuiteDatabase(server_, 41, user_, password_, data.path(), false), "");
    withDatabase(server_, 41, user_, password_,
                 [](QSqlDatabase& db) { EXPECT_EQ(count(db, "FIATransaction"), 0); });
}

TEST_F(TvhostPostgres, AWrongPasswordFailsWithoutShowingIt) {
    const QString wrong = "not-the;password";
    CommandResult init = runTvhost(
        {"init", "--server", server_, "--division", "41", "--user", user_, "--password", wrong});
    EXPECT_EQ(init.code, 1);
    EXPECT_FALSE(init.err.contains(wrong));
    EXPECT_FALSE(init.err.contains(password_));
}

}  // namespace
