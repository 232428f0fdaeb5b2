#pragma once
// A fixture for the shell's tests: isolated registry files, a fresh data folder, the working
// folder and the shared globals put back afterwards.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>
#include <string>

#include "corelib/globals.h"
#include "corelib/message_box.h"

namespace shell {

class ShellFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(root_.isValid());
        cwd_ = QDir::currentPath();
        setenv("BANKREC_HKCU", (root_.path() + "/hkcu.ini").toLocal8Bit().constData(), 1);
        setenv("BANKREC_HKLM", (root_.path() + "/hklm.ini").toLocal8Bit().constData(), 1);
        QDir(root_.path()).mkpath("data");
        savedName_ = corelib::glo_ApplicationName;
    }
    void TearDown() override {
        QDir::setCurrent(cwd_);
        corelib::ThisMessageBox.kill();
        corelib::glo_ApplicationName = savedName_;
        unsetenv("BANKREC_HKCU");
        unsetenv("BANKREC_HKLM");
    }
    std::string dataDir() const { return (root_.path() + "/data").toStdString(); }
    std::string rootDir() const { return root_.path().toStdString(); }

    QTemporaryDir root_;
    QString cwd_;
    std::string savedName_;
};

}  // namespace shell
