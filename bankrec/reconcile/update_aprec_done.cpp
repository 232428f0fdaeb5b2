#include "bankrec/reconcile/update_aprec_done.h"

#include <vector>

#include "bankrec/reconcile/reconcile_texts.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/saved_error.h"
#include "bankrec/storage/view.h"
#include "bankrec/storage/warnings.h"
#include "corelib/globals.h"
#include "corelib/message.h"
#include "corelib/progress.h"
#include "corelib/standard_warnings.h"
#include "corelib/thread_registry.h"

using namespace corelib;
using namespace storage;

namespace reconcile {

namespace {

constexpr int kLockWaitSeconds = 1;
constexpr int kRowsPerTick = 25;
constexpr int kPageRows = 256;
constexpr int kAttemptsPerRound = 3;
constexpr const char* kWindowTitle = "Progress...";

// One run of the completion, driven by its progress window. The transaction begins when the
// window opens and is committed by the tick that handles the last row; until then every write
// can still be rolled back.
class Completion : public ProgressJob {
  public:
    explicit Completion(FileSession& session) : s_(session), view_(session, APBAC_KEY_RECONCILED) {}
    ~Completion() override { rollback(); }

    void open(ProgressView& view) override;
    bool tick(ProgressView& view) override;
    bool cancel(ProgressView&) override;
    void close() override { rollback(); }

    DoneResult result;

  private:
    bool visit(const View<APbac>::Row& row);
    bool snapshot(const APbac& row);
    bool finish();
    Error addAdjustment(const char* description, int32_t date, Decimal payment, Decimal deposit,
                        Decimal amount, int32_t& activityId);
    bool addWithNextId(RecordFileBase& file, int32_t& nextId);
    bool readNextId(RecordFileBase& file, int32_t& nextId);
    // Ends the run: rolls back and shows the step's text with the session's last error.
    void fail(const std::string& step);
    // Ends the run after a standard warning about `file` (the error saved first).
    void failWithWarning(int32_t warning, const std::string& file, const std::string& second = {});
    void rollback();

