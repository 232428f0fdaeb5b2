#include "bankrec/shell/startup_parameters.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace {
std::string upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
    return s;
}
std::string trimRight(std::string s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.pop_back();
    return s;
}
int32_t toLong(const std::string& s) {
    return static_cast<int32_t>(std::strtol(s.c_str(), nullptr, 10));
}
}  // namespace

void StartupParameters::parse(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        auto eq = arg.find('=');
        if (eq == std::string::npos) {
            switches.push_back(arg);
            continue;
        }
        const std::string name = upper(arg.substr(0, eq));
        const std::string value = arg.substr(eq + 1);
        if (name == "DIVISION") {
            divisionText_ = trimRight(value);
            DIVISION = toLong(value);
        } else if (name == "DATAPATH") {
            dataPathArg_ = value;
            DATAPATH = value;
        } else if (name == "SERVER") {
            SERVERNAME = value;
        } else if (name == "USERID") {
            USERNAME = value;
        } else if (name == "PASSWORD") {
            USERPW = value;
        } else if (name == "TVUSER") {
            USERID = toLong(value);
        } else {
            switches.push_back(arg);
        }
    }
}

std::string StartupParameters::divisionText() const {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", DIVISION);
    return buf;
}

std::string StartupParameters::get(const std::string& name) const {
    const std::string n = upper(name);
    if (n == "DIVISION") return divisionText();
    if (n == "DATAPATH") return trimRight(DATAPATH);
    if (n == "SERVERNAME") return trimRight(SERVERNAME);
    if (n == "USERNAME") return trimRight(USERNAME);
    if (n == "USERPW") return trimRight(USERPW);
    if (n == "USERID") return std::to_string(USERID);
    if (n == "TTY") return std::to_string(TTY);
    return {};
}

bool hasSwitch(const std::vector<std::string>& args, const std::string& sw) {
    const std::string want = upper(sw);
    return std::any_of(args.begin(), args.end(),
                       [&](const std::string& a) { return upper(a) == want; });
}
