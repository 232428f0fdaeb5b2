#pragma once
// Runs one checked command line the way the program starts (bankrec/shell/startup.h): required
// arguments checked (exit 99 with the message), the shared globals and the registry set, the
// data folder made current, the record files named, --wait applied to them. Messages go to
// standard error through the scripted message backend, answered with their default button (or
// the positive one with --yes); a halt ends the process with its exit code.
#include <string>
#include <vector>

#include "command.h"
#include "corelib/message_script.h"

namespace cli {

// The program's exit code for the command line; `program` is argv[0].
int runCommandLine(const CommandLine& line, const std::string& program);

// Whether a message reports a failure rather than asks for a decision: a notice (one button)
// or an offer to try again (Retry). ("Try to save again?" with Yes and No comes after the
// notice of the failed write, which already decides.)
bool reportsFailure(const corelib::RecordedMessage& m);
// The question that stopped a run: a question asking for a decision ("Press OK to confirm
// deletion") answered with neither Yes nor OK, before any message reported a failure. Null
// when the run was not stopped by a question (a failure came first, or none was refused).
const corelib::RecordedMessage* refusingQuestion(
    const std::vector<corelib::RecordedMessage>& messages);

}  // namespace cli
