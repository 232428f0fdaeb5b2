#pragma once
// A sandbox per test (temporary folder, settings, scripted messages) with a data folder whose
// record files are open in one session, and a progress backend that can press Cancel; helpers to
// set up banks, activity and an open reconciliation directly, and to read back what completion
// left in the files.
#include <gtest/gtest.h>

#include <QDir>
#include <memory>
#include <string>
#include <vector>

#include "bankrec/shell/startup_parameters.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/saved_error.h"
#include "bankrec/storage/storage.h"
#include "corelib/globals.h"
#include "corelib/message_script.h"
#include "corelib/progress.h"
#include "suiteapi/tvsysdata.h"
#include "testsupport/sandbox.h"

namespace completion_tests {

// Runs jobs without a window in ticks, recording the windows; presses Cancel before tick n.
struct ProgressRecord {
    std::vector<corelib::ProgressOptions> windows;
    int cancelBeforeTick = -1;
    int ticks = 0;
};

class RecordingProgress : public corelib::ProgressBackend {
  public:
    explicit RecordingProgress(std::shared_ptr<ProgressRecord> record)
        : record_(std::move(record)) {}
    corelib::ProgressResult run(const corelib::ProgressOptions& options,
                                corelib::ProgressJob& job) override {
        struct Quiet : corelib::ProgressView {
            void setTitle(const std::string&) override {}
            void setText(const std::string&) override {}
            void setRange(int64_t, int64_t) override {}
            void setValue(int64_t) override {}
            void setPercent(int) override {}
        } view;
        record_->windows.push_back(options);
        job.open(view);
        for (int n = 0;; ++n) {
            if (n == record_->cancelBeforeTick && job.cancel(view)) {
                job.close();
                return corelib::ProgressResult::Cancelled;
            }
            job.sliceBegin();
            const bool more = job.tick(view);
            job.sliceEnd();
            ++record_->ticks;
            if (!more) break;
        }
        job.close();
        return corelib::ProgressResult::Completed;
    }

