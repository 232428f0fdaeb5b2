// Opening the suite's tables: use counts, and every way a connection can fail ends the
// operation with the file-access warning, quickly and without showing the password.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>

#include "corelib/globals.h"
#include "corelib/thread_registry.h"
#include "host_suite_fixture.h"
#include "hostlink/host_connection.h"

using namespace corelib;
using namespace hostlink;

namespace {

int hostlinkConnections() {
    int n = 0;
    for (const QString& name : QSqlDatabase::connectionNames())
        if (name.startsWith("hostlink|")) ++n;
    return n;
}

class ConnectionTest : public HostSuiteTest {
  protected:
    // Runs the three operations against info_ and checks each ends with warning 30 naming its
    // first table, response 2 and a balanced thread registry. Returns every message shown.
    std::string runAllExpectingOpenFailure(const std::string& errorPart) {
        struct Op {
            const char* table;
            std::function<void()> run;
        };
        FIAQ fia;
        ZORBRFIA fiaLink(fia, info_);
        CHKQ chk;
        ZORBRCHK chkLink(chk, info_);
        chkLink.FIAID = 1;
        const Op ops[] = {{"dbo.FinlInstitutionAcct", [&] { LOADFIA(fiaLink); }},
                          {"dbo.FIATransaction", [&] { LOADCHK(chkLink); }},
                          {"dbo.FIAModuleUsage", [&] { POSTCHK(chkLink); }}};
        std::string shown;
        for (const Op& op : ops) {
            messages_->clear();
            resetThreadRegistry();
            QElapsedTimer clock;
            clock.start();
            testing::internal::CaptureStderr();
            op.run();
            const std::string err = testing::internal::GetCapturedStderr();
            EXPECT_LT(clock.elapsed(), 8000) << op.table;
            EXPECT_EQ(GlobalResponse, RequestCancelled) << op.table;
            EXPECT_TRUE(threadRegistrySnapshot().empty()) << op.table;
            EXPECT_EQ(hostlinkConnections(), 0) << op.table;
            EXPECT_TRUE(progress_->options.empty()) << op.table;  // no window was opened
            if (!info_.USERPW.empty()) {
                EXPECT_EQ(err.find(info_.USERPW), std::string::npos);
            }
            if (messages_->count() != 1) {
                ADD_FAILURE() << op.table << ": " << allMessageText(messages_.get());
                continue;
            }
            const RecordedMessage& m = *messages_->last();
            EXPECT_EQ(m.caption, "File Access Error");
            const std::string start =
                std::string("File (") + op.table + ") could not be opened.  Error: ";
            EXPECT_EQ(m.text.rfind(start, 0), 0u) << m.text;
            EXPECT_NE(m.text.find(errorPart), std::string::npos) << m.text;
            shown += m.text + "\n";
        }
        EXPECT_FALSE(QFileInfo::exists("zor0007.txt"));
        // A suite that cannot be read is told apart from one with nothing to list.
        EXPECT_EQ(fiaLink.outcome, LoadOutcome::Failed);
        EXPECT_EQ(chkLink.outcome, LoadOutcome::Failed);
        return shown;
    }
};

}  // namespace

TEST_F(ConnectionTest, MissingSqliteDatabaseIsAnOpenFailureAndIsNeverCreated) {
    info_.DIVISION = 2;
    info_.SERVERNAME = "sqlite:" + folder_ + "/nowhere";
    info_.USERNAME = "clerk";
    info_.USERPW = "pw";
    const std::string shown = runAllExpectingOpenFailure("File Not Found (2)");
    EXPECT_NE(shown.find("Error: File Not Found (2)."), std::string::npos) << shown;
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(folder_ + "/nowhere/tvw02.db")));
}

TEST_F(ConnectionTest, SuiteDatabaseWithoutItsTablesIsAnOpenFailure) {
    QFile empty(QString::fromStdString(folder_ + "/tvw03.db"));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    info_.DIVISION = 3;
    info_.SERVERNAME = "sqlite:" + folder_;
    runAllExpectingOpenFailure("no such table");
}

TEST_F(ConnectionTest, PostgresqlOnAClosedPortEndsQuickly) {
    info_.DIVISION = 2;
    info_.SERVERNAME = "postgresql://127.0.0.1:1";
    info_.USERNAME = "tvadmin";
    info_.USERPW = "secret;pass 'word";
    runAllExpectingOpenFailure("(");
}

