#include "command.h"

#include <cstddef>
#include <cstdio>
#include <filesystem>

#include "corelib/daytime.h"
#include "corelib/picture.h"
#include "corelib/text.h"

using namespace corelib;

namespace cli {

namespace {

std::vector<CommandDecl>& registry() {
    static std::vector<CommandDecl> commands;
    return commands;
}

size_t operandIndex(const CommandDecl& decl, std::string_view name) {
    for (size_t i = 0; i < decl.operands.size(); ++i)
        if (decl.operands[i].name == name) return i;
    return decl.operands.size();
}

// The folder the command was started in, read before main() makes the data folder current.
const std::filesystem::path startFolder = [] {
    std::error_code ec;
    return std::filesystem::current_path(ec);
}();

}  // namespace

std::string CommandDecl::usage() const {
    std::string line = words;
    for (const Operand& o : operands) line += " " + o.name + (o.many ? "..." : "");
    for (const Option& o : options) {
        line += o.required ? " " : " [";
        line += o.name;
        if (o.kind != ValueKind::Flag) line += " " + o.value;
        line += o.required ? "" : "]";
        if (o.many) line += "...";
    }
    if (json) line += " [--json]";
    return line;
}

CliCommand::CliCommand(CommandDecl decl) {
    registry().push_back(std::move(decl));
}

const std::vector<CommandDecl>& cliCommands() {
    return registry();
}

Command::Command(const CommandLine& line, const shell::StartupParameters& params,
                 storage::Storage& storage)
    : line_(line), params_(params), storage_(storage) {}

const std::string& Command::text(std::string_view operand) const {
    static const std::string none;
    const size_t i = operandIndex(decl(), operand);
    return i < line_.operands.size() ? line_.operands[i] : none;
}

int32_t Command::number(std::string_view operand) const {
    return text::parseLong(text(operand)).value_or(0);
}

std::vector<std::string> Command::texts(std::string_view operand) const {
    const size_t i = operandIndex(decl(), operand);
    if (i >= line_.operands.size()) return {};
    return {line_.operands.begin() + static_cast<std::ptrdiff_t>(i), line_.operands.end()};
}

std::optional<std::string> Command::option(std::string_view name) const {
    for (const auto& [n, value] : line_.options)
        if (n == name) return value;
    return std::nullopt;
}

std::optional<int32_t> Command::numberOption(std::string_view name) const {
    const std::optional<std::string> value = option(name);
    return value ? text::parseLong(*value) : std::nullopt;
}

std::optional<bool> Command::onOff(std::string_view name) const {
    const std::optional<std::string> value = option(name);
    return value ? parseOnOff(*value) : std::nullopt;
}

std::optional<int32_t> Command::dateOption(std::string_view name) const {
    const std::optional<std::string> value = option(name);
    return value ? parseIsoDate(*value) : std::nullopt;
}

std::optional<Decimal> Command::amountOption(std::string_view name) const {
    const std::optional<std::string> value = option(name);
    return value ? parseAmount(*value) : std::nullopt;
}

std::optional<std::string> Command::choiceOption(std::string_view name) const {
    const std::optional<std::string> value = option(name);
    return value ? std::optional<std::string>(text::lower(*value)) : std::nullopt;
}

std::vector<std::string> Command::optionValues(std::string_view name) const {
    std::vector<std::string> values;
    for (const auto& [n, value] : line_.options)
        if (n == name) values.push_back(value);
    return values;
}

bool Command::flag(std::string_view name) const {
    return option(name).has_value();
}

Exit Command::fail(const std::string& text) const {
    note(text);
    return Exit::Failed;
}

Exit Command::usage(const std::string& text) const {
    note(text);
    std::fprintf(stderr, "usage: bankrec-cli ... %s\n", decl().usage().c_str());
    return Exit::Usage;
}

void Command::note(const std::string& text) const {
    std::fprintf(stderr, "bankrec-cli %s: %s\n", decl().words.c_str(), text.c_str());
}

std::optional<int32_t> parseIsoDate(std::string_view value) {
    int y = 0, m = 0, d = 0;
    char tail = 0;
    const std::string s(value);
    if (s.size() != 10 || s[4] != '-' || s[7] != '-' ||
        std::sscanf(s.c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &tail) != 3)
        return std::nullopt;
    const int32_t day = daytime::dayNumber(y, m, d);
    if (day == 0) return std::nullopt;
    return day;
}

std::optional<Decimal> parseAmount(std::string_view value) {
    static const picture::Picture money = *picture::Picture::parse("@n-19.2");
    if (text::trimRight(value).empty()) return std::nullopt;
    const std::optional<Decimal> amount = picture::parseNumber(money, std::string(value));
    if (!amount || !amount->inRange()) return std::nullopt;
    return amount;
}

std::string startedPath(const std::string& path) {
    return (startFolder / std::filesystem::path(path)).lexically_normal().string();
}

std::optional<bool> parseOnOff(std::string_view value) {
    for (const char* on : {"on", "yes", "1"})
        if (text::equalNoCase(value, on)) return true;
    for (const char* off : {"off", "no", "0"})
        if (text::equalNoCase(value, off)) return false;
    return std::nullopt;
}

}  // namespace cli
