#pragma once
// Runs bankrec-cli (and tvhost) as a script would, on a demo suite in the sandbox's folder; the
// programs inherit the sandbox's settings files.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <string>

#include "testsupport/program_run.h"
#include "testsupport/sandbox.h"

namespace clitest {

struct CliRun : testsupport::ProgramRun {
    // The standard output as one JSON document; an empty object (and a test failure) if it is
    // not one.
    QJsonObject json() const {
        QJsonParseError e;
        const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(out), &e);
        EXPECT_EQ(e.error, QJsonParseError::NoError) << out;
        EXPECT_TRUE(doc.isObject()) << out;
        return doc.object();
    }
};

class CliScripting : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sandbox.valid());
        sandbox.folder("data");
    }

    QString root() const { return QString::fromStdString(sandbox.path()); }
    QString data() const { return QString::fromStdString(sandbox.file("data")); }
    // The start-up arguments of the demo division, reaching the suite through `server`.
    QStringList startup(const QString& server = {}) const {
        return {"Division=3",
                "DataPath=" + data(),
                "Server=" + (server.isEmpty() ? "sqlite:" + data() : server),
                "UserID=demo",
                "Password=demo",
                "TVUser=1"};
    }

    // The sandbox's environment (its settings files included).
    static QProcessEnvironment environment() { return QProcessEnvironment::systemEnvironment(); }

    // Starts a program; finish() waits for it.
    void start(QProcess& p, const QString& program, const QStringList& args) const {
        p.setProcessEnvironment(environment());
        p.start(program, args);
    }
    static CliRun finish(QProcess& p, int timeoutMs = testsupport::kProgramTimeoutMs) {
        return {testsupport::finishProgram(p, timeoutMs)};
    }

    // bankrec-cli with the given arguments as they are (start-up arguments included).
    CliRun run(const QStringList& args, int timeoutMs = testsupport::kProgramTimeoutMs) {
        QProcess p;
        start(p, BANKREC_CLI_EXE, args);
        return finish(p, timeoutMs);
    }
    // bankrec-cli on the demo division.
    CliRun cli(const QStringList& command) { return run(startup() + command); }

    // A fresh demo suite and data folder for division 3; with `banks`, the banks loaded.
    void makeDemo(bool banks = true) {
        QProcess p;
        start(p, TVHOST_EXE,
              {"init", "--server", "sqlite:" + data(), "--division", "3", "--data", data(),
               "--demo"});
        const CliRun r = finish(p);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        if (banks) {
            ASSERT_EQ(cli({"banks", "load"}).exitCode, 0);
        }
    }

    testsupport::Sandbox sandbox;  // first to be set up, last to be put back
};

}  // namespace clitest
