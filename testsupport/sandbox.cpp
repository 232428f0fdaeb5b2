#include "testsupport/sandbox.h"

#include <QDir>
#include <cstdlib>

#include "corelib/globals.h"

namespace testsupport {

namespace {

std::optional<std::string> environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

void restore(const char* name, const std::optional<std::string>& value) {
    if (value)
        setenv(name, value->c_str(), 1);
    else
        unsetenv(name);
}

}  // namespace

Sandbox::Sandbox()
    : path_(dir_.path().toStdString()),
      previousUser_(environment("BANKREC_HKCU")),
      previousMachine_(environment("BANKREC_HKLM")),
      previousCurrent_(QDir::currentPath().toStdString()),
      previousApplicationName_(corelib::glo_ApplicationName) {
    setSettingsFiles(file("hkcu.ini"), file("hklm.ini"));
}

Sandbox::~Sandbox() {
    QDir::setCurrent(QString::fromStdString(previousCurrent_));
    corelib::glo_ApplicationName = previousApplicationName_;
    restore("BANKREC_HKCU", previousUser_);
    restore("BANKREC_HKLM", previousMachine_);
}

std::string Sandbox::folder(const std::string& name) const {
    const std::string p = file(name);
    QDir().mkpath(QString::fromStdString(p));
    return p;
}

void Sandbox::setSettingsFiles(const std::string& user, const std::string& machine) {
    userSettings_ = user;
    machineSettings_ = machine;
    setenv("BANKREC_HKCU", user.c_str(), 1);
    setenv("BANKREC_HKLM", machine.c_str(), 1);
}

}  // namespace testsupport
