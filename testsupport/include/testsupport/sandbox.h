#pragma once
// What a test that touches files, settings or messages needs, set up and put back in one place:
//  - a fresh temporary folder, removed afterwards;
//  - the per-user and machine-wide settings files (BANKREC_HKCU, BANKREC_HKLM) inside it, so no
//    test reads or writes the real settings; the environment is put back afterwards;
//  - the scripted message service: the answers a test gives in advance, every message recorded
//    (corelib/message_script.h); the previous message backend is put back afterwards;
//  - the working folder and the application name (a shared global the program sets) put back.
//
//   class LoaderTest : public ::testing::Test {
//     protected:
//       testsupport::Sandbox sandbox;  // first member: set up first, put back last
//   };
//   TEST_F(LoaderTest, AsksBeforeDeleting) {
//       sandbox.messages->answer(corelib::msg::Yes);
//       storage.nameFiles(sandbox.path(), 3);
//       ...
//       EXPECT_EQ(sandbox.messages->count(), 1u);
//   }
#include <QTemporaryDir>
#include <optional>
#include <string>

#include "corelib/message_script.h"

namespace testsupport {

class Sandbox {
  public:
    Sandbox();
    ~Sandbox();
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    // False when the temporary folder could not be made (the test should stop).
    bool valid() const { return dir_.isValid(); }
    // The temporary folder, without a trailing slash.
    const std::string& path() const { return path_; }
    // path() + "/" + name.
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    // Makes the folder `name` (and its parents) inside path(); returns its path.
    std::string folder(const std::string& name) const;

    // The settings files in use: path()/hkcu.ini and path()/hklm.ini unless set otherwise.
    const std::string& userSettings() const { return userSettings_; }
    const std::string& machineSettings() const { return machineSettings_; }
    // Points the settings roots at other files (still put back afterwards).
    void setSettingsFiles(const std::string& user, const std::string& machine);

    // The scripted message service: messages->answer(...), messages->count(), ...
    corelib::ScopedScriptedMessages messages;

  private:
    QTemporaryDir dir_;
    std::string path_;
    std::string userSettings_;
    std::string machineSettings_;
    std::optional<std::string> previousUser_;
    std::optional<std::string> previousMachine_;
    std::string previousCurrent_;
    std::string previousApplicationName_;
};

}  // namespace testsupport
