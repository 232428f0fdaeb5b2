#pragma once
// How the commands that load from the suite report the suite's side of a load.
#include <cstdint>
#include <optional>
#include <string>

#include "command.h"
#include "hostlink/hostlink.h"

namespace cli {

// The outcome as --json names it: "completed", "empty", "cancelled", "failed", "not run".
const char* loadOutcomeName(hostlink::LoadOutcome outcome);

// When the suite's list was not read whole (or the record files never opened, NotRun): the
// command's failure, telling `nothingDone` when no entry was handled and how many were handled
// otherwise. `what` names the list ("transactions"). Nullopt when it was read, even empty.
std::optional<Exit> failedSuiteRead(const Command& cmd, hostlink::LoadOutcome outcome,
                                    int32_t handled, const std::string& what,
                                    const std::string& nothingDone);

}  // namespace cli
