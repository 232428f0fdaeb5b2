// bankrec-cli rec complete and rec post, run as the real program on the demo suite.
#include <gtest/gtest.h>

#include <QStringList>

#include "completion_suite_fixture.h"
#include "testsupport/program_run.h"

using namespace corelib;
using namespace storage;
using namespace reconcile;

namespace {

using CliRun = testsupport::ProgramRun;

class RecCommands : public CompletionSuiteTest {
  protected:
    void SetUp() override {
        CompletionSuiteTest::SetUp();
        ASSERT_TRUE(makeDemo(false));
        bank_ = prepareBank("Payroll Account", "PRVEND");
        mark(byTransaction(1011));
        mark(byTransaction(1015));
        APrec sheet;
        sheet.BankID = bank_;
        payrollStatement(sheet);
        id_ = add(sheet);
    }
    CliRun cli(const QStringList& command) {
        const QString data = QString::fromStdString(folder());
        QStringList args{"Division=2",  "DataPath=" + data, "Server=sqlite:" + data,
                         "UserID=demo", "Password=secret",  "TVUser=1"};
        return testsupport::runProgram(BANKREC_CLI_EXE, args + command);
    }
    int32_t bank_ = 0;
    int32_t id_ = 0;
};

TEST_F(RecCommands, CompleteAsksFirstAndWithYesCompletesSendsAndPosts) {
    const std::string idleHeader = registerHeader("PRVEND");
    CliRun r = cli({"rec", "complete", "Payroll Account"});
    EXPECT_EQ(r.exitCode, 3) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("Are you sure you want to do this?"), std::string::npos) << r.err;
    EXPECT_EQ(statement(id_).Done, 0);
    EXPECT_EQ(registerHeader("PRVEND"), idleHeader);  // the claim was given back

    r = cli({"rec", "complete", "2", "--yes"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const APrec done = statement(id_);
    EXPECT_EQ(r.out, "reconciliation " + std::to_string(id_) +
                         " of Payroll Account completed: 2 checks 1,887.18 and 0 deposits 0.00 "
                         "cleared, 4 items captured\n"
                         "sent to the suite: 2 cleared items\n"
                         "service charge: batch " +
                         std::to_string(done.ServiceChargeBatch) +
                         "\n"
                         "interest earned: batch " +
                         std::to_string(done.InterestEarnedBatch) + "\n");
    EXPECT_EQ(done.Done, 1);
    EXPECT_EQ(transaction(1015, "FIStatus"), "R");

    r = cli({"rec", "post", std::to_string(id_).c_str()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "sent to the suite: 2 cleared items\nservice charge: batch " +
                         std::to_string(done.ServiceChargeBatch) +
                         " (posted before)\ninterest earned: batch " +
                         std::to_string(done.InterestEarnedBatch) + " (posted before)\n");
    EXPECT_EQ(listing("ledger").size(), 4u);
}

TEST_F(RecCommands, CompletionChecksAndWrongArgumentsStopWithTheirMessages) {
    (void)statement(id_);
    session->file<APrec>().rec.EndingBalance = money(-189657);
    ASSERT_EQ(session->file<APrec>().put(), Error::None);
    CliRun r = cli({"rec", "complete", "Payroll Account", "--yes"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("Reconciliation not in balance. Difference must be zero before "
                         "reconciliation can be completed."),
              std::string::npos)
        << r.err;
    EXPECT_EQ(statement(id_).Done, 0);

    EXPECT_EQ(cli({"rec", "post", std::to_string(id_).c_str()}).exitCode, 1);  // still open
    EXPECT_EQ(cli({"rec", "post", "999"}).exitCode, 1);
    EXPECT_EQ(cli({"rec", "post", "x"}).exitCode, 2);
    EXPECT_EQ(cli({"rec", "complete", "No Such Bank"}).exitCode, 1);
    EXPECT_EQ(cli({"rec", "finish", "2"}).exitCode, 2);
    EXPECT_TRUE(listing("ledger").empty());
}

}  // namespace
