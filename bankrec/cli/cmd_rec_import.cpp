// bankrec-cli rec import: the bank's list of cleared checks, or its own BAI2 or OFX download,
// marked through the import readers, without windows.
//   rec import BANK (--fixed FILE | --comma FILE | --sheet WORKBOOK[:SHEET] | --bai2 FILE |
//                    --ofx FILE)
//              [--check P] [--amount P] [--cleared P] [--no-amount] [--no-cleared]
//              [--assume-decimal] [--no-assume-decimal] [--first-row N] [--last-row N]
//              [--date-format F] [--account N] [--deposit-days N] [--no-deposits] [--json]
// P is a position range A-B (or one position N) of a fixed-format line, else a field or column
// number N. Giving --amount or --cleared imports that field; what is not given comes from the
// wizard's stored settings (nothing is stored here). A workbook is an .ods or .xlsx file; without
// SHEET its first sheet is read. --date-format is how a fixed line writes the date cleared (a
// bank's paid-items layout). A bank file's checks are found by number (--no-amount: without the
// amount); --account N picks the Nth account of a file that holds several; --deposit-days N
// matches credits to a deposit dated up to N days before posting, --no-deposits leaves them.
// Prints the lines read, marked, already marked, not matched, ambiguous and skipped, then each
// line that matched nothing or more than one row (line number, result, what was looked for, the
// line as read); a bank file's warnings go to standard error. A file that cannot be read or
// lines that could not be written fail the command, with nothing of the run marked.
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "bank_lookup.h"
#include "bankrec/imports/import_exceptions.h"
#include "bankrec/imports/import_windows.h"
#include "bankrec/imports/import_wizard.h"
#include "bankrec/imports/spreadsheet_link.h"
#include "bankrec/reconcile/reconcile_calls.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "command.h"
#include "corelib/text.h"
#include "json_output.h"

using namespace corelib;
using namespace storage;
using namespace imports;

