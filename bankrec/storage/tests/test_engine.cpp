// The storage engine: keys, walks, writes with change detection, transactions, file checks.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "bankrec/storage/change_stamp.h"
#include "bankrec/storage/transaction.h"
#include "test_engine_fixture.h"

using namespace corelib;
using namespace storage;

namespace {

std::vector<std::string> walkNames(RecordFileBase& f, const std::string APbnk::*field, APbnk& rec,
                                   bool forward) {
    std::vector<std::string> out;
    while ((forward ? f.next() : f.previous()) == Error::None) out.push_back(rec.*field);
    return out;
}

std::vector<int32_t> walkIds(RecordFile<APbac>& bac, bool forward, int limit = 1000) {
    std::vector<int32_t> out;
    while (limit-- > 0 && (forward ? bac.next() : bac.previous()) == Error::None)
        out.push_back(bac.rec.ActivityID);
    return out;
}

}  // namespace

using UniqueKeys = StorageTest;

TEST_P(UniqueKeys, BindOnlyRecordsWithNonEmptyComponents) {
    EXPECT_EQ(addBank(1, 0, "First"), Error::None);
    EXPECT_EQ(addBank(2, 0, "Second"), Error::None);  // FIAID 0 is not in the key
    EXPECT_EQ(addBank(3, 77, "Third"), Error::None);
    EXPECT_EQ(addBank(4, 77, "Fourth"), Error::DuplicateKey);
    EXPECT_EQ(session->lastError().number, Error::DuplicateKey);
    int64_t n = 0;
    ASSERT_EQ(session->file<APbnk>().records(n), Error::None);
    EXPECT_EQ(n, 3);

    auto& bnk = session->file<APbnk>();
    bnk.clear();
    bnk.rec.FIAID = 77;
    ASSERT_EQ(bnk.get(APBNK_KEY_FIAID), Error::None);
    EXPECT_EQ(bnk.rec.Bank, "Third");
    bnk.rec.FIAID = 0;
    EXPECT_EQ(bnk.get(APBNK_KEY_FIAID), Error::NoRecord);  // empty rows are not in the key

    // A change onto a taken value is refused and leaves the row as it was.
    bnk.rec.BankID = 1;
    ASSERT_EQ(bnk.get(APBNK_KEY_BANKID), Error::None);
    bnk.rec.FIAID = 77;
    EXPECT_EQ(bnk.put(), Error::DuplicateKey);
    ASSERT_EQ(bnk.get(APBNK_KEY_BANKID), Error::None);
    EXPECT_EQ(bnk.rec.FIAID, 0);
}

TEST_P(UniqueKeys, BankAccountsAreUniquePerBankWithoutRegardToCase) {
    auto& bnu = session->file<APbnu>();
    auto add = [&](int32_t id, int32_t bank, const char* account) {
        bnu.clear();
        bnu.rec.BankUseID = id;
        bnu.rec.BankID = bank;
        bnu.rec.BankAccount = account;
        return bnu.add();
    };
    EXPECT_EQ(add(1, 1, "1000-ab"), Error::None);
    EXPECT_EQ(add(2, 2, "1000-ab"), Error::None);
    EXPECT_EQ(add(3, 1, "1000-AB"), Error::DuplicateKey);
    EXPECT_EQ(add(3, 1, "1000-ac"), Error::None);
    EXPECT_EQ(add(1, 9, "other"), Error::DuplicateKey);  // primary key
}

using Walks = StorageTest;

