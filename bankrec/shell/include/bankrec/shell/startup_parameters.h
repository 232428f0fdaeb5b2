#pragma once
// The start-up parameters: what the command line says about division, data folder and the
// suite's SQL server, plus the terminal number. Built once before anything else.
#include <cstdint>
#include <string>
#include <vector>

namespace hostlink {
struct INFO;
}  // namespace hostlink

namespace shell {

struct StartupParameters {
    int32_t DIVISION = 0;
    std::string DATAPATH;
    std::string SERVERNAME;
    std::string USERNAME;
    std::string USERPW;
    int32_t USERID = 0;
    int32_t TTY = 0;
    // Where the record files are kept: "postgresql://HOST[:PORT]/DATABASE", or empty for the
    // SQLite files of the data folder. storeGiven: the argument was on the command line (an
    // empty one chooses the data folder over the registry's store).
    std::string STORE;
    bool storeGiven = false;

    // Fills the fields from named arguments "Name=value" (names without regard to case);
    // other arguments (switches such as /Debug) are kept in `switches`.
    void parse(const std::vector<std::string>& args);
    // The highest division: its two digits name the record files.
    static constexpr int32_t kMaxDivision = 99;

    // True when the Division or DataPath argument was missing or empty, or the Division is not
    // a number from 0 to 99.
    bool missingRequired() const {
        return divisionText_.empty() || !divisionValid_ || dataPathArg_.empty();
    }
    // A parameter by name (without regard to case) as text: DIVISION as two digits,
    // the texts without trailing blanks, USERID and TTY as numbers. Unknown names give "".
    std::string get(const std::string& name) const;
    // The division as two digits with a leading zero ("07").
    std::string divisionText() const;

    std::vector<std::string> switches;  // arguments that were not Name=value

  private:
    std::string divisionText_;
    bool divisionValid_ = false;
    std::string dataPathArg_;
};

// True when the command line carried the switch (e.g. "/Debug", "/Mesdbg"), without regard to case.
bool hasSwitch(const std::vector<std::string>& args, const std::string& sw);

// The suite connection group the host link operations read: division, data path, server,
// user, password, user number and terminal, as the start-up parameters hold them.
hostlink::INFO connectionGroup(const StartupParameters& params);

}  // namespace shell
