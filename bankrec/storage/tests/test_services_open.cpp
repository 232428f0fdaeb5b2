// Opening record files through the open service (create, upgrade, rebuild, fatal endings, use
// counts) and numbering new records.
#include <sqlite3.h>

#include <filesystem>
#include <fstream>

#include "bankrec/storage/transaction.h"
#include "corelib/daytime.h"
#include "corelib/globals.h"
#include "corelib/standard_warnings.h"
#include "services_fixture.h"

using namespace corelib;
using namespace storage;

namespace {

// Runs SQL on a database file outside the storage layer; true on success.
bool rawSql(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    bool ok = sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
              sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}
std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

using OpenService = ServicesTest;

TEST_P(OpenService, MissingFileIsCreatedEmptyOnFirstOpen) {
    const std::string path = storage.filePath(FileId::APbac);
    ASSERT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(open(FileId::APbac), Error::None);
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(count<APbac>(), 0);
    EXPECT_EQ(messages->count(), 0u);
    EXPECT_EQ(fileUseCount(storage, FileId::APbac), 1);
}

TEST_P(OpenService, UseCountsOpenTheFileOnceAndCloseItWithItsLastUser) {
    FileSession browse(storage);
    ASSERT_EQ(openFile(*session, FileId::APbnk), Error::None);
    ASSERT_EQ(openFile(browse, FileId::APbnk), Error::None);
    ASSERT_EQ(openFile(*session, FileId::APbnk), Error::None);
    EXPECT_EQ(fileUseCount(storage, FileId::APbnk), 3);
    EXPECT_FALSE(browse.isOpen(FileId::APbnk));  // connects on first use

    browse.file<APbnk>().rec = bank("First National");
    EXPECT_EQ(addNumbered(browse, FileId::APbnk), Error::None);
    closeFile(browse, FileId::APbnk);
    closeFile(*session, FileId::APbnk);
    EXPECT_EQ(fileUseCount(storage, FileId::APbnk), 1);
    EXPECT_TRUE(session->isOpen(FileId::APbnk));
    closeFile(*session, FileId::APbnk);
    EXPECT_EQ(fileUseCount(storage, FileId::APbnk), 0);
    EXPECT_FALSE(session->isOpen(FileId::APbnk));
    closeFile(*session, FileId::APbnk);  // one close too many changes nothing
    EXPECT_EQ(fileUseCount(storage, FileId::APbnk), 0);
}

TEST_P(OpenService, FileUseLetsGoOfWhatItOpened) {
    {
        FileUse use(*session, {FileId::APbnk, FileId::APbnu});
        EXPECT_EQ(use.error(), Error::None);
        EXPECT_EQ(fileUseCount(storage, FileId::APbnu), 1);
    }
    EXPECT_EQ(fileUseCount(storage, FileId::APbnk), 0);
    EXPECT_EQ(fileUseCount(storage, FileId::APbnu), 0);
}

TEST_P(OpenService, OlderBankFileIsUpgradedBeforeUse) {
    const std::string path = storage.filePath(FileId::APbnk);
    ASSERT_TRUE(rawSql(path, createFormerAPbnkTableSql() +
                                 "; INSERT INTO APbnk (BankID, FIAID, Bank, CheckBank) VALUES "
                                 "(1, 10, 'First National', 'FNB'); PRAGMA user_version = 4;"));
    EXPECT_EQ(open(FileId::APbnk), Error::None);
    EXPECT_EQ(messages->count(), 0u);
    ASSERT_TRUE(read<APbnk>(1));
    EXPECT_EQ(session->file<APbnk>().rec.APBank, "FNB");
    EXPECT_EQ(session->file<APbnk>().rec.PRBank, "FNB");
}

TEST_P(OpenService, FileThatIsNotADatabaseEndsWithWarning30AndDiskError) {
    const std::string path = storage.filePath(FileId::APrec);
    const std::string garbage(4096, 'x');
    writeFile(path, garbage);

    EXPECT_THROW((void)open(FileId::APrec), ProgramHalted);
    ASSERT_EQ(messages->count(), 2u);
    const RecordedMessage& warning = messages->messages()[0];
    EXPECT_EQ(warning.caption, "File Access Error");
    EXPECT_EQ(
        warning.text.rfind(
            "File (" + storage.fileName(FileId::APrec) + ") could not be opened.  Error: ", 0),
        0u)
        << warning.text;
    EXPECT_EQ(messages->messages()[1].text, "Disk Error");
    EXPECT_EQ(messages->haltCode(), kFatalWarningExitCode);
    EXPECT_EQ(readFile(path), garbage);  // never overwritten
    EXPECT_EQ(fileUseCount(storage, FileId::APrec), 0);
}

TEST_P(OpenService, CallerThatHandlesFailuresGetsTheErrorAndNothingIsShownOrCreated) {
    const OpenOptions quiet{.callerHandlesFailure = true};
    EXPECT_EQ(openFile(*session, FileId::APbda, quiet), Error::FileNotFound);
    EXPECT_FALSE(std::filesystem::exists(storage.filePath(FileId::APbda)));
    writeFile(storage.filePath(FileId::APrac), std::string(2048, '\x7f'));
    EXPECT_EQ(openFile(*session, FileId::APrac, quiet), Error::InvalidFile);
    EXPECT_EQ(messages->count(), 0u);
    EXPECT_EQ(fileUseCount(storage, FileId::APbda), 0);
    EXPECT_EQ(fileUseCount(storage, FileId::APrac), 0);
}

TEST_P(OpenService, NewerStructureThanTheProgramsEndsWithWarning1) {
    ASSERT_EQ(open(FileId::SYcfg), Error::None);
    closeFile(*session, FileId::SYcfg);
    opened[static_cast<int>(FileId::SYcfg)] = 0;
    ASSERT_TRUE(rawSql(storage.filePath(FileId::SYcfg), "PRAGMA user_version = 9"));

    EXPECT_THROW((void)open(FileId::SYcfg), ProgramHalted);
    ASSERT_EQ(messages->count(), 2u);
    EXPECT_EQ(messages->messages()[0].caption, "Invalid File");
    EXPECT_EQ(messages->messages()[0].text, "Error: (Invalid Record Declaration (47)) accessing " +
                                                storage.fileName(FileId::SYcfg) +
                                                ".  Press OK to end this application.");
    EXPECT_EQ(messages->messages()[1].text, "Invalid File!");
}

TEST_P(OpenService, DamagedKeyIsRebuiltWhenTheUserSaysYesAndEndsTheProgramOnNo) {
    ASSERT_EQ(open(FileId::APbnu), Error::None);
    closeFile(*session, FileId::APbnu);
    opened[static_cast<int>(FileId::APbnu)] = 0;
    const std::string index = fileDef(FileId::APbnu).keys[1].sqlName;
    ASSERT_TRUE(rawSql(storage.filePath(FileId::APbnu), "DROP INDEX \"" + index + "\""));

    messages->answer(msg::Yes);
    EXPECT_EQ(open(FileId::APbnu), Error::None);
    ASSERT_EQ(messages->count(), 1u);
    EXPECT_EQ(messages->last()->caption, "Invalid Key");
    EXPECT_EQ(messages->last()->text, storage.fileName(FileId::APbnu) +
                                          " key file is invalid.  Do you want to rebuild the key?");
    closeFile(*session, FileId::APbnu);
    opened[static_cast<int>(FileId::APbnu)] = 0;

    ASSERT_TRUE(rawSql(storage.filePath(FileId::APbnu), "DROP INDEX \"" + index + "\""));
    messages->clear();
    messages->answer(msg::No);
    EXPECT_THROW((void)open(FileId::APbnu), ProgramHalted);
    EXPECT_EQ(messages->last()->text, "Invalid Key!");
}

TEST_P(OpenService, FileThatCannotBeCreatedEndsWithWarning4) {
    storage.setFileName(FileId::APbnk, folder() + "/no such folder/03APbnk");
    EXPECT_THROW((void)open(FileId::APbnk), ProgramHalted);
    ASSERT_EQ(messages->count(), 2u);
    EXPECT_EQ(messages->messages()[0].caption, "File Creation Error");
    EXPECT_NE(messages->messages()[0].text.find(") creating " + folder() +
                                                "/no such folder/03APbnk"
                                                ".  Press OK to end this application."),
              std::string::npos);
    EXPECT_EQ(messages->messages()[1].text, "File Creation Error!");
}

TEST_P(OpenService, MissingFileThatMayNotBeCreatedEndsWithWarning22) {
    EXPECT_THROW((void)openFile(*session, FileId::APbnk, OpenOptions{.create = false}),
                 ProgramHalted);
    EXPECT_EQ(messages->messages()[0].text,
              "The File " + storage.fileName(FileId::APbnk) +
                  "was not found, and creation of the file is not allowed.  Press OK to end this "
                  "application.");
    EXPECT_FALSE(std::filesystem::exists(storage.filePath(FileId::APbnk)));
}

class Numbering : public ServicesTest {
  protected:
    void SetUp() override {
        ServicesTest::SetUp();
        if (!IsSkipped()) openAll();
    }
};

TEST_P(Numbering, FirstRecordGetsOneAndLaterOnesTheHighestPlusOne) {
    glo_UserID = 0;
    EXPECT_EQ(add(bank("A")), 1);
    EXPECT_EQ(session->file<APbnk>().rec.Bank, "A");
    EXPECT_EQ(session->file<APbnk>().rec.ChangeDate, daytime::today());
    EXPECT_GT(session->file<APbnk>().rec.ChangeTime, 0);
    EXPECT_EQ(add(bank("B")), 2);
    EXPECT_EQ(add(bank("C")), 3);
    ASSERT_TRUE(read<APbnk>(2));
    ASSERT_EQ(session->file<APbnk>().erase(), Error::None);
    EXPECT_EQ(add(bank("D")), 4);
    ASSERT_TRUE(read<APbnk>(4));
    ASSERT_EQ(session->file<APbnk>().erase(), Error::None);
    EXPECT_EQ(add(bank("E")), 4);
    EXPECT_EQ(messages->count(), 0u);
}

TEST_P(Numbering, InATransactionItCountsOnFromItsOwnAddsAndReadsAgainWhereThatCannotHold) {
    auto& bnk = session->file<APbnk>();
    FileSession other(storage);
    ASSERT_EQ(add(bank("A")), 1);
    {
        Transaction t(*session, {FileId::APbnk}, 1);
        ASSERT_EQ(t.error(), Error::None);
        EXPECT_EQ(add(bank("B")), 2);
        EXPECT_EQ(add(bank("C")), 3);
        // The highest record deleted: its number is the next one again.
        ASSERT_TRUE(read<APbnk>(3));
        ASSERT_EQ(bnk.erase(), Error::None);
        EXPECT_EQ(add(bank("D")), 3);
        {
            Savepoint entry(*session);
            EXPECT_EQ(add(bank("E")), 4);
        }  // rolled back
        EXPECT_EQ(add(bank("F")), 4);
        // A record whose identifier is changed to a higher one.
        ASSERT_TRUE(read<APbnk>(2));
        bnk.rec.BankID = 20;
        ASSERT_EQ(bnk.put(), Error::None);
        EXPECT_EQ(add(bank("G")), 21);
        ASSERT_EQ(t.commit(), Error::None);
    }
    // Another station's adds between two transactions count in the next one.
    EXPECT_EQ(add(bank("X"), &other), 22);
    {
        Transaction t(*session, {FileId::APbnk}, 1);
        EXPECT_EQ(add(bank("H")), 23);
    }  // rolled back
    // So they do during a transaction that leaves the file out, and outside any transaction.
    {
        Transaction t(*session, {FileId::APbnu}, 1);
        ASSERT_EQ(t.error(), Error::None);
        EXPECT_EQ(add(bank("I")), 23);
        EXPECT_EQ(add(bank("Y"), &other), 24);
        EXPECT_EQ(add(bank("J")), 25);
    }
    EXPECT_EQ(add(bank("L")), 26);
    EXPECT_EQ(add(bank("Z"), &other), 27);
    {
        Transaction t(*session, {FileId::APbnk}, 1);
        EXPECT_EQ(add(bank("K")), 28);
    }
    EXPECT_EQ(messages->count(), 0u);
}

TEST_P(Numbering, AnAddThatKeepsFailingAsksWarning25WhereRetryTriesAgainAndCancelGivesUp) {
    ASSERT_EQ(add(bank("A", 7)), 1);
    messages->answers({msg::Retry, msg::Cancel});
    session->file<APbnk>().rec = bank("B", 7);  // the same host account: a duplicate key
    EXPECT_EQ(addNumbered(*session, FileId::APbnk), Error::DuplicateKey);

    ASSERT_EQ(messages->count(), 2u);
    for (const RecordedMessage& m : messages->messages()) {
        EXPECT_EQ(m.caption, "Auto Increment Error");
        EXPECT_EQ(m.text,
                  "Attempts to automatically number this record have failed.  Error: Creates "
                  "Duplicate Key (40).");
    }
    EXPECT_EQ(session->file<APbnk>().rec.Bank, "B");  // the values to add are kept
    EXPECT_EQ(count<APbnk>(), 1);
    EXPECT_FALSE(savedError().isSet());
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Engines, Numbering, BANKREC_ENGINES);
INSTANTIATE_TEST_SUITE_P(Sqlite, OpenService, ::testing::Values(Backend::Sqlite), backendName);
