// bankrec-cli report: the printed reports without windows.
//   report register [--bank BANK] --from YYYY-MM-DD --to YYYY-MM-DD
//                   [--include all|checks|deposits] (--pdf FILE | --printer NAME)
//   report rec ID [--unmarked-deposits] [--unmarked-checks] [--no-marked-deposits]
//                 [--no-marked-checks] (--pdf FILE | --printer NAME)
// BANK is a BankID or a bank name (without regard to case); without it every bank account is
// reported. ID is a reconciliation's number: a completed one prints the reconciliation report,
// an open one the worksheet report. The pages go to a PDF file or to a CUPS printer; nothing is
// previewed.
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "bankrec/activity/activity_register.h"
#include "bankrec/reports/print_target.h"
#include "bankrec/reports/report_apbac.h"
#include "bankrec/reports/report_aprec.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/storage.h"
#include "command.h"
#include "corelib/daytime.h"
#include "corelib/text.h"

using namespace corelib;
using namespace storage;
using namespace activity;

namespace cli {

namespace {

using reports::RegisterSelection;

// Where the command was started: the program makes the data folder current before the command
// runs, but a relative --pdf path means a file where the user is.
const std::filesystem::path startFolder = [] {
    std::error_code ec;
    return std::filesystem::current_path(ec);
}();

int usageError(const std::string& text) {
    std::fprintf(stderr,
                 "bankrec-cli report: %s\nusage: report register [--bank BANK] --from "
                 "YYYY-MM-DD --to YYYY-MM-DD [--include all|checks|deposits] (--pdf FILE | "
                 "--printer NAME)\n       report rec ID [--unmarked-deposits] "
                 "[--unmarked-checks] [--no-marked-deposits] [--no-marked-checks] (--pdf FILE | "
                 "--printer NAME)\n",
                 text.c_str());
    return 2;
}

int failure(const std::string& text) {
    std::fprintf(stderr, "bankrec-cli report: %s\n", text.c_str());
    return 1;
}

// Where the pages go: --pdf FILE (relative to where the command was started) or
// --printer NAME.
struct Destination {
    bool toPdf = false;
    std::string where;