    FileSession& s_;
    View<APbac> view_;
    bool active_ = false;  // the transaction is open
    bool over_ = false;    // failed, cancelled or committed
    int32_t bankId_ = 0;
    std::vector<View<APbac>::Row> page_;
    size_t pageNext_ = 0;
    bool lastPage_ = false;
    bool started_ = false;
    ViewPosition last_;
    Decimal running_;
    int32_t nextSnapshotId_ = 0;
    int64_t total_ = 0;
};

void Completion::rollback() {
    if (!active_) return;
    active_ = false;
    (void)s_.rollback();  // the files are as they were before the run either way
}

void Completion::fail(const std::string& step) {
    const StorageError error = s_.lastError();
    rollback();
    over_ = true;
    ds_Beep();
    ds_Message(stepError(step, error), kWindowTitle, icon::Information, msg::OK);
}

void Completion::failWithWarning(int32_t warning, const std::string& file,
                                 const std::string& second) {
    saveError(s_);
    rollback();
    over_ = true;
    StandardWarning(warning, file, second);
}

void Completion::open(ProgressView& view) {
    bankId_ = s_.file<APbnk>().rec.BankID;
    if (s_.begin({FileId::APrec, FileId::APbac, FileId::APrac}, kLockWaitSeconds) != Error::None)
        return fail("Unable to begin transaction");
    active_ = true;

    auto& rec = s_.file<APrec>();
    rec.clear();
    rec.rec.BankID = bankId_;
    rec.rec.Done = 0;
    if (rec.get(APREC_KEY_BANKDONE) != Error::None) return fail("Unable to get APrec for update");
    result.reconciliationId = rec.rec.ReconciliationID;
    rec.rec.DepositsMarked = 0;
    rec.rec.DepositsMarkedAmount = Decimal();
    rec.rec.ChecksMarked = 0;
    rec.rec.ChecksMarkedAmount = Decimal();

    view_.bindings().bind("APbnk:BankID", int64_t{bankId_});
    if (view_.setFilter("APbac:BankID = APbnk:BankID AND (NOT APbac:Reconciled)") != Error::None ||
        view_.count(total_) != Error::None)
        return failWithWarning(Warn_ViewOpenFailed, {});
    if (!readNextId(s_.file(FileId::APrac), nextSnapshotId_)) return;
    view.setRange(0, total_ > 0 ? total_ : 1);
    view.setValue(0);
}

bool Completion::tick(ProgressView& view) {
    for (int rows = 0; rows < kRowsPerTick && !over_;) {
        if (pageNext_ >= page_.size()) {
            if (lastPage_) return finish();
            if (view_.fetch(started_ ? &last_ : nullptr, kPageRows, page_) != Error::None) {
                failWithWarning(Warn_RecordFetchError, "APbac");
                return false;
            }
            started_ = true;
            pageNext_ = 0;
            lastPage_ = page_.size() < static_cast<size_t>(kPageRows);
            if (!page_.empty()) last_ = page_.back().pos;
            continue;
        }
        if (!visit(page_[pageNext_++])) return false;
        ++rows;
    }
    view.setValue(result.snapshotRows);
    return !over_;
}

bool Completion::cancel(ProgressView&) {
    if (over_) return true;
    rollback();
    over_ = true;
    result.cancelled = true;
    return true;
}

// One unreconciled row: cleared when marked, snapshotted either way.
bool Completion::visit(const View<APbac>::Row& row) {
    const APbac& a = row.rec;
    auto& rec = s_.file<APrec>().rec;
    bool clears = false;
    if (a.ActivityType == "Check") {
        clears = a.Marked != 0;
        if (clears) {
            ++rec.ChecksMarked;
            rec.ChecksMarkedAmount += a.PaymentOrDebit;
        }
        running_ = a.PaymentOrDebit;
    } else if (a.ActivityType == "Deposit") {
        clears = a.Marked != 0;
        if (clears) {
            ++rec.DepositsMarked;
            rec.DepositsMarkedAmount += a.DepositOrCredit;
        }
        running_ = a.DepositOrCredit;
    }
    if (!snapshot(a)) return false;
    if (!clears) return true;  // an outstanding row is left as it is
    auto& bac = s_.file<APbac>();
    if (bac.reget(row.pos.rowid) != Error::None) {
        failWithWarning(Warn_RecordFetchError, "APbac");
        return false;
    }
    bac.rec.Reconciled = 1;
    if (bac.put() != Error::None) {
        failWithWarning(Warn_ProcessActionError, "APbac", "PUT");
        return false;
    }
    return true;
}

bool Completion::snapshot(const APbac& a) {
    auto& rac = s_.file<APrac>();
    rac.clear();
    rac.rec.ReconciliationID = result.reconciliationId;
    rac.rec.ActivityID = a.ActivityID;
    rac.rec.ActivityDate = a.ActivityDate;
    rac.rec.ActivityType = a.ActivityType;
    rac.rec.Reference = a.Reference;
    rac.rec.Name = a.Name;
    rac.rec.Description = a.Description;
    rac.rec.Marked = a.Marked;
    rac.rec.Amount = running_;
    if (!addWithNextId(rac, nextSnapshotId_)) return false;
    ++result.snapshotRows;
    return true;
}

// The highest identifier of the file's primary key + 1 (1 in an empty file).
bool Completion::readNextId(RecordFileBase& file, int32_t& nextId) {
    file.clear();
    Error err = file.setEnd(KeyId{file.id(), 0});
    if (err == Error::None) err = file.previous();
    if (err == Error::NoRecord) {
        nextId = 1;
        return true;
    }
    if (err != Error::None) {
        failWithWarning(Warn_RecordFetchError, file.def().name);
        return false;
    }
    nextId = static_cast<int32_t>(std::get<int64_t>(getField(file.def(), file.buffer(), 0))) + 1;
    return true;
}

// Adds the buffer with identifier nextId. Nobody else can add while the transaction holds the
// files, so the identifier is read once and counted on; a failed add reads it again, three
// attempts a round, and a round that fails asks whether to retry.
bool Completion::addWithNextId(RecordFileBase& file, int32_t& nextId) {
    const FileDef& def = file.def();
    std::vector<FieldValue> kept;
    for (int f = 0; f < static_cast<int>(def.fields.size()); ++f)
        kept.push_back(getField(def, file.buffer(), f));
    for (;;) {
        for (int attempt = 0; attempt < kAttemptsPerRound; ++attempt) {
            if (attempt > 0) {
                if (!readNextId(file, nextId)) return false;
                for (int f = 0; f < static_cast<int>(kept.size()); ++f)
                    (void)setField(def, file.buffer(), f, kept[static_cast<size_t>(f)]);
            }
            (void)setField(def, file.buffer(), 0, int64_t{nextId});
            if (file.add() == Error::None) {
                ++nextId;
                return true;
            }
            saveError(s_);
        }
        if (StandardWarning(Warn_AutoIncError) != msg::Retry) {
            rollback();
            over_ = true;
            return false;
        }
    }
}

Error Completion::addAdjustment(const char* description, int32_t date, Decimal payment,
                                Decimal deposit, Decimal amount, int32_t& activityId) {
    auto& bac = s_.file<APbac>();
    int32_t next = 0;
    if (!readNextId(bac, next)) return Error::NoRecord;
    bac.clear();
    bac.rec.BankID = bankId_;
    bac.rec.ReconciliationID = result.reconciliationId;
    bac.rec.ActivityDate = date;
    bac.rec.ActivityType = "Adjustment";
    bac.rec.Description = description;
    bac.rec.Reconciled = 1;
    bac.rec.Marked = 1;
    bac.rec.PaymentOrDebit = payment;
    bac.rec.DepositOrCredit = deposit;
    bac.rec.Amount = amount;
    if (!addWithNextId(bac, next)) return Error::NoRecord;
    activityId = bac.rec.ActivityID;
    return Error::None;
}

// After the last row: the reconciliation done, its adjustments added, all committed.
bool Completion::finish() {
    auto& rec = s_.file<APrec>();
    rec.rec.Done = 1;
    if (rec.put() != Error::None) {
        fail("Unable to put APrec after update");
        return false;
    }
    const APrec done = rec.rec;
    if (!done.ServiceCharge.isZero() &&
        addAdjustment("Service Charge", done.ServiceChargeDate, done.ServiceCharge, Decimal(),
                      -done.ServiceCharge, result.serviceChargeActivityId) != Error::None)
        return false;
    if (!done.InterestEarned.isZero() &&
        addAdjustment("Interest Earned", done.InterestEarnedDate, Decimal(), done.InterestEarned,
                      done.InterestEarned, result.interestActivityId) != Error::None)
        return false;
    active_ = false;  // committed, or rolled back by the failed commit
    if (s_.commit() != Error::None) {
        fail("Unable to commit transaction");
        return false;
    }
    over_ = true;
    result.done = true;
    result.checksMarked = done.ChecksMarked;
    result.checksMarkedAmount = done.ChecksMarkedAmount;
    result.depositsMarked = done.DepositsMarked;
    result.depositsMarkedAmount = done.DepositsMarkedAmount;
    return false;
}

}  // namespace

DoneResult UpdateAPrecDone(FileSession& session) {
    THREAD_LOG("UpdateAPrecDone");
    DoneResult result;
    {
        FileUse files(session, {FileId::APbac, FileId::APbnk, FileId::APrac, FileId::APrec});
        if (files.error() == Error::None) {
            Completion run(session);
            runProgress(processWindow("Completing reconciliation"), run);
            result = run.result;
            if (!result.done && result.reconciliationId != 0) {
                // The buffer as the file holds the reconciliation again: still open.
                auto& rec = session.file<APrec>();
                rec.clear();
                rec.rec.ReconciliationID = result.reconciliationId;
                (void)rec.get(APREC_KEY_RECONCILIATIONID);  // on failure the buffer stays blank
            }
        }
    }
    GlobalResponse = result.done ? RequestCompleted : RequestCancelled;
    THREAD_RETURN("UpdateAPrecDone");
    return result;
}

}  // namespace reconcile
