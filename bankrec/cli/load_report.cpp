#include "load_report.h"

using hostlink::LoadOutcome;

namespace cli {

const char* loadOutcomeName(LoadOutcome outcome) {
    switch (outcome) {
        case LoadOutcome::Completed:
            return "completed";
        case LoadOutcome::Empty:
            return "empty";
        case LoadOutcome::Cancelled:
            return "cancelled";
        case LoadOutcome::Failed:
            return "failed";
        default:
            return "not run";
    }
}

std::optional<Exit> failedSuiteRead(const Command& cmd, LoadOutcome outcome, int32_t handled,
                                    const std::string& what, const std::string& nothingDone) {
    switch (outcome) {
        case LoadOutcome::NotRun:
            return cmd.fail("the record files could not be opened; " + nothingDone);
        case LoadOutcome::Failed:
        case LoadOutcome::Cancelled:
            if (handled == 0)
                return cmd.fail("the suite's " + what + " could not be read; " + nothingDone);
            return cmd.fail("the suite's " + what + " were read only in part; " +
                            std::to_string(handled) + " handled");
        default:
            return std::nullopt;
    }
}

}  // namespace cli
