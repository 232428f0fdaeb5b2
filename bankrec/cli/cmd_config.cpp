// bankrec-cli config: the SYcfg settings of the division.
//   config list              every setting as name=value, stored values over the defaults
//   config set NAME VALUE    stores one setting (names without regard to case)
#include <cstdio>
#include <memory>
#include <string>

#include "bankrec/shell/configuration.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/storage.h"
#include "command.h"

using namespace storage;
using namespace shell;

namespace cli {

namespace {

// SYcfg opened (created when missing) in a session of its own, the settings loaded.
struct ConfigFiles {
    explicit ConfigFiles(const CliContext& ctx) : session(storage) {
        storage.nameFiles(ctx.params.DATAPATH, ctx.params.DIVISION);
        error = openFile(session, FileId::SYcfg);
        if (error == Error::None) {
            config.registerDefaults();
            error = config.load(session);
        }
    }
    ~ConfigFiles() {
        if (fileUseCount(storage, FileId::SYcfg) > 0) closeFile(session, FileId::SYcfg);
    }
    Storage storage;
    FileSession session;
    Configuration config;
    Error error = Error::None;
};

int config(CliContext& ctx) {
    const std::string verb = ctx.args.empty() ? std::string() : ctx.args[0];
    if (verb == "list" && ctx.args.size() == 1) {
        ConfigFiles files(ctx);
        if (files.error != Error::None) return 1;
        for (const Configuration::Entry& e : files.config.entries())
            std::printf("%s=%s\n", e.name.c_str(), e.value.c_str());
        return 0;
    }
    if (verb == "set" && ctx.args.size() == 3) {
        ConfigFiles files(ctx);
        if (files.error != Error::None) return 1;
        const auto result = files.config.set(files.session, ctx.args[1], ctx.args[2]);
        return result == Configuration::SetResult::Stored ? 0 : 1;
    }
    std::fprintf(stderr, "usage: bankrec-cli ... config list | config set NAME VALUE\n");
    return 2;
}

CliCommand registration("config", "config list | config set NAME VALUE", config);

}  // namespace

}  // namespace cli
