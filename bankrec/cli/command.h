#pragma once
// The commands of bankrec-cli and the conventions every command follows, so that a script can
// rely on them whatever it runs.
//
//  1. A command is one CliCommand registration in its cmd_*.cpp: the words that name it
//     ("activity delete"), its operands and options with the kind of value each takes, whether
//     it reports something (--json), a help line, and run(). Nothing else is needed to appear
//     in --help and to be dispatched.
//  2. Everything declared is checked before start-up: an unknown command or option, a missing
//     or extra operand, a number that is not a whole number in its range, an on/off that is
//     neither, a date that is not YYYY-MM-DD, an amount that is not money, a word not among
//     its choices, a text longer than its field, a required option left out, an unknown
//     Name=value start-up argument: exit 2 with the usage line, nothing done. run() then
//     reads values already checked: cmd.text("BANK"), cmd.number("ID"), cmd.texts("REF"),
//     cmd.option("--key"), cmd.onOff("--interest"), cmd.dateOption("--from"),
//     cmd.amountOption("--ending-balance"), cmd.choiceOption("--include"), cmd.flag("--x").
//  3. Exit codes (enum Exit) are the same for every command: 0 Done; 1 Failed (nothing or only
//     part done, standard error says which); 2 Usage; 3 Refused (a question was left
//     unanswered for want of --yes); 99 MissingArguments (Division or DataPath missing or
//     unusable, as the windowed program). run() returns Done, Failed, or cmd.usage(text) for
//     a value only it can judge (a record file's or a setting's name). A Failed whose first
//     setback was a question asking for a decision (not one reporting a failure), answered by
//     its default for want of --yes, becomes Refused by itself; 99 comes from start-up. A record
//     the command line names that does not exist (a bank, an ID) is Failed.
//  4. Results go to standard output and nothing else does: printf or printJson. Every message
//     goes to standard error: the procedures' messages do by themselves (the message service
//     writes them there), the command's own through cmd.fail(text) (returns Exit::Failed) and
//     cmd.note(text).
//  5. A command learns what a procedure did from its typed result (load counts and their
//     LoadOutcome, DeleteResult, ChangeResult, Configuration::SetResult, GlobalResponse), never
//     from message texts. A load whose suite could not be read, or with failed rows, is Failed.
//  6. --json (commands declared json = true): exactly one JSON document through printJson;
//     amounts as strings with two decimals (jsonMoney), dates as "YYYY-MM-DD" or null
//     (jsonDate), counts and identifiers as numbers. The text form stays the default.
//  7. Record files are reached only through cmd.storage() (named for the division, with the
//     --wait least wait applied): a FileSession on it, files opened through the file services.
//     A record held by another station is waited for as described, then the procedure's
//     warning appears and the command fails; --wait SECONDS lengthens every such wait.
//  8. The password (params().USERPW) is never printed.
//  9. Shared pieces: findBank (bank_lookup.h) reads a BANK operand (a name, else a BankID);
//     loadOutcomeName and failedSuiteRead (load_report.h) report the suite's side of a load;
//     tests/cli_run.h runs the program on a demo suite as a script does.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bankrec/shell/startup_parameters.h"
#include "corelib/decimal.h"

namespace storage {
class Storage;
}  // namespace storage

namespace cli {

// Exit codes of every command.
enum class Exit : int {
    Done = 0,
    Failed = 1,
    Usage = 2,
    Refused = 3,
    MissingArguments = 99,
};

// What value an option or operand takes.
enum class ValueKind {
    Flag,    // an option without a value
    Text,    // any text
    Number,  // a whole number from min to max (corelib::text::parseLong)
    OnOff,   // on|off, yes|no, 1|0
    Date,    // YYYY-MM-DD, a real date
    Amount,  // money as typed ("1,234.56", "-12.5"), within DECIMAL(15,2)
    Choice,  // one of the words of `value`, "all|checks|deposits" (without regard to case)
};

struct Option {
    std::string name{};  // "--key"
    ValueKind kind = ValueKind::Flag;
    std::string value{};  // the value's name in the usage line ("KEY"); a Choice's words
    std::string help{};
    int32_t min = 0;  // Number
    int32_t max = INT32_MAX;
    int maxBytes = 0;       // Text: the longest value the field it fills keeps (0: any length)
    bool many = false;      // may be given more than once (cmd.optionValues)
    bool required = false;  // must be given
};

struct Operand {
    std::string name{};  // "BANK", as cmd.text("BANK") asks for it
    ValueKind kind = ValueKind::Text;
    int32_t min = 1;  // Number
    int32_t max = INT32_MAX;
    int maxBytes = 0;   // Text: as for options
    bool many = false;  // the last operand only: it and every further one, none or more
};

class Command;

struct CommandDecl {
    std::string words{};              // "activity delete"
    std::vector<Operand> operands{};  // each required, in this order
    std::vector<Option> options{};    // beside --yes, --wait and (json) --json
    bool json = false;                // reports something: takes --json
    bool paints = false;              // draws pages (fonts need a GUI application, no display)
    std::string help{};               // one line for --help
    std::function<Exit(Command&)> run{};