TEST_P(Walks, KeyOrderIgnoresCase) {
    for (auto [id, name] :
         {std::pair{1, "beta"}, {2, "Alpha"}, {3, "gamma"}, {4, "ALPHA2"}, {5, "Beta"}})
        ASSERT_EQ(addBank(id, 0, name), Error::None);
    auto& bnk = session->file<APbnk>();
    ASSERT_EQ(bnk.setStart(APBNK_KEY_BANK), Error::None);
    EXPECT_EQ(walkNames(bnk, &APbnk::Bank, bnk.rec, true),
              (std::vector<std::string>{"Alpha", "ALPHA2", "beta", "Beta", "gamma"}));
    // Positioned at a value: next reads from it on, previous from it back.
    bnk.rec.Bank = "BETA";
    ASSERT_EQ(bnk.set(APBNK_KEY_BANK), Error::None);
    EXPECT_EQ(walkNames(bnk, &APbnk::Bank, bnk.rec, true),
              (std::vector<std::string>{"beta", "Beta", "gamma"}));
    bnk.rec.Bank = "b";
    ASSERT_EQ(bnk.set(APBNK_KEY_BANK), Error::None);
    EXPECT_EQ(walkNames(bnk, &APbnk::Bank, bnk.rec, false),
              (std::vector<std::string>{"ALPHA2", "Alpha"}));
    bnk.rec.Bank = "alpha";
    EXPECT_EQ(bnk.get(APBNK_KEY_BANK), Error::None);
    EXPECT_EQ(bnk.rec.BankID, 2);
}

TEST_P(Walks, CompositeKeyForwardsBackwardsAndFromTheMiddle) {
    // Bank 1's activity in APBAC_KEY_ACTIVITY order: date, type, reference, id.
    ASSERT_EQ(addActivity(10, 1, 200, "Deposit", "D1"), Error::None);
    ASSERT_EQ(addActivity(11, 1, 100, "check", "102"), Error::None);
    ASSERT_EQ(addActivity(12, 1, 100, "Check", "101"), Error::None);
    ASSERT_EQ(addActivity(13, 2, 50, "Check", "1"), Error::None);
    ASSERT_EQ(addActivity(14, 1, 100, "Check", "101"), Error::None);  // same values: ordered by id
    ASSERT_EQ(addActivity(15, 1, 300, "Adjustment", ""), Error::None);
    auto& bac = session->file<APbac>();
    ASSERT_EQ(bac.setStart(APBAC_KEY_ACTIVITY), Error::None);
    EXPECT_EQ(walkIds(bac, true), (std::vector<int32_t>{12, 14, 11, 10, 15, 13}));
    ASSERT_EQ(bac.setEnd(APBAC_KEY_ACTIVITY), Error::None);
    EXPECT_EQ(walkIds(bac, false), (std::vector<int32_t>{13, 15, 10, 11, 14, 12}));

    bac.clear();
    bac.rec.BankID = 1;
    bac.rec.ActivityDate = 100;
    bac.rec.ActivityType = "CHECK";
    bac.rec.Reference = "102";
    ASSERT_EQ(bac.set(APBAC_KEY_ACTIVITY), Error::None);
    EXPECT_EQ(walkIds(bac, true, 2), (std::vector<int32_t>{11, 10}));
    EXPECT_EQ(walkIds(bac, false, 2), (std::vector<int32_t>{11, 14}));  // turns round
    bac.rec.BankID = 2;
    bac.rec.ActivityDate = 0;
    ASSERT_EQ(bac.set(APBAC_KEY_ACTIVITY), Error::None);
    EXPECT_EQ(walkIds(bac, false), (std::vector<int32_t>{15, 10, 11, 14, 12}));
}

TEST_P(Walks, LeaveOutRowsWhoseComponentsAreAllEmpty) {
    ASSERT_EQ(addBank(1, 0, "No host"), Error::None);
    ASSERT_EQ(addBank(2, 5, "Host five"), Error::None);
    ASSERT_EQ(addBank(3, 0, ""), Error::None);
    auto& bnk = session->file<APbnk>();
    ASSERT_EQ(bnk.setStart(APBNK_KEY_FIAID), Error::None);
    EXPECT_EQ(walkNames(bnk, &APbnk::Bank, bnk.rec, true), (std::vector<std::string>{"Host five"}));
    ASSERT_EQ(bnk.setEnd(APBNK_KEY_BANK), Error::None);
    EXPECT_EQ(walkNames(bnk, &APbnk::Bank, bnk.rec, false),
              (std::vector<std::string>{"No host", "Host five"}));
    ASSERT_EQ(bnk.setStart(APBNK_KEY_BANKID), Error::None);
    EXPECT_EQ(walkNames(bnk, &APbnk::Bank, bnk.rec, true).size(), 3u);
}

