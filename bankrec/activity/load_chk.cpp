#include "bankrec/activity/load_chk.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "bankrec/shell/startup_parameters.h"
#include "bankrec/storage/dictionary.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/saved_error.h"
#include "bankrec/storage/warnings.h"
#include "corelib/globals.h"
#include "corelib/message.h"
#include "corelib/text.h"
#include "corelib/thread_registry.h"

using namespace corelib;
using namespace storage;
using namespace hostlink;
using namespace shell;

namespace activity {

namespace {

constexpr int kSliceTimeoutSeconds = 2;
constexpr int kAddAttempts = 3;

int32_t toLong(const std::string& text) {
    return static_cast<int32_t>(std::strtol(text.c_str(), nullptr, 10));
}

void apply(const ChkEntryValues& v, int32_t bankId, APbac& rec) {
    rec.TransactionID = v.TransactionID;
    rec.BankID = bankId;
    rec.ActivityDate = v.ActivityDate;
    rec.ActivityType = v.ActivityType;
    rec.Source = v.Source;
    rec.Reference = v.Reference;
    rec.Name = v.Name;
    rec.Description = v.Description;
    rec.PaymentOrDebit = v.PaymentOrDebit;
    rec.DepositOrCredit = v.DepositOrCredit;
    rec.Amount = v.Amount;
    cutTextFields(fileDef(FileId::APbac), &rec);
}

// Whether a row already holds the values apply() sets (it changes no other field).
bool sameValues(const APbac& a, const APbac& b) {
    return a.TransactionID == b.TransactionID && a.BankID == b.BankID &&
           a.ActivityDate == b.ActivityDate && a.ActivityType == b.ActivityType &&
           a.Source == b.Source && a.Reference == b.Reference && a.Name == b.Name &&
           a.Description == b.Description && a.PaymentOrDebit == b.PaymentOrDebit &&
           a.DepositOrCredit == b.DepositOrCredit && a.Amount == b.Amount;
}

}  // namespace

bool readChkEntry(const ZORBRCHK& link, ChkEntryValues& out) {
    out.TransactionID = toLong(link.query("TransactionID"));
    out.ActivityDate = toLong(link.query("ActivityDate"));
    out.Source = link.query("Source");
    out.Reference = link.query("Reference");
    out.Name = link.query("Name");
    out.Description = link.query("Description");
    out.Amount = Decimal::parse(link.query("Amount")).value_or(Decimal());

    const std::string source = text::upper(text::trimRight(out.Source));
    out.PaymentOrDebit = Decimal();
    out.DepositOrCredit = Decimal();
    if (source == "AP" || source == "PR" || (source == "GL" && out.Amount.isNegative())) {
        out.ActivityType = "Check";
        out.PaymentOrDebit = -out.Amount;
    } else if (source == "CR") {
        out.ActivityType = "Deposit";
        out.DepositOrCredit = out.Amount;
    } else if (source == "GL") {
        out.ActivityType = "Deposit";
        out.DepositOrCredit = out.Amount;
        out.Description = out.Name;
        out.Name.clear();
    } else {
        out.ActivityType.clear();
        return false;
    }
    return true;
}

ChkLink::ChkLink(const StartupParameters& params) : info(connectionGroup(params)) {}

// ---- Loader ----

ChkLoader::ChkLoader(FileSession& session, ZORBRCHK& link, int32_t bankId)
    : session_(session), link_(link), bankId_(bankId) {}

ChkLoader::~ChkLoader() {
    endSlice();
}

void ChkLoader::beginSlice() {
    if (inSlice_) return;
    inSlice_ = true;
    resume();
}

void ChkLoader::endSlice() {
    if (!inSlice_) return;
    suspend();
    inSlice_ = false;
}

void ChkLoader::suspend() {
    if (!ownTransaction_) return;
    ownTransaction_ = false;
    if (session_.commit() != Error::None) {
        saveError(session_);
        // The slice's rows were rolled back: what it added or rewrote did not happen.
        const int32_t lost =
            counts_.added - committed_.added + counts_.updated - committed_.updated;
        counts_.added = committed_.added;
        counts_.updated = committed_.updated;
        counts_.failed += lost;
        if (lost > 0) response_ = RequestCancelled;
        StandardWarning(Warn_UpdateError, "APbac");
    }
}

void ChkLoader::resume() {
    // When the transaction cannot begin, each write of the slice stands alone.
    if (inSlice_ && !session_.inTransaction())
        ownTransaction_ = session_.begin({FileId::APbac}, kSliceTimeoutSeconds) == Error::None;
    committed_ = counts_;
}

bool ChkLoader::step() {
    if (next_ > total()) return false;
    const int32_t number = next_++;
    link_.select(number);
    ++counts_.entries;

    ChkEntryValues v;
    if (!readChkEntry(link_, v)) {
        ++counts_.otherSourceSkipped;
        return next_ <= total();
    }
    if (v.TransactionID == 0) {
        ++counts_.noTransactionSkipped;
        return next_ <= total();
    }
    Outcome o;
    do {
        o = handle(v);
    } while (o == Outcome::Retry);
    switch (o) {
        case Outcome::Added:
            ++counts_.added;
            break;
        case Outcome::Updated:
            ++counts_.updated;
            break;
        case Outcome::Unchanged:
            ++counts_.unchanged;
            break;
        case Outcome::Reconciled:
            ++counts_.reconciledSkipped;
            break;
        default:
            ++counts_.failed;
            break;
    }
    response_ = o == Outcome::Failed ? RequestCancelled : RequestCompleted;
    if (held_) {
        // Another station holds the file and retrying was declined: every entry left would
        // wait as long and fail alike, so the run ends here.
        counts_.notHandled = total() - handled();
        next_ = total() + 1;
        return false;
    }
    return next_ <= total();
}

void ChkLoader::runToEnd(int perSlice) {
    while (next_ <= total()) {
        beginSlice();
        for (int i = 0; i < perSlice && step(); ++i) {
        }
        endSlice();
    }
}

ChkLoader::Outcome ChkLoader::handle(const ChkEntryValues& v) {
    RecordFile<APbac>& f = session_.file<APbac>();
    f.clear();
    f.rec.TransactionID = v.TransactionID;
    Error err = f.get(APBAC_KEY_TRANSACTIONID);
    if (err != Error::None && err != Error::NoRecord) {
        saveError(session_);
        suspend();
        StandardWarning(Warn_RecordFetchError, "APbac");
        resume();
        return Outcome::Failed;
    }
    const bool found = err == Error::None;
    if (found && f.rec.Reconciled) return Outcome::Reconciled;
    const APbac copy = f.rec;
    if (!found) f.clear();
    apply(v, bankId_, f.rec);
    if (found && sameValues(copy, f.rec)) return Outcome::Unchanged;

    // An entry writes one statement at most (an add or a rewrite), which SQLite applies whole
    // or not at all: a failing entry leaves nothing behind without a savepoint of its own, whose
    // copies of every page the entry touches would cost more than the write itself.
    if (!found) {
        for (int attempt = 0; attempt < kAddAttempts; ++attempt) {
            bool readFailed = false;
            err = numberAndAdd(session_, FileId::APbac, readFailed);
            if (err == Error::None) return Outcome::Added;
            if (readFailed) {
                suspend();
                StandardWarning(Warn_RecordFetchError, "APbac");
                resume();
                return Outcome::Failed;
            }
        }
        suspend();
        const int32_t answer = StandardWarning(Warn_AutoIncError);
        resume();
        if (answer == msg::Retry) return Outcome::Retry;
        held_ = err == Error::FileLocked;
        return Outcome::Failed;
    }

    stampRecord(session_, FileId::APbac);
    err = f.put();
    if (err == Error::None) return Outcome::Updated;
    saveError(session_);
    suspend();
    StandardWarning(Warn_UpdateError, err == Error::Changed
                                          ? std::string("Record Changed by Another Station")
                                          : "APbac");
    const int32_t answer = StandardWarning(Warn_PutFailed);
    resume();
    // A retry looks the row up again, so a row reconciled meanwhile is still left alone.
    if (answer == msg::Yes) return Outcome::Retry;
    held_ = err == Error::FileLocked;
    return Outcome::Failed;
}

// ---- Progress window ----

ChkLoadJob::ChkLoadJob(FileSession& session, ZORBRCHK& link, int32_t bankId)
    : link_(link), loader_(session, link, bankId) {}

void ChkLoadJob::open(ProgressView& view) {
    // Whatever came back is stored, even after LOADCHK's own window was cancelled.
    LOADCHK(link_);
    view.setRange(1, std::max<int64_t>(1, loader_.total()));
    view.setValue(0);
}

bool ChkLoadJob::tick(ProgressView& view) {
    const bool more = loader_.step();
    view.setValue(loader_.handled());
    return more;
}

ProgressOptions loadChkOptions() {
    ProgressOptions options;
    options.title = "Refreshing Outstanding Activity";
    options.text = "Refresh Outstanding Activity";
    options.cancelButton = false;
    options.percentLine = false;
    options.placeName = "LoadChkThread";
    return options;
}

ChkLoadCounts LoadChkThread(FileSession& session, const StartupParameters& params, int32_t bankId,
                            int32_t fiaId) {
    THREAD_LOG("LoadChkThread");
    ChkLoadCounts counts;
    int32_t response = RequestCancelled;
    {
        FileUse files(session, {FileId::APbac, FileId::APbnk});
        if (files.error() == Error::None) {
            ChkLink link(params);
            link.link.FIAID = fiaId;
            link.link.POSTDATE = 0;
            ChkLoadJob job(session, link.link, bankId);
            runProgress(loadChkOptions(), job);
            job.loader().endSlice();
            counts = job.loader().counts();
            counts.suite = link.link.outcome;
            response = job.loader().response();
            link.queue.clear();
        }
    }
    GlobalResponse = response;
    THREAD_RETURN("LoadChkThread");
    return counts;
}

}  // namespace activity
