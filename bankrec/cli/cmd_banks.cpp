// bankrec-cli banks load | list | set: the bank accounts without windows.
//   banks load      refreshes the banks and their cash accounts from the suite
//   banks list      the bank browse's three columns
//   banks set BANK  changes a bank's posting options, checked and saved as the bank form does
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bankrec/banks/bank_browse.h"
#include "bankrec/banks/load_fia.h"
#include "bankrec/banks/update_apbnk_presenter.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/storage.h"
#include "command.h"
#include "corelib/globals.h"

using namespace corelib;
using namespace storage;
using namespace banks;

namespace cli {

namespace {

void nameFiles(Storage& storage, const CliContext& ctx) {
    std::error_code ec;
    std::filesystem::path here = std::filesystem::current_path(ec);
    storage.nameFiles(ec ? ctx.params.DATAPATH : here.string(), ctx.params.DIVISION);
}

int load(CliContext& ctx) {
    Storage storage;
    nameFiles(storage, ctx);
    FileSession session(storage);
    FiaLoadCounts c = LoadFIAQuick(session, ctx.params);
    std::printf(
        "entries %d\nbanks added %d\nbanks updated %d\ncash accounts added %d\n"
        "cash accounts removed %d\ndefaults set %d\n",
        c.entries, c.banksAdded, c.banksUpdated, c.cashAdded, c.cashRemoved, c.defaultsSet);
    if (c.removalSkipped)
        std::printf("the suite's list was empty or incomplete: no cash account was removed\n");
    return c.failures ? 1 : 0;
}

int list(CliContext& ctx) {
    Storage storage;
    nameFiles(storage, ctx);
    FileSession session(storage);
    FileUse files(session, {FileId::APbnk, FileId::APbnu});
    BankBrowse browse(session);
    std::printf("Financial Institution Accounts\tBank Account\tJournals\n");
    std::vector<BankBrowseRow> page;
    ViewPosition last;
    bool first = true;
    for (;;) {
        if (Error err = browse.fetch(first ? nullptr : &last, 200, page); err != Error::None) {
            std::fprintf(stderr, "banks list: the banks cannot be read (error %d)\n",
                         errorNumber(err));
            return 1;
        }
        if (page.empty()) break;
        for (const auto& r : page)
            std::printf("%s\t%s\t%s\n", r.bank.Bank.c_str(), r.bankAccount.c_str(),
                        r.journals.c_str());
        last = page.back().position;
        first = false;
    }
    return 0;
}

bool onOff(const std::string& value, bool& out) {
    if (value == "on" || value == "yes" || value == "1") return out = true, true;
    if (value == "off" || value == "no" || value == "0") return out = false, true;
    return false;
}

// Finds the bank by name (without regard to case), or by BankID when the text is a number that
// names no bank; leaves it current in the session.
bool findBank(FileSession& session, const std::string& text) {
    auto& bnk = session.file<APbnk>();
    bnk.clear();
    bnk.rec.Bank = text;
    if (bnk.get(APBNK_KEY_BANK) == Error::None) return true;
    char* end = nullptr;
    long id = std::strtol(text.c_str(), &end, 10);
    if (end && *end == 0 && id > 0) {
        bnk.clear();
        bnk.rec.BankID = static_cast<int32_t>(id);
        return bnk.get(APBNK_KEY_BANKID) == Error::None;
    }
    return false;
}

int set(CliContext& ctx) {
    if (ctx.args.empty()) {
        std::fprintf(stderr, "banks set: which bank?\n");
        return 2;
    }
    Storage storage;
    nameFiles(storage, ctx);
    FileSession session(storage);
    FileUse files(session, {FileId::APbnk, FileId::APbnu});
    if (!findBank(session, ctx.args[0])) {
        std::fprintf(stderr, "banks set: no bank \"%s\"\n", ctx.args[0].c_str());
        return 1;
    }
    UpdateAPbnkPresenter form(session, ctx.params);
    form.open(ChangeRecord);
    for (size_t i = 1; i < ctx.args.size(); ++i) {
        const std::string& opt = ctx.args[i];
        if (i + 1 >= ctx.args.size()) {
            std::fprintf(stderr, "banks set: %s needs a value\n", opt.c_str());
            return 2;
        }
        const std::string value = ctx.args[++i];
        bool on = false;
        if (opt == "--service-charge" && onOff(value, on)) {
            form.setPosting(PostingAccount::ServiceCharge, on);
        } else if (opt == "--interest" && onOff(value, on)) {
            form.setPosting(PostingAccount::InterestEarned, on);
        } else if (opt == "--sc-journal") {
            form.setJournal(PostingAccount::ServiceCharge, value);
        } else if (opt == "--ie-journal") {
            form.setJournal(PostingAccount::InterestEarned, value);
        } else if (opt == "--sc-account") {
            form.setAccount(PostingAccount::ServiceCharge, value);
        } else if (opt == "--ie-account") {
            form.setAccount(PostingAccount::InterestEarned, value);
        } else if (opt == "--ap-bank") {
            form.bank().APBank = value;
        } else if (opt == "--pr-bank") {
            form.bank().PRBank = value;
        } else if (opt == "--default") {
            auto row = form.findCashAccount(value);
            if (!row) {
                std::fprintf(stderr, "banks set: the bank has no cash account \"%s\"\n",
                             value.c_str());
                return 1;
            }
            form.setDefault(*row);
        } else {
            std::fprintf(stderr, "banks set: unknown option %s %s\n", opt.c_str(), value.c_str());
            return 2;
        }
    }
    switch (form.save()) {
        case UpdateAPbnkPresenter::SaveOutcome::Saved:
            std::printf("saved %s\n", form.bank().Bank.c_str());
            return 0;
        default:
            return 1;
    }
}

int banks(CliContext& ctx) {
    if (ctx.args.empty()) {
        std::fprintf(stderr, "banks: load, list or set?\n");
        return 2;
    }
    const std::string sub = ctx.args.front();
    ctx.args.erase(ctx.args.begin());
    if (sub == "load") return load(ctx);
    if (sub == "list") return list(ctx);
    if (sub == "set") return set(ctx);
    std::fprintf(stderr, "banks: unknown sub-command \"%s\"\n", sub.c_str());
    return 2;
}

CliCommand registerBanks(
    "banks",
    "banks load | banks list | banks set BANK [--service-charge on|off] [--sc-journal ABBR] "
    "[--sc-account ACCOUNT] [--interest on|off] [--ie-journal ABBR] [--ie-account ACCOUNT] "
    "[--ap-bank CODE] [--pr-bank CODE] [--default CASHACCOUNT]",
    banks);

}  // namespace

}  // namespace cli
