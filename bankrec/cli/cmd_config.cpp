// bankrec-cli config: the SYcfg settings of the division.
//   config list              every setting as name=value, stored values over the defaults
//   config set NAME VALUE    stores one setting (names without regard to case)
#include <cstdio>
#include <string>

#include "bankrec/shell/configuration.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "command.h"
#include "json_output.h"

using namespace storage;
using namespace shell;

namespace cli {

namespace {

// SYcfg open in a session of its own and the settings read, as the frame reads them.
struct Settings {
    explicit Settings(Command& cmd) : session(cmd.storage()), file(session, {FileId::SYcfg}) {
        config.registerDefaults();
        read = file.error() == Error::None && config.load(session) == Error::None;
    }
    FileSession session;
    FileUse file;
    Configuration config;
    bool read = false;
};

Exit list(Command& cmd) {
    Settings s(cmd);
    if (!s.read) return cmd.fail("the settings could not be read");
    const Configuration& config = s.config;
    QJsonArray settings;
    for (const Configuration::Entry& e : config.entries()) {
        if (cmd.json())
            settings.append(QJsonObject{{"name", jsonText(e.name)}, {"value", jsonText(e.value)}});
        else
            std::printf("%s=%s\n", e.name.c_str(), e.value.c_str());
    }
    if (cmd.json()) printJson({{"settings", settings}});
    return Exit::Done;
}

Exit set(Command& cmd) {
    Settings s(cmd);
    if (!s.read) return cmd.fail("the settings could not be read");
    switch (s.config.set(s.session, cmd.text("NAME"), cmd.text("VALUE"))) {
        case Configuration::SetResult::Stored:
            return Exit::Done;
        case Configuration::SetResult::UnknownName:
        case Configuration::SetResult::TooLong:
            // A setting the program does not have, or a value it cannot keep: nothing stored.
            return cmd.usage("nothing stored");
        default:
            return cmd.fail("the setting could not be stored");
    }
}

const CliCommand listCommand({.words = "config list",
                              .json = true,
                              .help = "every setting as name=value, stored values over defaults",
                              .run = list});
const CliCommand setCommand({.words = "config set",
                             .operands = {{"NAME"}, {"VALUE"}},
                             .help = "store one setting (its name without regard to case)",
                             .run = set});

}  // namespace

}  // namespace cli
