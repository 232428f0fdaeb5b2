// bankrec-cli rec: the reconciliation list, worksheet, range marking, viewer and deletion without
// windows, through the same procedures.
//   rec list BANK                       the bank's statements, oldest first
//   rec open BANK [--opening-date D] [--opening-balance X] [--ending-date D] [--ending-balance X]
//                 [--service-charge X] [--service-charge-date D] [--interest X] [--interest-date D]
//                                       finds or adds the open statement, sets what is given and
//                                       saves it; prints its summary and the difference
//   rec show BANK                       the open statement with both lists and their marks
//   rec mark BANK REF... [--deposit ID]...   marks checks by number (deposits by ID)
//   rec unmark BANK REF... [--deposit ID]... unmarks them
//   rec range BANK FROM TO [--unmark]   marks (unmarks) the checks numbered FROM..TO
//   rec view ID                         a completed statement with the items it captured
//   rec delete ID --yes                 deletes a statement as the list does
//   rec import BANK ...                 marks the checks a bank's list names (cmd_rec_import.cpp)
//   rec complete BANK [--yes]           "Do&ne": the completion checks and question (--yes
//                                       answers Yes), completion, and the export to the suite
//   rec post ID                         "&Post": sends a completed statement to the suite again
// BANK is a BankID or a bank name; dates are YYYY-MM-DD. Exit codes: 0 done, 1 failed, 2 wrong
// usage, 3 the question was refused (no --yes). Every error is one line on standard error.
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bankrec/reconcile/export_aprec.h"
#include "bankrec/reconcile/reconcile_calls.h"
#include "bankrec/reconcile/reconcile_texts.h"
#include "bankrec/reconcile/reconciliation_list.h"
#include "bankrec/reconcile/update_aprec.h"
#include "bankrec/reconcile/update_aprec_delete.h"
#include "bankrec/reconcile/update_aprec_done.h"
#include "bankrec/reconcile/update_aprec_new.h"
#include "bankrec/reconcile/update_aprec_range.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/storage.h"
#include "bankrec/storage/view.h"
#include "command.h"
#include "corelib/daytime.h"
#include "corelib/globals.h"
#include "corelib/message_box.h"
#include "corelib/message_script.h"
#include "corelib/picture.h"
#include "corelib/text.h"

using namespace corelib;
using namespace storage;
using namespace reconcile;

