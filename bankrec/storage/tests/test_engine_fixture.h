#pragma once
// Shared helpers of the storage tests: a fresh data folder per test with every file created.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>
#include <string>

#include "bankrec/storage/file_session.h"
#include "bankrec/storage/storage.h"
#include "test_store.h"
#include "testsupport/sandbox.h"

namespace storage {

// A sandbox (testsupport/sandbox.h) whose folder holds the record files of division 3.
class DataFolder {
  public:
    DataFolder() {
        storage.nameFiles(path(), 3);
        storage.setFileName(FileId::APbnu, path() + "/APbnu");
        storage.setRecoverMilliseconds(500);
    }
    // The files of division 3 on `backend` instead; false (with `skip`) when it is not here.
    bool use(Backend backend, std::string& skip) {
        return store.configure(storage, backend, path(), skip);
    }
    const std::string& path() const { return sandbox.path(); }

    testsupport::Sandbox sandbox;  // first: made before the files, removed after them
    TestStore store;
    Storage storage;
};

// Runs one SQL statement straight on a database file, outside the engine; returns SQLite's code.
inline int rawExec(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    int rc = sqlite3_open(path.c_str(), &db);
    if (rc == SQLITE_OK) rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return rc;
}

class StorageTest : public ::testing::TestWithParam<Backend> {
  protected:
    void SetUp() override {
        std::string skip;
        if (!folder.use(GetParam(), skip)) GTEST_SKIP() << skip;
        session = std::make_unique<FileSession>(folder.storage);
        for (const FileDef& f : allFiles()) ASSERT_EQ(session->create(f.id), Error::None) << f.name;
    }
    std::string pathOf(FileId f) const { return folder.storage.filePath(f); }
    // One integer from a query on the stored files, whichever the engine (test_store.h).
    int64_t storedInt(FileId f, const std::string& sql) const {
        return folder.store.storedInt(folder.storage, f, sql);
    }

    Error addBank(int32_t id, int32_t fiaid, const std::string& name) {
        auto& bnk = session->file<APbnk>();
        bnk.clear();
        bnk.rec.BankID = id;
        bnk.rec.FIAID = fiaid;
        bnk.rec.Bank = name;
        return bnk.add();
    }
    Error addActivity(int32_t id, int32_t bank, int32_t date, const std::string& type,
                      const std::string& ref, uint8_t reconciled = 0) {
        auto& bac = session->file<APbac>();
        bac.clear();
        bac.rec.ActivityID = id;
        bac.rec.BankID = bank;
        bac.rec.ActivityDate = date;
        bac.rec.ActivityType = type;
        bac.rec.Reference = ref;
        bac.rec.Reconciled = reconciled;
        bac.rec.Amount = corelib::Decimal::fromCents(id * 100 + 5);
        return bac.add();
    }

    DataFolder folder;
    std::unique_ptr<FileSession> session;
};

}  // namespace storage
