#include "bankrec/shell/startup.h"

#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <cctype>
#include <cerrno>
#include <cstring>

#include "corelib/globals.h"
#include "corelib/message.h"
#include "corelib/message_box.h"
#include "corelib/thread_registry.h"
#include "corelib/zor_tty.h"
#include "hostlink/hostlink.h"

using namespace corelib;
using namespace hostlink;

namespace shell {

namespace {

std::string trimmed(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

bool startsWithNoCase(const std::string& s, const char* prefix) {
    const size_t n = std::strlen(prefix);
    return s.size() >= n && strncasecmp(s.c_str(), prefix, n) == 0;
}

}  // namespace

Startup::Startup(std::string program, std::vector<std::string> args)
    : program_(std::move(program)), args_(std::move(args)) {}

std::string Startup::commandLineText() const {
    std::string line = program_;
    for (const std::string& a : args_) {
        if (!line.empty()) line += ' ';
        // The password is never shown, not even in a complaint about the command line.
        line += startsWithNoCase(a, "Password=") ? a.substr(0, 9) + "*****" : a;
    }
    return line;
}

int Startup::run(std::unique_ptr<MessageBackend> backend) {
    // The message service comes first so the complaints about the command line and the data
    // folder reach the user the same way every later message does.
    ThisMessageBox.init(std::move(backend));
    ThisMessageBox.setCommandLine(args_);

    params_.parse(args_);
    if (params_.missingRequired()) {
        ds_Message("Missing Division or DataPath arguments in command line: " + commandLineText());
        return kExitMissingArguments;
    }
    dataPathArgument_ = params_.DATAPATH;

    glo_MainThread = currentThread();
    glo_ApplicationVersion = kApplicationVersion;
    glo_ApplicationAbbr = kApplicationAbbr;
    glo_ApplicationName = kApplicationName;
    glo_ApplicationText1 = kApplicationText1;
    glo_ApplicationText2 = kApplicationText2;
    settings_.setKey(kMakerName, glo_ApplicationName);

    params_.TTY = terminalNumber();

    if (int rc = changeToDataPath(); rc != 0) return rc;
    if (int rc = chooseStore(); rc != 0) return rc;

    storage_.nameFiles(dataPath_, params_.DIVISION);

    HOSTLINK_SetCommandLine(args_);
    return 0;
}

int Startup::changeToDataPath() {
    std::string path = trimmed(params_.DATAPATH);
    if (path.empty()) path = trimmed(settings_.getValue("DataPath"));
    if (!path.empty() && ::chdir(path.c_str()) != 0) {
        const int err = errno;
        ds_Beep();
        ds_Message("Error occured while changing directory to " + path + ", Error(" +
                       std::to_string(err) + ") " + std::strerror(err),
                   glo_ApplicationName, {}, msg::OK);
        return kExitDataPathFailed;
    }
    dataPath_ = QDir::current().canonicalPath().toStdString();
    params_.DATAPATH = dataPath_;
    settings_.setValue("DataPath", dataPath_);
    return 0;
}

int Startup::chooseStore() {
    std::string store = trimmed(params_.STORE);
    if (!params_.storeGiven) store = trimmed(settings_.getValue("Store"));
    params_.STORE = store;
    if (!store.empty() && !storage::isServerAddress(store)) {
        // Not remembered: the next start without Store= uses the store that worked before.
        ds_Message(
            "The Store argument must read postgresql://HOST[:PORT]/DATABASE: " +
                (store.find('@') != std::string::npos ? std::string("(an address with a user)")
                                                      : store),
            glo_ApplicationName, {}, msg::OK);
        return kExitBadStore;
    }
    settings_.setValue("Store", store);
    if (store.empty()) return 0;  // the SQLite files of the data folder
    storage_.useServer(store, trimmed(params_.USERNAME), params_.USERPW);
    return 0;
}

void Startup::finish() {
    if (!dataPath_.empty()) settings_.setValue("DataPath", dataPath_);
    ThisMessageBox.kill();
}

}  // namespace shell