    // Empty when exactly one of the two is given; else what is wrong.
    std::string take(std::map<std::string, std::string>& opt) {
        if (opt.count("--pdf") == opt.count("--printer"))
            return "give either --pdf FILE or --printer NAME";
        toPdf = opt.count("--pdf") > 0;
        where =
            toPdf ? (startFolder / std::filesystem::path(opt["--pdf"])).lexically_normal().string()
                  : opt["--printer"];
        return {};
    }
    reports::ReportOutput output() const {
        reports::ReportOutput out;
        out.printer = [toPdf = toPdf, where = where]() -> std::unique_ptr<reports::PrintTarget> {
            if (toPdf) return std::make_unique<reports::PdfTarget>(where);
            return std::make_unique<reports::CupsTarget>(where);
        };
        return out;
    }
    // The exit code of a run, saying where the pages went (or why nothing was printed).
    int finished(reports::ReportResult r, const std::string& empty) const {
        switch (r) {
            case reports::ReportResult::Printed:
                std::printf("%s %s\n", toPdf ? "report written to" : "report sent to printer",
                            where.c_str());
                return 0;
            case reports::ReportResult::Empty:
                return failure(empty);
            default:
                return 1;  // the reason was shown
        }
    }
};

// The division's files in the data folder (the current directory by now).
void nameFiles(Storage& storage, const CliContext& ctx) {
    std::error_code ec;
    const std::filesystem::path here = std::filesystem::current_path(ec);
    storage.nameFiles(ec ? ctx.params.DATAPATH : here.string(), ctx.params.DIVISION);
}

// YYYY-MM-DD as a day number; 0 when it is not a date.
int32_t isoDate(const std::string& s) {
    int y = 0, m = 0, d = 0;
    char tail = 0;
    if (s.size() != 10 || std::sscanf(s.c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &tail) != 3) return 0;
    return daytime::dayNumber(y, m, d);
}

// The BankID of a bank given by number or name; 0 when there is none.
int32_t findBankId(FileSession& session, const std::string& which) {
    std::vector<BankChoice> banks;
    FileUse files(session, {FileId::APbnk});
    if (files.error() != Error::None || loadBankChoices(session, banks) != Error::None) return 0;
    for (const BankChoice& b : banks)
        if (std::to_string(b.BankID) == which) return b.BankID;
    for (const BankChoice& b : banks)
        if (text::equalNoCase(text::trimRight(b.Bank), which)) return b.BankID;
    return 0;
}

int reportRegister(CliContext& ctx) {
    std::map<std::string, std::string> opt;
    for (size_t i = 1; i < ctx.args.size(); i += 2) {
        const std::string& name = ctx.args[i];
        if (name != "--bank" && name != "--from" && name != "--to" && name != "--include" &&
            name != "--pdf" && name != "--printer")
            return usageError("unknown option " + name);
        if (i + 1 >= ctx.args.size()) return usageError(name + " needs a value");
        opt[name] = ctx.args[i + 1];
    }
    if (!opt.count("--from") || !opt.count("--to")) return usageError("--from and --to are needed");
    Destination destination;
    if (const std::string wrong = destination.take(opt); !wrong.empty()) return usageError(wrong);

    RegisterSelection s;
    s.PreviewReport = 0;
    s.FromDate = isoDate(opt["--from"]);
    s.ToDate = isoDate(opt["--to"]);
    if (!s.FromDate || !s.ToDate) return usageError("dates are written YYYY-MM-DD");
    if (opt.count("--include")) {
        const std::string include = text::lower(opt["--include"]);
        if (include == "checks")
            s.Include = 1;
        else if (include == "deposits")
            s.Include = 2;
        else if (include != "all")
            return usageError("--include takes all, checks or deposits");
    }

    Storage storage;
    nameFiles(storage, ctx);
    FileSession session(storage);
    if (opt.count("--bank")) {
        s.BankSelectBox = 1;
        s.BankID = findBankId(session, opt["--bank"]);
        if (!s.BankID) {
            std::fprintf(stderr, "bankrec-cli report: no bank \"%s\"\n", opt["--bank"].c_str());
            return 1;
        }
    }

    const reports::ReportResult r = reports::ReportAPbac(
        session, s, reports::organizationName(session, nullptr), destination.output());
    return destination.finished(r, "no activity selected; nothing printed");
}

int reportRec(CliContext& ctx) {
    if (ctx.args.size() < 2) return usageError("report rec needs the reconciliation's ID");
    const std::string& id = ctx.args[1];
    if (id.empty() || id.size() > 9 || id.find_first_not_of("0123456789") != std::string::npos)
        return usageError("the reconciliation's ID is a number");
    reports::StatementReportOptions options;
    std::map<std::string, std::string> opt;
    for (size_t i = 2; i < ctx.args.size(); ++i) {
        const std::string& name = ctx.args[i];
        if (name == "--unmarked-deposits") {
            options.unmarkedDeposits = true;
        } else if (name == "--unmarked-checks") {
            options.unmarkedChecks = true;
        } else if (name == "--no-marked-deposits") {
            options.markedDeposits = false;
        } else if (name == "--no-marked-checks") {
            options.markedChecks = false;
        } else if (name == "--pdf" || name == "--printer") {
            if (i + 1 >= ctx.args.size()) return usageError(name + " needs a value");
            opt[name] = ctx.args[++i];
        } else {
            return usageError("unknown option " + name);
        }
    }
    Destination destination;
    if (const std::string wrong = destination.take(opt); !wrong.empty()) return usageError(wrong);

    Storage storage;
    nameFiles(storage, ctx);
    FileSession session(storage);
    FileUse files(session, {FileId::APbnk, FileId::APrec});
    if (files.error() != Error::None) return 1;  // the warning was shown
    // The reconciliation and its bank account current, as the reconciliation list leaves them.
    RecordFile<APrec>& rec = session.file<APrec>();
    rec.clear();
    rec.rec.ReconciliationID = std::stoi(id);
    if (rec.get(APREC_KEY_RECONCILIATIONID) != Error::None)
        return failure("no reconciliation " + id);
    RecordFile<APbnk>& bank = session.file<APbnk>();
    bank.clear();
    bank.rec.BankID = rec.rec.BankID;
    const bool bankFound = bank.get(APBNK_KEY_BANKID) == Error::None;
    reports::ReportResult r;
    if (rec.rec.Done) {
        r = reports::ReportAPrec(session, options, false, destination.output());
    } else {
        // The worksheet reads the bank account's open activity.
        if (!bankFound) return failure("the bank account of reconciliation " + id + " is gone");
        r = reports::ReportAPrecNew(session, options, false, destination.output());
    }
    return destination.finished(r, "reconciliation " + id + " has no activity; nothing printed");
}

int report(CliContext& ctx) {
    if (!ctx.args.empty() && ctx.args[0] == "register") return reportRegister(ctx);
    if (!ctx.args.empty() && ctx.args[0] == "rec") return reportRec(ctx);
    return usageError("the report is register or rec");
}

const CliCommand reportCommand(
    "report",
    "report register [--bank BANK] --from D --to D [--include all|checks|deposits] "
    "(--pdf FILE | --printer NAME)  the check register report\n  report rec ID "
    "[--unmarked-deposits] [--unmarked-checks] [--no-marked-deposits] [--no-marked-checks] "
    "(--pdf FILE | --printer NAME)  a reconciliation (an open one: the worksheet report)",
    report, true);

}  // namespace

}  // namespace cli
