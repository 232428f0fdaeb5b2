// bankrec-cli: the program's procedures without windows, for scripting and batch runs.
//   bankrec-cli Division=N DataPath=DIR [Server=.. UserID=.. Password=.. TVUser=..] COMMAND [ARGS]
#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli_session.h"
#include "command.h"

namespace cli {

CliCommand::CliCommand(std::string name, std::string usage, CliHandler handler, bool paints) {
    cliCommands().push_back({std::move(name), std::move(usage), std::move(handler), paints});
}

std::vector<CliCommandEntry>& cliCommands() {
    static std::vector<CliCommandEntry> commands;
    return commands;
}

}  // namespace cli

using namespace cli;

static void usage() {
    std::fprintf(stderr,
                 "usage: bankrec-cli Division=N DataPath=DIR [Server=..] [UserID=..] "
                 "[Password=..] [TVUser=..] [--yes] COMMAND [ARGS]\ncommands:\n");
    for (const auto& c : cliCommands()) std::fprintf(stderr, "  %s\n", c.usage.c_str());
}

// The application object: a GUI one, without a display, for the commands that draw pages.
static std::unique_ptr<QCoreApplication> makeApplication(int& argc, char** argv, bool paints) {
    if (!paints) return std::make_unique<QCoreApplication>(argc, argv);
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QGuiApplication>(argc, argv);
}

int main(int argc, char** argv) {
    CliContext ctx;
    std::vector<std::string> named;
    std::string command;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (command.empty()) {
            if (a == "--yes") {
                ctx.assumeYes = true;
            } else if (a == "--help" || a == "-h") {
                usage();
                return 0;
            } else if (a.find('=') != std::string::npos || a.rfind("/", 0) == 0) {
                named.push_back(a);
            } else {
                command = a;
            }
        } else if (a == "--yes") {
            ctx.assumeYes = true;
        } else {
            ctx.args.push_back(a);
        }
    }
    if (command.empty()) {
        usage();
        return 2;
    }
    useStoredImport();
    for (const auto& c : cliCommands()) {
        if (c.name != command) continue;
        const auto app = makeApplication(argc, argv, c.paints);
        return runCliCommand(ctx, c.handler, argv[0], named);
    }
    std::fprintf(stderr, "bankrec-cli: unknown command \"%s\"\n", command.c_str());
    usage();
    return 2;
}
