// bankrec-cli report: the printed reports without windows.
//   report register [--bank BANK] --from YYYY-MM-DD --to YYYY-MM-DD
//                   [--include all|checks|deposits] (--pdf FILE | --printer NAME)
// BANK is a BankID or a bank name (without regard to case); without it every bank account is
// reported. The pages go to a PDF file or to a CUPS printer; nothing is previewed.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "bank_lookup.h"
#include "bankrec/reports/print_target.h"
#include "bankrec/reports/report_apbac.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/storage.h"
#include "command.h"
#include "json_output.h"

using namespace storage;

namespace cli {

namespace {

using reports::RegisterSelection;

// Where the command was started: the program makes the data folder current before the command
// runs, but a relative --pdf path means a file where the user is.
const std::filesystem::path startFolder = [] {
    std::error_code ec;
    return std::filesystem::current_path(ec);
}();

Exit reportRegister(Command& cmd) {
    const std::optional<std::string> pdf = cmd.option("--pdf");
    const std::optional<std::string> printer = cmd.option("--printer");
    if (pdf.has_value() == printer.has_value())
        return cmd.usage("give either --pdf FILE or --printer NAME");

    RegisterSelection s;
    s.PreviewReport = 0;
    s.FromDate = *cmd.dateOption("--from");
    s.ToDate = *cmd.dateOption("--to");
    const std::string include = cmd.choiceOption("--include").value_or("all");
    s.Include = include == "checks" ? 1 : include == "deposits" ? 2 : 0;

    FileSession session(cmd.storage());
    if (const std::optional<std::string> bank = cmd.option("--bank")) {
        FileUse banks(session, {FileId::APbnk});
        if (!findBank(session, *bank)) return cmd.fail("no bank \"" + *bank + "\"");
        s.BankSelectBox = 1;
        s.BankID = session.file<APbnk>().rec.BankID;
    }

    const std::string where =
        pdf ? (startFolder / std::filesystem::path(*pdf)).lexically_normal().string() : *printer;
    reports::ReportOutput output;
    output.printer = [&]() -> std::unique_ptr<reports::PrintTarget> {
        if (pdf) return std::make_unique<reports::PdfTarget>(where);
        return std::make_unique<reports::CupsTarget>(where);
    };
    switch (reports::ReportAPbac(session, s, reports::organizationName(session, nullptr), output)) {
        case reports::ReportResult::Printed:
            if (cmd.json())
                printJson({{pdf ? "pdf" : "printer", jsonText(where)}});
            else
                std::printf("%s %s\n", pdf ? "report written to" : "report sent to printer",
                            where.c_str());
            return Exit::Done;
        case reports::ReportResult::Empty:
            return cmd.fail("no activity selected; nothing printed");
        default:
            return Exit::Failed;  // the reason was shown
    }
}

const CliCommand reportCommand(
    {.words = "report register",
     .options = {{"--bank", ValueKind::Text, "BANK", "one bank (name or BankID); else every bank"},
                 {.name = "--from",
                  .kind = ValueKind::Date,
                  .value = "YYYY-MM-DD",
                  .help = "the first activity date",
                  .required = true},
                 {.name = "--to",
                  .kind = ValueKind::Date,
                  .value = "YYYY-MM-DD",
                  .help = "the last activity date",
                  .required = true},
                 {"--include", ValueKind::Choice, "all|checks|deposits", "which activity"},
                 {"--pdf", ValueKind::Text, "FILE", "write the pages to a PDF file"},
                 {"--printer", ValueKind::Text, "NAME", "send the pages to a CUPS printer"}},
     .json = true,
     .paints = true,
     .help = "the check register report, to a PDF file or a printer (--pdf or --printer)",
     .run = reportRegister});

}  // namespace

}  // namespace cli
