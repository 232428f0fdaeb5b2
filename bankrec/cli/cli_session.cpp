#include "cli_session.h"

#include <memory>

#include "bankrec/shell/startup.h"
#include "bankrec/storage/storage.h"
#include "corelib/globals.h"
#include "corelib/message.h"

using namespace corelib;
using namespace shell;

namespace cli {

bool reportsFailure(const RecordedMessage& m) {
    return !ScriptedMessages::isQuestion(m.buttons) || (m.buttons & msg::Retry);
}

const RecordedMessage* refusingQuestion(const std::vector<RecordedMessage>& messages) {
    for (const RecordedMessage& m : messages) {
        if (reportsFailure(m)) return nullptr;
        if (!(m.answer & (msg::Yes | msg::OK))) return &m;
    }
    return nullptr;
}

int runCommandLine(const CommandLine& line, const std::string& program) {
    auto backend = std::make_unique<ScriptedMessages>(ScriptedMessages::HaltMode::Exit);
    backend->setEcho(true);
    backend->setAssumeYes(line.yes);
    const ScriptedMessages& messages = *backend;  // owned by the message service until finish()
    Startup startup(program, line.startup);
    if (const int rc = startup.run(std::move(backend)); rc != 0) {
        // A Store= given is checked before start-up (2); a remembered one that is no server
        // address is an unusable start-up argument, as a DataPath that cannot be reached.
        return rc == kExitBadStore ? static_cast<int>(Exit::MissingArguments) : rc;
    }
    startup.storage().setLeastWaitSeconds(line.waitSeconds);
    glo_UserID = startup.params().USERID;

    Command command(line, startup.params(), startup.storage());
    Exit exit = line.decl->run(command);
    if (exit == Exit::Failed) {
        if (const RecordedMessage* q = refusingQuestion(messages.messages())) {
            command.note("stopped at the question \"" +
                         (q->caption.empty() ? q->text : q->caption) +
                         "\"; --yes answers such questions with Yes, OK or Retry");
            exit = Exit::Refused;
        }
    }
    startup.finish();
    return static_cast<int>(exit);
}

}  // namespace cli
