#include "bankrec/cli/cli_session.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

int runCliCommand(CliContext& ctx, const CliHandler& handler) {
    if (ctx.params.missingRequired()) {
        std::fprintf(stderr, "Missing Division or DataPath arguments in command line:\n");
        return 99;
    }
    if (::chdir(ctx.params.DATAPATH.c_str()) != 0) {
        std::fprintf(stderr, "Error occured while changing directory to %s, Error(%d) %s\n",
                     ctx.params.DATAPATH.c_str(), errno, std::strerror(errno));
        return 1;
    }
    return handler(ctx);
}
