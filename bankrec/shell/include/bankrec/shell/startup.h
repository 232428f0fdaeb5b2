#pragma once
// What the program does from its start until the frame can open, and after the frame closed:
// the start-up parameters from the command line, the shared globals, the terminal number, the
// data folder made current (and remembered per user), the record files named, the message
// service initialised; at the end the data folder written back and the service shut down.
//
// The frame, the command-line tool and the tests all start through this class, so they agree
// on every step. Messages go through corelib's message service (ds_Message); the caller
// chooses its backend.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bankrec/shell/registry_settings.h"
#include "bankrec/shell/startup_parameters.h"
#include "bankrec/storage/storage.h"

namespace corelib {
class MessageBackend;
}  // namespace corelib

namespace shell {

// The shared globals' values.
inline constexpr const char* kApplicationVersion = "Version 7.17 build 0003";
inline constexpr const char* kApplicationAbbr = "Bankrec.INI";
inline constexpr const char* kApplicationName = "Bank Reconciliation";
inline constexpr const char* kApplicationText1 = "Bank statements reconciled division by division,";
inline constexpr const char* kApplicationText2 =
    "in step with the organisation's accounting suite.";
// The product as the diagnostic key shows it.
inline constexpr const char* kProductTitle = "Integrated Bank Reconciliation";
inline constexpr const char* kProductVersion = "7.17 build 0003";
inline constexpr const char* kProgramShortName = "Bankrec";

// Exit codes.
inline constexpr int kExitMissingArguments = 99;
inline constexpr int kExitDataPathFailed = 1;
// The Store argument (or the registry's) is not a PostgreSQL address with a database.
inline constexpr int kExitBadStore = 3;

class Startup {
  public:
    // `program` is argv[0]; `args` the arguments after it.
    Startup(std::string program, std::vector<std::string> args);

    // The steps before the frame. 0 when the frame may open; otherwise the exit code, after the
    // message was shown: 99 ("Missing Division or DataPath arguments in command line:" + the
    // command line; nothing opened, the registry not consulted), 1 when the data folder cannot
    // be made current (beep, then "Error occured while changing directory to ..."), 3 when the
    // store is not a PostgreSQL address with a database.
    // `backend` initialises the message service (null: the standard-error backend); it is
    // installed first so even the first messages reach the user.
    int run(std::unique_ptr<corelib::MessageBackend> backend);
    // After the frame: writes DataPath again and shuts the message service down.
    void finish();

    const StartupParameters& params() const { return params_; }
    StartupParameters& params() { return params_; }
    // The DataPath argument exactly as the command line gave it (for the frame's title).
    const std::string& dataPathArgument() const { return dataPathArgument_; }
    // The data folder in its full long form (after run()).
    const std::string& dataPath() const { return dataPath_; }
    RegistrySettings& settings() { return settings_; }
    const storage::Storage& storage() const { return storage_; }
    storage::Storage& storage() { return storage_; }
    const std::vector<std::string>& arguments() const { return args_; }

    // The command line as the exit-99 message shows it, the value of Password masked.
    std::string commandLineText() const;

  private:
    int changeToDataPath();
    // Store=postgresql://HOST[:PORT]/DATABASE (or the registry's "Store"): the files on that
    // server, the user and password of the command line. 0 or kExitBadStore.
    int chooseStore();

    std::string program_;
    std::vector<std::string> args_;
    StartupParameters params_;
    std::string dataPathArgument_;
    std::string dataPath_;
    RegistrySettings settings_;
    storage::Storage storage_;
};

}  // namespace shell