TEST_P(Walks, WritesDuringAWalkDoNotLoseItsPlace) {
    {
        Transaction t(*session, {FileId::APbac}, 1);
        for (int i = 1; i <= 60; ++i)
            ASSERT_EQ(addActivity(i, i % 2 + 1, i, "Check", ""), Error::None);
        ASSERT_EQ(t.commit(), Error::None);
    }
    auto& bac = session->file<APbac>();
    // Marking every row of bank 1 while walking its key: each row is visited once.
    bac.clear();
    bac.rec.BankID = 1;
    ASSERT_EQ(bac.set(APBAC_KEY_BANKID), Error::None);
    int visited = 0;
    while (bac.next() == Error::None && bac.rec.BankID == 1) {
        bac.rec.Marked = 1;
        ASSERT_EQ(bac.put(), Error::None);
        ++visited;
    }
    EXPECT_EQ(visited, 30);
    // Deleting the children of bank 2 the way the linked deletes walk them.
    bac.clear();
    bac.rec.BankID = 2;
    ASSERT_EQ(bac.set(APBAC_KEY_BANKID), Error::None);
    int deleted = 0;
    while (bac.next() == Error::None && bac.rec.BankID == 2) {
        ASSERT_EQ(bac.erase(), Error::None);
        ++deleted;
    }
    EXPECT_EQ(deleted, 30);
    int64_t n = 0;
    ASSERT_EQ(bac.records(n), Error::None);
    EXPECT_EQ(n, 30);
    // The last identifier, as numbering reads it: after the last record, one back.
    ASSERT_EQ(bac.setEnd(APBAC_KEY_ACTIVITYID), Error::None);
    ASSERT_EQ(bac.previous(), Error::None);
    EXPECT_EQ(bac.rec.ActivityID, 60);
    EXPECT_EQ(bac.rec.Marked, 1);
}

TEST_P(Walks, EmptyFileAndForeignKeys) {
    auto& bac = session->file<APbac>();
    ASSERT_EQ(bac.setEnd(APBAC_KEY_ACTIVITYID), Error::None);
    EXPECT_EQ(bac.previous(), Error::NoRecord);
    EXPECT_EQ(bac.next(), Error::NoRecord);
    EXPECT_EQ(bac.get(APBNK_KEY_BANKID), Error::InvalidKey);
    EXPECT_EQ(bac.set(APBNK_KEY_BANK), Error::InvalidKey);
    EXPECT_EQ(bac.put(), Error::NoRecord);
    EXPECT_EQ(bac.erase(), Error::NoRecord);
}

using Writes = StorageTest;

TEST_P(Writes, TextsAreStoredCutToTheirWidths) {
    ASSERT_EQ(addBank(1, 0, std::string(39, 'n') + "\xC3\xA9" + "tail"), Error::None);
    auto& bnk = session->file<APbnk>();
    EXPECT_EQ(bnk.rec.Bank, std::string(39, 'n'));  // the buffer shows what was stored
    bnk.clear();
    bnk.rec.BankID = 1;
    ASSERT_EQ(bnk.get(APBNK_KEY_BANKID), Error::None);
    EXPECT_EQ(bnk.rec.Bank, std::string(39, 'n'));
    bnk.rec.ServiceChargeJournal = "ABCDEFGHIJKLMN";
    ASSERT_EQ(bnk.put(), Error::None);
    EXPECT_EQ(storedInt(FileId::APbnk, "SELECT length(\"ServiceChargeJournal\") FROM \"APbnk\""),
              10);
}

TEST_P(Writes, MoneyIsKeptInCentsAndOutOfRangeIsRefused) {
    auto& bac = session->file<APbac>();
    ASSERT_EQ(addActivity(1, 1, 1, "Check", "1"), Error::None);
    bac.rec.PaymentOrDebit = Decimal::fromCents(Decimal::kMaxCents);
    ASSERT_EQ(bac.put(), Error::None);
    EXPECT_EQ(storedInt(FileId::APbac, "SELECT \"PaymentOrDebit\" FROM \"APbac\""),
              Decimal::kMaxCents);
    bac.rec.PaymentOrDebit = Decimal::fromCents(Decimal::kMaxCents + 1);
    EXPECT_EQ(bac.put(), Error::Driver);
    EXPECT_EQ(storedInt(FileId::APbac, "SELECT \"PaymentOrDebit\" FROM \"APbac\""),
              Decimal::kMaxCents);
}

