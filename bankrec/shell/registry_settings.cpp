#include "bankrec/shell/registry_settings.h"

#include <algorithm>

#include "bankrec/shell/build_stamp.h"
#include "corelib/globals.h"

using namespace corelib;

namespace shell {

namespace {
std::string trimRight(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.pop_back();
    return s;
}
}  // namespace

RegistrySettings::RegistrySettings() {
    CURCOMPILEDATE = buildDate();
    CURCOMPILETIME = buildTime();
}

RegistrySettings RegistrySettings::forProgram() {
    RegistrySettings settings;
    if (!trimRight(glo_ApplicationName).empty()) settings.setKey(kMakerName, glo_ApplicationName);
    return settings;
}

void RegistrySettings::recordError(const std::string& operation, const std::string& what) {
    ERRORCODE = registry_.errorCode();
    ERROR = operation + what + ") " + registry_.errorText();
}

bool RegistrySettings::setKey(const std::string& maker, const std::string& program) {
    close();
    registry_.setRoot(ROOT);
    const std::string key = "Software\\" + trimRight(maker) + "\\" + trimRight(program);
    if (!registry_.openKey(key)) {
        if (registry_.errorCode() != RegistryNotFound) {
            recordError("SetKey.OpenKey(", key);
            return false;
        }
        if (!registry_.createKey(key)) {
            recordError("SetKey.CreateKey(", key);
            return false;
        }
    }
    key_ = key;
    HKEY = 1;
    ERRORCODE = 0;
    ERROR.clear();
    return true;
}

std::string RegistrySettings::getValue(const std::string& name, const std::string& defaultValue,
                                       const std::string& subKey) {
    if (!active()) return defaultValue;
    auto v = registry_.readValue(name, subKey);
    if (!v) {
        if (registry_.errorCode() != RegistryNotFound) recordError("GetValue.QueryValue(", name);
        return defaultValue;
    }
    return *v;
}

bool RegistrySettings::setValue(const std::string& name, const std::string& value,
                                const std::string& subKey) {
    if (!active()) {
        ERRORCODE = RegistryNoKey;
        ERROR = "SetValue.SetValue(" + name + ") no key set";
        return false;
    }
    if (!registry_.writeValue(name, value, subKey)) {
        recordError("SetValue.SetValue(", name);
        return false;
    }
    return true;
}

bool RegistrySettings::deleteValue(const std::string& name, const std::string& subKey) {
    if (!active() || !registry_.deleteValue(name, subKey)) {
        recordError("DeleteValue(", name);
        return false;
    }
    return true;
}

std::vector<std::pair<std::string, std::string>> RegistrySettings::enumValues(
    const std::string& subKey) {
    std::vector<std::pair<std::string, std::string>> out;
    if (!active()) return out;
    Registry reg(ROOT);
    const std::string path = subKey.empty() ? key_ : key_ + "\\" + subKey;
    if (!reg.openKey(path)) {
        ERRORCODE = reg.errorCode();
        ERROR = "EnumValue.OpenKey(" + path + ") " + reg.errorText();
        return out;
    }
    const auto subKeys = reg.subKeyNames();
    KEYCOUNT = static_cast<int32_t>(subKeys.size());
    KEYMAX = 0;
    for (const auto& k : subKeys) KEYMAX = std::max<int32_t>(KEYMAX, k.size());
    NAMEMAX = VALUEMAX = 0;
    for (const std::string& name : reg.valueNames()) {
        const std::string value = reg.readValue(name).value_or(std::string());
        NAMEMAX = std::max<int32_t>(NAMEMAX, name.size());
        VALUEMAX = std::max<int32_t>(VALUEMAX, value.size());
        out.emplace_back(name, value);
    }
    VALUECOUNT = static_cast<int32_t>(out.size());
    DWVALUEINDEX = VALUECOUNT;
    return out;
}

void RegistrySettings::close() {
    registry_.close();
    key_.clear();
    HKEY = 0;
    DWKEYINDEX = 0;
    DWVALUEINDEX = 0;
}

}  // namespace shell
