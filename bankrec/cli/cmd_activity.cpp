// bankrec-cli activity: the transaction register without windows.
//   activity load BANK        loads the suite's open transactions of the bank into the register
//   activity list BANK        prints the register, one line per row
//   activity delete ID        deletes an activity row as its form does (--yes confirms)
// BANK is a BankID or a bank name (without regard to case).
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "bankrec/activity/activity_pager.h"
#include "bankrec/activity/load_chk.h"
#include "bankrec/activity/register_rows.h"
#include "bankrec/activity/update_apbac.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/storage.h"
#include "bankrec/storage/view.h"
#include "command.h"
#include "corelib/globals.h"
#include "corelib/message_box.h"
#include "corelib/message_script.h"
#include "corelib/text.h"

using namespace corelib;
using namespace storage;
using namespace activity;

namespace cli {

namespace {

// The division's files in the data folder (the current directory by now), the files the
// command needs open, and a message service that writes every message to standard error and
// answers with the default button, or the positive one with --yes.
struct ActivityCli {
    explicit ActivityCli(const CliContext& ctx) : session(nameFiles(storage, ctx)) {
        auto scripted = std::make_shared<ScriptedMessages>(ScriptedMessages::HaltMode::Exit);
        scripted->setEcho(true);
        scripted->setAssumeYes(ctx.assumeYes);
        previous = ThisMessageBox.setBackend(scripted);
        if (glo_ApplicationName.empty()) glo_ApplicationName = "Bank Reconciliation";
        glo_UserID = ctx.params.USERID;
        files = std::make_unique<FileUse>(
            session, std::initializer_list<FileId>{FileId::APbnk, FileId::APbac});
    }
    ~ActivityCli() {
        files.reset();
        ThisMessageBox.setBackend(previous);
    }
    static Storage& nameFiles(Storage& storage, const CliContext& ctx) {
        std::error_code ec;
        const std::filesystem::path here = std::filesystem::current_path(ec);
        storage.nameFiles(ec ? ctx.params.DATAPATH : here.string(), ctx.params.DIVISION);
        return storage;
    }

    Storage storage;
    FileSession session;
    std::unique_ptr<FileUse> files;
    std::shared_ptr<MessageBackend> previous;
};

bool allDigits(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

// Finds the bank by BankID, else by name (the first in name order); false when none.
bool findBank(FileSession& session, const std::string& which, APbnk& out) {
    RecordFile<APbnk>& f = session.file<APbnk>();
    if (allDigits(which)) {
        f.clear();
        f.rec.BankID = static_cast<int32_t>(std::stol(which));
        if (f.get(APBNK_KEY_BANKID) == Error::None) {
            out = f.rec;
            return true;
        }
    }
    f.clear();
    f.rec.Bank = which;
    if (f.get(APBNK_KEY_BANK) == Error::None && text::equalNoCase(f.rec.Bank, which)) {
        out = f.rec;
        return true;
    }
    return false;
}

int usageError(const char* text) {
    std::fprintf(stderr, "bankrec-cli activity: %s\n", text);
    return 2;
}

int load(CliContext& ctx, ActivityCli& cli) {
    APbnk bank;
    if (!findBank(cli.session, ctx.args[1], bank)) {
        std::fprintf(stderr, "bankrec-cli activity: no bank \"%s\"\n", ctx.args[1].c_str());
        return 1;
    }
    const ChkLoadCounts c = LoadChkThread(cli.session, ctx.params, bank.BankID, bank.FIAID);
    std::printf(
        "%s: %d entries, %d added, %d updated, %d unchanged, %d reconciled skipped, "
        "%d other source skipped, %d failed\n",
        bank.Bank.c_str(), c.entries, c.added, c.updated, c.unchanged, c.reconciledSkipped,
        c.otherSourceSkipped, c.failed);
    return c.failed ? 1 : 0;
}

int list(CliContext& ctx, ActivityCli& cli) {
    APbnk bank;
    if (!findBank(cli.session, ctx.args[1], bank)) {
        std::fprintf(stderr, "bankrec-cli activity: no bank \"%s\"\n", ctx.args[1].c_str());
        return 1;
    }
    ActivityPager pager(cli.session, 500, 2);
    if (pager.setBank(bank.BankID) != Error::None) {
        std::fprintf(stderr, "bankrec-cli activity: the register of \"%s\" cannot be read\n",
                     bank.Bank.c_str());
        return 1;
    }
    const auto& h = registerHeadings();
    std::printf("ID\t%s\tType\t%s\t%s\t%s\t%s\t%s\n", h[ColActivityDate].c_str(),
                h[ColCheck].c_str(), h[ColToOrFrom].c_str(), h[ColPayment].c_str(),
                h[ColIndicator].c_str(), h[ColDeposit].c_str());
    for (int64_t i = 0; i < pager.count(); ++i) {
        const RegisterRow* row = pager.row(i);
        if (!row) {
            std::fprintf(stderr, "bankrec-cli activity: the register changed while printed\n");
            return 1;
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
    return 0;
}

int remove(CliContext& ctx, ActivityCli& cli) {
    if (!allDigits(ctx.args[1])) return usageError("ID must be a number");
    RecordFile<APbac>& f = cli.session.file<APbac>();
    f.clear();
    f.rec.ActivityID = static_cast<int32_t>(std::stol(ctx.args[1]));
    if (f.get(APBAC_KEY_ACTIVITYID) != Error::None) {
        std::fprintf(stderr, "bankrec-cli activity: no activity %s\n", ctx.args[1].c_str());
        return 1;
    }
    if (!canDeleteActivity(f.rec)) {
        std::fprintf(stderr,
                     "bankrec-cli activity: activity %s is reconciled and cannot be "
                     "deleted\n",
                     ctx.args[1].c_str());
        return 1;
    }
    GlobalRequest = DeleteRecord;
    if (UpdateAPbac(cli.session) != RequestCompleted) {
        std::fprintf(stderr, "bankrec-cli activity: activity %s was not deleted\n",
                     ctx.args[1].c_str());
        return 1;
    }
    std::printf("activity %s deleted\n", ctx.args[1].c_str());
    return 0;
}

int activity(CliContext& ctx) {
    if (ctx.args.size() != 2)
        return usageError("usage: activity load|list BANK, activity delete ID");
    const std::string& verb = ctx.args[0];
    if (verb != "load" && verb != "list" && verb != "delete")
        return usageError("unknown sub-command; use load, list or delete");
    ActivityCli cli(ctx);
    if (cli.files->error() != Error::None) return 1;
    if (verb == "load") return load(ctx, cli);
    if (verb == "list") return list(ctx, cli);
    return remove(ctx, cli);
}

const CliCommand activityCommand(
    "activity", "activity load|list BANK | delete ID [--yes]  the transaction register of a bank",
    activity);

}  // namespace

}  // namespace cli