TEST_P(Writes, ChangeStampTakesUserAndClock) {
    glo_UserID = 12;
    APbnk rec;
    stampChange(rec);
    glo_UserID = 0;
    EXPECT_EQ(rec.ChangeID, 12);
    EXPECT_EQ(rec.ChangeDate, daytime::today());
    EXPECT_GT(rec.ChangeTime, 0);
}

TEST_P(Writes, AChangeByAnotherStationIsDetected) {
    ASSERT_EQ(addBank(1, 10, "Original"), Error::None);
    FileSession other(folder.storage);
    auto& mine = session->file<APbnk>();
    auto& theirs = other.file<APbnk>();
    mine.rec.BankID = 1;
    theirs.rec.BankID = 1;
    ASSERT_EQ(mine.get(APBNK_KEY_BANKID), Error::None);
    ASSERT_EQ(theirs.get(APBNK_KEY_BANKID), Error::None);
    theirs.rec.Bank = "Theirs";
    theirs.rec.APBank = "TB";
    ASSERT_EQ(theirs.put(), Error::None);

    mine.rec.Bank = "Mine";
    EXPECT_EQ(mine.put(), Error::Changed);
    EXPECT_EQ(session->lastError().number, Error::Changed);
    EXPECT_EQ(mine.rec.Bank, "Theirs");  // the other station's record is in the buffer
    EXPECT_EQ(mine.rec.APBank, "TB");
    mine.rec.Bank = "Mine again";  // saving once more after seeing it succeeds
    ASSERT_EQ(mine.put(), Error::None);
    EXPECT_EQ(theirs.put(), Error::Changed);
    EXPECT_EQ(theirs.rec.Bank, "Mine again");

    ASSERT_EQ(theirs.erase(), Error::None);
    mine.rec.Bank = "Gone";
    EXPECT_EQ(mine.put(), Error::NoRecord);
}

TEST_P(Writes, RegetReadsTheRecordAtAPosition) {
    ASSERT_EQ(addBank(1, 0, "One"), Error::None);
    ASSERT_EQ(addBank(2, 0, "Two"), Error::None);
    auto& bnk = session->file<APbnk>();
    int64_t pos = bnk.position();
    bnk.clear();
    EXPECT_EQ(bnk.position(), 0);
    ASSERT_EQ(bnk.reget(pos), Error::None);
    EXPECT_EQ(bnk.rec.Bank, "Two");
    ASSERT_EQ(bnk.erase(), Error::None);
    EXPECT_EQ(bnk.reget(pos), Error::NoRecord);
}

using Transactions = StorageTest;

TEST_P(Transactions, SpanSeveralFilesAndRollBackAsAWhole) {
    auto& bac = session->file<APbac>();
    auto& rac = session->file<APrac>();
    auto addPair = [&](int32_t id) {
        EXPECT_EQ(addActivity(id, 1, 1, "Check", "1"), Error::None);
        rac.clear();
        rac.rec.ReconciliationActivityID = id;
        rac.rec.ActivityID = id;
        return rac.add();
    };
    {
        Transaction t(*session, {FileId::APbac, FileId::APrac}, 1);
        ASSERT_EQ(t.error(), Error::None);
        ASSERT_EQ(addPair(1), Error::None);
        bac.clear();
        bac.rec.ActivityID = 1;
        EXPECT_EQ(bac.get(APBAC_KEY_ACTIVITYID),
                  Error::None);  // reads see the transaction's writes
        // no commit: the guard rolls back
    }
    int64_t n = -1;
    ASSERT_EQ(bac.records(n), Error::None);
    EXPECT_EQ(n, 0);
    ASSERT_EQ(rac.records(n), Error::None);
    EXPECT_EQ(n, 0);

    ASSERT_EQ(session->begin({FileId::APbac, FileId::APrac}, 1), Error::None);
    EXPECT_EQ(session->begin({FileId::APbnk}, 1), Error::NoTransaction);
    ASSERT_EQ(addPair(2), Error::None);
    ASSERT_EQ(session->commit(), Error::None);
    EXPECT_EQ(storedInt(FileId::APbac, "SELECT count(*) FROM \"APbac\""), 1);
    EXPECT_EQ(storedInt(FileId::APrac, "SELECT count(*) FROM \"APrac\""), 1);
    EXPECT_EQ(session->commit(), Error::NoTransaction);
}

