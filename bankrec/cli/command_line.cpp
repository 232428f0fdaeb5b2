#include "command_line.h"

#include <algorithm>
#include <cstddef>
#include <optional>

#include "bankrec/storage/storage.h"
#include "corelib/text.h"

using namespace corelib;

namespace cli {

namespace {

// The start-up arguments the program reads, as it names them.
constexpr const char* kStartupNames[] = {"Division", "DataPath", "Server", "UserID",
                                         "Password", "TVUser",   "Store"};
constexpr const char* kSwitches[] = {"/Debug", "/Mesdbg"};

const Option kYes{"--yes", ValueKind::Flag, "",
                  "answer every question with Yes, OK or Retry (without it: the default)"};
const Option kWait{"--wait",  ValueKind::Number,
                   "SECONDS", "wait at least this long for a record file held by another station",
                   0,         kMaxWaitSeconds};
const Option kJson{"--json", ValueKind::Flag, "",
                   "the result as one JSON document (commands that report something)"};
const Option kHelp{"--help", ValueKind::Flag, "", "this help"};

// The words of `words`, separated by blanks or (a Choice's) bars.
std::vector<std::string> splitWords(const std::string& words) {
    std::vector<std::string> out;
    size_t at = 0;
    while (at < words.size()) {
        const size_t end = std::min(words.find_first_of(" |", at), words.size());
        if (end > at) out.push_back(words.substr(at, end - at));
        at = end + 1;
    }
    return out;
}

std::string knownStartupArguments() {
    std::string list;
    for (const char* n : kStartupNames) list += std::string(list.empty() ? "" : " ") + n + "=";
    for (const char* s : kSwitches) list += std::string(" ") + s;
    return list;
}

// Why a value does not fit its kind; empty when it does.
std::string valueProblem(ValueKind kind, const std::string& value, int32_t min, int32_t max,
                         int maxBytes, const std::string& choices = {}) {
    switch (kind) {
        case ValueKind::Number: {
            const std::optional<int32_t> n = text::parseLong(value);
            if (!n || *n < min || *n > max)
                return "a whole number from " + std::to_string(min) + " to " + std::to_string(max);
            return {};
        }
        case ValueKind::OnOff:
            return parseOnOff(value) ? std::string() : "on or off";
        case ValueKind::Date:
            return parseIsoDate(value) ? std::string() : "a date YYYY-MM-DD";
        case ValueKind::Amount:
            return parseAmount(value) ? std::string() : "an amount such as 1234.56";
        case ValueKind::Choice:
            for (const std::string& word : splitWords(choices))
                if (text::equalNoCase(word, value)) return {};
            return "one of " + choices;
        case ValueKind::Text:
            if (maxBytes > 0 && value.size() > static_cast<size_t>(maxBytes))
                return "at most " + std::to_string(maxBytes) + " bytes";
            return {};
        default:
            return {};
    }
}

// The options a command takes, the common ones included.
std::vector<const Option*> optionsOf(const CommandDecl& decl) {
    std::vector<const Option*> all;
    for (const Option& o : decl.options) all.push_back(&o);
    all.push_back(&kYes);
    all.push_back(&kWait);
    if (decl.json) all.push_back(&kJson);
    all.push_back(&kHelp);
    return all;
}

const Option* commonOption(const std::string& name) {
    for (const Option* o : {&kYes, &kWait, &kJson, &kHelp})
        if (o->name == name) return o;
    return nullptr;
}

class Parser {
  public:
    Parser(const std::vector<std::string>& args, const std::vector<CommandDecl>& commands)
        : args_(args), commands_(commands) {}

