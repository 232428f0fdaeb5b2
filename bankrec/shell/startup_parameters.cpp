#include "bankrec/shell/startup_parameters.h"

#include "hostlink/hostlink.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "corelib/text.h"

using namespace corelib;
using namespace hostlink;

namespace shell {

void StartupParameters::parse(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        auto eq = arg.find('=');
        if (eq == std::string::npos) {
            switches.push_back(arg);
            continue;
        }
        const std::string name = text::upper(arg.substr(0, eq));
        const std::string value = arg.substr(eq + 1);
        if (name == "DIVISION") {
            divisionText_ = text::trimRight(value);
            // The division names the record files: anything but 0 to 99 is refused at start.
            const std::optional<int32_t> n = text::parseLong(value);
            divisionValid_ = n && *n >= 0 && *n <= kMaxDivision;
            DIVISION = divisionValid_ ? *n : 0;
        } else if (name == "DATAPATH") {
            dataPathArg_ = value;
            DATAPATH = value;
        } else if (name == "SERVER") {
            SERVERNAME = value;
        } else if (name == "USERID") {
            USERNAME = value;
        } else if (name == "PASSWORD") {
            USERPW = value;
        } else if (name == "STORE") {
            STORE = value;
            storeGiven = true;
        } else if (name == "TVUSER") {
            USERID = text::parseLong(value).value_or(0);
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
    const std::string n = text::upper(name);
    if (n == "DIVISION") return divisionText();
    if (n == "DATAPATH") return text::trimRight(DATAPATH);
    if (n == "SERVERNAME") return text::trimRight(SERVERNAME);
    if (n == "USERNAME") return text::trimRight(USERNAME);
    if (n == "USERPW") return text::trimRight(USERPW);
    if (n == "USERID") return std::to_string(USERID);
    if (n == "TTY") return std::to_string(TTY);
    return {};
}

bool hasSwitch(const std::vector<std::string>& args, const std::string& sw) {
    const std::string want = text::upper(sw);
    return std::any_of(args.begin(), args.end(),
                       [&](const std::string& a) { return text::upper(a) == want; });
}

INFO connectionGroup(const StartupParameters& params) {
    INFO info;
    info.DIVISION = params.DIVISION;
    info.DATAPATH = params.DATAPATH;
    info.SERVERNAME = params.SERVERNAME;
    info.USERNAME = params.USERNAME;
    info.USERPW = params.USERPW;
    info.USERID = params.USERID;
    info.TTY = params.TTY;
    return info;
}

}  // namespace shell
