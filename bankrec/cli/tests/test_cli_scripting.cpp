// bankrec-cli run as scripts run it: each cause of failure with its exit code, results alone on
// standard output and the message on standard error, --json read back, and the README's
// nightly example on the demo.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QThread>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/storage.h"
#include "cli_run.h"

using namespace clitest;
using namespace storage;

namespace {

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class Scripting : public CliScripting {
  protected:
    std::string file(const char* name) const { return (data() + "/" + name).toStdString(); }

    // The demo with Operating Account's checks loaded and its first reconciliation open, in
    // balance with check 10231 marked: ready to complete.
    void openStatementInBalance() {
        makeDemo();
        ASSERT_EQ(cli({"activity", "load", "Operating Account"}).exitCode, 0);
        CliRun r = cli({"rec", "open", "Operating Account", "--opening-date", "2026-10-31",
                        "--ending-date", "2026-11-30", "--ending-balance", "-412.37"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        r = cli({"rec", "mark", "Operating Account", "10231", "--json"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        ASSERT_EQ(r.json()["difference"].toString(), "0.00");
    }
    // Another station on the demo division's record files.
    FileSession& otherStation() {
        if (!other_) {
            otherStorage_.nameFiles(data().toStdString(), 3);
            other_ = std::make_unique<FileSession>(otherStorage_);
        }
        return *other_;
    }
    // Runs the command with --wait 20 while the other station holds `file` for three seconds.
    CliRun runWhileHeldAWhile(FileId file, const QStringList& command) {
        EXPECT_EQ(otherStation().begin({file}, 1), Error::None);
        QProcess p;
        start(p, BANKREC_CLI_EXE, startup() + command + QStringList{"--wait", "20"});
        EXPECT_TRUE(p.waitForStarted());
        QThread::msleep(3000);
        (void)otherStation().rollback();
        return finish(p);
    }
    // Whether reconciliation 1 is completed, as rec list --json tells.
    bool firstStatementDone() {
        const CliRun r = cli({"rec", "list", "Operating Account", "--json"});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return r.json()["statements"].toArray().at(0).toObject()["done"].toBool();
    }

  private:
    Storage otherStorage_;
    std::unique_ptr<FileSession> other_;
};

TEST_F(Scripting, AnUnreachableSuiteFailsTheLoadsWithCountsAloneOnStandardOutput) {
    makeDemo(false);
    const QStringList away = startup("sqlite:" + root() + "/no/such/folder");
    CliRun r = run(away + QStringList{"banks", "load"});
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out,
              "entries 0\nbanks added 0\nbanks updated 0\ncash accounts added 0\n"
              "cash accounts removed 0\ndefaults set 0\n");
    EXPECT_TRUE(has(r.err, "File (dbo.FinlInstitutionAcct) could not be opened")) << r.err;
    EXPECT_TRUE(has(r.err, "the suite's accounts could not be read; no bank was changed")) << r.err;

    ASSERT_EQ(cli({"banks", "load"}).exitCode, 0);
    r = run(away + QStringList{"activity", "load", "Operating Account", "--json"});
    EXPECT_EQ(r.exitCode, 1);
    const QJsonObject counts = r.json();
    EXPECT_EQ(counts["suite"].toString(), "failed");
    EXPECT_EQ(counts["entries"].toInt(), 0);
    EXPECT_TRUE(has(r.err, "File (dbo.FIATransaction) could not be opened")) << r.err;

    // A suite that is there but has nothing open is no failure.
    r = cli({"activity", "load", "Operating Account"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = run(away + QStringList{"activity", "list", "1"});
    EXPECT_EQ(r.exitCode, 0) << r.err;  // the register itself needs no suite
}

TEST_F(Scripting, AWrongSuitePasswordFailsWithoutShowingThePassword) {
    const QByteArray server = qgetenv("BANKREC_TEST_PG_SERVER");
    if (server.isEmpty()) GTEST_SKIP() << "BANKREC_TEST_PG_SERVER not set";
    const QString password = "Wr0ng-pa55word";
    const QStringList args{"Division=3", "DataPath=" + data(), "Server=" + QString(server),
                           "UserID=" + qgetenv("BANKREC_TEST_PG_USER"), "Password=" + password};
    for (const QStringList& command : {QStringList{"banks", "load"}, {"banks", "load", "--json"}}) {
        const CliRun r = run(args + command);
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(has(r.err, "could not be opened")) << r.err;
        EXPECT_FALSE(has(r.err + r.out, password.toStdString()));
        EXPECT_TRUE(has(r.out, "entries")) << r.out;  // the counts, nothing else
        EXPECT_FALSE(has(r.out, "could not")) << r.out;
    }
}

TEST_F(Scripting, AMissingBankActivityReconciliationOrFileFailsWithNothingOnStandardOutput) {
    makeDemo();
    const QString pdf = root() + "/x.pdf";
    const QString none = root() + "/none.csv";
    struct Case {
        QStringList command;
        std::string message;
    } cases[] = {
        {{"activity", "load", "Nowhere Bank"}, "activity load: no bank \"Nowhere Bank\""},
        {{"activity", "list", "99", "--json"}, "activity list: no bank \"99\""},
        {{"banks", "set", "Nowhere Bank", "--interest", "off"}, "banks set: no bank"},
        {{"activity", "delete", "999", "--yes"}, "activity delete: no activity 999"},
        {{"rec", "list", "Nowhere Bank", "--json"}, "rec list: no bank \"Nowhere Bank\""},
        {{"rec", "open", "Nowhere Bank", "--ending-date", "2026-11-30"}, "rec open: no bank"},
        {{"rec", "complete", "Nowhere Bank", "--yes"}, "rec complete: no bank"},
        {{"rec", "show", "Operating Account", "--json"}, "has no open reconciliation"},
        {{"rec", "complete", "Operating Account", "--yes", "--json"}, "has no open reconciliation"},
        {{"rec", "view", "7", "--json"}, "rec view: no reconciliation 7"},
        {{"rec", "post", "7", "--json"}, "rec post: no reconciliation 7"},
        {{"rec", "delete", "7", "--yes"}, "rec delete: no reconciliation 7"},
        {{"report", "rec", "7", "--pdf", pdf, "--json"}, "report rec: no reconciliation 7"},
        {{"report", "register", "--bank", "Nowhere Bank", "--from", "2026-11-01", "--to",
          "2026-11-30", "--pdf", pdf},
         "report register: no bank"},
        {{"rec", "import", "Nowhere Bank", "--comma", none, "--json"},
         "rec import: no bank \"Nowhere Bank\""},
        {{"rec", "import", "Operating Account", "--comma", none, "--json"}, "could not be opened"},
        {{"rec", "import", "Operating Account", "--sheet", root() + "/none.ods:Cleared"},
         "rec import: nothing was marked from " + root().toStdString() + "/none.ods"},
        {{"rec", "import", "Operating Account", "--ofx", root() + "/none.qfx", "--json"},
         "could not be opened"},
    };
    for (const Case& c : cases) {
        const CliRun r = cli(c.command);
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, 1) << c.message;
        EXPECT_EQ(r.out, "");
        EXPECT_TRUE(has(r.err, c.message)) << r.err;
    }
    EXPECT_FALSE(QFileInfo::exists(pdf));
    // Names compare without regard to case; a BankID names the bank too.
    EXPECT_EQ(cli({"activity", "list", "operating account"}).exitCode, 0);
    EXPECT_EQ(cli({"activity", "list", "2"}).exitCode, 0);
}

// Wrong usage is refused before anything is opened: no record file appears.
TEST_F(Scripting, WrongUsageEndsWithTwoBeforeAnyFileIsTouched) {
    struct Case {
        QStringList args;
        std::string message;
    } cases[] = {
        {startup() + QStringList{"activity", "delete", "99999999999999999999"},
         "ID must be a whole number from 1 to 2147483647"},
        {startup() + QStringList{"activity", "delete", "4294967297"}, "ID must be a whole number"},
        {startup() + QStringList{"banks", "set", "Operating Account", "--interest", "sometimes"},
         "--interest takes on or off"},
        {startup() + QStringList{"banks", "set", "Operating Account", "--ap-bank", "OPERATING-1"},
         "--ap-bank takes at most 10 bytes"},
        {startup() + QStringList{"banks", "list", "--wait", "soon"}, "--wait takes a whole number"},
        {startup() + QStringList{"banks", "list", "--colour"}, "unknown option --colour"},
        {startup() + QStringList{"config", "set", "ImportType", "2", "--json"},
         "config set does not take --json"},
        {startup() + QStringList{"reconcile"}, "unknown command \"reconcile\""},
        {startup() + QStringList{"rec", "open", "1", "--ending-date", "2026-02-30"},
         "--ending-date takes a date YYYY-MM-DD"},
        {startup() + QStringList{"rec", "open", "1", "--interest", "ten"},
         "--interest takes an amount"},
        {startup() + QStringList{"rec", "mark", "1", "--deposit", "first"},
         "--deposit takes a whole number"},
        {startup() + QStringList{"rec", "range", "1", "100"}, "TO missing"},
        {startup() + QStringList{"rec", "complete"}, "BANK missing"},
        {startup() + QStringList{"rec", "complete", "1", "--wait", "-5"},
         "--wait takes a whole number"},
        {startup() + QStringList{"rec", "post", "0"}, "ID must be a whole number from 1"},
        {startup() + QStringList{"rec", "view", "1", "--pdf", "x.pdf"}, "unknown option --pdf"},
        {startup() + QStringList{"report", "rec", "one", "--pdf", "x.pdf"},
         "ID must be a whole number"},
        {startup() + QStringList{"report", "rec", "1", "--unmarked", "--pdf", "x.pdf"},
         "unknown option --unmarked"},
        {startup() + QStringList{"rec", "import", "1", "--sheet", "a.ods", "--last-row", "last"},
         "--last-row takes a whole number"},
        {startup() + QStringList{"rec", "import", "1", "--comma"}, "--comma needs FILE"},
        {startup() + QStringList{"rec", "import", "1", "--comma", "a.csv", "--no-cleared", "x"},
         "unexpected argument \"x\""},
        {startup() + QStringList{"rec", "import", "1", "--bai2", "a.bai", "--deposit-days", "-1"},
         "--deposit-days takes a whole number from 0 to 366"},
        {startup() + QStringList{"rec", "import", "1", "--bai2", "a.bai", "--account", "first"},
         "--account takes a whole number from 1"},
        {startup() + QStringList{"rec", "import", "1", "--fixed", "a.txt", "--date-format", "ISO"},
         "--date-format takes one of"},
        {QStringList{"Division=3", "DataPath=" + data(), "Sever=sqlite:/elsewhere", "banks",
                     "list"},
         "unknown start-up argument \"Sever=\"; known: Division= DataPath= Server="},
        {QStringList{"Division=3", "DataPath=" + data(), "TVUser=twelve", "banks", "list"},
         "TVUser must be a whole number"},
    };
    for (const Case& c : cases) {
        const CliRun r = run(c.args);
        ASSERT_TRUE(r.finished) << c.message;
        EXPECT_EQ(r.exitCode, 2) << c.message;
        EXPECT_EQ(r.out, "");
        EXPECT_TRUE(has(r.err, c.message)) << r.err;
        EXPECT_TRUE(has(r.err, "usage: bankrec-cli Division=N DataPath=DIR")) << r.err;
    }
    EXPECT_TRUE(QDir(data()).isEmpty());

    // Names only the files or settings can judge: refused as well, and nothing stored.
    const std::string tooLong(300, 'x');
    for (const QStringList& command :
         {QStringList{"config", "set", "ImportColour", "red"},
          {"config", "set", "ImportFilename", QString::fromStdString(tooLong)},
          {"dump", "APxyz"},
          {"rec", "mark", "1"},
          {"report", "rec", "1", "--json"},
          {"rec", "import", "1", "--json"},
          {"rec", "import", "1", "--fixed", "a.txt", "--comma", "a.csv"},
          {"rec", "import", "1", "--comma", "a.csv", "--check", "2-3"},
          {"rec", "import", "1", "--fixed", "a.txt", "--amount", "8-x"},
          {"rec", "import", "1", "--ofx", "a.ofx", "--cleared", "3"},
          {"rec", "import", "1", "--comma", "a.csv", "--deposit-days", "3"},
          {"rec", "import", "1", "--bai2", "a.bai", "--deposit-days", "3", "--no-deposits"}}) {
        const CliRun r = cli(command);
        EXPECT_EQ(r.exitCode, 2) << r.err;
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(cli({"config", "list"}).out.find(tooLong), std::string::npos);

    // The start-up arguments the program needs: 99, as the windowed program.
    const CliRun r = run({"Division=-1", "DataPath=" + data(), "banks", "list"});
    EXPECT_EQ(r.exitCode, 99);
    EXPECT_TRUE(has(r.err, "Missing Division or DataPath arguments in command line: ")) << r.err;
    EXPECT_FALSE(std::filesystem::exists(file("-1APbnk.db")));
}

TEST_F(Scripting, AQuestionLeftUnansweredStopsWithThreeAndYesAnswersIt) {
    makeDemo();
    ASSERT_EQ(cli({"activity", "load", "Operating Account"}).exitCode, 0);
    CliRun r = cli({"activity", "delete", "1"});
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(has(r.err, "Confirm Delete: You've selected to delete the highlighted record."))
        << r.err;
    EXPECT_TRUE(has(r.err, "[Cancel]")) << r.err;
    EXPECT_TRUE(has(r.err, "stopped at the question \"Confirm Delete\"")) << r.err;

    r = cli({"activity", "delete", "1", "--yes", "--json"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.json(), (QJsonObject{{"activityId", 1}, {"deleted", true}}));
    EXPECT_EQ(cli({"activity", "delete", "1", "--yes"}).exitCode, 1);  // gone now

    // A bank file whose trailer does not add up is imported only when told to; its warning goes
    // to standard error, the counts alone to standard output.
    std::ofstream(file("short.bai")) << "01,B,C,261124,0800,1,80,,2/\n02,C,B,1,261123,2359,USD,2/\n"
                                        "03,1000-000-00,USD/\n16,475,128640,,BR1,10232/\n"
                                        "49,1,3/\n98,1,1,5/\n99,1,1,7/\n";
    r = cli({"rec", "import", "Operating Account", "--bai2", data() + "/short.bai"});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(has(r.err, "does not add up")) << r.err;
    r = cli({"rec", "import", "Operating Account", "--bai2", data() + "/short.bai", "--yes"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "Operating Account: 1 line read, 1 marked, 0 already marked, 0 not matched, 0 "
              "ambiguous, 0 skipped\n");
    EXPECT_TRUE(has(r.err, "rec import: warning: account 1000-000-00: the control total")) << r.err;
}

// Completing and deleting a reconciliation ask first: without --yes nothing is done and the
// run ends with 3; with it the completion reports what it cleared and sent.
TEST_F(Scripting, RecQuestionsLeftUnansweredStopWithThreeAndYesAnswersThem) {
    openStatementInBalance();
    CliRun r = cli({"rec", "complete", "Operating Account", "--json"});
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(has(r.err, "Are you sure you want to do this? [No]")) << r.err;
    EXPECT_TRUE(has(r.err, "stopped at the question")) << r.err;
    EXPECT_FALSE(firstStatementDone());

    r = cli({"rec", "delete", "1"});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(cli({"rec", "show", "Operating Account"}).exitCode, 0);  // still there

    r = cli({"rec", "complete", "Operating Account", "--yes"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "reconciliation 1 of Operating Account completed: 1 check 412.37 and 0 deposits "
              "0.00 cleared, 8 items captured\n"
              "sent to the suite: 1 cleared item\n"
              "service charge: not posted by this bank\n"
              "interest earned: not posted by this bank\n");
    EXPECT_TRUE(firstStatementDone());
}

// Another station holds the record file: the command waits as the procedure does, then fails
// with the warning's text and never hangs; --wait lets it wait for the other to finish.
TEST_F(Scripting, ARecordFileHeldElsewhereFailsAfterItsWaitOrSucceedsWithALongerWait) {
    makeDemo();
    ASSERT_EQ(cli({"activity", "load", "Operating Account"}).exitCode, 0);
    ASSERT_EQ(cli({"config", "set", "ImportType", "1"}).exitCode, 0);
    FileSession& other = otherStation();

    ASSERT_EQ(other.begin({FileId::APbac}, 1), Error::None);
    QElapsedTimer clock;
    clock.start();
    CliRun r = cli({"activity", "delete", "1", "--yes"});
    ASSERT_TRUE(r.finished);
    EXPECT_LT(clock.elapsed(), 30000);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(has(r.err, "attempting to frame the delete transaction on APbac")) << r.err;
    EXPECT_TRUE(has(r.err, "activity delete: activity 1 was not deleted")) << r.err;

    // An import cannot write its marks: 1 after the wait, the offer to try again being no
    // refusal, and nothing marked.
    std::ofstream(file("cleared.csv")) << "10231\n";
    r = cli(
        {"rec", "import", "Operating Account", "--comma", data() + "/cleared.csv", "--no-amount"});
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(has(r.err, "rec import: nothing was marked from")) << r.err;
    std::ofstream(file("cleared.ofx")) << "<OFX><STMTTRN><TRNTYPE>CHECK<DTPOSTED>20261120"
                                          "<TRNAMT>-412.37<CHECKNUM>10231</STMTTRN></OFX>\n";
    r = cli({"rec", "import", "Operating Account", "--ofx", data() + "/cleared.ofx", "--json"});
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_EQ(r.out, "");

    // Without --yes the failure still comes first: 1, not a refusal.
    (void)other.rollback();
    ASSERT_EQ(other.begin({FileId::SYcfg}, 1), Error::None);
    r = cli({"config", "set", "ImportType", "2"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(has(r.err, "Unable to start transaction frame")) << r.err;

    // The other station finishes while a patient run waits.
    (void)other.rollback();
    r = runWhileHeldAWhile(FileId::APbac, {"activity", "delete", "1", "--yes"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "activity 1 deleted\n");
}

// The reconciliation file held by another station: completing or saving the statement fails
// after its wait with the statement left as it was; a patient run completes it.
TEST_F(Scripting, AReconciliationHeldElsewhereFailsTheCompletionOrWaitsWithWait) {
    openStatementInBalance();
    FileSession& other = otherStation();
    ASSERT_EQ(other.begin({FileId::APrec}, 1), Error::None);
    QElapsedTimer clock;
    clock.start();
    struct Case {
        QStringList command;
        std::string message;
    } cases[] = {
        {{"rec", "complete", "Operating Account", "--yes", "--json"},
         "Unable to begin transaction"},
        {{"rec", "open", "Operating Account", "--ending-balance", "-400.00"},
         "attempting to frame the update transaction on APrec"},
    };
    for (const Case& c : cases) {
        const CliRun r = cli(c.command);
        ASSERT_TRUE(r.finished) << c.message;
        EXPECT_EQ(r.exitCode, 1) << c.message << "\n" << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_TRUE(has(r.err, c.message)) << r.err;
    }
    EXPECT_LT(clock.elapsed(), 90000);
    (void)other.rollback();
    EXPECT_FALSE(firstStatementDone());
    EXPECT_EQ(cli({"rec", "show", "1", "--json"}).json()["endingBalance"].toString(), "-412.37");

    const CliRun r =
        runWhileHeldAWhile(FileId::APrec, {"rec", "complete", "Operating Account", "--yes"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(has(r.out, "reconciliation 1 of Operating Account completed")) << r.out;
    EXPECT_TRUE(firstStatementDone());
}

TEST_F(Scripting, JsonResultsReadBackWithAmountsAsTextAndIsoDates) {
    makeDemo(false);
    CliRun r = cli({"banks", "load", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    QJsonObject doc = r.json();
    EXPECT_EQ(doc["suite"].toString(), "completed");
    EXPECT_EQ(doc["banksAdded"].toInt(), 3);

    r = cli({"banks", "list", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const QJsonArray banks = r.json()["banks"].toArray();
    ASSERT_EQ(banks.size(), 3);
    EXPECT_EQ(banks[1].toObject()["bank"].toString(), "Operating Account");
    EXPECT_EQ(banks[1].toObject()["bankAccount"].toString(), "1000-000-00");
    EXPECT_EQ(banks[1].toObject()["apBank"].toString(), "OPER");

    r = cli({"activity", "load", "Operating Account", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    doc = r.json();
    EXPECT_EQ(doc["added"].toInt(), doc["entries"].toInt());
    EXPECT_GT(doc["added"].toInt(), 0);
    EXPECT_EQ(doc["noTransactionSkipped"].toInt(-1), 0);  // present, and none in the demo

    r = cli({"activity", "list", "1", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const QJsonArray rows = r.json()["activity"].toArray();
    ASSERT_EQ(rows.size(), doc["added"].toInt());
    const QJsonObject first = rows[0].toObject();
    EXPECT_EQ(first["date"].toString(), "2026-11-03");
    EXPECT_EQ(first["reference"].toString(), "10231");
    EXPECT_EQ(first["paymentOrDebit"].toString(), "412.37");
    EXPECT_EQ(first["amount"].toString(), "-412.37");
    EXPECT_EQ(first["depositOrCredit"].toString(), "0.00");
    EXPECT_TRUE(first["activityId"].isDouble());

    // An import's counts: the stored layout (check number, then amount); a check whose amount
    // differs is not matched.
    std::ofstream(file("cleared.csv")) << "10231,412.37\n10232,1.00\n99999,5.00\n,\n";
    r = cli({"rec", "import", "Operating Account", "--comma", data() + "/cleared.csv", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(
        r.json(),
        (QJsonObject{{"bankId", 1},
                     {"bank", "Operating Account"},
                     {"file", data() + "/cleared.csv"},
                     {"linesRead", 4},
                     {"marked", 1},
                     {"alreadyMarked", 0},
                     {"notMatched", 2},
                     {"ambiguous", 0},
                     {"skipped", 1},
                     {"exceptions", QJsonArray{QJsonObject{{"line", 2},
                                                           {"result", "notMatched"},
                                                           {"lookedFor", "check 10232 of 1.00"},
                                                           {"text", "10232,1.00"}},
                                               QJsonObject{{"line", 3},
                                                           {"result", "notMatched"},
                                                           {"lookedFor", "check 99999 of 5.00"},
                                                           {"text", "99999,5.00"}}}}}));

    // A bank file: a paid check, a credit matched to its deposit, a debit without a number.
    std::ofstream(file("prevday.bai"))
        << "01,B,C,261124,0800,1,80,,2/\n02,C,B,1,261108,2359,USD,2/\n"
           "03,1000-000-00,USD/\n16,475,128640,,BR1,10232/\n"
           "16,175,532000,,BR2,,DEPOSIT/\n16,699,3500,,BR3,,FEE/\n"
           "49,664140,5/\n98,664140,1,7/\n99,664140,1,9/\n";
    r = cli({"rec", "import", "Operating Account", "--bai2", data() + "/prevday.bai", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    doc = r.json();
    EXPECT_EQ(doc["marked"].toInt(), 2);
    EXPECT_EQ(doc["notMatched"].toInt(), 1);
    EXPECT_EQ(doc["exceptions"].toArray(),
              (QJsonArray{QJsonObject{{"line", 6},
                                      {"result", "notMatched"},
                                      {"lookedFor", "debit of 35.00 without a check number"},
                                      {"text", "16,699,3500,,BR3,,FEE/"}}}));

    r = cli({"config", "list", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.json()["settings"].toArray()[0].toObject()["name"].toString(), "ImportType");
    r = cli({"check", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.json()["files"].toArray().size(), 7);
}

TEST_F(Scripting, RecAndReportJsonReadsBack) {
    openStatementInBalance();
    CliRun r = cli({"rec", "show", "Operating Account", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    QJsonObject doc = r.json();
    EXPECT_EQ(doc["reconciliationId"].toInt(), 1);
    EXPECT_EQ(doc["endingDate"].toString(), "2026-11-30");
    EXPECT_EQ(doc["endingBalance"].toString(), "-412.37");
    EXPECT_EQ(doc["checksMarkedAmount"].toString(), "412.37");
    EXPECT_TRUE(doc["serviceChargeDate"].isNull());
    const QJsonArray checks = doc["checks"].toArray();
    ASSERT_FALSE(checks.isEmpty());
    EXPECT_EQ(checks[0].toObject()["reference"].toString(), "10231");
    EXPECT_EQ(checks[0].toObject()["amount"].toString(), "412.37");
    EXPECT_EQ(checks[0].toObject()["date"].toString(), "2026-11-03");
    EXPECT_FALSE(checks[0].toObject()["marker"].toString().isEmpty());
    EXPECT_EQ(doc["deposits"].toArray().size(), 8 - checks.size());

    // A range's count and total beside the summary, marked and unmarked again.
    r = cli({"rec", "range", "Operating Account", "10232", "10233", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    doc = r.json();
    EXPECT_EQ(doc["range"].toObject(), (QJsonObject{{"marked", 2}, {"total", "1384.55"}}));
    EXPECT_EQ(doc["difference"].toString(), "-1384.55");
    r = cli({"rec", "range", "Operating Account", "10232", "10233", "--unmark", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.json()["range"].toObject()["unmarked"].toInt(), 2);

    r = cli({"rec", "complete", "Operating Account", "--yes", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    doc = r.json();
    EXPECT_EQ(doc["reconciliationId"].toInt(), 1);
    EXPECT_EQ(doc["checksCleared"].toInt(), 1);
    EXPECT_EQ(doc["checksClearedAmount"].toString(), "412.37");
    EXPECT_EQ(doc["depositsClearedAmount"].toString(), "0.00");
    EXPECT_EQ(doc["itemsCaptured"].toInt(), 8);
    const QJsonObject sent = doc["export"].toObject();
    EXPECT_EQ(sent["itemsSent"].toInt(), 1);
    EXPECT_EQ(sent["serviceCharge"].toObject()["state"].toString(), "not posted by this bank");
    EXPECT_EQ(sent["interestEarned"].toObject()["batch"].toInt(), 0);

    r = cli({"rec", "post", "1", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.json()["itemsSent"].toInt(), 1);

    r = cli({"rec", "list", "Operating Account", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const QJsonArray statements = r.json()["statements"].toArray();
    ASSERT_EQ(statements.size(), 1);
    EXPECT_TRUE(statements[0].toObject()["done"].toBool());
    EXPECT_EQ(statements[0].toObject()["openingDate"].toString(), "2026-10-31");

    r = cli({"rec", "view", "1", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.json()["checks"].toArray().size(), checks.size());

    const QString pdf = root() + "/rec1.pdf";
    r = cli({"report", "rec", "1", "--unmarked-checks", "--pdf", pdf, "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.json(), (QJsonObject{{"pdf", pdf}}));
    EXPECT_GT(QFileInfo(pdf).size(), 0);
}

// The README's nightly example, run as it stands on the demo: it loads every bank, and it stops
// at the first failure with that command's exit code.
TEST_F(Scripting, TheReadmesNightlyExampleRunsOnTheDemoAndStopsAtTheFirstFailure) {
    std::ifstream readme(BANKREC_SOURCE_DIR "/README.md");
    std::stringstream all;
    all << readme.rdbuf();
    const std::string text = all.str();
    const size_t marker = text.find("<!-- nightly example -->");
    ASSERT_NE(marker, std::string::npos);
    const size_t from = text.find("```sh\n", marker);
    const size_t to = text.find("```", from + 6);
    ASSERT_TRUE(from != std::string::npos && to != std::string::npos);
    const QString script = root() + "/nightly.sh";
    {
        std::ofstream out(script.toStdString());
        out << text.substr(from + 6, to - from - 6);
    }
    makeDemo(false);
    auto nightly = [&] {
        QProcessEnvironment env = environment();
        env.insert("PATH", QFileInfo(BANKREC_CLI_EXE).absolutePath() + ":" + env.value("PATH"));
        env.insert("SUITE_DATA", data());
        env.insert("SUITE_PASSWORD", "demo");
        QProcess p;
        p.setProcessEnvironment(env);
        p.start("bash", {script});
        return finish(p, 120000);
    };
    CliRun r = nightly();
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    for (const char* bank : {"Money Market Savings", "Operating Account", "Payroll Account"})
        EXPECT_TRUE(has(r.out, std::string(bank) + ": ")) << r.out;
    EXPECT_TRUE(has(cli({"activity", "list", "Payroll Account"}).out, "Maria Delgado"));

    // The suite gone: the first command fails and nothing after it runs.
    ASSERT_TRUE(QFile::rename(data() + "/tvw03.db", data() + "/tvw03.away"));
    r = nightly();
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(has(r.out, "Operating Account: ")) << r.out;
    EXPECT_TRUE(has(r.err, "could not be opened")) << r.err;
}

}  // namespace
