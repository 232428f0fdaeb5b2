// bankrec-cli banks load | list | set: the bank accounts without windows.
//   banks load      refreshes the banks and their cash accounts from the suite
//   banks list      the bank browse's three columns
//   banks set BANK  changes a bank's posting options, checked and saved as the bank form does
#include <cstdio>
#include <string>
#include <vector>

#include "bank_lookup.h"
#include "bankrec/banks/bank_browse.h"
#include "bankrec/banks/load_fia.h"
#include "bankrec/banks/update_apbnk_presenter.h"
#include "bankrec/storage/dictionary.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "command.h"
#include "corelib/globals.h"
#include "json_output.h"
#include "load_report.h"

using namespace corelib;
using namespace storage;
using namespace banks;

namespace cli {

namespace {

Exit load(Command& cmd) {
    FileSession session(cmd.storage());
    const FiaLoadCounts c = LoadFIAQuick(session, cmd.params());
    if (cmd.json()) {
        printJson({{"suite", loadOutcomeName(c.suite)},
                   {"entries", c.entries},
                   {"banksAdded", c.banksAdded},
                   {"banksUpdated", c.banksUpdated},
                   {"cashAccountsAdded", c.cashAdded},
                   {"cashAccountsRemoved", c.cashRemoved},
                   {"defaultsSet", c.defaultsSet},
                   {"failed", c.failures},
                   {"removalSkipped", c.removalSkipped}});
    } else {
        std::printf(
            "entries %d\nbanks added %d\nbanks updated %d\ncash accounts added %d\n"
            "cash accounts removed %d\ndefaults set %d\n",
            c.entries, c.banksAdded, c.banksUpdated, c.cashAdded, c.cashRemoved, c.defaultsSet);
    }
    if (auto failed = failedSuiteRead(cmd, c.suite, c.entries, "accounts", "no bank was changed"))
        return *failed;
    if (c.removalSkipped && c.suite != hostlink::LoadOutcome::Empty)
        cmd.note("the suite's list was incomplete: no cash account was removed");
    if (c.suite == hostlink::LoadOutcome::Empty)
        cmd.note("the suite lists no financial institution account: nothing was changed");
    if (c.failures > 0)
        return cmd.fail(std::to_string(c.failures) + " bank or cash account writes failed");
    return Exit::Done;
}

QJsonObject bankJson(const APbnk& b, const std::string& bankAccount, const std::string& journals) {
    return {{"bankId", b.BankID},
            {"fiaId", b.FIAID},
            {"bank", jsonText(b.Bank)},
            {"bankAccount", jsonText(bankAccount)},
            {"journals", jsonText(journals)},
            {"serviceChargePost", b.ServiceChargePost != 0},
            {"serviceChargeJournal", jsonText(b.ServiceChargeJournal)},
            {"serviceChargeAccount", jsonText(b.ServiceChargeAccount)},
            {"interestEarnedPost", b.InterestEarnedPost != 0},
            {"interestEarnedJournal", jsonText(b.InterestEarnedJournal)},
            {"interestEarnedAccount", jsonText(b.InterestEarnedAccount)},
            {"apBank", jsonText(b.APBank)},
            {"prBank", jsonText(b.PRBank)}};
}

Exit list(Command& cmd) {
    FileSession session(cmd.storage());
    FileUse files(session, {FileId::APbnk, FileId::APbnu});
    BankBrowse browse(session);
    if (!cmd.json()) std::printf("Financial Institution Accounts\tBank Account\tJournals\n");
    QJsonArray banks;
    std::vector<BankBrowseRow> page;
    ViewPosition last;
    bool first = true;
    for (;;) {
        if (Error err = browse.fetch(first ? nullptr : &last, 200, page); err != Error::None)
            return cmd.fail("the banks cannot be read (error " + std::to_string(errorNumber(err)) +
                            ")");
        if (page.empty()) break;
        for (const auto& r : page) {
            if (cmd.json())
                banks.append(bankJson(r.bank, r.bankAccount, r.journals));
            else
                std::printf("%s\t%s\t%s\n", r.bank.Bank.c_str(), r.bankAccount.c_str(),
                            r.journals.c_str());
        }
        last = page.back().position;
        first = false;
    }
    if (cmd.json()) printJson({{"banks", banks}});
    return Exit::Done;
}

Exit set(Command& cmd) {
    FileSession session(cmd.storage());
    FileUse files(session, {FileId::APbnk, FileId::APbnu});
    if (!findBank(session, cmd.text("BANK")))
        return cmd.fail("no bank \"" + cmd.text("BANK") + "\"");
    UpdateAPbnkPresenter form(session, cmd.params());
    form.open(ChangeRecord);
    for (const auto& [option, value] : cmd.options()) {
        const bool on = parseOnOff(value).value_or(false);
        if (option == "--service-charge") {
            form.setPosting(PostingAccount::ServiceCharge, on);
        } else if (option == "--interest") {
            form.setPosting(PostingAccount::InterestEarned, on);
        } else if (option == "--sc-journal") {
            form.setJournal(PostingAccount::ServiceCharge, value);
        } else if (option == "--ie-journal") {
            form.setJournal(PostingAccount::InterestEarned, value);
        } else if (option == "--sc-account") {
            form.setAccount(PostingAccount::ServiceCharge, value);
        } else if (option == "--ie-account") {
            form.setAccount(PostingAccount::InterestEarned, value);
        } else if (option == "--ap-bank") {
            form.bank().APBank = value;
        } else if (option == "--pr-bank") {
            form.bank().PRBank = value;
        } else if (option == "--default") {
            const auto row = form.findCashAccount(value);
            if (!row) return cmd.fail("the bank has no cash account \"" + value + "\"");
            form.setDefault(*row);
        }
    }
    if (form.save() != UpdateAPbnkPresenter::SaveOutcome::Saved)
        return cmd.fail(form.bank().Bank + " was not saved");
    if (cmd.json())
        printJson({{"saved", true}, {"bank", bankJson(form.bank(), {}, {})}});
    else
        std::printf("saved %s\n", form.bank().Bank.c_str());
    return Exit::Done;
}

// The longest text an APbnk field keeps.
int width(const char* field) {
    const FileDef& def = fileDef(FileId::APbnk);
    return def.fields[static_cast<size_t>(def.fieldIndex(field))].maxTextBytes();
}

Option text(const char* name, const char* value, const char* help, const char* field) {
    return {name, ValueKind::Text, value, help, 0, 0, field ? width(field) : 0};
}

const CliCommand loadCommand({.words = "banks load",
                              .json = true,
                              .help = "refresh the banks and their cash accounts from the suite",
                              .run = load});
const CliCommand listCommand({.words = "banks list",
                              .json = true,
                              .help = "the banks with their default cash account and journals",
                              .run = list});
const CliCommand setCommand(
    {.words = "banks set",
     .operands = {{"BANK"}},
     .options = {{"--service-charge", ValueKind::OnOff, "on|off",
                  "post the service charge back to the ledger"},
                 text("--sc-journal", "ABBR", "its journal", "ServiceChargeJournal"),
                 text("--sc-account", "ACCOUNT", "its account to debit", "ServiceChargeAccount"),
                 {"--interest", ValueKind::OnOff, "on|off",
                  "post the interest earned back to the ledger"},
                 text("--ie-journal", "ABBR", "its journal", "InterestEarnedJournal"),
                 text("--ie-account", "ACCOUNT", "its account to credit", "InterestEarnedAccount"),
                 text("--ap-bank", "CODE", "bank code for reconciled payables checks", "APBank"),
                 text("--pr-bank", "CODE", "bank code for reconciled payroll checks", "PRBank"),
                 text("--default", "CASHACCOUNT", "the default cash account", nullptr)},
     .json = true,
     .help = "change a bank's posting options, checked and saved as its form does",
     .run = set});

}  // namespace

}  // namespace cli
