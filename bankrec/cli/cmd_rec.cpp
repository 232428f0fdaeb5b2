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
//   rec delete ID                       deletes a statement as the list does (asks: --yes)
//   rec import BANK ...                 marks the checks a bank's list names (cmd_rec_import.cpp)
//   rec complete BANK                   "Do&ne": the completion checks and question (asks:
//                                       --yes), completion, and the export to the suite
//   rec post ID                         "&Post": sends a completed statement to the suite again
// BANK is a bank's name or its BankID; dates are YYYY-MM-DD.
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bank_lookup.h"
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
#include "corelib/text.h"
#include "json_output.h"

using namespace corelib;
using namespace storage;
using namespace reconcile;

namespace cli {

namespace {

// The files the rec commands work on, open in a session of the command, and the program's
// reconciliation calls (a copy a command may redirect to learn what a call did).
struct RecCli {
    explicit RecCli(Command& cmd)
        : session(cmd.storage()), files(session, {FileId::APbnk, FileId::APbac, FileId::APrec}) {}
    FileSession session;
    FileUse files;
    ReconcileCalls calls = reconcileCalls();
};

std::string isoText(int32_t day) {
    if (day <= 0) return "";
    const daytime::Ymd v = daytime::ymd(day);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", v.year, v.month, v.day);
    return buf;
}

QJsonObject summaryJson(const APrec& r, const std::string& bank, Decimal difference) {
    QJsonObject o{{"reconciliationId", r.ReconciliationID},
                  {"bank", jsonText(bank)},
                  {"done", r.Done != 0},
                  {"openingDate", jsonDate(r.OpeningDate)},
                  {"openingBalance", jsonMoney(r.OpeningBalance)},
                  {"depositsMarked", r.DepositsMarked},
                  {"depositsMarkedAmount", jsonMoney(r.DepositsMarkedAmount)},
                  {"checksMarked", r.ChecksMarked},
                  {"checksMarkedAmount", jsonMoney(r.ChecksMarkedAmount)},
                  {"serviceChargeDate", jsonDate(r.ServiceChargeDate)},
                  {"serviceCharge", jsonMoney(r.ServiceCharge)},
                  {"interestEarnedDate", jsonDate(r.InterestEarnedDate)},
                  {"interestEarned", jsonMoney(r.InterestEarned)},
                  {"endingDate", jsonDate(r.EndingDate)},
                  {"endingBalance", jsonMoney(r.EndingBalance)}};
    if (!r.Done) o["difference"] = jsonMoney(difference);
    return o;
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

// The open statement of the bank named by BANK, in a worksheet; nullptr with the failure
// reported (in `exit`) when it cannot be had.
std::unique_ptr<Worksheet> worksheet(RecCli& cli, Command& cmd, bool mayAdd, Exit& exit) {
    const std::string& which = cmd.text("BANK");
    if (!findBank(cli.session, which)) {
        exit = cmd.fail("no bank \"" + which + "\"");
        return nullptr;
    }
    auto w = std::make_unique<Worksheet>(cli.session, cmd.params(), cli.calls);
    if (!w->open(mayAdd)) {
        exit = cmd.fail(mayAdd ? "the reconciliation of \"" + which + "\" cannot be opened"
                               : "\"" + which +
                                     "\" has no open reconciliation (rec open BANK starts one)");
        return nullptr;
    }
    return w;
}

// Saves the worksheet and shows its summary; `more` joins the JSON document.
Exit saveAndShow(Command& cmd, Worksheet& w, const QJsonObject& more = {}) {
    if (w.ok() != Worksheet::Outcome::Close)
        return cmd.fail("the reconciliation was not saved (" +
                        std::to_string(w.record().ReconciliationID) + ")");
    if (cmd.json()) {
        QJsonObject doc = summaryJson(w.record(), w.bank().Bank, w.difference());
        for (auto i = more.begin(); i != more.end(); ++i) doc[i.key()] = i.value();
        printJson(doc);
    } else
        printSummary(w.record(), w.bank().Bank, w.difference());
    return Exit::Done;
}

Exit list(Command& cmd) {
    RecCli cli(cmd);
    if (!findBank(cli.session, cmd.text("BANK")))
        return cmd.fail("no bank \"" + cmd.text("BANK") + "\"");
    const APbnk bank = cli.session.file<APbnk>().rec;
    ReconciliationList l(cli.session, cmd.params(), cli.calls);
    if (!l.open(bank.BankID)) return cmd.fail("the reconciliations cannot be read");
    const auto& h = listHeadings();
    if (!cmd.json())
        std::printf("ID\tStatus\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n", h[ColStatementDate].c_str(),
                    h[ColOpeningBalance].c_str(), h[ColDepositsMarked].c_str(),
                    h[ColChecksMarked].c_str(), h[ColServiceCharge].c_str(),
                    h[ColInterestEarned].c_str(), h[ColEndingBalance].c_str());
    QJsonArray statements;
    for (int64_t i = 0; i < l.rows().count(); ++i) {
        const auto* r = l.rows().row(i);
        if (!r) return cmd.fail("the list changed while it was printed");
        if (cmd.json()) {
            QJsonObject o = summaryJson(r->rec, bank.Bank, Decimal());
            o.remove("difference");
            o["status"] = jsonText(listTexts(r->rec)[ColStatus]);
            statements.append(o);
            continue;
        }
        const auto t = listTexts(r->rec);
        std::printf("%d\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n", r->rec.ReconciliationID,
                    t[ColStatus].c_str(), isoText(r->rec.EndingDate).c_str(),
                    t[ColOpeningBalance].c_str(), t[ColDepositsMarked].c_str(),
                    t[ColChecksMarked].c_str(), t[ColServiceCharge].c_str(),
                    t[ColInterestEarned].c_str(), t[ColEndingBalance].c_str());
    }
    if (cmd.json())
        printJson(
            {{"bankId", bank.BankID}, {"bank", jsonText(bank.Bank)}, {"statements", statements}});
    return Exit::Done;
}

// The statement fields `rec open` sets, by option.
struct Setting {
    const char* option;
    SummaryField field;
    bool date;
};
constexpr Setting kSettings[] = {
    {"--opening-date", SummaryField::OpeningDate, true},
    {"--opening-balance", SummaryField::OpeningBalance, false},
    {"--ending-date", SummaryField::EndingDate, true},
    {"--ending-balance", SummaryField::EndingBalance, false},
    {"--service-charge", SummaryField::ServiceCharge, false},
    {"--service-charge-date", SummaryField::ServiceChargeDate, true},
    {"--interest", SummaryField::InterestEarned, false},
    {"--interest-date", SummaryField::InterestEarnedDate, true},
};

void setField(APrec& r, SummaryField field, int32_t day, Decimal value) {
    switch (field) {
        case SummaryField::OpeningDate:
            r.OpeningDate = day;
            break;
        case SummaryField::OpeningBalance:
            r.OpeningBalance = value;
            break;
        case SummaryField::EndingDate:
            r.EndingDate = day;
            break;
        case SummaryField::EndingBalance:
            r.EndingBalance = value;
            break;
        case SummaryField::ServiceCharge:
            r.ServiceCharge = value;
            break;
        case SummaryField::ServiceChargeDate:
            r.ServiceChargeDate = day;
            break;
        case SummaryField::InterestEarned:
            r.InterestEarned = value;
            break;
        case SummaryField::InterestEarnedDate:
            r.InterestEarnedDate = day;
            break;
        case SummaryField::None:
            break;
    }
}

Exit open(Command& cmd) {
    RecCli cli(cmd);
    Exit exit = Exit::Done;
    auto w = worksheet(cli, cmd, true, exit);
    if (!w) return exit;
    for (const auto& [option, value] : cmd.options()) {
        const Setting* s = nullptr;
        for (const Setting& candidate : kSettings)
            if (option == candidate.option) s = &candidate;
        if (!s) continue;
        if (!w->editable(s->field)) {
            w->closeWithoutSaving();
            return cmd.fail(option + ": \"" + w->bank().Bank +
                            "\" does not post it to the ledger; the field cannot be set");
        }
        setField(w->record(), s->field, s->date ? parseIsoDate(value).value_or(0) : 0,
                 s->date ? Decimal() : parseAmount(value).value_or(Decimal()));
    }
    const Exit saved = saveAndShow(cmd, *w);
    if (saved != Exit::Done) w->closeWithoutSaving();
    return saved;
}

QJsonArray listJson(Worksheet& w, WorksheetList which) {
    QJsonArray items;
    auto& rows = w.list(which);
    for (int64_t i = 0; i < rows.count(); ++i) {
        const auto* r = rows.row(i);
        if (!r) break;
        const APbac& a = r->rec;
        items.append(QJsonObject{
            {"marker", jsonText(Worksheet::marker(a))},
            {"activityId", a.ActivityID},
            {"date", jsonDate(a.ActivityDate)},
            {"reference", jsonText(a.Reference)},
            {"name", jsonText(a.Name)},
            {"description", jsonText(a.Description)},
            {"amount",
             jsonMoney(which == WorksheetList::Checks ? a.PaymentOrDebit : a.DepositOrCredit)}});
    }
    return items;
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

Exit show(Command& cmd) {
    RecCli cli(cmd);
    Exit exit = Exit::Done;
    auto w = worksheet(cli, cmd, false, exit);
    if (!w) return exit;
    if (cmd.json()) {
        QJsonObject o = summaryJson(w->record(), w->bank().Bank, w->difference());
        o["deposits"] = listJson(*w, WorksheetList::Deposits);
        o["checks"] = listJson(*w, WorksheetList::Checks);
        printJson(o);
        return Exit::Done;
    }
    printSummary(w->record(), w->bank().Bank, w->difference());
    printList(*w, WorksheetList::Deposits);
    printList(*w, WorksheetList::Checks);
    return Exit::Done;
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

Exit mark(Command& cmd, bool on) {
    const std::vector<std::string> references = cmd.texts("REF");
    const std::vector<std::string> deposits = cmd.optionValues("--deposit");
    if (references.empty() && deposits.empty())
        return cmd.usage("name a check (REF) or a deposit (--deposit ID)");
    RecCli cli(cmd);
    Exit exit = Exit::Done;
    auto w = worksheet(cli, cmd, false, exit);
    if (!w) return exit;
    int failures = 0;
    auto apply = [&](int32_t id, const std::string& what, bool deposit) {
        RecordFile<APbac>& f = cli.session.file<APbac>();
        f.clear();
        f.rec.ActivityID = id;
        if (deposit && (f.get(APBAC_KEY_ACTIVITYID) != Error::None ||
                        !text::equalNoCase(f.rec.ActivityType, "Deposit"))) {
            cmd.note(what + " is not a deposit of the bank");
            ++failures;
            return;
        }
        switch (w->setMark(id, on)) {
            case Worksheet::MarkResult::Marked:
            case Worksheet::MarkResult::Unchanged:
                break;
            case Worksheet::MarkResult::NotInList:
                cmd.note(what + " is not an unreconciled item of the bank");
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
            cmd.note("no unreconciled check numbered \"" + ref + "\"");
            ++failures;
        }
        for (int32_t id : ids) apply(id, "check " + ref, false);
    }
    for (const std::string& id : deposits)
        apply(text::parseLong(id).value_or(0), "deposit " + id, true);
    // The statement's figures follow the marks and are saved with it.
    w->rebuild();
    const Exit saved = saveAndShow(cmd, *w);
    if (failures)
        return cmd.fail(std::to_string(failures) + " item(s) could not be " +
                        (on ? "marked" : "unmarked"));
    return saved;
}

Exit range(Command& cmd) {
    const bool unmark = cmd.flag("--unmark");
    RecCli cli(cmd);
    Exit exit = Exit::Done;
    auto w = worksheet(cli, cmd, false, exit);
    if (!w) return exit;
    RangeDialog dialog(cli.session);
    dialog.from = cmd.text("FROM");
    dialog.to = cmd.text("TO");
    dialog.mark = !unmark;
    if (!dialog.accept()) return Exit::Usage;  // the invalid-range message was shown
    if (dialog.result().failed)
        return cmd.fail("the range could not be " + std::string(unmark ? "unmarked" : "marked"));
    w->rebuild();
    if (!cmd.json())
        std::printf("%d check(s) %s for a total of %s\n", dialog.result().count,
                    unmark ? "unmarked" : "marked", moneyText(dialog.result().total).c_str());
    return saveAndShow(
        cmd, *w,
        {{"range", QJsonObject{{unmark ? "unmarked" : "marked", dialog.result().count},
                               {"total", jsonMoney(dialog.result().total)}}}});
}

bool readStatement(RecCli& cli, int32_t id) {
    RecordFile<APrec>& f = cli.session.file<APrec>();
    f.clear();
    f.rec.ReconciliationID = id;
    return f.get(APREC_KEY_RECONCILIATIONID) == Error::None;
}

Exit view(Command& cmd) {
    const int32_t id = cmd.number("ID");
    RecCli cli(cmd);
    if (!readStatement(cli, id)) return cmd.fail("no reconciliation " + std::to_string(id));
    if (!cli.session.file<APrec>().rec.Done)
        return cmd.fail("reconciliation " + std::to_string(id) +
                        " is open (rec show BANK shows it)");
    RecordFile<APbnk>& bank = cli.session.file<APbnk>();
    bank.clear();
    bank.rec.BankID = cli.session.file<APrec>().rec.BankID;
    (void)bank.get(APBNK_KEY_BANKID);  // a bank gone shows without its name
    FileUse captured(cli.session, {FileId::APrac});
    GlobalRequest = ViewRecord;
    Exit exit = Exit::Done;
    (void)UpdateAPrec(
        cli.session, cmd.params(), cli.calls,
        [&](ReconciliationViewer& v) {
            const APrec& r = v.record();
            QJsonObject doc = summaryJson(r, bank.rec.Bank, Decimal());
            doc["serviceChargeBatch"] = r.ServiceChargeBatch;
            doc["interestEarnedBatch"] = r.InterestEarnedBatch;
            if (!cmd.json()) {
                printSummary(r, bank.rec.Bank, Decimal());
                std::printf("%s\t%d\n%s\t%d\n", v.serviceChargePrompt().c_str(),
                            r.ServiceChargeBatch, v.interestPrompt().c_str(),
                            r.InterestEarnedBatch);
            }
            for (bool checks : {false, true}) {
                if (!cmd.json())
                    std::printf("%s\n", checks ? "Checks and Other Withdrawals"
                                               : "Deposits and Other Additions");
                QJsonArray items;
                auto& rows = checks ? v.checks() : v.deposits();
                for (int64_t i = 0; i < rows.count(); ++i) {
                    const auto* row = rows.row(i);
                    if (!row) {
                        exit = cmd.fail("the captured items changed while they were printed");
                        return;
                    }
                    const APrac& a = row->rec;
                    if (cmd.json())
                        items.append(
                            QJsonObject{{"marker", jsonText(ReconciliationViewer::marker(a))},
                                        {"date", jsonDate(a.ActivityDate)},
                                        {"reference", jsonText(a.Reference)},
                                        {"name", jsonText(a.Name)},
                                        {"description", jsonText(a.Description)},
                                        {"amount", jsonMoney(a.Amount)}});
                    else
                        std::printf(
                            "%s\t%s\t%s\t%s\t%s\t%s\n", ReconciliationViewer::marker(a).c_str(),
                            isoText(a.ActivityDate).c_str(), a.Reference.c_str(), a.Name.c_str(),
                            a.Description.c_str(), moneyText(a.Amount).c_str());
                }
                doc[checks ? "checks" : "deposits"] = items;
            }
            if (cmd.json()) printJson(doc);
        },
        kListTitle);
    return exit;
}

Exit remove(Command& cmd) {
    const int32_t id = cmd.number("ID");
    RecCli cli(cmd);
    if (!readStatement(cli, id)) return cmd.fail("no reconciliation " + std::to_string(id));
    GlobalRequest = DeleteRecord;
    if (UpdateAPrec(cli.session, cmd.params(), cli.calls, {}, kListTitle) != RequestCompleted)
        return cmd.fail("reconciliation " + std::to_string(id) + " was not deleted");
    if (cmd.json())
        printJson({{"reconciliationId", id}, {"deleted", true}});
    else
        std::printf("reconciliation %d deleted\n", id);
    return Exit::Done;
}

// How a ledger posting of the export ended, as --json names it.
std::string postingState(int32_t batch, bool postedNow, bool posts, const std::string& failure) {
    if (batch) return postedNow ? "posted" : "posted before";
    if (!failure.empty()) return "failed";
    return posts ? "nothing to post" : "not posted by this bank";
}

// What the export sent and posted: one line each, or its part of the JSON document. Failed when
// the suite refused or a posting failed (its batch stays 0 for a later "rec post").
Exit reportExport(Command& cmd, const ExportResult& r, const APbnk& bank, int32_t id,
                  QJsonObject& doc) {
    if (!r.refusal.empty()) {
        doc["refusal"] = jsonText(r.refusal);
        return cmd.fail("nothing sent to the suite: " + r.refusal);
    }
    doc["itemsSent"] = r.itemsSent;
    if (!cmd.json())
        std::printf("sent to the suite: %d cleared item%s\n", r.itemsSent,
                    r.itemsSent == 1 ? "" : "s");
    auto posting = [&](const char* what, const char* key, int32_t batch, bool postedNow, bool posts,
                       const std::string& failure) {
        const std::string state = postingState(batch, postedNow, posts, failure);
        QJsonObject o{{"state", jsonText(state)}, {"batch", batch}};
        if (!failure.empty()) o["error"] = jsonText(failure);
        doc[key] = o;
        if (cmd.json()) return;
        if (batch)
            std::printf("%s: batch %d%s\n", what, batch, postedNow ? "" : " (posted before)");
        else if (!failure.empty())
            std::printf("%s: not posted: %s\n", what, failure.c_str());
        else
            std::printf("%s: %s\n", what, state.c_str());
    };
    posting("service charge", "serviceCharge", r.serviceChargeBatch, r.serviceChargePosted,
            bank.ServiceChargePost != 0, r.serviceChargeError);
    posting("interest earned", "interestEarned", r.interestBatch, r.interestPosted,
            bank.InterestEarnedPost != 0, r.interestError);
    if (!r.serviceChargeError.empty() || !r.interestError.empty())
        return cmd.fail("a posting failed; rec post " + std::to_string(id) + " tries it again");
    return Exit::Done;
}

std::string plural(int32_t n, const char* what) {
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

// "Do&ne" of the bank's open statement, through the worksheet's own checks and question; the
// completion and the export report what they did. A question left unanswered stops it with 3.
Exit complete(Command& cmd) {
    RecCli cli(cmd);
    std::optional<DoneResult> done;
    std::optional<ExportResult> sent;
    cli.calls.UpdateAPrecDone = [&](FileSession& s, const shell::StartupParameters&) {
        done = UpdateAPrecDone(s);
    };
    cli.calls.ExportAPrec = [&](FileSession& s, const shell::StartupParameters& params) {
        sent = ExportAPrec(s, params);
    };
    Exit exit = Exit::Done;
    auto w = worksheet(cli, cmd, false, exit);
    if (!w) return exit;
    const APbnk bank = w->bank();
    const std::string id = std::to_string(w->record().ReconciliationID);
    (void)w->done();
    // Stopped before completing: a check, the suite's register, the question or the save (the
    // message said which).
    if (!done) return cmd.fail("reconciliation " + id + " was not completed");
    if (!done->done) return cmd.fail("reconciliation " + id + " was not completed; it is open");
    QJsonObject doc{{"reconciliationId", done->reconciliationId},
                    {"bank", jsonText(bank.Bank)},
                    {"checksCleared", done->checksMarked},
                    {"checksClearedAmount", jsonMoney(done->checksMarkedAmount)},
                    {"depositsCleared", done->depositsMarked},
                    {"depositsClearedAmount", jsonMoney(done->depositsMarkedAmount)},
                    {"itemsCaptured", done->snapshotRows}};
    if (!cmd.json())
        std::printf("reconciliation %s of %s completed: %s %s and %s %s cleared, %s captured\n",
                    id.c_str(), bank.Bank.c_str(), plural(done->checksMarked, "check").c_str(),
                    moneyText(done->checksMarkedAmount).c_str(),
                    plural(done->depositsMarked, "deposit").c_str(),
                    moneyText(done->depositsMarkedAmount).c_str(),
                    plural(done->snapshotRows, "item").c_str());
    QJsonObject exported;
    exit = sent ? reportExport(cmd, *sent, bank, done->reconciliationId, exported)
                : cmd.fail("nothing was sent to the suite; rec post " + id + " sends it");
    doc["export"] = exported;
    if (cmd.json()) printJson(doc);
    return exit;
}

// "&Post" of a completed statement.
Exit post(Command& cmd) {
    const int32_t id = cmd.number("ID");
    RecCli cli(cmd);
    if (!readStatement(cli, id)) return cmd.fail("no reconciliation " + std::to_string(id));
    if (!cli.session.file<APrec>().rec.Done)
        return cmd.fail("reconciliation " + std::to_string(id) +
                        " is open (rec complete BANK completes it)");
    const ExportResult sent = ExportAPrec(cli.session, cmd.params());
    if (!sent.ran) return cmd.fail("reconciliation " + std::to_string(id) + " could not be read");
    QJsonObject doc{{"reconciliationId", id}};
    const Exit exit = reportExport(cmd, sent, cli.session.file<APbnk>().rec, id, doc);
    if (cmd.json()) printJson(doc);
    return exit;
}

const Operand kBank{"BANK"};
const Operand kId{"ID", ValueKind::Number};

Option amount(const char* name, const char* help) {
    return {name, ValueKind::Amount, "X", help};
}
Option date(const char* name, const char* help) {
    return {name, ValueKind::Date, "YYYY-MM-DD", help};
}

const CliCommand listCommand({.words = "rec list",
                              .operands = {kBank},
                              .json = true,
                              .help = "the bank's reconciliations, oldest first",
                              .run = list});
const CliCommand openCommand(
    {.words = "rec open",
     .operands = {kBank},
     .options = {date("--opening-date", "the previous statement's closing date"),
                 amount("--opening-balance", "the previous statement's closing balance"),
                 date("--ending-date", "the statement's closing date"),
                 amount("--ending-balance", "the statement's closing balance"),
                 amount("--service-charge", "the service charge"),
                 date("--service-charge-date", "its date"),
                 amount("--interest", "the interest earned"), date("--interest-date", "its date")},
     .json = true,
     .help = "find or start the open reconciliation, set what is given, save it and show it",
     .run = open});
const CliCommand showCommand({.words = "rec show",
                              .operands = {kBank},
                              .json = true,
                              .help = "the open reconciliation with both lists and their marks",
                              .run = show});
const Option kDeposit{.name = "--deposit",
                      .kind = ValueKind::Number,
                      .value = "ID",
                      .help = "a deposit by its activity ID",
                      .min = 1,
                      .many = true};
const CliCommand markCommand({.words = "rec mark",
                              .operands = {kBank, {.name = "REF", .maxBytes = 20, .many = true}},
                              .options = {kDeposit},
                              .json = true,
                              .help = "mark checks by number and deposits by ID",
                              .run = [](Command& c) { return mark(c, true); }});
const CliCommand unmarkCommand({.words = "rec unmark",
                                .operands = {kBank, {.name = "REF", .maxBytes = 20, .many = true}},
                                .options = {kDeposit},
                                .json = true,
                                .help = "unmark checks by number and deposits by ID",
                                .run = [](Command& c) { return mark(c, false); }});
const CliCommand rangeCommand(
    {.words = "rec range",
     .operands = {kBank, {.name = "FROM", .maxBytes = 20}, {.name = "TO", .maxBytes = 20}},
     .options = {{"--unmark", ValueKind::Flag, "", "unmark instead"}},
     .json = true,
     .help = "mark (or unmark) the checks numbered FROM to TO",
     .run = range});
const CliCommand viewCommand({.words = "rec view",
                              .operands = {kId},
                              .json = true,
                              .help = "a completed reconciliation with the items it captured",
                              .run = view});
const CliCommand deleteCommand({.words = "rec delete",
                                .operands = {kId},
                                .json = true,
                                .help = "delete a reconciliation as the list does (asks first: "
                                        "--yes confirms)",
                                .run = remove});
const CliCommand completeCommand(
    {.words = "rec complete",
     .operands = {kBank},
     .json = true,
     .help = "complete the open reconciliation as Done does (asks first: --yes confirms), send "
             "its cleared items to the suite and post its service charge and interest",
     .run = complete});
const CliCommand postCommand({.words = "rec post",
                              .operands = {kId},
                              .json = true,
                              .help = "send a completed reconciliation to the suite again, "
                                      "posting what is not posted yet",
                              .run = post});

}  // namespace

}  // namespace cli
