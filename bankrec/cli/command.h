#pragma once
// Sub-commands of bankrec-cli. Each module registers its commands with a static CliCommand;
// main() parses the named arguments and dispatches on the first plain argument.
#include <functional>
#include <string>
#include <vector>

#include "bankrec/shell/startup_parameters.h"

namespace cli {

struct CliContext {
    shell::StartupParameters params;
    std::vector<std::string> args;  // the sub-command's own arguments, after its name
    bool assumeYes = false;         // --yes: questions are answered with their positive button
};

using CliHandler = std::function<int(CliContext&)>;

struct CliCommand {
    // `paints`: the command draws pages (fonts need the GUI application object, without a
    // display).
    CliCommand(std::string name, std::string usage, CliHandler handler, bool paints = false);
};

struct CliCommandEntry {
    std::string name;
    std::string usage;
    CliHandler handler;
    bool paints = false;
};
std::vector<CliCommandEntry>& cliCommands();

// Makes the worksheet's "&Import" the import with the division's stored settings, without
// windows (cmd_rec_import.cpp); main() calls it when the program starts.
void useStoredImport();

}  // namespace cli
