// bankrec-cli: the program's procedures without windows, for scripting and batch runs.
//   bankrec-cli Division=N DataPath=DIR [Server=.. UserID=.. Password=.. TVUser=..] COMMAND ...
// The conventions every command follows are in command.h; `bankrec-cli --help` lists them.
#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdio>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "cli_session.h"
#include "command.h"
#include "command_line.h"

using namespace cli;

// The application object: a GUI one, without a display, for the commands that draw pages.
static std::unique_ptr<QCoreApplication> makeApplication(int& argc, char** argv, bool paints) {
    if (!paints) return std::make_unique<QCoreApplication>(argc, argv);
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QGuiApplication>(argc, argv);
}

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    auto parsed = parseCommandLine(args, cliCommands());
    if (const UsageError* e = std::get_if<UsageError>(&parsed)) {
        std::fprintf(stderr, "bankrec-cli: %s\n%s\n", e->message.c_str(),
                     usageLine(e->decl).c_str());
        if (!e->decl) std::fprintf(stderr, "bankrec-cli --help lists the commands.\n");
        return static_cast<int>(Exit::Usage);
    }
    const CommandLine& line = std::get<CommandLine>(parsed);
    if (line.help) {
        const std::string text = line.decl ? commandHelp(*line.decl) : helpText(cliCommands());
        std::fputs(text.c_str(), stdout);
        return static_cast<int>(Exit::Done);
    }
    useStoredImport();
    const auto app = makeApplication(argc, argv, line.decl->paints);
    return runCommandLine(line, argv[0]);
}