    // "activity delete ID [--yes] [--wait SECONDS]" and so on.
    std::string usage() const;
};

// Registers a command from a static object of its cmd_*.cpp.
struct CliCommand {
    explicit CliCommand(CommandDecl decl);
};
// Every registered command, in registration order.
const std::vector<CommandDecl>& cliCommands();

// The checked values of one command line.
struct CommandLine {
    std::vector<std::string> startup;  // Name=value arguments and /switches, for start-up
    const CommandDecl* decl = nullptr;
    std::vector<std::string> operands;                         // in the declared order
    std::vector<std::pair<std::string, std::string>> options;  // as given, in order
    bool yes = false;
    bool json = false;
    bool help = false;  // --help: print the usage instead of running
    int waitSeconds = 0;
};

// One run of a command: the checked values, the start-up parameters and the record files.
class Command {
  public:
    Command(const CommandLine& line, const shell::StartupParameters& params,
            storage::Storage& storage);

    const CommandDecl& decl() const { return *line_.decl; }
    // The start-up parameters as start-up left them (the data folder in its long form).
    const shell::StartupParameters& params() const { return params_; }
    // The division's record files, --wait applied.
    storage::Storage& storage() { return storage_; }

    // Operands by name; texts() gives every value of a `many` operand.
    const std::string& text(std::string_view operand) const;
    int32_t number(std::string_view operand) const;
    std::vector<std::string> texts(std::string_view operand) const;
    // Options by name; nullopt (false for flags) when not given. A Date as its day number, an
    // Amount as money, a Choice as the word given in lower case.
    std::optional<std::string> option(std::string_view name) const;
    std::optional<int32_t> numberOption(std::string_view name) const;
    std::optional<bool> onOff(std::string_view name) const;
    std::optional<int32_t> dateOption(std::string_view name) const;
    std::optional<corelib::Decimal> amountOption(std::string_view name) const;
    std::optional<std::string> choiceOption(std::string_view name) const;
    bool flag(std::string_view name) const;
    // Every value of an option that may be given more than once, in order.
    std::vector<std::string> optionValues(std::string_view name) const;
    // The options given, in command-line order.
    const std::vector<std::pair<std::string, std::string>>& options() const {
        return line_.options;
    }
    bool json() const { return line_.json; }
    bool yes() const { return line_.yes; }

    // "bankrec-cli WORDS: text" on standard error; fail() returns Exit::Failed, usage() adds
    // the command's usage line and returns Exit::Usage.
    Exit fail(const std::string& text) const;
    Exit usage(const std::string& text) const;
    void note(const std::string& text) const;

  private:
    const CommandLine& line_;
    const shell::StartupParameters& params_;
    storage::Storage& storage_;
};

// "on", "yes", "1" give true, "off", "no", "0" false (without regard to case); else nullopt.
std::optional<bool> parseOnOff(std::string_view text);
// "2026-03-31" as its day number; nullopt when it is not YYYY-MM-DD or not a real date.
std::optional<int32_t> parseIsoDate(std::string_view text);
// Money as typed ("1,234.56", "-12.5", "(3.00)"); nullopt when it is not an amount that a
// DECIMAL(15,2) field holds.
std::optional<corelib::Decimal> parseAmount(std::string_view text);

// A file named on the command line: a relative path means a file where the command was started
// (the program makes the data folder current before a command runs).
std::string startedPath(const std::string& path);

// Makes the worksheet's "&Import" the import with the division's stored settings, without
// windows (cmd_rec_import.cpp); main() calls it when the program starts.
void useStoredImport();

}  // namespace cli