    std::variant<CommandLine, UsageError> parse() {
        size_t i = 0;
        // Start-up arguments, and common options before the command.
        for (; i < args_.size(); ++i) {
            const std::string& a = args_[i];
            if (isOption(a)) {
                if (!takeOption(i, nullptr)) return error_;
            } else if (a.find('=') != std::string::npos || a.rfind('/', 0) == 0) {
                if (!takeStartup(a)) return error_;
            } else {
                break;
            }
        }
        if (i == args_.size()) {
            if (line_.help) return line_;
            return UsageError{"no command given", nullptr};
        }
        if (!findCommand(i)) return error_;
        if (!line_.decl) return line_;  // help for a group of commands
        // Operands and options of the command.
        bool optionsEnded = false;
        std::vector<std::string> operands;
        for (; i < args_.size(); ++i) {
            const std::string& a = args_[i];
            if (!optionsEnded && a == "--") {
                optionsEnded = true;
            } else if (!optionsEnded && isOption(a)) {
                if (!takeOption(i, line_.decl)) return error_;
            } else {
                operands.push_back(a);
            }
        }
        if (line_.json && !line_.decl->json)
            return UsageError{line_.decl->words + " does not take --json", line_.decl};
        if (line_.help) return line_;
        const std::vector<Operand>& want = line_.decl->operands;
        const bool many = !want.empty() && want.back().many;
        const size_t needed = many ? want.size() - 1 : want.size();
        if (operands.size() < needed)
            return UsageError{want[operands.size()].name + " missing", line_.decl};
        if (!many && operands.size() > want.size())
            return UsageError{"unexpected argument \"" + operands[want.size()] + "\"", line_.decl};
        for (size_t k = 0; k < operands.size(); ++k) {
            const Operand& o = want[std::min(k, want.size() - 1)];
            const std::string problem = valueProblem(o.kind, operands[k], o.min, o.max, o.maxBytes);
            if (!problem.empty())
                return UsageError{o.name + " must be " + problem + ", not \"" + operands[k] + "\"",
                                  line_.decl};
        }
        for (const Option& o : line_.decl->options) {
            const bool given = std::any_of(line_.options.begin(), line_.options.end(),
                                           [&](const auto& g) { return g.first == o.name; });
            if (o.required && !given) return UsageError{o.name + " missing", line_.decl};
        }
        line_.operands = std::move(operands);
        return line_;
    }

  private:
    static bool isOption(const std::string& a) { return a.size() > 2 && a.rfind("--", 0) == 0; }

    bool fail(std::string message, const CommandDecl* decl) {
        error_ = UsageError{std::move(message), decl};
        return false;
    }

    bool takeStartup(const std::string& a) {
        const size_t eq = a.find('=');
        if (eq == std::string::npos) {
            for (const char* s : kSwitches)
                if (text::equalNoCase(a, s)) {
                    line_.startup.push_back(a);
                    return true;
                }
            return fail("unknown switch \"" + a + "\"; known: " + knownStartupArguments(), nullptr);
        }
        // Only the name is repeated back: a misspelt Password= must not show its value.
        const std::string name = a.substr(0, eq);
        const char* const* known =
            std::find_if(std::begin(kStartupNames), std::end(kStartupNames),
                         [&](const char* n) { return text::equalNoCase(name, n); });
        if (known == std::end(kStartupNames))
            return fail(
                "unknown start-up argument \"" + name + "=\"; known: " + knownStartupArguments(),
                nullptr);
        if (text::equalNoCase(name, "TVUser") && !text::parseLong(a.substr(eq + 1)))
            return fail("TVUser must be a whole number, not \"" + a.substr(eq + 1) + "\"", nullptr);
        // The value is not repeated back: an address may carry a user and password.
        const std::string value = a.substr(eq + 1);
        const size_t first = value.find_first_not_of(" \t");
        const std::string store =
            first == std::string::npos
                ? std::string()
                : value.substr(first, value.find_last_not_of(" \t") + 1 - first);
        if (text::equalNoCase(name, "Store") && !store.empty() && !storage::isServerAddress(store))
            return fail(
                "Store must read postgresql://HOST[:PORT]/DATABASE (the user and password as "
                "UserID= and Password=), or be empty for the record files of the data folder",
                nullptr);
        line_.startup.push_back(a);
        return true;
    }

    // The command whose words start at args_[i] (the longest match); i moves past them.
    bool findCommand(size_t& i) {
        const CommandDecl* best = nullptr;
        size_t bestWords = 0;
        bool groupKnown = false;
        std::vector<std::string> siblings;
        for (const CommandDecl& c : commands_) {
            const std::vector<std::string> words = splitWords(c.words);
            if (words.empty() || words[0] != args_[i]) continue;
            groupKnown = true;
            if (words.size() > 1) siblings.push_back(words[1]);
            size_t k = 0;
            while (k < words.size() && i + k < args_.size() && words[k] == args_[i + k]) ++k;
            if (k == words.size() && k > bestWords) {
                best = &c;
                bestWords = k;
            }
        }
        if (best) {
            line_.decl = best;
            i += bestWords;
            return true;
        }
        if (!groupKnown) return fail("unknown command \"" + args_[i] + "\"", nullptr);
        std::string list;
        for (const std::string& s : siblings) list += (list.empty() ? "" : ", ") + s;
        if (i + 1 < args_.size() && !isOption(args_[i + 1]))
            return fail(
                args_[i] + ": unknown sub-command \"" + args_[i + 1] + "\"; one of: " + list,
                nullptr);
        if (i + 1 < args_.size() && args_[i + 1] == "--help") {
            line_.help = true;  // "activity --help": the whole help
            i = args_.size();
            return true;
        }
        return fail(args_[i] + ": which one? " + list, nullptr);
    }

