#pragma once
// Runs a program as a script would and collects how it ended:
//
//   const testsupport::ProgramRun r = testsupport::runProgram(BANKREC_CLI_EXE, args);
//   ASSERT_TRUE(r.finished);
//   EXPECT_EQ(r.exitCode, 0) << r.err;
//
// A program still running after the time allowed is killed; it then counts as not finished,
// with exit code -1 and no output.
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <string>

namespace testsupport {

struct ProgramRun {
    int exitCode = -1;      // -1 unless the program ended by itself, without crashing
    bool finished = false;  // ended by itself within the time allowed, without crashing
    std::string out;
    std::string err;
};

// How long a program may run before it is killed.
inline constexpr int kProgramTimeoutMs = 60000;

// Runs `program` with `args`, started in `workingDir` (this process's when empty), with `env`
// (this process's environment as it is now when not given).
ProgramRun runProgram(const QString& program, const QStringList& args,
                      const QString& workingDir = {});
ProgramRun runProgram(const QString& program, const QStringList& args, const QString& workingDir,
                      const QProcessEnvironment& env, int timeoutMs = kProgramTimeoutMs);

// Waits for a program already started, killing it after `timeoutMs`.
ProgramRun finishProgram(QProcess& process, int timeoutMs = kProgramTimeoutMs);

}  // namespace testsupport
