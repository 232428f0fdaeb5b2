// bankrec-cli rec import: the bank's list of cleared checks marked through the import readers,
// without windows.
//   rec import BANK --fixed FILE | --comma FILE | --sheet WORKBOOK[:SHEET]
//              [--check P] [--amount P] [--cleared P] [--no-amount] [--no-cleared]
//              [--assume-decimal] [--no-assume-decimal] [--first-row N] [--last-row N]
// P is a position range A-B (or one position N) of a fixed-format line, else a field or column
// number N. Giving --amount or --cleared imports that field; what is not given comes from the
// wizard's stored settings (nothing is stored here). A workbook is an .ods or .xlsx file; without
// SHEET its first sheet is read. Prints the lines read, marked, already marked, not matched and
// skipped. Exit codes as for rec: 0 done, 1 failed (the reason on standard error), 2 wrong usage.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bankrec/imports/import_windows.h"
#include "bankrec/imports/import_wizard.h"
#include "bankrec/imports/spreadsheet_link.h"
#include "bankrec/reconcile/reconcile_calls.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/storage.h"
#include "command.h"
#include "corelib/globals.h"
#include "corelib/message_box.h"
#include "corelib/message_script.h"
#include "corelib/text.h"

using namespace corelib;
using namespace storage;
using namespace imports;

