#include "reconcile_fixture.h"

#include "suiteapi/tvsysdata.h"
#include "tvhost/suite_database.h"

using namespace corelib;
using namespace storage;

namespace reconcile {

namespace {

struct LogView : ProgressView {
    explicit LogView(ProgressLog& l) : log(l) {}
    void setTitle(const std::string&) override {}
    void setText(const std::string&) override {}
    void setRange(int64_t, int64_t high) override { log.rangeHigh = high; }
    void setValue(int64_t value) override { log.lastValue = value; }
    void setPercent(int) override {}
    ProgressLog& log;
};

}  // namespace

ProgressResult RecordingProgress::run(const ProgressOptions& options, ProgressJob& job) {
    log_.options.push_back(options);
    LogView view(log_);
    job.open(view);
    bool more = true;
    for (int n = 0; more; ++n) {
        if (n == cancelBeforeTick_ && job.cancel(view)) {
            job.close();
            return ProgressResult::Cancelled;
        }
        job.sliceBegin();
        more = job.tick(view);
        job.sliceEnd();
        ++log_.ticks;
    }
    job.close();
    return ProgressResult::Completed;
}

ReconcileTest::ReconcileTest() {
    glo_ApplicationName = "Bank Reconciliation";
    glo_UserID = 7;
    GlobalRequest = 0;
    GlobalResponse = 0;
    params.DIVISION = 2;
    params.DATAPATH = folder();
    storage.nameFiles(folder(), 2);
    storage.setFileName(FileId::APbnu, folder() + "/APbnu");
    storage.setRecoverMilliseconds(200);
    session = std::make_unique<FileSession>(storage);
    savedError().clear();
    cancelBeforeTick(-1);
    for (FileId id : {FileId::APbnk, FileId::APbac, FileId::APbda, FileId::APrac, FileId::APrec}) {
        EXPECT_EQ(openFile(*session, id), Error::None);
        opened.push_back(id);
    }
}

ReconcileTest::~ReconcileTest() {
    setProgressBackend(nullptr);
    for (FileId id : opened) closeFile(*session, id);
    tvsuite_SetDataFolder(nullptr);
}

void ReconcileTest::cancelBeforeTick(int n) {
    setProgressBackend(std::make_unique<RecordingProgress>(progress, n));
}

void ReconcileTest::makeSuite() {
    const QString error =
        tvhost::createSuiteDatabase(QString::fromStdString("sqlite:" + folder() + "/suite"), 2,
                                    "tvadmin", "secret", QString::fromStdString(folder()), false);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    tvsuite_SetDataFolder(folder().c_str());
}

int32_t ReconcileTest::addBank(const std::string& name, bool postCharges) {
    APbnk b;
    b.Bank = name;
    b.FIAID = static_cast<int32_t>(count<APbnk>()) + 100;
    b.ServiceChargePost = postCharges ? 1 : 0;
    b.InterestEarnedPost = postCharges ? 1 : 0;
    return add(b);
}

int32_t ReconcileTest::addCheck(int32_t bank, const std::string& reference, int64_t cents,
                                int32_t date, uint8_t marked, uint8_t reconciled) {
    APbac a;
    a.BankID = bank;
    a.ActivityType = "Check";
    a.Reference = reference;
    a.Name = "Payee " + reference;
    a.ActivityDate = date ? date : day(2026, 3, 2);
    a.PaymentOrDebit = money(cents);
    a.Amount = money(-cents);
    a.Marked = marked;
    a.Reconciled = reconciled;
    return add(a);
}

int32_t ReconcileTest::addDeposit(int32_t bank, int64_t cents, int32_t date, uint8_t marked,
                                  uint8_t reconciled) {
    APbac a;
    a.BankID = bank;
    a.ActivityType = "Deposit";
    a.Description = "Receipts";
    a.ActivityDate = date ? date : day(2026, 3, 3);
    a.DepositOrCredit = money(cents);
    a.Amount = money(cents);
    a.Marked = marked;
    a.Reconciled = reconciled;
    return add(a);
}

int32_t ReconcileTest::addLine(int32_t activityId, int64_t cents) {
    APbda d;
    d.ActivityID = activityId;
    d.Amount = money(cents);
    return add(d);
}

int32_t ReconcileTest::addStatement(int32_t bank, int32_t endingDate, int64_t endingCents,
                                    bool done) {
    APrec r;
    r.BankID = bank;
    r.EndingDate = endingDate;
    r.EndingBalance = money(endingCents);
    r.Done = done ? 1 : 0;
    return add(r);
}

int32_t ReconcileTest::addSnapshot(int32_t statementId, int32_t activityId, bool marked) {
    const APbac a = activity(activityId);
    APrac r;
    r.ReconciliationID = statementId;
    r.ActivityID = activityId;
    r.ActivityDate = a.ActivityDate;
    r.ActivityType = a.ActivityType;
    r.Reference = a.Reference;
    r.Name = a.Name;
    r.Marked = marked ? 1 : 0;
    r.Amount = a.ActivityType == "Check" ? a.PaymentOrDebit : a.DepositOrCredit;
    return add(r);
}

APbac ReconcileTest::activity(int32_t id) {
    auto& f = session->file<APbac>();
    f.clear();
    f.rec.ActivityID = id;
    if (f.get(APBAC_KEY_ACTIVITYID) != Error::None) return APbac{};
    return f.rec;
}

APrec ReconcileTest::statement(int32_t id) {
    auto& f = session->file<APrec>();
    f.clear();
    f.rec.ReconciliationID = id;
    if (f.get(APREC_KEY_RECONCILIATIONID) != Error::None) return APrec{};
    return f.rec;
}

void ReconcileTest::makeCurrent(int32_t bank, int32_t statementId) {
    auto& b = session->file<APbnk>();
    b.clear();
    b.rec.BankID = bank;
    EXPECT_EQ(b.get(APBNK_KEY_BANKID), Error::None);
    if (statementId) {
        EXPECT_EQ(statement(statementId).ReconciliationID, statementId);
    }
}

}  // namespace reconcile
