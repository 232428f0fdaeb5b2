#include "cli_session.h"

#include <memory>

#include "bankrec/shell/startup.h"
#include "corelib/message_script.h"

using namespace corelib;
using namespace shell;

namespace cli {

int runCliCommand(CliContext& ctx, const CliHandler& handler, const std::string& program,
                  const std::vector<std::string>& named) {
    auto messages = std::make_unique<ScriptedMessages>(ScriptedMessages::HaltMode::Exit);
    messages->setEcho(true);
    messages->setAssumeYes(ctx.assumeYes);
    Startup startup(program, named);
    if (const int rc = startup.run(std::move(messages)); rc != 0) return rc;
    ctx.params = startup.params();
    const int rc = handler(ctx);
    startup.finish();
    return rc;
}

}  // namespace cli