  private:
    std::shared_ptr<ProgressRecord> record_;
};

inline corelib::Decimal money(int64_t cents) {
    return corelib::Decimal::fromCents(cents);
}

class CompletionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sandbox_.valid());
        data_ = sandbox_.folder("data");
        QDir::setCurrent(QString::fromStdString(data_));  // where the suite link writes its file
        tvsuite_SetDataFolder(data_.c_str());
        corelib::glo_ApplicationName = "Bank Reconciliation";
        corelib::setProgressBackend(std::make_unique<RecordingProgress>(progress_));
        storage::savedError().clear();
        storage_.nameFiles(data_, 3);
        storage_.setFileName(storage::FileId::APbnu, data_ + "/APbnu");
        storage_.setRecoverMilliseconds(300);
        session_ = std::make_unique<storage::FileSession>(storage_);
        files_ = std::make_unique<storage::FileUse>(
            *session_, std::initializer_list<storage::FileId>{
                           storage::FileId::APbnk, storage::FileId::APbnu, storage::FileId::APbac,
                           storage::FileId::APbda, storage::FileId::APrac, storage::FileId::APrec});
        ASSERT_EQ(files_->error(), storage::Error::None);
    }
    void TearDown() override {
        files_.reset();
        session_.reset();
        corelib::setProgressBackend(nullptr);
        tvsuite_SetDataFolder(nullptr);
    }

    // Adds a record with the next identifier of its file; returns the identifier.
    template <storage::Record R>
    int32_t add(const R& rec) {
        session_->file<R>().rec = rec;
        EXPECT_EQ(storage::addNumbered(*session_, R::kFile), storage::Error::None);
        return static_cast<int32_t>(std::get<int64_t>(
            storage::getField(storage::fileDef(R::kFile), &session_->file<R>().rec, 0)));
    }

    // A bank that posts service charge and interest through journal GJ; it becomes current.
    int32_t addBank(const std::string& name, int32_t fiaId = 0) {
        storage::APbnk b;
        b.Bank = name;
        b.FIAID = fiaId;
        b.ServiceChargePost = 1;
        b.ServiceChargeJournal = "GJ";
        b.ServiceChargeAccount = "5100-000-00";
        b.InterestEarnedPost = 1;
        b.InterestEarnedJournal = "GJ";
        b.InterestEarnedAccount = "4300-000-00";
        const int32_t id = add(b);
        current(id);
        return id;
    }
    void current(int32_t bankId) {
        auto& f = session_->file<storage::APbnk>();
        f.clear();
        f.rec.BankID = bankId;
        ASSERT_EQ(f.get(storage::APBNK_KEY_BANKID), storage::Error::None);
    }

    struct Item {
        const char* type = "Check";
        const char* reference = "";
        int64_t cents = 0;  // the payment of a check, the credit of a deposit
        bool marked = false;
        int32_t transactionId = 0;
        const char* source = "";
        int32_t date = 82000;
    };
    int32_t addActivity(int32_t bankId, const Item& item) {
        storage::APbac a;
        a.BankID = bankId;
        a.ActivityType = item.type;
        a.Reference = item.reference;
        a.Name = std::string("Payee ") + item.reference;
        a.Description = std::string("Item ") + item.reference;
        a.ActivityDate = item.date;
        a.Marked = item.marked ? 1 : 0;
        a.TransactionID = item.transactionId;
        a.Source = item.source;
        if (std::string(item.type) == "Check") {
            a.PaymentOrDebit = money(item.cents);
            a.Amount = money(-item.cents);
        } else if (std::string(item.type) == "Deposit") {
            a.DepositOrCredit = money(item.cents);
            a.Amount = money(item.cents);
        } else {
            a.Amount = money(item.cents);
        }
        return add(a);
    }

    // The bank's open reconciliation; it becomes current in the APrec buffer.
    int32_t openReconciliation(int32_t bankId, int64_t serviceCharge = 0, int64_t interest = 0,
                               int32_t endingDate = 82030) {
        storage::APrec r;
        r.BankID = bankId;
        r.OpeningDate = endingDate - 30;
        r.EndingDate = endingDate;
        r.ServiceCharge = money(serviceCharge);
        r.ServiceChargeDate = serviceCharge ? endingDate : 0;
        r.InterestEarned = money(interest);
        r.InterestEarnedDate = interest ? endingDate : 0;
        r.ChecksMarked = 99;  // stale totals: completion counts them afresh
        return add(r);
    }

    template <storage::Record R>
    std::vector<R> all() {
        std::vector<R> out;
        auto& f = session_->file<R>();
        f.clear();
        (void)f.setStart(storage::KeyId{R::kFile, 0});
        while (f.next() == storage::Error::None) out.push_back(f.rec);
        return out;
    }
    storage::APbac activity(int32_t id) {
        auto& f = session_->file<storage::APbac>();
        f.clear();
        f.rec.ActivityID = id;
        EXPECT_EQ(f.get(storage::APBAC_KEY_ACTIVITYID), storage::Error::None) << id;
        return f.rec;
    }
    storage::APrec reconciliation(int32_t id) {
        auto& f = session_->file<storage::APrec>();
        f.clear();
        f.rec.ReconciliationID = id;
        EXPECT_EQ(f.get(storage::APREC_KEY_RECONCILIATIONID), storage::Error::None) << id;
        return f.rec;
    }
    // Makes reconciliation `id` the current one, as the list does before it calls a procedure.
    void select(int32_t id) { (void)reconciliation(id); }

    std::string messageTexts() {
        std::string all;
        for (const auto& m : messages_->messages()) all += m.caption + ": " + m.text + "\n";
        return all;
    }

    testsupport::Sandbox sandbox_;  // first: set up first, put back last
    corelib::ScopedScriptedMessages& messages_ = sandbox_.messages;
    std::string data_;
    storage::Storage storage_;
    std::unique_ptr<storage::FileSession> session_;
    std::unique_ptr<storage::FileUse> files_;
    std::shared_ptr<ProgressRecord> progress_ = std::make_shared<ProgressRecord>();
};

}  // namespace completion_tests
