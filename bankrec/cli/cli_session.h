#pragma once
// Runs one sub-command the way the program starts (bankrec/shell/startup.h): required
// arguments checked (exit 99 with the message), the shared globals and the registry set, the
// data folder made current. Messages go to standard error through the scripted message
// backend, answered with their default button (or the positive one with --yes); a halt ends
// the process with its exit code. ctx.params then holds the parameters as start-up left them
// (the data folder in its long form, the terminal number).
#include <string>
#include <vector>

#include "command.h"

namespace cli {

// `program` is argv[0]; `named` the command line's named arguments and switches.
int runCliCommand(CliContext& ctx, const CliHandler& handler, const std::string& program,
                  const std::vector<std::string>& named);

}  // namespace cli