namespace cli {

namespace {

// A position, field or column number: a whole number from 1.
std::optional<int32_t> place(std::string_view s) {
    const std::optional<int32_t> n = text::parseLong(s);
    if (!n || *n < 1) return std::nullopt;
    return n;
}

// Where a field is: positions `first` to `last` of a fixed-format line, else the field or column
// number `first`.
struct Place {
    int32_t first = 0;
    int32_t last = 0;
};

// A field's option: "A-B" or "N" for a fixed-format line, a field or column number otherwise;
// nullopt when the value is none of these.
std::optional<Place> parsePlace(const std::string& value, ImportType type) {
    const size_t dash = type == ImportType::Fixed ? value.find('-') : std::string::npos;
    const std::optional<int32_t> a = place(std::string_view(value).substr(0, dash));
    const std::optional<int32_t> b =
        dash == std::string::npos ? a : place(std::string_view(value).substr(dash + 1));
    if (!a || !b || *a > *b) return std::nullopt;
    return Place{*a, *b};
}

// Puts a field's place into the settings of the import type.
void putPlace(const Place& p, ImportType type, int32_t& start, int32_t& end, int32_t& field,
              int32_t& column) {
    if (type == ImportType::Fixed) {
        start = p.first;
        end = p.last;
    } else {
        (type == ImportType::Comma ? field : column) = p.first;
    }
}

// WORKBOOK[:SHEET]: the whole text when it names a file, else split at its last colon. The
// workbook as a path from where the command was started; none (the spreadsheet open in Calc)
// when it is empty.
void splitWorkbook(const std::string& arg, std::string& file, std::string& sheet) {
    std::error_code ec;
    const size_t colon = arg.rfind(':');
    file = arg;
    sheet.clear();
    if (!std::filesystem::exists(startedPath(arg), ec) && colon != std::string::npos) {
        file = arg.substr(0, colon);
        sheet = arg.substr(colon + 1);
    }
    if (!file.empty()) file = startedPath(file);
}

// The options that belong to some kinds of file only: what is wrong with the first one given
// where it does not belong, else "".
std::string misplacedOption(const Command& cmd, ImportType type) {
    const bool sheet = type == ImportType::Spreadsheet, bank = isBankFile(type);
    const struct {
        const char* option;
        bool belongs;
        const char* says;
    } rules[] = {
        {"--first-row", sheet, "--first-row and --last-row belong to --sheet"},
        {"--last-row", sheet, "--first-row and --last-row belong to --sheet"},
        {"--date-format", type == ImportType::Fixed, "--date-format belongs to --fixed"},
        {"--account", bank, "--account belongs to --bai2 and --ofx"},
        {"--deposit-days", bank, "--deposit-days belongs to --bai2 and --ofx"},
        {"--no-deposits", bank, "--no-deposits belongs to --bai2 and --ofx"},
        {"--check", !bank, "--check is not for a bank file"},
        {"--amount", !bank, "--amount is not for a bank file (--no-amount is)"},
        {"--cleared", !bank, "--cleared is not for a bank file (--no-cleared is)"},
        {"--assume-decimal", !bank, "--assume-decimal is not for a bank file"},
        {"--no-assume-decimal", !bank, "--no-assume-decimal is not for a bank file"},
    };
    for (const auto& r : rules)
        if (!r.belongs && cmd.option(r.option)) return r.says;
    return {};
}

// The counts and each line to look at, as text or JSON.
void printResult(const Command& cmd, const APbnk& bank, const std::string& file,
                 const ImportResult& r) {
    const ImportCounts& c = r.counts;
    if (!cmd.json()) {
        std::printf("%s: %s\n", bank.Bank.c_str(), importCountsText(c).c_str());
        for (const ImportException& e : r.exceptions)
            std::printf("%s, line %lld (%s): %s\n", outcomeName(e.outcome),
                        static_cast<long long>(e.line), e.note.c_str(), e.text.c_str());
        return;
    }
    QJsonArray exceptions;
    for (const ImportException& e : r.exceptions)
        exceptions.append(QJsonObject{
            {"line", static_cast<qint64>(e.line)},
            {"result", e.outcome == MarkOutcome::Ambiguous ? "ambiguous" : "notMatched"},
            {"lookedFor", jsonText(e.note)},
            {"text", jsonText(e.text)}});
    printJson({{"bankId", bank.BankID},
               {"bank", jsonText(bank.Bank)},
               {"file", file.empty() ? QJsonValue() : jsonText(file)},
               {"linesRead", static_cast<qint64>(c.lines)},
               {"marked", static_cast<qint64>(c.marked)},
               {"alreadyMarked", static_cast<qint64>(c.alreadyMarked)},
               {"notMatched", static_cast<qint64>(c.notMatched)},
               {"ambiguous", static_cast<qint64>(c.ambiguous)},
               {"skipped", static_cast<qint64>(c.skipped)},
               {"exceptions", exceptions}});
}

Exit recImport(Command& cmd) {
    // The list to read: exactly one of the five.
    int sources = 0;
    ImportType type = ImportType::Fixed;
    std::string given;
    for (const auto& [option, t] :
         {std::pair{"--fixed", ImportType::Fixed}, std::pair{"--comma", ImportType::Comma},
          std::pair{"--sheet", ImportType::Spreadsheet}, std::pair{"--bai2", ImportType::Bai2},
          std::pair{"--ofx", ImportType::Ofx}})
        if (const std::optional<std::string> v = cmd.option(option)) {
            ++sources;
            type = t;
            given = *v;
        }
    if (sources != 1) return cmd.usage("give one of --fixed, --comma, --sheet, --bai2 or --ofx");
    if (const std::string misplaced = misplacedOption(cmd, type); !misplaced.empty())
        return cmd.usage(misplaced);
    if (cmd.option("--deposit-days") && cmd.flag("--no-deposits"))
        return cmd.usage("--deposit-days and --no-deposits contradict");
    for (const char* field : {"amount", "cleared"})
        if (cmd.option("--" + std::string(field)) && cmd.flag("--no-" + std::string(field)))
            return cmd.usage("--" + std::string(field) + " and --no-" + field + " contradict");
    if (cmd.flag("--assume-decimal") && cmd.flag("--no-assume-decimal"))
        return cmd.usage("--assume-decimal and --no-assume-decimal contradict");

    // Where the fields are, as given: checked before any file is opened.
    std::optional<Place> places[3];
    const char* const placeOptions[3] = {"--check", "--amount", "--cleared"};
    for (int i = 0; i < 3; ++i) {
        const std::optional<std::string> value = cmd.option(placeOptions[i]);
        if (!value) continue;
        places[i] = parsePlace(*value, type);
        if (!places[i])
            return cmd.usage(std::string(placeOptions[i]) +
                             (type == ImportType::Fixed   ? " must be positions A-B or N"
                              : type == ImportType::Comma ? " must be a field number"
                                                          : " must be a column number"));
    }

    FileSession session(cmd.storage());
    FileUse files(session, {FileId::APbnk, FileId::APbac, FileId::SYcfg});
    if (files.error() != Error::None) return Exit::Failed;  // reported
    const std::string& which = cmd.text("BANK");
    if (!findBank(session, which)) return cmd.fail("no bank \"" + which + "\"");

    // The stored settings, then the options over them.
    ImportWizard stored(session);
    if (!stored.load()) return cmd.fail("the import's settings cannot be read");
    ImportSettings s = stored.settings();
    s.type = type;
    if (places[1]) s.amount = true;
    if (cmd.flag("--no-amount")) s.amount = false;
    if (places[2]) s.cleared = true;
    if (cmd.flag("--no-cleared")) s.cleared = false;
    if (cmd.flag("--assume-decimal")) s.assumeDecimal = true;
    if (cmd.flag("--no-assume-decimal")) s.assumeDecimal = false;
    s.firstRow = cmd.numberOption("--first-row").value_or(s.firstRow);
    s.lastRow = cmd.numberOption("--last-row").value_or(s.lastRow);
    if (const std::optional<std::string> f = cmd.choiceOption("--date-format"))
        s.clearedFormat = clearedDateFormat(*f).value_or(ClearedDateFormat::Standard);
    if (const std::optional<int32_t> days = cmd.numberOption("--deposit-days")) {
        s.deposits = true;
        s.depositDays = *days;
    }
    if (cmd.flag("--no-deposits")) s.deposits = false;
    if (places[0])
        putPlace(*places[0], type, s.checkStart, s.checkEnd, s.checkField, s.checkColumn);
    if (places[1])
        putPlace(*places[1], type, s.amountStart, s.amountEnd, s.amountField, s.amountColumn);
    if (places[2])
        putPlace(*places[2], type, s.clearedStart, s.clearedEnd, s.clearedField, s.clearedColumn);

    std::string file, sheet, missingSheet, wrongAccount;
    if (type == ImportType::Spreadsheet) {
        splitWorkbook(given, file, sheet);
        // The sheet asked for (the first without one) is the one chosen.
        s.workbook = file;
        ImportWindows w;
        w.selectSheet = [&](const std::vector<std::string>& topics) {
            if (sheet.empty()) return 0;
            const std::string name = std::filesystem::path(file).filename().string();
            for (size_t i = 0; i < topics.size(); ++i)
                if (topics[i] == topicName(name, sheet)) return static_cast<int>(i);
            missingSheet = "the workbook has no sheet \"" + sheet + "\" (it has";
            for (const std::string& t : topics) missingSheet += " " + t;
            missingSheet += ")";
            return -1;
        };
        setImportWindows(std::move(w));
    } else {
        file = startedPath(given);
        s.fileName = file;
    }
    // The account asked for; a file of several accounts without one is refused. Declared here:
    // the chooser below runs inside runImport, after the block that installs it.
    const std::optional<int32_t> account = cmd.numberOption("--account");
    if (isBankFile(type)) {
        ImportWindows w;
        w.selectAccount = [&](const std::vector<std::string>& accounts) {
            if (account && *account <= static_cast<int32_t>(accounts.size())) return *account - 1;
            wrongAccount = "the file holds " + std::to_string(accounts.size()) + " accounts; " +
                           (account ? "--account " + std::to_string(*account) + " is none of them"
                                    : std::string("give --account N")) +
                           ":";
            for (size_t i = 0; i < accounts.size(); ++i)
                wrongAccount += "\n  " + std::to_string(i + 1) + ". " + accounts[i];
            return -1;
        };
        setImportWindows(std::move(w));
    }
    const ImportResult r = runImport(session, s);
    setImportWindows({});
    if (!missingSheet.empty()) return cmd.fail(missingSheet);
    if (!wrongAccount.empty()) return cmd.usage(wrongAccount);
    if (r.end != ImportEnd::Completed)
        return cmd.fail("nothing was marked from " +
                        (file.empty() ? std::string("the spreadsheet open in Calc") : file) +
                        (r.end == ImportEnd::Cancelled ? " (cancelled)" : ""));

    for (const std::string& w : r.warnings) cmd.note("warning: " + w);
    printResult(cmd, session.file<APbnk>().rec, file, r);
    return Exit::Done;
}

Option position(const char* name, const char* help) {
    return {name, ValueKind::Text, "P", help};
}

const CliCommand importCommand(
    {.words = "rec import",
     .operands = {{"BANK"}},
     .options = {{"--fixed", ValueKind::Text, "FILE", "a fixed-format text file"},
                 {"--comma", ValueKind::Text, "FILE", "a comma-separated text file"},
                 {"--sheet", ValueKind::Text, "WORKBOOK[:SHEET]",
                  "a workbook file (.ods, .xlsx), its first sheet unless one is named"},
                 {"--bai2", ValueKind::Text, "FILE", "the bank's BAI2 cash-management file"},
                 {"--ofx", ValueKind::Text, "FILE", "the bank's OFX statement (.ofx, .qfx, .qbo)"},
                 position("--check", "the check number: positions A-B, or a field or column"),
                 position("--amount", "the amount, imported: positions A-B, or a field or column"),
                 position("--cleared",
                          "the date cleared, imported: positions A-B, or a field or column"),
                 {"--no-amount", ValueKind::Flag, "", "the amount is not imported"},
                 {"--no-cleared", ValueKind::Flag, "", "the date cleared is not imported"},
                 {"--assume-decimal", ValueKind::Flag, "",
                  "an amount without a point has two decimal places"},
                 {"--no-assume-decimal", ValueKind::Flag, "", "an amount is read as it stands"},
                 {.name = "--first-row",
                  .kind = ValueKind::Number,
                  .value = "N",
                  .help = "the sheet's first row read",
                  .min = 1},
                 {.name = "--last-row",
                  .kind = ValueKind::Number,
                  .value = "N",
                  .help = "the sheet's last row read (0: until five blank rows)",
                  .min = 0},
                 {"--date-format", ValueKind::Choice, "YYYYMMDD|YYMMDD|MMDDYYYY|MMDDYY|standard",
                  "how the fixed line writes the date cleared"},
                 {.name = "--account",
                  .kind = ValueKind::Number,
                  .value = "N",
                  .help = "the Nth account of a bank file that holds several",
                  .min = 1},
                 {.name = "--deposit-days",
                  .kind = ValueKind::Number,
                  .value = "N",
                  .help = "credits matched to a deposit dated up to N days before posting",
                  .min = 0,
                  .max = 366},
                 {"--no-deposits", ValueKind::Flag, "",
                  "a bank file's credits are not matched to deposits"}},
     .json = true,
     .help = "mark the checks (and deposits) a bank's list of cleared checks or its BAI2 or OFX "
             "file names; what is not given comes from the import wizard's stored settings",
     .run = recImport});

}  // namespace

void useStoredImport() {
    reconcile::reconcileCalls().UpdateAPrecImport = [](FileSession& session,
                                                       const shell::StartupParameters&) {
        (void)runStoredImport(session);  // its answer is GlobalResponse
    };
}

}  // namespace cli
