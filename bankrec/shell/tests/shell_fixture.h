#pragma once
// A fixture for the shell's tests: the sandbox (settings files, temporary folder, messages,
// working folder and globals put back) with a data folder, and the message service shut down
// afterwards (start-up installs it).
#include <gtest/gtest.h>

#include <QDir>
#include <string>

#include "corelib/message_box.h"
#include "testsupport/sandbox.h"

namespace shell {

class ShellFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sandbox_.valid());
        sandbox_.folder("data");
    }
    void TearDown() override { corelib::ThisMessageBox.kill(); }
    std::string dataDir() const { return sandbox_.file("data"); }
    std::string rootDir() const { return sandbox_.path(); }

    testsupport::Sandbox sandbox_;
    const QString cwd_ = QDir::currentPath();  // the working folder before the test
};

}  // namespace shell
