#pragma once
// A fresh data folder per test (the shared sandbox: settings files and scripted messages too)
// with the record files open in one session, a progress backend that records what it shows and can
// press Cancel, and helpers to add banks, activity, deposit lines and reconciliations. makeSuite()
// adds the stand-in suite's files.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "bankrec/reconcile/reconcile_calls.h"
#include "bankrec/shell/startup_parameters.h"
#include "bankrec/storage/dictionary.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/saved_error.h"
#include "bankrec/storage/storage.h"
#include "corelib/daytime.h"
#include "corelib/globals.h"
#include "corelib/message_script.h"
#include "corelib/progress.h"
#include "storagetest/add_record.h"
#include "testsupport/sandbox.h"

namespace reconcile {

inline corelib::Decimal money(int64_t cents) {
    return corelib::Decimal::fromCents(cents);
}
inline int32_t day(int year, int month, int d) {
    return corelib::daytime::dayNumber(year, month, d);
}

// What the progress windows of a test showed.
struct ProgressLog {
    std::vector<corelib::ProgressOptions> options;
    int64_t rangeHigh = -1;
    int64_t lastValue = -1;
    int ticks = 0;
};

// Runs jobs without a window, one tick per slice, recording what they show; presses Cancel
// before tick `cancelBeforeTick` (never when negative).
class RecordingProgress : public corelib::ProgressBackend {
  public:
    RecordingProgress(ProgressLog& log, int cancelBeforeTick)
        : log_(log), cancelBeforeTick_(cancelBeforeTick) {}
    corelib::ProgressResult run(const corelib::ProgressOptions& options,
                                corelib::ProgressJob& job) override;

  private:
    ProgressLog& log_;
    int cancelBeforeTick_;
};

class ReconcileTest : public ::testing::Test {
  protected:
    ReconcileTest();
    ~ReconcileTest() override;

    std::string folder() const { return sandbox.path(); }
    // A second station on the same files.
    std::unique_ptr<storage::FileSession> station() {
        return std::make_unique<storage::FileSession>(storage);
    }
    // Cancel before tick n of the next progress windows (-1: never).
    void cancelBeforeTick(int n);

    // The stand-in suite's files for division 2 in the data folder (the payables register).
    void makeSuite();

    // Adds a record through numbering; returns its identifier (0 when the add failed).
    template <storage::Record R>
    int32_t add(const R& rec) {
        return storagetest::addRecord(*session, rec);
    }
    int32_t addBank(const std::string& name, bool postCharges = true);
    int32_t addCheck(int32_t bank, const std::string& reference, int64_t cents, int32_t date = 0,
                     uint8_t marked = 0, uint8_t reconciled = 0);
    int32_t addDeposit(int32_t bank, int64_t cents, int32_t date = 0, uint8_t marked = 0,
                       uint8_t reconciled = 0);
    int32_t addLine(int32_t activity, int64_t cents);
    // A statement of the bank; done or open.
    int32_t addStatement(int32_t bank, int32_t endingDate, int64_t endingCents, bool done);
    // A snapshot row of a statement copied from an activity row.
    int32_t addSnapshot(int32_t statement, int32_t activity, bool marked);

    template <storage::Record R>
    int64_t count() {
        int64_t n = -1;
        EXPECT_EQ(session->file<R>().records(n), storage::Error::None);
        return n;
    }
    // Every record of a file, in the order of its primary key.
    template <storage::Record R>
    std::vector<R> all() {
        std::vector<R> out;
        auto& f = session->file<R>();
        f.clear();
        (void)f.setStart(storage::KeyId{R::kFile, 0});
        while (f.next() == storage::Error::None) out.push_back(f.rec);
        return out;
    }
    // Every message shown so far, "caption: text" a line (for "nothing was shown" checks).
    std::string messageTexts() {
        std::string all;
        for (const auto& m : messages->messages()) all += m.caption + ": " + m.text + "\n";
        return all;
    }
    storage::APbac activity(int32_t id);
    // The statement, or one with ReconciliationID 0 when it is gone.
    storage::APrec statement(int32_t id);
    // Makes a bank and a statement current in the session's buffers, as the list leaves them.
    void makeCurrent(int32_t bank, int32_t statementId = 0);

    testsupport::Sandbox sandbox;  // first: set up first, put back last
    corelib::ScopedScriptedMessages& messages = sandbox.messages;
    ProgressLog progress;
    storage::Storage storage;
    std::unique_ptr<storage::FileSession> session;
    std::vector<storage::FileId> opened;
    shell::StartupParameters params;
    ReconcileCalls calls;
};

}  // namespace reconcile
