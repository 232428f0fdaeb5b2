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
#include <memory>
#include <optional>
#include <string>

#include "bank_lookup.h"
#include "bankrec/reports/print_target.h"
#include "bankrec/reports/report_apbac.h"
#include "bankrec/reports/report_aprec.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/storage.h"
#include "command.h"
#include "json_output.h"

using namespace storage;

namespace cli {

namespace {

using reports::RegisterSelection;

// Where the pages go: --pdf FILE (relative to where the command was started) or --printer NAME.
struct Destination {
    bool toPdf = false;
    std::string where;

    reports::ReportOutput output() const {
        reports::ReportOutput out;
        out.printer = [toPdf = toPdf, where = where]() -> std::unique_ptr<reports::PrintTarget> {
            if (toPdf) return std::make_unique<reports::PdfTarget>(where);
            return std::make_unique<reports::CupsTarget>(where);
        };
        return out;
    }
    // The command's end: where the pages went, or why nothing was printed.
    Exit finished(Command& cmd, reports::ReportResult r, const std::string& empty) const {
        switch (r) {
            case reports::ReportResult::Printed:
                if (cmd.json())
                    printJson({{toPdf ? "pdf" : "printer", jsonText(where)}});
                else
                    std::printf("%s %s\n", toPdf ? "report written to" : "report sent to printer",
                                where.c_str());
                return Exit::Done;
            case reports::ReportResult::Empty:
                return cmd.fail(empty);
            default:
                return Exit::Failed;  // the reason was shown
        }
    }
};

// The destination the command line gives; nullopt (with the usage error in `exit`) unless
// exactly one of --pdf and --printer is given.
std::optional<Destination> destination(Command& cmd, Exit& exit) {
    const std::optional<std::string> pdf = cmd.option("--pdf");
    const std::optional<std::string> printer = cmd.option("--printer");
    if (pdf.has_value() == printer.has_value()) {
        exit = cmd.usage("give either --pdf FILE or --printer NAME");
        return std::nullopt;
    }
    if (pdf) return Destination{true, startedPath(*pdf)};
    return Destination{false, *printer};
}

Exit reportRegister(Command& cmd) {
    Exit exit = Exit::Done;
    const std::optional<Destination> to = destination(cmd, exit);
    if (!to) return exit;

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
    return to->finished(
        cmd,
        reports::ReportAPbac(session, s, reports::organizationName(session, nullptr), to->output()),
        "no activity selected; nothing printed");
}

Exit reportRec(Command& cmd) {
    Exit exit = Exit::Done;
    const std::optional<Destination> to = destination(cmd, exit);
    if (!to) return exit;
    reports::StatementReportOptions options;
    options.unmarkedDeposits = cmd.flag("--unmarked-deposits");
    options.unmarkedChecks = cmd.flag("--unmarked-checks");
    options.markedDeposits = !cmd.flag("--no-marked-deposits");
    options.markedChecks = !cmd.flag("--no-marked-checks");

    const std::string id = std::to_string(cmd.number("ID"));
    FileSession session(cmd.storage());
    FileUse files(session, {FileId::APbnk, FileId::APrec});
    if (files.error() != Error::None) return Exit::Failed;  // the warning was shown
    // The reconciliation and its bank account current, as the reconciliation list leaves them.
    RecordFile<APrec>& rec = session.file<APrec>();
    rec.clear();
    rec.rec.ReconciliationID = cmd.number("ID");
    if (rec.get(APREC_KEY_RECONCILIATIONID) != Error::None)
        return cmd.fail("no reconciliation " + id);
    RecordFile<APbnk>& bank = session.file<APbnk>();
    bank.clear();
    bank.rec.BankID = rec.rec.BankID;
    const bool bankFound = bank.get(APBNK_KEY_BANKID) == Error::None;
    reports::ReportResult r;
    if (rec.rec.Done) {
        r = reports::ReportAPrec(session, options, false, to->output());
    } else {
        // The worksheet reads the bank account's open activity.
        if (!bankFound) return cmd.fail("the bank account of reconciliation " + id + " is gone");
        r = reports::ReportAPrecNew(session, options, false, to->output());
    }
    return to->finished(cmd, r, "reconciliation " + id + " has no activity; nothing printed");
}

const Option kPdf{"--pdf", ValueKind::Text, "FILE", "write the pages to a PDF file"};
const Option kPrinter{"--printer", ValueKind::Text, "NAME", "send the pages to a CUPS printer"};

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
                 kPdf,
                 kPrinter},
     .json = true,
     .paints = true,
     .help = "the check register report, to a PDF file or a printer (--pdf or --printer)",
     .run = reportRegister});
const CliCommand reportRecCommand(
    {.words = "report rec",
     .operands = {{"ID", ValueKind::Number}},
     .options = {{"--unmarked-deposits", ValueKind::Flag, "", "print the unmarked deposits too"},
                 {"--unmarked-checks", ValueKind::Flag, "", "print the unmarked checks too"},
                 {"--no-marked-deposits", ValueKind::Flag, "", "leave out the marked deposits"},
                 {"--no-marked-checks", ValueKind::Flag, "", "leave out the marked checks"},
                 kPdf,
                 kPrinter},
     .json = true,
     .paints = true,
     .help = "a completed reconciliation's report, or an open one's worksheet report, to a PDF "
             "file or a printer (--pdf or --printer)",
     .run = reportRec});

}  // namespace

}  // namespace cli
