// The real programs: bankrec without a display and bankrec-cli, their exit codes and messages.
#include <gtest/gtest.h>

#include <QProcessEnvironment>

#include "testsupport/program_run.h"
#include "testsupport/sandbox.h"

namespace {

using testsupport::ProgramRun;

class ProgramsTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(sandbox_.valid()); }

    // Runs a program with the registry in the test folder and no display at all.
    ProgramRun run(const char* program, const QStringList& args) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
        env.insert("BANKREC_HKCU", QString::fromStdString(sandbox_.userSettings()));
        env.insert("BANKREC_HKLM", QString::fromStdString(sandbox_.machineSettings()));
        return testsupport::runProgram(program, args, {}, env);
    }
    QString data() const { return QString::fromStdString(sandbox_.path()); }

    testsupport::Sandbox sandbox_;
};

TEST_F(ProgramsTest, BothProgramsEndWith99WhenDivisionOrDataPathIsMissing) {
    for (const char* program : {BANKREC_EXE, BANKREC_CLI_EXE}) {
        SCOPED_TRACE(program);
        const QStringList tail =
            QString(program) == BANKREC_CLI_EXE ? QStringList{"config", "list"} : QStringList{};
        ProgramRun r = run(program, QStringList{"Division=3", "Password=hush", "Server=db"} + tail);
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, 99);
        EXPECT_NE(r.err.find("Missing Division or DataPath arguments in command line: "),
                  std::string::npos)
            << r.err;
        EXPECT_NE(r.err.find("Division=3 Password=***** Server=db"), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("hush"), std::string::npos);

        r = run(program, QStringList{"DataPath=" + data()} + tail);
        EXPECT_EQ(r.exitCode, 99);
    }
}

TEST_F(ProgramsTest, UnreachableDataPathIsReportedOnStandardErrorWithoutADisplay) {
    ProgramRun r = run(BANKREC_EXE, {"Division=3", "DataPath=" + data() + "/missing"});
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Error occured while changing directory to " +
                         (data() + "/missing").toStdString() + ", Error(2)"),
              std::string::npos)
        << r.err;
}

TEST_F(ProgramsTest, FrameWithoutADisplayEndsCleanlyInsteadOfAborting) {
    ProgramRun r = run(BANKREC_EXE, {"Division=3", "DataPath=" + data()});
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("no display"), std::string::npos) << r.err;
}

TEST_F(ProgramsTest, CliConfigListsSetsAndRefusesUnknownNames) {
    const QStringList base{"Division=4", "DataPath=" + data()};
    ProgramRun r =
        run(BANKREC_CLI_EXE, base + QStringList{"config", "set", "organization name", "Fen Trust"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = run(BANKREC_CLI_EXE, base + QStringList{"config", "list"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Organization Name=Fen Trust\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("ChkClearedCCol=3\n"), std::string::npos) << r.out;

    r = run(BANKREC_CLI_EXE, base + QStringList{"config", "set", "Colour", "red"});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_NE(r.err.find("Configuration Colour not found."), std::string::npos) << r.err;
}

}  // namespace