namespace cli {

// "rec import" (cmd_rec_import.cpp).
int recImport(CliContext& ctx);

namespace {

enum ExitCode { Done = 0, Failed = 1, Usage = 2, Refused = 3 };

// The division's files in the data folder (the current directory by now), the files the
// command needs open, and a message service that writes every message to standard error and
// answers with the default button, or the positive one with --yes.
struct RecCli {
    explicit RecCli(const CliContext& ctx) : session(nameFiles(storage, ctx)) {
        messages = std::make_shared<ScriptedMessages>(ScriptedMessages::HaltMode::Exit);
        messages->setEcho(true);
        messages->setAssumeYes(ctx.assumeYes);
        previous = ThisMessageBox.setBackend(messages);
        if (glo_ApplicationName.empty()) glo_ApplicationName = "Bank Reconciliation";
        glo_UserID = ctx.params.USERID;
        files = std::make_unique<FileUse>(
            session, std::initializer_list<FileId>{FileId::APbnk, FileId::APbac, FileId::APrec});
    }
    ~RecCli() {
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
    std::shared_ptr<ScriptedMessages> messages;
    std::shared_ptr<MessageBackend> previous;
    ReconcileCalls& calls = reconcileCalls();
};

int error(const std::string& text, int code = Failed) {
    std::fprintf(stderr, "bankrec-cli rec: %s\n", text.c_str());
    return code;
}

bool allDigits(const std::string& s) {
    if (s.empty() || s.size() > 9) return false;
    for (char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

// The bank by BankID, else by name, into the APbnk buffer (where the procedures look for it).
bool findBank(FileSession& session, const std::string& which) {
    RecordFile<APbnk>& f = session.file<APbnk>();
    if (allDigits(which)) {
        f.clear();
        f.rec.BankID = std::stoi(which);
        if (f.get(APBNK_KEY_BANKID) == Error::None) return true;
    }
    f.clear();
    f.rec.Bank = which;
    return f.get(APBNK_KEY_BANK) == Error::None && text::equalNoCase(f.rec.Bank, which);
}

std::optional<int32_t> isoDate(const std::string& s) {
    int y = 0, m = 0, d = 0;
    char tail = 0;
    if (s.size() != 10 || std::sscanf(s.c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &tail) != 3)
        return std::nullopt;
    const int32_t day = daytime::dayNumber(y, m, d);
    if (day == 0) return std::nullopt;
    return day;
}

std::string isoText(int32_t day) {
    if (day <= 0) return "";
    const daytime::Ymd v = daytime::ymd(day);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", v.year, v.month, v.day);
    return buf;
}

std::optional<Decimal> amount(const std::string& s) {
    static const picture::Picture money = *picture::Picture::parse("@n-19.2");
    auto v = picture::parseNumber(money, s);
    if (!v || !v->inRange() || text::trimRight(s).empty()) return std::nullopt;
    return v;
}

void printSummary(const APrec& r, const std::string& bank, Decimal difference) {
    std::printf("Reconciliation %d\t%s\t%s\n", r.ReconciliationID, bank.c_str(),
                r.Done ? "done" : "open");
    std::printf("Closing Balance from Previous Statement\t%s\t%s\n", isoText(r.OpeningDate).c_str(),
                moneyText(r.OpeningBalance).c_str());
    std::printf("Deposits and Other Additions\t%d\t%s\n", r.DepositsMarked,
                moneyText(r.DepositsMarkedAmount).c_str());
    std::printf("Checks and Other Withdrawals\t%d\t%s\n", r.ChecksMarked,
                moneyText(r.ChecksMarkedAmount).c_str());
    std::printf("Service Charge\t%s\t%s\n", isoText(r.ServiceChargeDate).c_str(),
                moneyText(r.ServiceCharge).c_str());
    std::printf("Interest Earned\t%s\t%s\n", isoText(r.InterestEarnedDate).c_str(),
                moneyText(r.InterestEarned).c_str());
    std::printf("Closing Balance for this Statement\t%s\t%s\n", isoText(r.EndingDate).c_str(),
                moneyText(r.EndingBalance).c_str());
    if (!r.Done) std::printf("Difference\t%s\n", moneyText(difference).c_str());
}

// The open statement of the bank named in args[1], in a worksheet; nullptr with the error
// printed (and `code` set) when it cannot be had.
std::unique_ptr<Worksheet> worksheet(RecCli& cli, const CliContext& ctx, bool mayAdd, int& code) {
    if (!findBank(cli.session, ctx.args[1])) {
        code = error("no bank \"" + ctx.args[1] + "\"");
        return nullptr;
    }
    auto w = std::make_unique<Worksheet>(cli.session, ctx.params, cli.calls);
    if (!w->open(mayAdd)) {
        code = error(mayAdd ? "the reconciliation of \"" + ctx.args[1] + "\" cannot be opened"
                            : "\"" + ctx.args[1] +
                                  "\" has no open reconciliation (rec open BANK starts one)");
        return nullptr;
    }
    return w;
}

int saveAndShow(Worksheet& w) {
    if (w.ok() != Worksheet::Outcome::Close)
        return error("the reconciliation was not saved (" +
                     std::to_string(w.record().ReconciliationID) + ")");
    printSummary(w.record(), w.bank().Bank, w.difference());
    return Done;
}

int list(CliContext& ctx, RecCli& cli) {
    if (ctx.args.size() != 2) return error("usage: rec list BANK", Usage);
    if (!findBank(cli.session, ctx.args[1])) return error("no bank \"" + ctx.args[1] + "\"");
    ReconciliationList l(cli.session, ctx.params, cli.calls);
    if (!l.open(cli.session.file<APbnk>().rec.BankID)) return Failed;
    const auto& h = listHeadings();
    std::printf("ID\tStatus\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n", h[ColStatementDate].c_str(),
                h[ColOpeningBalance].c_str(), h[ColDepositsMarked].c_str(),
                h[ColChecksMarked].c_str(), h[ColServiceCharge].c_str(),
                h[ColInterestEarned].c_str(), h[ColEndingBalance].c_str());
    for (int64_t i = 0; i < l.rows().count(); ++i) {
        const auto* r = l.rows().row(i);
        if (!r) return error("the list changed while printed");
        const auto t = listTexts(r->rec);
        std::printf("%d\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n", r->rec.ReconciliationID,
                    t[ColStatus].c_str(), isoText(r->rec.EndingDate).c_str(),
                    t[ColOpeningBalance].c_str(), t[ColDepositsMarked].c_str(),
                    t[ColChecksMarked].c_str(), t[ColServiceCharge].c_str(),
                    t[ColInterestEarned].c_str(), t[ColEndingBalance].c_str());
    }
    return Done;
}

int open(CliContext& ctx, RecCli& cli) {
    if (ctx.args.size() < 2) return error("usage: rec open BANK [options]", Usage);
    // Every option is read before anything is opened or added.
    struct Setting {
        const char* option;
        SummaryField field;
        bool date;
    };
    static const Setting settings[] = {
        {"--opening-date", SummaryField::OpeningDate, true},
        {"--opening-balance", SummaryField::OpeningBalance, false},
        {"--ending-date", SummaryField::EndingDate, true},
        {"--ending-balance", SummaryField::EndingBalance, false},
        {"--service-charge", SummaryField::ServiceCharge, false},
        {"--service-charge-date", SummaryField::ServiceChargeDate, true},
        {"--interest", SummaryField::InterestEarned, false},
        {"--interest-date", SummaryField::InterestEarnedDate, true},
    };
    struct Given {
        const Setting* setting;
        int32_t day = 0;
        Decimal value;
    };
    std::vector<Given> given;
    for (size_t i = 2; i < ctx.args.size(); ++i) {
        const Setting* s = nullptr;
        for (const Setting& candidate : settings)
            if (ctx.args[i] == candidate.option) s = &candidate;
        if (!s) return error("unknown option \"" + ctx.args[i] + "\"", Usage);
        if (i + 1 >= ctx.args.size())
            return error(std::string(s->option) + " needs a value", Usage);
        const std::string& v = ctx.args[++i];
        Given g;
        g.setting = s;
        if (s->date) {
            const auto d = isoDate(v);
            if (!d) return error(std::string(s->option) + ": not a date YYYY-MM-DD: " + v, Usage);
            g.day = *d;
        } else {
            const auto a = amount(v);
            if (!a) return error(std::string(s->option) + ": not an amount: " + v, Usage);
            g.value = *a;
        }
        given.push_back(g);
    }
    int code = Done;
    auto w = worksheet(cli, ctx, true, code);
    if (!w) return code;
    APrec& r = w->record();
    for (const Given& g : given) {
        if (!w->editable(g.setting->field)) {
            w->closeWithoutSaving();
            return error(std::string(g.setting->option) + ": \"" + w->bank().Bank +
                         "\" does not post it to the ledger; the field cannot be set");
        }
        switch (g.setting->field) {
            case SummaryField::OpeningDate:
                r.OpeningDate = g.day;
                break;
            case SummaryField::OpeningBalance:
                r.OpeningBalance = g.value;
                break;
            case SummaryField::EndingDate:
                r.EndingDate = g.day;
                break;
            case SummaryField::EndingBalance:
                r.EndingBalance = g.value;
                break;
            case SummaryField::ServiceCharge:
                r.ServiceCharge = g.value;
                break;
            case SummaryField::ServiceChargeDate:
                r.ServiceChargeDate = g.day;
                break;
            case SummaryField::InterestEarned:
                r.InterestEarned = g.value;
                break;
            case SummaryField::InterestEarnedDate:
                r.InterestEarnedDate = g.day;
                break;
            case SummaryField::None:
                break;
        }
    }
    const int rc = saveAndShow(*w);
    if (rc != Done) w->closeWithoutSaving();
    return rc;
}

void printList(Worksheet& w, WorksheetList which) {
    std::printf("%s\n", which == WorksheetList::Checks ? "Checks and Other Withdrawals"
                                                       : "Deposits and Other Additions");
    auto& rows = w.list(which);
    for (int64_t i = 0; i < rows.count(); ++i) {
        const auto* r = rows.row(i);
        if (!r) break;
        const APbac& a = r->rec;
        if (which == WorksheetList::Checks)
            std::printf("%s\t%d\t%s\t%s\t%s\t%s\t%s\n", Worksheet::marker(a).c_str(), a.ActivityID,
                        isoText(a.ActivityDate).c_str(), a.Reference.c_str(), a.Name.c_str(),
                        a.Description.c_str(), moneyText(a.PaymentOrDebit).c_str());
        else
            std::printf("%s\t%d\t%s\t%s\t%s\n", Worksheet::marker(a).c_str(), a.ActivityID,
                        isoText(a.ActivityDate).c_str(), a.Description.c_str(),
                        moneyText(a.DepositOrCredit).c_str());
    }
}

int show(CliContext& ctx, RecCli& cli) {
    if (ctx.args.size() != 2) return error("usage: rec show BANK", Usage);
    int code = Done;
    auto w = worksheet(cli, ctx, false, code);
    if (!w) return code;
    printSummary(w->record(), w->bank().Bank, w->difference());
    printList(*w, WorksheetList::Deposits);
    printList(*w, WorksheetList::Checks);
    return Done;
}

// Every unreconciled check of the bank numbered `reference` (without regard to case).
std::vector<int32_t> checksNumbered(FileSession& session, int32_t bankId,
                                    const std::string& reference) {
    View<APbac> v(session, APBAC_KEY_BANKIDREFERENCE);
    v.bindings().bind("Find:BankID", int64_t{bankId});
    v.bindings().bind("Find:Reference", reference);
    std::vector<int32_t> ids;
    if (v.setFilter("APbac:BankID = Find:BankID AND APbac:Reference = Find:Reference AND NOT "
                    "APbac:Reconciled AND APbac:ActivityType = 'Check'") != Error::None)
        return ids;
    std::vector<View<APbac>::Row> page;
    if (v.fetch(nullptr, 100, page) == Error::None)
        for (const auto& r : page) ids.push_back(r.rec.ActivityID);
    return ids;
}

int mark(CliContext& ctx, RecCli& cli, bool on) {
    const char* verb = on ? "mark" : "unmark";
    std::vector<std::string> references;
    std::vector<int32_t> deposits;
    for (size_t i = 2; i < ctx.args.size(); ++i) {
        if (ctx.args[i] == "--deposit") {
            if (i + 1 >= ctx.args.size() || !allDigits(ctx.args[i + 1]))
                return error("--deposit needs an activity ID", Usage);
            deposits.push_back(std::stoi(ctx.args[++i]));
        } else if (ctx.args[i].rfind("--", 0) == 0) {
            return error("unknown option \"" + ctx.args[i] + "\"", Usage);
        } else {
            references.push_back(ctx.args[i]);
        }
    }
    if (ctx.args.size() < 2 || (references.empty() && deposits.empty()))
        return error(std::string("usage: rec ") + verb + " BANK REF... [--deposit ID]...", Usage);
    int code = Done;
    auto w = worksheet(cli, ctx, false, code);
    if (!w) return code;
    int failures = 0;
    auto apply = [&](int32_t id, const std::string& what, bool deposit) {
        RecordFile<APbac>& f = cli.session.file<APbac>();
        f.clear();
        f.rec.ActivityID = id;
        if (deposit && (f.get(APBAC_KEY_ACTIVITYID) != Error::None ||
                        !text::equalNoCase(f.rec.ActivityType, "Deposit"))) {
            error(what + " is not a deposit of the bank");
            ++failures;
            return;
        }
        switch (w->setMark(id, on)) {
            case Worksheet::MarkResult::Marked:
            case Worksheet::MarkResult::Unchanged:
                break;
            case Worksheet::MarkResult::NotInList:
                error(what + " is not an unreconciled item of the bank");
                ++failures;
                break;
            case Worksheet::MarkResult::Failed:
                ++failures;
                break;
        }
    };
    for (const std::string& ref : references) {
        const std::vector<int32_t> ids = checksNumbered(cli.session, w->bank().BankID, ref);
        if (ids.empty()) {
            error("no unreconciled check numbered \"" + ref + "\"");
            ++failures;
        }
        for (int32_t id : ids) apply(id, "check " + ref, false);
    }
    for (int32_t id : deposits) apply(id, "deposit " + std::to_string(id), true);
    // The statement's figures follow the marks and are saved with it.
    w->rebuild();
    const int rc = saveAndShow(*w);
    return failures ? Failed : rc;
}

int range(CliContext& ctx, RecCli& cli) {
    bool unmark = false;
    std::vector<std::string> words;
    for (size_t i = 1; i < ctx.args.size(); ++i) {
        if (ctx.args[i] == "--unmark")
            unmark = true;
        else if (ctx.args[i].rfind("--", 0) == 0)
            return error("unknown option \"" + ctx.args[i] + "\"", Usage);
        else
            words.push_back(ctx.args[i]);
    }
    if (words.size() != 3) return error("usage: rec range BANK FROM TO [--unmark]", Usage);
    if (words[1].size() > 20 || words[2].size() > 20)
        return error("a check number has at most 20 characters", Usage);
    ctx.args = {ctx.args[0], words[0]};
    int code = Done;
    auto w = worksheet(cli, ctx, false, code);
    if (!w) return code;
    RangeDialog dialog(cli.session);
    dialog.from = words[1];
    dialog.to = words[2];
    dialog.mark = !unmark;
    if (!dialog.accept()) return Usage;  // the invalid-range message was shown
    if (dialog.result().failed) return Failed;
    w->rebuild();
    std::printf("%d check(s) %s for a total of %s\n", dialog.result().count,
                unmark ? "unmarked" : "marked", moneyText(dialog.result().total).c_str());
    return saveAndShow(*w);
}

bool readStatement(RecCli& cli, const std::string& id) {
    if (!allDigits(id)) return false;
    RecordFile<APrec>& f = cli.session.file<APrec>();
    f.clear();
    f.rec.ReconciliationID = std::stoi(id);
    return f.get(APREC_KEY_RECONCILIATIONID) == Error::None;
}

int view(CliContext& ctx, RecCli& cli) {
    if (ctx.args.size() != 2) return error("usage: rec view ID", Usage);
    if (!allDigits(ctx.args[1])) return error("ID must be a number", Usage);
    if (!readStatement(cli, ctx.args[1])) return error("no reconciliation " + ctx.args[1]);
    if (!cli.session.file<APrec>().rec.Done)
        return error("reconciliation " + ctx.args[1] + " is open (rec show BANK shows it)");
    RecordFile<APbnk>& bank = cli.session.file<APbnk>();
    bank.clear();
    bank.rec.BankID = cli.session.file<APrec>().rec.BankID;
    (void)bank.get(APBNK_KEY_BANKID);  // a bank gone shows without its name
    FileUse captured(cli.session, {FileId::APrac});
    GlobalRequest = ViewRecord;
    int rc = Done;
    (void)UpdateAPrec(
        cli.session, ctx.params, cli.calls,
        [&](ReconciliationViewer& v) {
            const APrec& r = v.record();
            printSummary(r, bank.rec.Bank, Decimal());
            std::printf("%s\t%d\n%s\t%d\n", v.serviceChargePrompt().c_str(), r.ServiceChargeBatch,
                        v.interestPrompt().c_str(), r.InterestEarnedBatch);
            for (bool checks : {false, true}) {
                std::printf("%s\n", checks ? "Checks and Other Withdrawals"
                                           : "Deposits and Other Additions");
                auto& rows = checks ? v.checks() : v.deposits();
                for (int64_t i = 0; i < rows.count(); ++i) {
                    const auto* row = rows.row(i);
                    if (!row) {
                        rc = error("the captured items changed while printed");
                        return;
                    }
                    const APrac& a = row->rec;
                    std::printf("%s\t%s\t%s\t%s\t%s\t%s\n", ReconciliationViewer::marker(a).c_str(),
                                isoText(a.ActivityDate).c_str(), a.Reference.c_str(),
                                a.Name.c_str(), a.Description.c_str(), moneyText(a.Amount).c_str());
                }
            }
        },
        kListTitle);
    return rc;
}

int remove(CliContext& ctx, RecCli& cli) {
    if (ctx.args.size() != 2) return error("usage: rec delete ID --yes", Usage);
    if (!allDigits(ctx.args[1])) return error("ID must be a number", Usage);
    if (!readStatement(cli, ctx.args[1])) return error("no reconciliation " + ctx.args[1]);
    GlobalRequest = DeleteRecord;
    const size_t before = cli.messages->count();
    if (UpdateAPrec(cli.session, ctx.params, cli.calls, {}, kListTitle) == RequestCompleted) {
        std::printf("reconciliation %s deleted\n", ctx.args[1].c_str());
        return Done;
    }
    // Declined for want of --yes: only the question was shown.
    if (!ctx.assumeYes && cli.messages->count() == before + 1)
        return error("reconciliation " + ctx.args[1] + " was not deleted (confirm with --yes)",
                     Refused);
    return error("reconciliation " + ctx.args[1] + " was not deleted");
}

// What the export sent and posted, one line each; Failed when the suite refused or a posting
// failed (its batch stays 0 for a later "rec post").
int printExport(const ExportResult& r, const APbnk& bank) {
    if (!r.refusal.empty()) return error("nothing sent to the suite: " + r.refusal);
    std::printf("sent to the suite: %d cleared item%s\n", r.itemsSent, r.itemsSent == 1 ? "" : "s");
    auto batch = [](const char* what, int32_t number, bool postedNow, bool posts,
                    const std::string& failure) {
        if (number)
            std::printf("%s: batch %d%s\n", what, number, postedNow ? "" : " (posted before)");
        else if (!failure.empty())
            std::printf("%s: not posted: %s\n", what, failure.c_str());
        else
            std::printf("%s: %s\n", what, posts ? "nothing to post" : "not posted by this bank");
    };
    batch("service charge", r.serviceChargeBatch, r.serviceChargePosted,
          bank.ServiceChargePost != 0, r.serviceChargeError);
    batch("interest earned", r.interestBatch, r.interestPosted, bank.InterestEarnedPost != 0,
          r.interestError);
    return r.serviceChargeError.empty() && r.interestError.empty() ? Done : Failed;
}

std::string plural(int32_t n, const char* what) {
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

// "Do&ne" of the bank's open statement, through the worksheet's own checks and question; the
// completion and the export report what they did.
int complete(CliContext& ctx, RecCli& cli) {
    if (ctx.args.size() != 2) return error("usage: rec complete BANK [--yes]", Usage);
    if (!findBank(cli.session, ctx.args[1])) return error("no bank \"" + ctx.args[1] + "\"");
    const APbnk bank = cli.session.file<APbnk>().rec;
    std::optional<DoneResult> done;
    std::optional<ExportResult> sent;
    ReconcileCalls calls = cli.calls;
    calls.UpdateAPrecDone = [&](FileSession& s, const shell::StartupParameters&) {
        done = UpdateAPrecDone(s);
    };
    calls.ExportAPrec = [&](FileSession& s, const shell::StartupParameters& params) {
        sent = ExportAPrec(s, params);
    };
    Worksheet w(cli.session, ctx.params, calls);
    if (!w.open(false)) return error(bank.Bank + " has no open reconciliation");
    const int32_t id = w.record().ReconciliationID;
    (void)w.done();
    if (!done) {
        // Stopped before completing: a check, the suite's register, the question or the save
        // (the message said which).
        const RecordedMessage* last = cli.messages->last();
        if (last && last->answer == msg::No &&
            last->text.rfind("Completing the reconciliation", 0) == 0)
            return error(
                "reconciliation " + std::to_string(id) + " was not completed (confirm with --yes)",
                Refused);
        return error("reconciliation " + std::to_string(id) + " was not completed");
    }
    if (!done->done)
        return error("reconciliation " + std::to_string(id) + " was not completed; it is open");
    std::printf("reconciliation %d of %s completed: %s %s and %s %s cleared, %s captured\n", id,
                bank.Bank.c_str(), plural(done->checksMarked, "check").c_str(),
                moneyText(done->checksMarkedAmount).c_str(),
                plural(done->depositsMarked, "deposit").c_str(),
                moneyText(done->depositsMarkedAmount).c_str(),
                plural(done->snapshotRows, "item").c_str());
    if (!sent) return error("nothing was sent to the suite");
    return printExport(*sent, bank);
}

// "&Post" of a completed statement.
int post(CliContext& ctx, RecCli& cli) {
    if (ctx.args.size() != 2) return error("usage: rec post ID", Usage);
    if (!allDigits(ctx.args[1])) return error("ID must be a number", Usage);
    if (!readStatement(cli, ctx.args[1])) return error("no reconciliation " + ctx.args[1]);
    if (!cli.session.file<APrec>().rec.Done)
        return error("reconciliation " + ctx.args[1] + " is open (rec complete BANK completes it)");
    const ExportResult sent = ExportAPrec(cli.session, ctx.params);
    if (!sent.ran) return error("reconciliation " + ctx.args[1] + " could not be read");
    return printExport(sent, cli.session.file<APbnk>().rec);
}

int rec(CliContext& ctx) {
    static const char* kUsage =
        "usage: rec list|show BANK, rec open BANK [options], rec mark|unmark BANK REF... "
        "[--deposit ID]..., rec range BANK FROM TO [--unmark], rec view ID, rec delete ID --yes, "
        "rec complete BANK [--yes], rec post ID, rec import BANK --fixed|--comma|--sheet FILE "
        "[options]";
    if (ctx.args.size() < 2) return error(kUsage, Usage);
    const std::string verb = ctx.args[0];
    if (verb == "import") return recImport(ctx);
    int (*run)(CliContext&, RecCli&) = nullptr;
    if (verb == "list") run = list;
    if (verb == "open") run = open;
    if (verb == "show") run = show;
    if (verb == "range") run = range;
    if (verb == "view") run = view;
    if (verb == "delete") run = remove;
    if (verb == "complete") run = complete;
    if (verb == "post") run = post;
    const bool marking = verb == "mark" || verb == "unmark";
    if (!run && !marking) return error(kUsage, Usage);
    RecCli cli(ctx);
    if (cli.files->error() != Error::None) return Failed;
    if (marking) return mark(ctx, cli, verb == "mark");
    return run(ctx, cli);
}

const CliCommand recCommand(
    "rec",
    "rec list|show BANK | open BANK [--ending-date D --ending-balance X ...] | mark|unmark BANK "
    "REF... [--deposit ID] | range BANK FROM TO [--unmark] | view ID | delete ID --yes | "
    "complete BANK [--yes] | post ID | import BANK --fixed|--comma|--sheet FILE [--check P] "
    "[--amount P] [--cleared P] [--no-amount] [--assume-decimal] [--first-row N] [--last-row N]  "
    "reconciliations",
    rec);

}  // namespace

}  // namespace cli
