#include "bankrec/reconcile/reconciliation_list.h"

#include <algorithm>

#include "bankrec/reconcile/reconcile_texts.h"
#include "bankrec/reconcile/update_aprec.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/view.h"
#include "bankrec/storage/warnings.h"
#include "corelib/globals.h"
#include "corelib/message.h"
#include "corelib/picture.h"
#include "corelib/standard_warnings.h"

using namespace corelib;
using namespace storage;
using namespace shell;

namespace reconcile {

const std::array<std::string, ListColumnCount>& listHeadings() {
    static const std::array<std::string, ListColumnCount> headings = {"",
                                                                      "Statement Date",
                                                                      "Opening Balance",
                                                                      "Total Marked Deposits",
                                                                      "Total Marked Checks",
                                                                      "Service Charge",
                                                                      "Interest Earned",
                                                                      "Ending Balance"};
    return headings;
}

std::array<std::string, ListColumnCount> listTexts(const APrec& rec) {
    return {rec.Done ? "R" : "",
            picture::formatDate("@d17b", rec.EndingDate),
            moneyText(rec.OpeningBalance),
            moneyText(rec.DepositsMarkedAmount),
            moneyText(rec.ChecksMarkedAmount),
            moneyText(rec.ServiceCharge),
            moneyText(rec.InterestEarned),
            moneyText(rec.EndingBalance)};
}

ReconciliationList::ReconciliationList(FileSession& session, const StartupParameters& params,
                                       const ReconcileCalls& calls, ListHooks hooks)
    : session_(session),
      params_(params),
      calls_(calls),
      hooks_(std::move(hooks)),
      rows_(std::make_unique<activity::ViewPager<APrec>>(session, APREC_KEY_BANKENDINGDATE)) {
    rows_->view().bindings().bind("Bank:BankID", int64_t{0});
    (void)rows_->view().setFilter("APrec:BankID = Bank:BankID");  // a fixed text that parses
}

ReconciliationList::~ReconciliationList() {
    rows_.reset();
    for (auto it = opened_.rbegin(); it != opened_.rend(); ++it) closeFile(session_, *it);
}

bool ReconciliationList::open(int32_t rememberedBankId) {
    for (FileId id : {FileId::APbnk, FileId::APrec}) {
        // Reached only when the program did not end.
        if (openFile(session_, id) != Error::None) return false;
        opened_.push_back(id);
    }
    banks_ = activity::loadBankChoices(session_, rememberedBankId, selected_);
    if (banks_.empty()) {
        ds_Beep();
        ds_Message("No banks have been defined.", kListTitle, icon::Information, msg::OK);
        return false;
    }
    select(selected_ < 0 ? 0 : selected_);
    return true;
}

int32_t ReconciliationList::bankId() const {
    return selected_ >= 0 ? banks_[static_cast<size_t>(selected_)].BankID : 0;
}

void ReconciliationList::select(int index) {
    if (index < 0 || index >= static_cast<int>(banks_.size())) return;
    selected_ = index;
    rows_->view().bindings().bind("Bank:BankID", int64_t{bankId()});
    refresh();
    (void)readBank();  // a failure has been shown and leaves the buffer clear
}

void ReconciliationList::refresh() {
    if (rows_->refresh() != Error::None) {
        saveError(session_);
        StandardWarning(Warn_RecordFetchError, "APrec");
    }
    // Counted through a view, which leaves the APrec buffer and its current record alone.
    View<APrec> open(session_, APREC_KEY_BANKDONE);
    open.bindings().bind("Bank:BankID", int64_t{bankId()});
    int64_t n = 0;
    hasOpen_ = open.setFilter("APrec:BankID = Bank:BankID AND APrec:Done = 0") == Error::None &&
               open.count(n) == Error::None && n > 0;
}

int64_t ReconciliationList::openRow() {
    if (!hasOpen_) return -1;
    // The open statement is normally the latest: look from the end.
    for (int64_t i = rows_->count() - 1; i >= 0; --i) {
        const auto* r = rows_->row(i);
        if (r && !r->rec.Done) return i;
    }
    return -1;
}

ListButtons ReconciliationList::buttons(int64_t row) {
    ListButtons b;
    const auto* r = rows_->row(row);
    const bool done = r && r->rec.Done;
    b.post = done;
    b.refresh = !done && bankId() != 0;
    b.view = r != nullptr;
    b.viewCaption = done ? "V&iew" : "Ed&it";
    b.viewIcon = done ? "~smView.ico" : "~smChange.ico";
    b.remove = r != nullptr;
    b.print = r != nullptr;
    b.newStatement = bankId() != 0 && (rows_->count() == 0 || !hasOpen_);
    return b;
}

bool ReconciliationList::readBank() {
    RecordFile<APbnk>& bnk = session_.file<APbnk>();
    bnk.clear();
    bnk.rec.BankID = bankId();
    const Error err = bnk.get(APBNK_KEY_BANKID);
    if (err == Error::None) return true;
    const StorageError error = session_.lastError();
    bnk.clear();
    ds_Beep();
    ds_Message("Unable to get APbnk for reconciliation update, Error(" +
                   std::to_string(errorNumber(error.number)) + ") " + errorText(error),
               kListTitle, icon::Information, msg::OK);
    return false;
}

bool ReconciliationList::takeRow(int64_t row) {
    const auto* r = rows_->row(row);
    if (!r) return false;
    RecordFile<APrec>& rec = session_.file<APrec>();
    rec.clear();
    rec.rec.ReconciliationID = r->rec.ReconciliationID;
    if (rec.get(APREC_KEY_RECONCILIATIONID) == Error::None) return true;
    saveError(session_);
    StandardWarning(Warn_RecordFetchError, "APrec");
    return false;
}

int64_t ReconciliationList::keepRow(int64_t row) {
    refresh();
    return std::clamp<int64_t>(row, rows_->count() == 0 ? -1 : 0, rows_->count() - 1);
}

int64_t ReconciliationList::view(int64_t row) {
    if (!readBank()) return row;
    if (!takeRow(row)) return keepRow(row);
    if (session_.file<APrec>().rec.Done) {
        GlobalRequest = ViewRecord;
        if (hooks_.viewer) hooks_.viewer();
    } else {
        GlobalRequest = ChangeRecord;
        if (hooks_.worksheet) hooks_.worksheet();
    }
    return keepRow(row);
}

int64_t ReconciliationList::newStatement(int64_t row) {
    if (!buttons(row).newStatement || !readBank()) return row;
    GlobalRequest = InsertRecord;
    if (hooks_.worksheet) hooks_.worksheet();
    refresh();
    const int64_t open = openRow();
    return open >= 0 ? open : keepRow(row);
}

int64_t ReconciliationList::remove(int64_t row) {
    if (!takeRow(row)) return keepRow(row);
    GlobalRequest = DeleteRecord;
    (void)UpdateAPrec(session_, params_, calls_, {}, kListTitle);
    return keepRow(row);
}

int64_t ReconciliationList::print(int64_t row) {
    if (!readBank()) return row;
    if (!takeRow(row)) return keepRow(row);
    const bool done = session_.file<APrec>().rec.Done;
    (void)callProcedure(
        calls_,
        done ? ReconcileProcedure::ReportAPrecWindow : ReconcileProcedure::ReportAPrecNewWindow,
        session_, params_);
    return keepRow(row);
}

int64_t ReconciliationList::post(int64_t row) {
    if (!buttons(row).post || !takeRow(row)) return keepRow(row);
    (void)callProcedure(calls_, ReconcileProcedure::ExportAPrec, session_, params_);
    return keepRow(row);
}

activity::ChkLoadCounts ReconciliationList::loadChecks() {
    activity::ChkLoadCounts counts;
    if (selected_ >= 0) {
        const activity::BankChoice& bank = banks_[static_cast<size_t>(selected_)];
        counts = activity::LoadChkThread(session_, params_, bank.BankID, bank.FIAID);
    }
    refresh();
    return counts;
}

int32_t ReconciliationList::rememberedBankId() {
    return activity::rememberedBankId(kListProcedure);
}

void ReconciliationList::rememberBank() const {
    activity::rememberBankId(kListProcedure, bankId());
}

}  // namespace reconcile
