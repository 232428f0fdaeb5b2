// Commits across files are atomic only with a rollback journal: a file switched to write-ahead
// logging from outside is switched back when it is opened or framed, or refused with a message
// that says why.
#include <gtest/gtest.h>

#include "test_engine_fixture.h"

using namespace storage;

namespace {

// The journal mode a fresh connection finds in the file.
std::string journalMode(const std::string& path) {
    sqlite3* db = nullptr;
    std::string mode = "cannot open";
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db, "PRAGMA journal_mode", -1, &s, nullptr) == SQLITE_OK &&
            sqlite3_step(s) == SQLITE_ROW)
            mode = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
        sqlite3_finalize(s);
    }
    sqlite3_close(db);
    return mode;
}

class JournalMode : public StorageTest {
  protected:
    // Another program switches the file to write-ahead logging; with `keepOpen` it goes on
    // holding the file (idle), which keeps it in that mode.
    void switchToWal(FileId file, bool keepOpen) {
        ASSERT_EQ(sqlite3_open(pathOf(file).c_str(), &outside), SQLITE_OK);
        ASSERT_EQ(
            sqlite3_exec(outside, "PRAGMA journal_mode = WAL; SELECT count(*) FROM sqlite_master",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
        ASSERT_EQ(journalMode(pathOf(file)), "wal");
        if (!keepOpen) closeOutside();
    }
    void closeOutside() {
        sqlite3_close(outside);
        outside = nullptr;
    }
    void TearDown() override { closeOutside(); }

    sqlite3* outside = nullptr;
};

TEST_P(JournalMode, FileSwitchedBeforeItIsOpenedIsSwitchedBack) {
    session.reset();
    switchToWal(FileId::APbac, false);
    FileSession s(folder.storage);
    ASSERT_EQ(s.open(FileId::APbac), Error::None);
    EXPECT_EQ(journalMode(pathOf(FileId::APbac)), "delete");
}

TEST_P(JournalMode, FileAnotherProgramKeepsInWalModeIsRefusedSayingSo) {
    session.reset();
    switchToWal(FileId::APbac, true);
    FileSession s(folder.storage);
    s.setRecoverMilliseconds(100);
    EXPECT_EQ(s.open(FileId::APbac), Error::Driver);
    EXPECT_NE(s.lastError().driverMessage.find("write-ahead log"), std::string::npos)
        << s.lastError().driverMessage;
    EXPECT_EQ(s.lastError().file, folder.storage.fileName(FileId::APbac));
    closeOutside();
    EXPECT_EQ(s.open(FileId::APbac), Error::None);
    EXPECT_EQ(journalMode(pathOf(FileId::APbac)), "delete");
}

TEST_P(JournalMode, FileSwitchedWhileOpenIsSwitchedBackWhenATransactionSpansIt) {
    switchToWal(FileId::APrac, false);  // the session has every file open
    ASSERT_EQ(session->begin({FileId::APbac, FileId::APrac}, 1), Error::None);
    ASSERT_EQ(addActivity(1, 1, 1, "Check", "1"), Error::None);
    auto& rac = session->file<APrac>();
    rac.rec.ReconciliationActivityID = 1;
    ASSERT_EQ(rac.add(), Error::None);
    ASSERT_EQ(session->commit(), Error::None);
    EXPECT_EQ(journalMode(pathOf(FileId::APrac)), "delete");
    EXPECT_EQ(rawInt(pathOf(FileId::APrac), "SELECT count(*) FROM APrac"), 1);
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Sqlite, JournalMode, ::testing::Values(Backend::Sqlite), backendName);