    // The option at args_[i] (with its value, which may move i on), for `decl` or, before the
    // command, one of the common options.
    bool takeOption(size_t& i, const CommandDecl* decl) {
        const std::string& a = args_[i];
        const size_t eq = a.find('=');
        const std::string name = a.substr(0, eq);
        std::optional<std::string> joined;
        if (eq != std::string::npos) joined = a.substr(eq + 1);

        if (decl && name == kJson.name && !decl->json)
            return fail(decl->words + " does not take --json", decl);
        const Option* option = nullptr;
        if (decl) {
            for (const Option* o : optionsOf(*decl))
                if (o->name == name) option = o;
        } else {
            option = commonOption(name);
        }
        if (!option) {
            std::string known;
            if (decl)
                for (const Option* o : optionsOf(*decl)) known += " " + o->name;
            return fail("unknown option " + name +
                            (decl ? "; " + decl->words + " takes:" + known : std::string()),
                        decl);
        }
        std::string value;
        if (option->kind == ValueKind::Flag) {
            if (joined) return fail(name + " takes no value", decl);
        } else if (joined) {
            value = *joined;
        } else if (i + 1 < args_.size()) {
            value = args_[++i];
        } else {
            return fail(name + " needs " + option->value, decl);
        }
        const std::string problem = valueProblem(option->kind, value, option->min, option->max,
                                                 option->maxBytes, option->value);
        if (!problem.empty())
            return fail(name + " takes " + problem + ", not \"" + value + "\"", decl);

        if (option == &kYes) {
            line_.yes = true;
        } else if (option == &kJson) {
            line_.json = true;
        } else if (option == &kHelp) {
            line_.help = true;
        } else if (option == &kWait) {
            line_.waitSeconds = *text::parseLong(value);
        } else {
            for (const auto& given : line_.options)
                if (given.first == name && !option->many) return fail(name + " given twice", decl);
            line_.options.emplace_back(name, value);
        }
        return true;
    }

    const std::vector<std::string>& args_;
    const std::vector<CommandDecl>& commands_;
    CommandLine line_;
    UsageError error_;
};

}  // namespace

std::variant<CommandLine, UsageError> parseCommandLine(const std::vector<std::string>& args,
                                                       const std::vector<CommandDecl>& commands) {
    return Parser(args, commands).parse();
}

std::string usageLine(const CommandDecl* decl) {
    std::string line =
        "usage: bankrec-cli Division=N DataPath=DIR [Server=..] [UserID=..] "
        "[Password=..] [TVUser=N] [Store=postgresql://HOST[:PORT]/DATABASE] [/Debug] [/Mesdbg] ";
    return line + (decl ? decl->usage() : std::string("COMMAND ...")) + " [--yes] [--wait SECONDS]";
}

std::string commandHelp(const CommandDecl& decl) {
    std::string out = "  " + decl.usage() + "\n      " + decl.help + "\n";
    for (const Option& o : decl.options) {
        std::string head = o.name + (o.kind == ValueKind::Flag ? "" : " " + o.value);
        out += "      " + head + std::string(head.size() < 24 ? 24 - head.size() : 1, ' ') +
               o.help + "\n";
    }
    return out;
}

std::string helpText(const std::vector<CommandDecl>& commands) {
    std::string out =
        "bankrec-cli: the program's procedures without windows, for scripts and scheduled "
        "runs.\n\n" +
        usageLine(nullptr) +
        "\n\nStart-up arguments (as the program): Division (0 to 99) and DataPath are required;\n"
        "Server, UserID, Password and TVUser reach the suite; Store keeps the record files on a\n"
        "PostgreSQL server (signing in as UserID with Password), remembered like DataPath.\n"
        "Names without regard to case.\n\n"
        "Commands:\n";
    for (const CommandDecl& c : commands) out += commandHelp(c);
    out += "\nOptions of every command:\n";
    for (const Option* o : {&kYes, &kWait, &kJson, &kHelp}) {
        std::string head = o->name + (o->kind == ValueKind::Flag ? "" : " " + o->value);
        out += "  " + head + std::string(24 - head.size(), ' ') + o->help + "\n";
    }
    out +=
        "\nResults go to standard output, every message and warning to standard error.\n"
        "\nExit codes:\n"
        "  0   done\n"
        "  1   failed: nothing or only part done (standard error says which)\n"
        "  2   wrong usage: unknown command, option or value; nothing done\n"
        "  3   stopped by a question answered No or left unanswered without --yes\n"
        "  99  Division or DataPath missing, or Division not a number from 0 to 99, or the\n"
        "      remembered Store not a PostgreSQL address\n";
    return out;
}

}  // namespace cli