TEST_P(Transactions, SavepointUndoesOneEntryOfABatch) {
    Transaction t(*session, {FileId::APbac}, 1);
    ASSERT_EQ(t.error(), Error::None);
    for (int id = 1; id <= 3; ++id) {
        Savepoint entry(*session);
        ASSERT_EQ(entry.error(), Error::None);
        ASSERT_EQ(addActivity(id, 1, 1, "Check", std::to_string(id)), Error::None);
        if (id != 2) {
            ASSERT_EQ(entry.release(), Error::None);  // entry 2 fails alone
        }
    }
    ASSERT_EQ(t.commit(), Error::None);
    auto& bac = session->file<APbac>();
    ASSERT_EQ(bac.setStart(APBAC_KEY_ACTIVITYID), Error::None);
    EXPECT_EQ(walkIds(bac, true), (std::vector<int32_t>{1, 3}));
    EXPECT_EQ(session->savepoint(), Error::NoTransaction);
}

TEST_P(Transactions, BeginWaitsForAnotherWriterThenGivesUp) {
    FileSession other(folder.storage);
    ASSERT_EQ(other.begin({FileId::APbac, FileId::APrac}, 1), Error::None);
    ASSERT_EQ(other.file<APrac>().add(), Error::None);
    // A transaction on a file the other one does not name is not held up.
    EXPECT_EQ(session->begin({FileId::APbnk}, 1), Error::None);
    ASSERT_EQ(session->commit(), Error::None);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(session->begin({FileId::APbac}, 1), Error::NoTransaction);
    auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(900));
    EXPECT_EQ(session->lastError().number, Error::NoTransaction);
    ASSERT_EQ(other.commit(), Error::None);
    EXPECT_EQ(session->begin({FileId::APbac}, 1), Error::None);
    EXPECT_EQ(session->rollback(), Error::None);
}

// Only SQLite makes a commit wait for readers; a server's readers never hold writers up.
using SqliteTransactions = StorageTest;

TEST_P(SqliteTransactions, CommitWaitsForAReaderWithinTheLockWaitThenRollsBack) {
    ASSERT_EQ(addActivity(1, 1, 1, "Check", "1"), Error::None);
    sqlite3* reader = nullptr;
    ASSERT_EQ(sqlite3_open(pathOf(FileId::APbac).c_str(), &reader), SQLITE_OK);
    sqlite3_stmt* read = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(reader, "SELECT * FROM APbac", -1, &read, nullptr), SQLITE_OK);
    auto& bac = session->file<APbac>();

    // The reader lets go within the wait: the commit goes through.
    ASSERT_EQ(sqlite3_step(read), SQLITE_ROW);
    ASSERT_EQ(session->begin({FileId::APbac}, 1), Error::None);
    ASSERT_EQ(addActivity(2, 1, 1, "Check", "2"), Error::None);
    std::thread letGo([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        sqlite3_reset(read);
    });
    EXPECT_EQ(session->commit(), Error::None);
    letGo.join();
    EXPECT_EQ(rawInt(pathOf(FileId::APbac), "SELECT count(*) FROM APbac"), 2);

    // The reader holds on past the wait: the transaction is rolled back and says so.
    ASSERT_EQ(sqlite3_step(read), SQLITE_ROW);
    ASSERT_EQ(session->begin({FileId::APbac}, 1), Error::None);
    ASSERT_EQ(addActivity(3, 1, 1, "Check", "3"), Error::None);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(session->commit(), Error::FileLocked);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(450));
    EXPECT_FALSE(session->inTransaction());
    EXPECT_EQ(bac.position(), 0);  // the rolled-back add is no current record
    sqlite3_finalize(read);
    sqlite3_close(reader);
    EXPECT_EQ(rawInt(pathOf(FileId::APbac), "SELECT count(*) FROM APbac"), 2);
}

using FileChecks = StorageTest;

