#include "bankrec/reconcile/export_aprec.h"

#include "bankrec/reconcile/export_aprec_activity.h"
#include "bankrec/reconcile/ledger_journal.h"
#include "bankrec/reconcile/payables_claim.h"
#include "bankrec/reconcile/reconcile_texts.h"
#include "bankrec/shell/startup_parameters.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/warnings.h"
#include "corelib/globals.h"
#include "corelib/message.h"
#include "corelib/standard_warnings.h"
#include "corelib/text.h"
#include "corelib/thread_registry.h"
#include "hostlink/hostlink.h"

using namespace corelib;
using namespace storage;
using shell::StartupParameters;

namespace reconcile {

namespace {

constexpr int kStoreAttempts = 3;

// One of the two postings: what it posts and where its batch number goes.
struct Posting {
    const char* description;  // "Service Charge" / "Interest Earned"
    const char* failure;      // the start of its error message
    std::string journal;
    std::string account;
    Decimal amount;  // to the bank's posting account; the other line takes -amount
    int32_t date = 0;
    int32_t APrec::*batch;  // where the batch number is stored
};

Error readReconciliation(FileSession& s, int32_t id) {
    auto& rec = s.file<APrec>();
    rec.clear();
    rec.rec.ReconciliationID = id;
    return rec.get(APREC_KEY_RECONCILIATIONID);
}

Error readBank(FileSession& s, int32_t bankId) {
    auto& bnk = s.file<APbnk>();
    bnk.clear();
    bnk.rec.BankID = bankId;
    return bnk.get(APBNK_KEY_BANKID);
}

// The ledger account of the bank's first cash account marked for posting; blank when none is.
std::string postingAccount(FileSession& s, int32_t bankId) {
    auto& bnu = s.file<APbnu>();
    bnu.clear();
    bnu.rec.BankID = bankId;
    bnu.rec.Post = 1;
    return bnu.get(APBNU_KEY_BANKIDPOST) == Error::None ? bnu.rec.BankAccount : std::string();
}

void showLedgerError(const Posting& p, const std::string& reason) {
    ds_Beep();
    ds_Message(std::string(p.failure) + reason, glo_ApplicationName, icon::Information, msg::OK);
}

// Stores a posted batch number at once: the reconciliation read again and written, again when
// another station wrote it in between. True when stored.
bool storeBatch(FileSession& s, int32_t id, int32_t APrec::*field, int32_t batch,
                StorageError& error) {
    for (int attempt = 0; attempt < kStoreAttempts; ++attempt) {
        if (readReconciliation(s, id) == Error::None) {
            s.file<APrec>().rec.*field = batch;
            if (s.file<APrec>().put() == Error::None) return true;
        }
        error = s.lastError();
    }
    return false;
}

// Posts one journal entry of two lines and stores its batch number. Returns the ledger's or the
// store's error text, empty when posted and stored.
std::string post(FileSession& s, const StartupParameters& params, const Posting& p,
                 const std::string& bankAccount, int32_t id, bool& posted) {
    posted = false;
    LedgerJournal journal(params.divisionText());
    std::string error = journal.load(p.journal);
    if (error.empty()) error = journal.addLine(bankAccount, p.description, p.amount);
    if (error.empty()) error = journal.addLine(p.account, p.description, -p.amount);
    int32_t batch = 0;
    if (error.empty()) batch = journal.post(p.date, postingTerminal(params.TTY), error);
    if (!error.empty()) {
        showLedgerError(p, error);
        return error;
    }
    posted = true;
    StorageError stored;
    if (!storeBatch(s, id, p.batch, batch, stored)) {
        error = stepError("batch " + std::to_string(batch) +
                              " was posted but could not be stored in the reconciliation",
                          stored);
        showLedgerError(p, error);
    }
    return error;
}

void run(FileSession& s, const StartupParameters& params, ExportResult& r) {
    const int32_t id = s.file<APrec>().rec.ReconciliationID;
    APrec rec = s.file<APrec>().rec;
    APbnk bank = s.file<APbnk>().rec;
    const std::string bankAccount = postingAccount(s, bank.BankID);

    if (!text::trimRight(bank.APBank).empty()) {
        r.refusal = claimPayablesRegister(params.divisionText(), text::trimRight(bank.APBank));
        if (!r.refusal.empty()) {
            ds_Message(r.refusal, glo_ApplicationName, icon::Information, msg::OK);
            return;
        }
    }

    hostlink::INFO info = shell::connectionGroup(params);
    hostlink::CHKQ queue;
    hostlink::ZORBRCHK link(queue, info);
    link.FIAID = bank.FIAID;
    link.POSTDATE = rec.EndingDate;
    if (ExportAPrecActivity(s, id, link) && link.records() > 0) {
        r.itemsSent = link.records();
        hostlink::POSTCHK(link);
    }

    // The calls above used the record buffers: read both again.
    for (const auto& [read, name] : {std::pair{readReconciliation(s, id), "APrec"},
                                     std::pair{readBank(s, rec.BankID), "APbnk"}}) {
        if (read != Error::None) {
            saveError(s);
            StandardWarning(Warn_RecordFetchError, name);
            return;
        }
    }
    rec = s.file<APrec>().rec;
    bank = s.file<APbnk>().rec;

    if (bank.ServiceChargePost && !rec.ServiceCharge.isZero() && rec.ServiceChargeBatch == 0) {
        const Posting p{"Service Charge",          "While attempting to post service charge, ",
                        bank.ServiceChargeJournal, bank.ServiceChargeAccount,
                        -rec.ServiceCharge,        rec.ServiceChargeDate,
                        &APrec::ServiceChargeBatch};
        r.serviceChargeError = post(s, params, p, bankAccount, id, r.serviceChargePosted);
    }
    if (bank.InterestEarnedPost && !rec.InterestEarned.isZero() && rec.InterestEarnedBatch == 0) {
        const Posting p{"Interest Earned",          "While attempting to post interest earned, ",
                        bank.InterestEarnedJournal, bank.InterestEarnedAccount,
                        rec.InterestEarned,         rec.InterestEarnedDate,
                        &APrec::InterestEarnedBatch};
        r.interestError = post(s, params, p, bankAccount, id, r.interestPosted);
    }
}

}  // namespace

ExportResult ExportAPrec(FileSession& session, const StartupParameters& params) {
    THREAD_LOG("ExportAPrec");
    ExportResult r;
    {
        FileUse files(session, {FileId::APbnk, FileId::APbnu, FileId::APrec});
        if (files.error() == Error::None) {
            const int32_t id = session.file<APrec>().rec.ReconciliationID;
            if (readReconciliation(session, id) != Error::None) {
                saveError(session);
                StandardWarning(Warn_RecordFetchError, "APrec");
            } else if (readBank(session, session.file<APrec>().rec.BankID) != Error::None) {
                saveError(session);
                StandardWarning(Warn_RecordFetchError, "APbnk");
            } else if (session.file<APrec>().rec.Done) {
                r.ran = true;
                run(session, params, r);
                if (readReconciliation(session, id) == Error::None) {
                    r.serviceChargeBatch = session.file<APrec>().rec.ServiceChargeBatch;
                    r.interestBatch = session.file<APrec>().rec.InterestEarnedBatch;
                }
            }
        }
    }
    THREAD_RETURN("ExportAPrec");
    return r;
}

}  // namespace reconcile
