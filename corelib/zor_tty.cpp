#include "corelib/zor_tty.h"

#include <cctype>
#include <cstdlib>
#include <optional>

#include "corelib/registry.h"

namespace corelib {

namespace {

constexpr const char* kSuiteKey = "Software\\Tallyvane";
constexpr const char* kUserKey = "Software\\Tallyvane\\580";
constexpr const char* kCobolKey = "Software\\Micro Focus\\NetExpress\\2.0\\COBOL\\2.0\\Environment";

std::string trimmed(std::string s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.pop_back();
    size_t b = 0;
    while (b < s.size() && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    return s.substr(b);
}

// One value, cut to the width the suite gives it; "" when the key or value is missing.
std::string readValue(RegistryRoot root, const std::string& key, const std::string& name,
                      size_t width) {
    Registry reg(root);
    if (!reg.openKey(key)) return {};
    std::string v = reg.readValue(name).value_or(std::string());
    if (v.size() > width) v.resize(width);
    return v;
}

// A terminal number as four digits with leading zeros, or "<not found>" when blank.
std::string terminalText(const std::string& raw) {
    const std::string t = trimmed(raw);
    if (t.empty()) return "<not found>";
    const long n = std::strtol(t.c_str(), nullptr, 10);
    std::string digits = std::to_string(n < 0 ? -n : n);
    while (digits.size() < 4) digits.insert(digits.begin(), '0');
    return n < 0 ? "-" + digits : digits;
}

std::string versionKey(const std::string& version) {
    return std::string(kSuiteKey) + "\\" + trimmed(version);
}

}  // namespace

std::string ZOR_TTY(int32_t selector) {
    const std::string version = readValue(HKEY_LOCAL_MACHINE, kSuiteKey, "Version", 10);
    switch (selector) {
        case 0:
            return trimmed(version) + " - " +
                   trimmed(readValue(HKEY_LOCAL_MACHINE, kSuiteKey, "InstallType", 20));
        case 1:
            return terminalText(readValue(HKEY_LOCAL_MACHINE, kCobolKey, "tty", 20));
        case 2:
            return terminalText(
                readValue(HKEY_LOCAL_MACHINE, versionKey(version), "StationID", 20));
        case 3:
            return terminalText(readValue(HKEY_CURRENT_USER, kUserKey, "TTY", 20));
        case -3: {
            const std::string tty = terminalText(readValue(HKEY_CURRENT_USER, kUserKey, "TTY", 20));
            Registry reg(HKEY_LOCAL_MACHINE);
            // A station number that cannot be stored is asked for again next time.
            if (reg.openKey(versionKey(version))) (void)reg.writeValue("StationID", tty);
            return tty;
        }
        default:
            return {};
    }
}

int32_t terminalNumber() {
    for (int32_t selector : {3, 2, 1}) {
        const std::string t = ZOR_TTY(selector);
        const long n = std::strtol(t.c_str(), nullptr, 10);  // "<not found>" gives 0
        if (n != 0) return static_cast<int32_t>(n);
    }
    return 0;
}

}  // namespace corelib
