// bankrec-cli activity: the transaction register without windows.
//   activity load BANK     loads the suite's open transactions of the bank into the register
//   activity list BANK     prints the register, one line per row
//   activity delete ID     deletes an activity row as its form does (--yes confirms)
// BANK is a bank's name (without regard to case) or its BankID.
#include <cstdio>
#include <string>

#include "bank_lookup.h"
#include "bankrec/activity/activity_pager.h"
#include "bankrec/activity/load_chk.h"
#include "bankrec/activity/register_rows.h"
#include "bankrec/activity/update_apbac.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "command.h"
#include "corelib/globals.h"
#include "json_output.h"
#include "load_report.h"

using namespace corelib;
using namespace storage;
using namespace activity;

namespace cli {

namespace {

Exit load(Command& cmd) {
    FileSession session(cmd.storage());
    FileUse banks(session, {FileId::APbnk});
    if (!findBank(session, cmd.text("BANK")))
        return cmd.fail("no bank \"" + cmd.text("BANK") + "\"");
    const APbnk bank = session.file<APbnk>().rec;
    const ChkLoadCounts c = LoadChkThread(session, cmd.params(), bank.BankID, bank.FIAID);
    if (cmd.json()) {
        printJson({{"bankId", bank.BankID},
                   {"bank", jsonText(bank.Bank)},
                   {"suite", loadOutcomeName(c.suite)},
                   {"entries", c.entries},
                   {"added", c.added},
                   {"updated", c.updated},
                   {"unchanged", c.unchanged},
                   {"reconciledSkipped", c.reconciledSkipped},
                   {"otherSourceSkipped", c.otherSourceSkipped},
                   {"noTransactionSkipped", c.noTransactionSkipped},
                   {"failed", c.failed},
                   {"notHandled", c.notHandled}});
    } else {
        std::printf(
            "%s: %d entries, %d added, %d updated, %d unchanged, %d reconciled skipped, "
            "%d other source skipped, %d without transaction skipped, %d failed\n",
            bank.Bank.c_str(), c.entries, c.added, c.updated, c.unchanged, c.reconciledSkipped,
            c.otherSourceSkipped, c.noTransactionSkipped, c.failed);
    }
    if (auto failed = failedSuiteRead(cmd, c.suite, c.entries, "transactions", "nothing loaded"))
        return *failed;
    if (c.notHandled > 0)
        return cmd.fail("the register is held by another station: " + std::to_string(c.failed) +
                        " entries could not be stored, " + std::to_string(c.notHandled) +
                        " were not tried");
    if (c.failed > 0)
        return cmd.fail(std::to_string(c.failed) + " of " + std::to_string(c.entries) +
                        " entries could not be stored");
    return Exit::Done;
}

QJsonObject activityJson(const RegisterRow& row) {
    const APbac& a = row.rec;
    return {{"activityId", a.ActivityID},
            {"transactionId", a.TransactionID},
            {"date", jsonDate(a.ActivityDate)},
            {"type", jsonText(a.ActivityType)},
            {"source", jsonText(a.Source)},
            {"reference", jsonText(a.Reference)},
            {"name", jsonText(a.Name)},
            {"description", jsonText(a.Description)},
            {"paymentOrDebit", jsonMoney(row.paymentOrDebit)},
            {"depositOrCredit", jsonMoney(row.depositOrCredit)},
            {"amount", jsonMoney(a.Amount)},
            {"status", jsonText(row.reconciledMarked)},
            {"reconciled", a.Reconciled != 0},
            {"marked", a.Marked != 0}};
}

Exit list(Command& cmd) {
    FileSession session(cmd.storage());
    FileUse files(session, {FileId::APbnk, FileId::APbac});
    if (!findBank(session, cmd.text("BANK")))
        return cmd.fail("no bank \"" + cmd.text("BANK") + "\"");
    const APbnk bank = session.file<APbnk>().rec;
    ActivityPager pager(session, 500, 2);
    if (pager.setBank(bank.BankID) != Error::None)
        return cmd.fail("the register of \"" + bank.Bank + "\" cannot be read");

    QJsonArray rows;
    if (!cmd.json()) {
        const auto& h = registerHeadings();
        std::printf("ID\t%s\tType\t%s\t%s\t%s\t%s\t%s\n", h[ColActivityDate].c_str(),
                    h[ColCheck].c_str(), h[ColToOrFrom].c_str(), h[ColPayment].c_str(),
                    h[ColIndicator].c_str(), h[ColDeposit].c_str());
    }
    for (int64_t i = 0; i < pager.count(); ++i) {
        const RegisterRow* row = pager.row(i);
        if (!row) return cmd.fail("the register changed while it was printed");
        if (cmd.json()) {
            rows.append(activityJson(*row));
            continue;
        }
        const RegisterLines l = registerLines(*row);
        std::string party = l.first[ColToOrFrom];
        if (!l.second[ColToOrFrom].empty())
            party += (party.empty() ? "" : " / ") + l.second[ColToOrFrom];
        std::printf("%d\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n", row->rec.ActivityID,
                    l.first[ColActivityDate].c_str(), l.second[ColActivityDate].c_str(),
                    l.first[ColCheck].c_str(), party.c_str(), l.first[ColPayment].c_str(),
                    l.first[ColIndicator].c_str(), l.first[ColDeposit].c_str());
    }
    if (cmd.json())
        printJson({{"bankId", bank.BankID}, {"bank", jsonText(bank.Bank)}, {"activity", rows}});
    return Exit::Done;
}

Exit remove(Command& cmd) {
    const int32_t id = cmd.number("ID");
    FileSession session(cmd.storage());
    FileUse files(session, {FileId::APbnk, FileId::APbac});
    RecordFile<APbac>& f = session.file<APbac>();
    f.clear();
    f.rec.ActivityID = id;
    if (f.get(APBAC_KEY_ACTIVITYID) != Error::None)
        return cmd.fail("no activity " + std::to_string(id));
    if (!canDeleteActivity(f.rec))
        return cmd.fail("activity " + std::to_string(id) + " is reconciled and cannot be deleted");
    GlobalRequest = DeleteRecord;
    if (UpdateAPbac(session) != RequestCompleted)
        return cmd.fail("activity " + std::to_string(id) + " was not deleted");
    if (cmd.json())
        printJson({{"activityId", id}, {"deleted", true}});
    else
        std::printf("activity %d deleted\n", id);
    return Exit::Done;
}

const Operand kBank{"BANK"};

const CliCommand loadCommand({.words = "activity load",
                              .operands = {kBank},
                              .json = true,
                              .help = "load the suite's open transactions of a bank (name or "
                                      "BankID) into its register",
                              .run = load});
const CliCommand listCommand({.words = "activity list",
                              .operands = {kBank},
                              .json = true,
                              .help = "the register of a bank, one line per activity",
                              .run = list});
const CliCommand deleteCommand({.words = "activity delete",
                                .operands = {{"ID", ValueKind::Number}},
                                .json = true,
                                .help = "delete an activity and its deposit lines, as its form "
                                        "does (asks first: --yes confirms)",
                                .run = remove});

}  // namespace

}  // namespace cli
