#pragma once
// A fresh data folder per test with every record file open in one session, the scripted
// message service, and helpers to add and count records.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/saved_error.h"
#include "bankrec/storage/storage.h"
#include "corelib/message_script.h"
#include "storagetest/add_record.h"
#include "test_store.h"
#include "testsupport/sandbox.h"

namespace storage {

// Runs against each engine (test_store.h): instantiate with BANKREC_ENGINES.
class ServicesTest : public ::testing::TestWithParam<Backend> {
  protected:
    // The storage is named here, before the members of derived fixtures (their own sessions).
    ServicesTest() { configured_ = store.configure(storage, GetParam(), folder(), skip_); }
    void SetUp() override {
        if (!configured_) GTEST_SKIP() << skip_;
        session = std::make_unique<FileSession>(storage);
        savedError().clear();
    }
    void TearDown() override {
        if (!session) return;
        for (int i = 0; i < kFileCount; ++i)
            while (opened[i]-- > 0) closeFile(*session, static_cast<FileId>(i));
        session.reset();
    }

    std::string folder() const { return sandbox.path(); }

    // Opens every record file through the open service (creating them).
    void openAll() {
        for (int i = 0; i < kFileCount; ++i) (void)open(static_cast<FileId>(i));
    }
    Error open(FileId id) {
        Error err = openFile(*session, id);
        if (err == Error::None) ++opened[static_cast<int>(id)];
        return err;
    }

    // Adds a record through numbering; returns its identifier (0 when the add failed).
    template <Record R>
    int32_t add(const R& rec, FileSession* in = nullptr) {
        return storagetest::addRecord(in ? *in : *session, rec);
    }

    template <Record R>
    int64_t count() {
        int64_t n = -1;
        EXPECT_EQ(session->file<R>().records(n), Error::None);
        return n;
    }

    // Reads a record by its identifier into the session's buffer; false when it is not there.
    template <Record R>
    bool read(int32_t id, FileSession* in = nullptr) {
        FileSession& s = in ? *in : *session;
        auto& f = s.file<R>();
        f.clear();
        setField(fileDef(R::kFile), &f.rec, 0, int64_t{id});
        return f.get(KeyId{R::kFile, 0}) == Error::None;
    }

    testsupport::Sandbox sandbox;
    corelib::ScopedScriptedMessages& messages = sandbox.messages;
    TestStore store;
    Storage storage;
    std::unique_ptr<FileSession> session;
    int opened[kFileCount] = {};

  private:
    bool configured_ = false;
    std::string skip_;
};

inline APbnk bank(const std::string& name, int32_t fiaid = 0) {
    APbnk b;
    b.Bank = name;
    b.FIAID = fiaid;
    return b;
}
inline APbnu cashAccount(int32_t bankId, const std::string& account) {
    APbnu u;
    u.BankID = bankId;
    u.BankAccount = account;
    return u;
}
inline APbac activity(int32_t bankId, const std::string& type, const std::string& reference,
                      int32_t reconciliationId = 0) {
    APbac a;
    a.BankID = bankId;
    a.ActivityType = type;
    a.Reference = reference;
    a.ReconciliationID = reconciliationId;
    a.Amount = corelib::Decimal::fromUnits(10);
    return a;
}
inline APbda depositLine(int32_t activityId, int32_t order) {
    APbda d;
    d.ActivityID = activityId;
    d.Order = order;
    d.Amount = corelib::Decimal::fromUnits(order);
    return d;
}
inline APrec reconciliation(int32_t bankId) {
    APrec r;
    r.BankID = bankId;
    return r;
}
inline APrac copyOf(int32_t reconciliationId, int32_t activityId) {
    APrac c;
    c.ReconciliationID = reconciliationId;
    c.ActivityID = activityId;
    c.ActivityType = "Check";
    return c;
}

}  // namespace storage
