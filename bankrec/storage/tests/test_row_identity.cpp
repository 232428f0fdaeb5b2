// A record's place in its file is never given to another record: a station that still holds a
// deleted record can neither save over nor delete the record another station added after it,
// also in a file written before places were kept for good.
#include <gtest/gtest.h>

#include "services_fixture.h"
#include "test_engine_fixture.h"

using namespace storage;

namespace {

// Station A holds the last bank; station B deletes it and adds another one.
class StaleStation : public StorageTest {
  protected:
    void SetUp() override {
        StorageTest::SetUp();
        if (IsSkipped()) return;
        ASSERT_EQ(addBank(1, 11, "First"), Error::None);
        ASSERT_EQ(addBank(2, 12, "Last"), Error::None);
        other = std::make_unique<FileSession>(folder.storage);
        auto& a = other->file<APbnk>();
        a.rec.BankID = 2;
        ASSERT_EQ(a.get(APBNK_KEY_BANKID), Error::None);
        stalePosition = a.position();

        auto& b = session->file<APbnk>();
        b.rec.BankID = 2;
        ASSERT_EQ(b.get(APBNK_KEY_BANKID), Error::None);
        ASSERT_EQ(b.erase(), Error::None);
        ASSERT_EQ(addBank(3, 13, "Added after"), Error::None);
    }
    std::string bankName(int32_t id) {
        auto& b = session->file<APbnk>();
        b.clear();
        b.rec.BankID = id;
        return b.get(APBNK_KEY_BANKID) == Error::None ? b.rec.Bank : "<none>";
    }

    std::unique_ptr<FileSession> other;
    int64_t stalePosition = 0;
};

TEST_P(StaleStation, SavingTheDeletedRecordLeavesTheNewOneAlone) {
    auto& a = other->file<APbnk>();
    a.rec.Bank = "Stale save";
    EXPECT_EQ(a.put(), Error::NoRecord);
    EXPECT_EQ(bankName(3), "Added after");
    EXPECT_NE(session->file<APbnk>().position(), stalePosition);
    EXPECT_EQ(a.reget(stalePosition), Error::NoRecord);
}

TEST_P(StaleStation, DeletingTheDeletedRecordLeavesTheNewOneAlone) {
    corelib::ScopedScriptedMessages& messages = folder.sandbox.messages;
    EXPECT_EQ(deleteRecord(*other, FileId::APbnk), DeleteResult::NotDeleted);
    ASSERT_EQ(messages->count(), 1u);
    EXPECT_EQ(messages->last()->caption, "Record Retrieval Error");
    EXPECT_EQ(bankName(3), "Added after");
    EXPECT_EQ(bankName(1), "First");
}

// The table as files kept it before: the fields and the revision, places reused after a delete.
std::string formerTableSql(const FileDef& f) {
    std::string sql = "CREATE TABLE \"" + f.name + "\" (";
    for (const FieldDef& fd : f.fields)
        sql += "\"" + fd.name + "\" " + (fd.isText() ? "TEXT COLLATE NOCASE" : "INTEGER") +
               " NOT NULL DEFAULT " + (fd.isText() ? "''" : "0") + ", ";
    return sql + kRevisionColumn + " INTEGER NOT NULL DEFAULT 0)";
}

using FormerLayout = StorageTest;

TEST_P(FormerLayout, FileIsUpgradedInPlaceKeepingPlacesAndRevisions) {
    session.reset();
    const std::string path = pathOf(FileId::APbac);
    std::filesystem::remove(path);
    const FileDef& def = fileDef(FileId::APbac);
    std::string sql = formerTableSql(def) + ";";
    for (size_t k = 0; k < def.keys.size(); ++k) sql += createIndexSql(def, int(k)) + ";";
    sql +=
        "INSERT INTO APbac (rowid, ActivityID, BankID, Reference, _Revision) VALUES "
        "(1, 1, 7, '101', 0), (5, 2, 7, '102', 3), (9, 3, 7, '103', 1);"
        "PRAGMA user_version = 6";
    ASSERT_EQ(rawExec(path, sql), SQLITE_OK);

    FileSession s(folder.storage);
    ASSERT_EQ(s.open(FileId::APbac), Error::None);
    EXPECT_EQ(rawInt(path, "SELECT count(*) FROM APbac"), 3);
    EXPECT_EQ(rawInt(path, "SELECT _Revision FROM APbac WHERE rowid = 5"), 3);
    auto& bac = s.file<APbac>();
    bac.rec.ActivityID = 3;
    ASSERT_EQ(bac.get(APBAC_KEY_ACTIVITYID), Error::None);
    EXPECT_EQ(bac.position(), 9);
    EXPECT_EQ(bac.rec.Reference, "103");

    // The last record's place is not handed out again, not even after the file is reopened.
    ASSERT_EQ(bac.erase(), Error::None);
    ASSERT_TRUE(s.close(FileId::APbac));
    bac.clear();
    bac.rec.ActivityID = 4;
    ASSERT_EQ(bac.add(), Error::None);
    EXPECT_EQ(bac.position(), 10);
    EXPECT_EQ(rawInt(path, "PRAGMA user_version"), 6);
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Engines, StaleStation, BANKREC_ENGINES);
INSTANTIATE_TEST_SUITE_P(Sqlite, FormerLayout, ::testing::Values(Backend::Sqlite), backendName);
