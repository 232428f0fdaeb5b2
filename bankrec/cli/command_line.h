#pragma once
// Reading bankrec-cli's command line against the registered commands, and the help text.
//
//   bankrec-cli Name=value... [/Debug] [/Mesdbg] WORDS [OPERANDS] [OPTIONS]
//
// Start-up arguments come first (names without regard to case); the command's words follow;
// its operands and options may be mixed after them. --yes, --wait SECONDS, --json and --help
// may stand anywhere after the start-up arguments. An option's value follows it ("--key K")
// or is joined to it ("--key=K"); "--" ends the options.
#include <string>
#include <variant>
#include <vector>

#include "command.h"

namespace cli {

// A command line that cannot run: the text says why; `decl` is the command it was meant for,
// whose usage line is shown with it (null when no command was recognised).
struct UsageError {
    std::string message;
    const CommandDecl* decl = nullptr;
};

// The longest --wait accepted, in seconds (a day).
inline constexpr int kMaxWaitSeconds = 86400;

// Checks `args` (the arguments after the program's name) against `commands`: the start-up
// arguments' names, the command's words, its operands and options with their values. A bare
// --help gives a CommandLine with help set and no decl.
std::variant<CommandLine, UsageError> parseCommandLine(const std::vector<std::string>& args,
                                                       const std::vector<CommandDecl>& commands);

// The whole help: the start-up arguments, every command, the common options, the exit codes.
std::string helpText(const std::vector<CommandDecl>& commands);
// One command's help: its usage line, help line and options.
std::string commandHelp(const CommandDecl& decl);
// The line every usage error ends with.
std::string usageLine(const CommandDecl* decl);

}  // namespace cli