TEST_P(FileChecks, OpenReportsWhatIsWrongWithAFile) {
    FileSession s(folder.storage);
    EXPECT_EQ(s.open(FileId::APbnk), Error::None);
    EXPECT_EQ(s.open(FileId::APbnk), Error::AlreadyOpen);
    EXPECT_TRUE(s.close(FileId::APbnk));

    std::filesystem::remove(pathOf(FileId::APbda));
    EXPECT_EQ(s.open(FileId::APbda), Error::FileNotFound);
    EXPECT_EQ(s.file<APbda>().add(), Error::FileNotFound);  // operations open the file first
    EXPECT_EQ(s.create(FileId::APbda), Error::None);
    EXPECT_TRUE(s.close(FileId::APbda));

    {
        std::ofstream(pathOf(FileId::APbda), std::ios::trunc)
            << "this is not a database at all, it is text";
    }
    EXPECT_EQ(s.open(FileId::APbda), Error::InvalidFile);

    ASSERT_EQ(rawExec(pathOf(FileId::APrac), "DROP INDEX APRAC_KEY_ACTIVITY"), SQLITE_OK);
    EXPECT_EQ(s.open(FileId::APrac), Error::RebuildKeys);
    EXPECT_EQ(s.rebuildKeys(FileId::APrac), Error::None);
    EXPECT_EQ(s.open(FileId::APrac), Error::None);

    ASSERT_EQ(rawExec(pathOf(FileId::SYcfg), "ALTER TABLE SYcfg ADD COLUMN Extra INTEGER"),
              SQLITE_OK);
    EXPECT_EQ(s.open(FileId::SYcfg), Error::BadDeclaration);
    EXPECT_EQ(s.upgrade(FileId::SYcfg),
              Error::BadDeclaration);  // same version: not ours to convert
}

TEST_P(FileChecks, NewerVersionIsRefused) {
    session.reset();
    ASSERT_EQ(rawExec(pathOf(FileId::APrec), "PRAGMA user_version = 2"), SQLITE_OK);
    FileSession s(folder.storage);
    EXPECT_EQ(s.open(FileId::APrec), Error::BadDeclaration);
    EXPECT_EQ(s.upgrade(FileId::APrec), Error::BadDeclaration);
    EXPECT_EQ(rawInt(pathOf(FileId::APrec), "PRAGMA user_version"), 2);
}

TEST_P(FileChecks, OlderBankFileIsUpgradedWithCheckBankCarriedOver) {
    session.reset();
    const std::string path = pathOf(FileId::APbnk);
    std::filesystem::remove(path);
    ASSERT_EQ(rawExec(path, createFormerAPbnkTableSql() +
                                "; INSERT INTO APbnk (BankID, FIAID, Bank, CheckBank) VALUES "
                                "(1, 7, 'First', 'FNB'), (2, 0, 'Second', '');"
                                "CREATE INDEX old_bank ON APbnk (Bank); PRAGMA user_version = 4"),
              SQLITE_OK);
    FileSession s(folder.storage);
    ASSERT_EQ(s.open(FileId::APbnk), Error::None);
    EXPECT_EQ(rawInt(path, "PRAGMA user_version"), 5);
    auto& bnk = s.file<APbnk>();
    bnk.rec.FIAID = 7;
    ASSERT_EQ(bnk.get(APBNK_KEY_FIAID), Error::None);
    EXPECT_EQ(bnk.rec.BankID, 1);
    EXPECT_EQ(bnk.rec.Bank, "First");
    EXPECT_EQ(bnk.rec.APBank, "FNB");
    EXPECT_EQ(bnk.rec.PRBank, "FNB");
    bnk.rec.PRBank = "PAY";
    EXPECT_EQ(bnk.put(), Error::None);
}

TEST_P(FileChecks, UpgradeThatWouldBreakAUniqueKeyChangesNothing) {
    session.reset();
    const std::string path = pathOf(FileId::APbnk);
    std::filesystem::remove(path);
    ASSERT_EQ(rawExec(path, createFormerAPbnkTableSql() +
                                "; INSERT INTO APbnk (BankID, FIAID, Bank) VALUES "
                                "(1, 7, 'A'), (2, 7, 'B'); PRAGMA user_version = 4"),
              SQLITE_OK);
    FileSession s(folder.storage);
    EXPECT_EQ(s.open(FileId::APbnk), Error::DuplicateKey);
    EXPECT_EQ(rawInt(path, "PRAGMA user_version"), 4);
    EXPECT_EQ(rawInt(path, "SELECT count(*) FROM APbnk WHERE CheckBank = ''"), 2);
}