namespace cli {

namespace {

enum ExitCode { Done = 0, Failed = 1, Usage = 2 };

constexpr const char* kUsage =
    "usage: rec import BANK --fixed FILE | --comma FILE | --sheet WORKBOOK[:SHEET] [--check P] "
    "[--amount P] [--cleared P] [--no-amount] [--no-cleared] [--assume-decimal] "
    "[--no-assume-decimal] [--first-row N] [--last-row N]";

int error(const std::string& text, int code = Failed) {
    std::fprintf(stderr, "bankrec-cli rec import: %s\n", text.c_str());
    return code;
}

// A whole number of up to nine digits.
std::optional<int32_t> count(const std::string& s) {
    if (s.empty() || s.size() > 9) return std::nullopt;
    for (char c : s)
        if (c < '0' || c > '9') return std::nullopt;
    return std::stoi(s);
}

// "A-B" or "N" (as N-N).
bool positions(const std::string& s, int32_t& start, int32_t& end) {
    const size_t dash = s.find('-');
    const auto a = count(s.substr(0, dash));
    const auto b = dash == std::string::npos ? a : count(s.substr(dash + 1));
    if (!a || !b) return false;
    start = *a;
    end = *b;
    return true;
}

// The bank by BankID, else by name, made current in the APbnk buffer.
bool findBank(FileSession& session, const std::string& which) {
    RecordFile<APbnk>& f = session.file<APbnk>();
    if (const auto id = count(which)) {
        f.clear();
        f.rec.BankID = *id;
        if (f.get(APBNK_KEY_BANKID) == Error::None) return true;
    }
    f.clear();
    f.rec.Bank = which;
    return f.get(APBNK_KEY_BANK) == Error::None && text::equalNoCase(f.rec.Bank, which);
}

// WORKBOOK[:SHEET]: the whole text when it names a file, else split at its last colon.
void splitWorkbook(const std::string& arg, std::string& file, std::string& sheet) {
    std::error_code ec;
    const size_t colon = arg.rfind(':');
    if (std::filesystem::exists(arg, ec) || colon == std::string::npos) {
        file = arg;
        sheet.clear();
        return;
    }
    file = arg.substr(0, colon);
    sheet = arg.substr(colon + 1);
}

struct Request {
    ImportType type = ImportType::Fixed;
    std::string file;
    std::string sheet;
    std::optional<std::string> check, amount, cleared;
    std::optional<bool> importAmount, importCleared, assumeDecimal;
    std::optional<int32_t> firstRow, lastRow;
};

// Reads the options after BANK; "" when they are sound, else what is wrong.
std::string parse(const std::vector<std::string>& args, Request& r) {
    int sources = 0;
    for (size_t i = 2; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool takesValue = a == "--fixed" || a == "--comma" || a == "--sheet" ||
                                a == "--check" || a == "--amount" || a == "--cleared" ||
                                a == "--first-row" || a == "--last-row";
        if (takesValue && i + 1 >= args.size()) return a + " needs a value";
        const std::string value = takesValue ? args[++i] : std::string();
        if (a == "--fixed" || a == "--comma" || a == "--sheet") {
            ++sources;
            r.type = a == "--fixed"   ? ImportType::Fixed
                     : a == "--comma" ? ImportType::Comma
                                      : ImportType::Spreadsheet;
            if (r.type == ImportType::Spreadsheet)
                splitWorkbook(value, r.file, r.sheet);
            else
                r.file = value;
        } else if (a == "--check") {
            r.check = value;
        } else if (a == "--amount") {
            r.amount = value;
            r.importAmount = true;
        } else if (a == "--cleared") {
            r.cleared = value;
            r.importCleared = true;
        } else if (a == "--no-amount") {
            r.importAmount = false;
        } else if (a == "--no-cleared") {
            r.importCleared = false;
        } else if (a == "--assume-decimal") {
            r.assumeDecimal = true;
        } else if (a == "--no-assume-decimal") {
            r.assumeDecimal = false;
        } else if (a == "--first-row" || a == "--last-row") {
            const auto n = count(value);
            if (!n) return a + " must be a whole number";
            (a == "--first-row" ? r.firstRow : r.lastRow) = *n;
        } else {
            return "unknown option " + a;
        }
    }
    if (sources != 1) return "give one of --fixed, --comma or --sheet";
    if (r.type != ImportType::Spreadsheet && (r.firstRow || r.lastRow))
        return "--first-row and --last-row belong to --sheet";
    if (r.amount && r.importAmount == false) return "--amount and --no-amount contradict";
    return {};
}

// Applies one field's option to the settings: positions A-B (fixed) or a number.
bool place(const std::optional<std::string>& option, ImportType type, int32_t& start, int32_t& end,
           int32_t& field, int32_t& column) {
    if (!option) return true;
    if (type == ImportType::Fixed) return positions(*option, start, end);
    const auto n = count(*option);
    if (!n) return false;
    (type == ImportType::Comma ? field : column) = *n;
    return true;
}

}  // namespace

void useStoredImport() {
    reconcile::reconcileCalls().UpdateAPrecImport = [](FileSession& session,
                                                       const shell::StartupParameters&) {
        (void)runStoredImport(session);  // its answer is GlobalResponse
    };
}

// Called by the rec command for "rec import".
int recImport(CliContext& ctx) {
    if (ctx.args.size() < 2) return error(kUsage, Usage);
    Request req;
    if (const std::string wrong = parse(ctx.args, req); !wrong.empty())
        return error(wrong + "\n" + kUsage, Usage);

    auto messages = std::make_shared<ScriptedMessages>(ScriptedMessages::HaltMode::Exit);
    messages->setEcho(true);
    messages->setAssumeYes(true);  // the command itself is the request to import
    const auto previous = ThisMessageBox.setBackend(messages);
    struct PutBack {
        std::shared_ptr<MessageBackend> backend;
        ~PutBack() {
            ThisMessageBox.setBackend(backend);
            setImportWindows({});
        }
    } putBack{previous};
    if (glo_ApplicationName.empty()) glo_ApplicationName = "Bank Reconciliation";
    glo_UserID = ctx.params.USERID;

    Storage storage;
    std::error_code ec;
    const std::filesystem::path here = std::filesystem::current_path(ec);
    storage.nameFiles(ec ? ctx.params.DATAPATH : here.string(), ctx.params.DIVISION);
    FileSession session(storage);
    FileUse files(session, {FileId::APbnk, FileId::APbac, FileId::SYcfg});
    if (files.error() != Error::None) return Failed;
    if (!findBank(session, ctx.args[1])) return error("no bank \"" + ctx.args[1] + "\"");

    // The stored settings, then the options over them.
    ImportWizard stored(session);
    if (!stored.load()) return Failed;  // reported
    ImportSettings s = stored.settings();
    s.type = req.type;
    if (req.importAmount) s.amount = *req.importAmount;
    if (req.importCleared) s.cleared = *req.importCleared;
    if (req.assumeDecimal) s.assumeDecimal = *req.assumeDecimal;
    if (req.firstRow) s.firstRow = *req.firstRow;
    if (req.lastRow) s.lastRow = *req.lastRow;
    const char* what = req.type == ImportType::Fixed   ? " must be positions A-B or N"
                       : req.type == ImportType::Comma ? " must be a field number"
                                                       : " must be a column number";
    if (!place(req.check, req.type, s.checkStart, s.checkEnd, s.checkField, s.checkColumn))
        return error("--check" + std::string(what), Usage);
    if (!place(req.amount, req.type, s.amountStart, s.amountEnd, s.amountField, s.amountColumn))
        return error("--amount" + std::string(what), Usage);
    if (!place(req.cleared, req.type, s.clearedStart, s.clearedEnd, s.clearedField,
               s.clearedColumn))
        return error("--cleared" + std::string(what), Usage);

    std::string missing;
    if (req.type == ImportType::Spreadsheet) {
        // The sheet asked for (the first without one) is the one chosen.
        s.workbook = req.file;
        ImportWindows w;
        w.selectSheet = [&req, &missing](const std::vector<std::string>& topics) {
            if (req.sheet.empty()) return 0;
            const std::string name = std::filesystem::path(req.file).filename().string();
            for (size_t i = 0; i < topics.size(); ++i)
                if (topics[i] == topicName(name, req.sheet)) return static_cast<int>(i);
            missing = "the workbook has no sheet \"" + req.sheet + "\" (it has";
            for (const std::string& t : topics) missing += " " + t;
            missing += ")";
            return -1;
        };
        setImportWindows(std::move(w));
    } else {
        s.fileName = req.file;
    }
    const ImportResult r = runImport(session, s);
    if (!missing.empty()) return error(missing);
    if (r.end != ImportEnd::Completed) return error("nothing was marked");
    std::printf(
        "%s: %lld lines read, %lld marked, %lld already marked, %lld not matched, %lld "
        "skipped\n",
        session.file<APbnk>().rec.Bank.c_str(), static_cast<long long>(r.counts.lines),
        static_cast<long long>(r.counts.marked), static_cast<long long>(r.counts.alreadyMarked),
        static_cast<long long>(r.counts.notMatched), static_cast<long long>(r.counts.skipped));
    return Done;
}

}  // namespace cli