TEST_F(ConnectionTest, SqlServerNamesGoThroughOdbcAndFailCleanlyWithoutTheDriver) {
    info_.DIVISION = 2;
    info_.SERVERNAME = "nosuchsqlserver.invalid,1433";
    info_.USERNAME = "tvadmin";
    info_.USERPW = "odbc}secret;x";
    const std::string shown = runAllExpectingOpenFailure("(");
    EXPECT_EQ(shown.find("odbc}secret"), std::string::npos) << shown;
}

TEST_F(ConnectionTest, WrongPostgresqlPasswordIsRefusedWithoutShowingIt) {
    if (!makeSuite(true)) GTEST_SKIP() << "BANKREC_TEST_PG_SERVER not set";
    info_.USERPW = "not-the;password 'at all";
    const std::string shown = runAllExpectingOpenFailure("(");
    EXPECT_EQ(shown.find("not-the"), std::string::npos) << shown;
}

TEST_F(ConnectionTest, QuotedPasswordConnectsAndNeverAppearsInAnyText) {
    if (!makeSuite(true)) GTEST_SKIP() << "BANKREC_TEST_PG_SERVER not set";
    ASSERT_NE(info_.USERPW.find_first_of("'; "), std::string::npos);
    addInstitution(10, 1, "Operating");
    FIAQ fia;
    ZORBRFIA link(fia, info_);
    testing::internal::CaptureStderr();
    LOADFIA(link);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(GlobalResponse, RequestCompleted);
    EXPECT_EQ(fia.records(), 1);
    EXPECT_EQ(messages_->count(), 0u) << allMessageText(messages_.get());
    EXPECT_EQ(err.find(info_.USERPW), std::string::npos);
    for (const std::string& text : progress_->texts)
        EXPECT_EQ(text.find(info_.USERPW), std::string::npos);
}

TEST_F(ConnectionTest, TablesShareOneConnectionThatTheLastCloserCloses) {
    ASSERT_TRUE(makeSuite(false, 4));
    const Owner owner = FixOwner([this](std::string_view n) { return info_.query(n); });
    const int before = hostlinkConnections();
    {
        HostTable a("FIATransaction"), b("FIATransaction"), c("FIAModuleUsage");
        ASSERT_TRUE(a.open(owner));
        ASSERT_TRUE(b.open(owner));
        ASSERT_TRUE(c.open(owner));
        EXPECT_EQ(hostlinkConnections(), before + 1);
        a.close();
        c.close();
        EXPECT_EQ(hostlinkConnections(), before + 1);
        b.close();
        EXPECT_EQ(hostlinkConnections(), before);
        HostTable missing("NoSuchTable");
        EXPECT_FALSE(missing.open(owner));
        EXPECT_EQ(hostlinkConnections(), before);
        ASSERT_TRUE(a.open(owner));
        EXPECT_FALSE(missing.open(owner));  // a failing table leaves the shared one alone
        EXPECT_EQ(hostlinkConnections(), before + 1);
    }  // closed by their destructors
    EXPECT_EQ(hostlinkConnections(), before);
    EXPECT_EQ(messages_->count(), 2u);
}

TEST_F(ConnectionTest, PostingTextFileThatCannotBeCreatedEndsThePostingBeforeAnyChange) {
    ASSERT_TRUE(makeSuite(false));
    ASSERT_TRUE(QDir().mkdir("zor0007.txt"));  // a folder where the file should go
    tvhost::Transaction t;
    t.transactionId = 1;
    t.fiaId = 50;
    addTransaction(t);
    CHKQ chk;
    ZORBRCHK link(chk, info_);
    ASSERT_TRUE(link.addCheck(1, 0, {}, "GL", "", "", "", ""));
    POSTCHK(link);
    ASSERT_EQ(messages_->count(), 1u) << allMessageText(messages_.get());
    EXPECT_EQ(messages_->last()->text.rfind("File (zor0007.txt) could not be opened.  Error: ", 0),
              0u)
        << messages_->last()->text;
    EXPECT_EQ(transactionValue(1, "FIStatus"), "O");
    EXPECT_EQ(GlobalResponse, RequestCancelled);
    EXPECT_EQ(hostlinkConnections(), 0);
}