TEST_P(FileChecks, LockedFileWaitsForItsRecoverTimeThenGives32) {
    session.reset();
    sqlite3* holder = nullptr;
    ASSERT_EQ(sqlite3_open(pathOf(FileId::SYcfg).c_str(), &holder), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    FileSession s(folder.storage);
    s.setRecoverMilliseconds(300);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(s.open(FileId::SYcfg), Error::FileLocked);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(250));
    sqlite3_exec(holder, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(holder);
    EXPECT_EQ(s.open(FileId::SYcfg), Error::None);
}

TEST(StorageNames, FilesAreNamedByDataPathAndDivision) {
    Storage st;
    st.nameFiles("/data", 3);
    EXPECT_EQ(st.fileName(FileId::APbnk), "/data/03APbnk");
    EXPECT_EQ(st.filePath(FileId::APrac), "/data/03APrac.db");
    EXPECT_EQ(st.filePath(FileId::APbnu), "APbnu.db");
    st.nameFiles("/data/", 12);
    EXPECT_EQ(st.fileName(FileId::SYcfg), "/data/12SYcfg");
}

TEST(StorageNames, TheSharedCashAccountFileBelongsToTheFirstDivisionThatUsesIt) {
    DataFolder folder;
    std::filesystem::current_path(folder.path());  // as start-up does; the sandbox puts it back
    Storage two;
    two.nameFiles(folder.path(), 2);
    EXPECT_EQ(two.fileName(FileId::APbnu), "APbnu");
    {
        FileSession s(two);
        ASSERT_EQ(s.create(FileId::APbnu), Error::None);
        s.file<APbnu>().rec.BankUseID = 1;
        ASSERT_EQ(s.file<APbnu>().add(), Error::None);
    }
    Storage three;
    three.nameFiles(folder.path(), 3);
    EXPECT_EQ(three.fileName(FileId::APbnu), "03APbnu");
    two.nameFiles(folder.path(), 2);
    EXPECT_EQ(two.fileName(FileId::APbnu), "APbnu");

    // A file kept before divisions were told apart goes to the first division that opens it.
    ASSERT_EQ(rawExec("APbnu.db", "DROP TABLE _Division"), SQLITE_OK);
    Storage five;
    five.nameFiles(folder.path(), 5);
    EXPECT_EQ(five.fileName(FileId::APbnu), "APbnu");
    FileSession s5(five);
    ASSERT_EQ(s5.open(FileId::APbnu), Error::None);
    int64_t n = 0;
    ASSERT_EQ(s5.file<APbnu>().records(n), Error::None);
    EXPECT_EQ(n, 1);
    Storage later;
    later.nameFiles(folder.path(), 2);
    EXPECT_EQ(later.fileName(FileId::APbnu), "02APbnu");

    // Named before another division took the file: refused, saying whose it is.
    FileSession s2(two);
    EXPECT_EQ(s2.open(FileId::APbnu), Error::Driver);
    EXPECT_NE(s2.lastError().driverMessage.find("division 05"), std::string::npos)
        << s2.lastError().driverMessage;
}

INSTANTIATE_TEST_SUITE_P(Engines, UniqueKeys, BANKREC_ENGINES);
INSTANTIATE_TEST_SUITE_P(Engines, Walks, BANKREC_ENGINES);
INSTANTIATE_TEST_SUITE_P(Engines, Writes, BANKREC_ENGINES);
INSTANTIATE_TEST_SUITE_P(Engines, Transactions, BANKREC_ENGINES);
INSTANTIATE_TEST_SUITE_P(Sqlite, FileChecks, ::testing::Values(Backend::Sqlite), backendName);
INSTANTIATE_TEST_SUITE_P(Sqlite, SqliteTransactions, ::testing::Values(Backend::Sqlite),
                         backendName);
