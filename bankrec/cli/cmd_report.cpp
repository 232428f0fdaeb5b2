// bankrec-cli report: the printed reports without windows.
//   report register [--bank BANK] --from YYYY-MM-DD --to YYYY-MM-DD
//                   [--include all|checks|deposits] (--pdf FILE | --printer NAME)
// BANK is a BankID or a bank name (without regard to case); without it every bank account is
// reported. The pages go to a PDF file or to a CUPS printer; nothing is previewed.
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "bankrec/activity/activity_register.h"
#include "bankrec/reports/print_target.h"
#include "bankrec/reports/report_apbac.h"
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
                 "--printer NAME)\n",
                 text.c_str());
    return 2;
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
    if (opt.count("--pdf") == opt.count("--printer"))
        return usageError("give either --pdf FILE or --printer NAME");

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
    std::error_code ec;
    const std::filesystem::path here = std::filesystem::current_path(ec);
    storage.nameFiles(ec ? ctx.params.DATAPATH : here.string(), ctx.params.DIVISION);
    FileSession session(storage);
    if (opt.count("--bank")) {
        s.BankSelectBox = 1;
        s.BankID = findBankId(session, opt["--bank"]);
        if (!s.BankID) {
            std::fprintf(stderr, "bankrec-cli report: no bank \"%s\"\n", opt["--bank"].c_str());
            return 1;
        }
    }

    const bool toPdf = opt.count("--pdf") > 0;
    const std::string where =
        toPdf ? (startFolder / std::filesystem::path(opt["--pdf"])).lexically_normal().string()
              : opt["--printer"];
    reports::ReportOutput output;
    output.printer = [&]() -> std::unique_ptr<reports::PrintTarget> {
        if (toPdf) return std::make_unique<reports::PdfTarget>(where);
        return std::make_unique<reports::CupsTarget>(where);
    };
    const reports::ReportResult r =
        reports::ReportAPbac(session, s, reports::organizationName(session, nullptr), output);
    switch (r) {
        case reports::ReportResult::Printed:
            std::printf("%s %s\n", toPdf ? "report written to" : "report sent to printer",
                        where.c_str());
            return 0;
        case reports::ReportResult::Empty:
            std::fprintf(stderr, "bankrec-cli report: no activity selected; nothing printed\n");
            return 1;
        default:
            return 1;  // the reason was shown
    }
}

int report(CliContext& ctx) {
    if (ctx.args.empty() || ctx.args[0] != "register") return usageError("the report is register");
    return reportRegister(ctx);
}

const CliCommand reportCommand(
    "report",
    "report register [--bank BANK] --from D --to D [--include all|checks|deposits] "
    "(--pdf FILE | --printer NAME)  the check register report",
    report, true);

}  // namespace

}  // namespace cli
