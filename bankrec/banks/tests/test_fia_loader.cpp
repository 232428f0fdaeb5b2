// The account loader against hand-made suite lists: banks matched by FIAID, cash accounts
// collected, stale ones removed, defaults given, and what an empty or partial list leaves.
#include <sqlite3.h>

#include <QFile>
#include <map>
#include <thread>

#include "banks_fixture.h"

using namespace corelib;
using namespace storage;
using namespace hostlink;
using namespace banks;

using FiaLoaderTest = BanksTest;

TEST_F(FiaLoaderTest, AnAccountWithTwoCashAccountsBecomesOneBankWithTheFirstMarked) {
    FiaLoadCounts c = load({entry(7, "Operating", "1010-000-00", "OPAP", "OPPR"),
                            entry(7, "Operating", "1000-000-00", "OPAP", "OPPR")});
    ASSERT_EQ(banks().size(), 1u);
    APbnk b = bankByFia(7);
    EXPECT_EQ(b.Bank, "Operating");
    EXPECT_EQ(b.APBank, "OPAP");
    EXPECT_EQ(b.PRBank, "OPPR");
    EXPECT_EQ(b.BankID, 1);
    auto cash = cashOf(b.BankID);
    ASSERT_EQ(cash.size(), 2u);
    EXPECT_EQ(cash[0].BankAccount, "1000-000-00");
    EXPECT_EQ(cash[0].Post, 1);
    EXPECT_EQ(cash[1].Post, 0);
    EXPECT_EQ(c.banksAdded, 1);
    EXPECT_EQ(c.cashAdded, 2);
    EXPECT_EQ(c.defaultsSet, 1);
    EXPECT_EQ(messages_->count(), 0u) << messages_->last()->text;
}

TEST_F(FiaLoaderTest, ARenameInTheSuiteKeepsThePostingSettings) {
    load({entry(7, "Operating", "1000-000-00")});
    auto& f = session_->file<APbnk>();
    f.rec.FIAID = 7;
    ASSERT_EQ(f.get(APBNK_KEY_FIAID), Error::None);
    f.rec.ServiceChargePost = 1;
    f.rec.ServiceChargeJournal = "GJ";
    f.rec.ServiceChargeAccount = "5000-000-00";
    ASSERT_EQ(f.put(), Error::None);

    FiaLoadCounts c = load({entry(7, "Operating Account", "1000-000-00", "NEWAP")});
    APbnk b = bankByFia(7);
    EXPECT_EQ(b.Bank, "Operating Account");
    EXPECT_EQ(b.APBank, "NEWAP");
    EXPECT_EQ(b.ServiceChargePost, 1);
    EXPECT_EQ(b.ServiceChargeJournal, "GJ");
    EXPECT_EQ(b.ServiceChargeAccount, "5000-000-00");
    EXPECT_EQ(c.banksUpdated, 1);
    EXPECT_EQ(c.banksAdded, 0);
    EXPECT_EQ(banks().size(), 1u);
}

TEST_F(FiaLoaderTest, ARemovedDefaultCashAccountHandsTheDefaultToTheFirstRemaining) {
    load({entry(7, "Operating", "1000-000-00"), entry(7, "Operating", "1010-000-00"),
          entry(7, "Operating", "1020-000-00")});
    const int32_t bank = bankByFia(7).BankID;
    ASSERT_EQ(defaultsOf(bank), std::vector<std::string>{"1000-000-00"});

    FiaLoadCounts c =
        load({entry(7, "Operating", "1020-000-00"), entry(7, "Operating", "1010-000-00")});
    auto cash = cashOf(bank);
    ASSERT_EQ(cash.size(), 2u);
    EXPECT_EQ(cash[0].BankAccount, "1010-000-00");
    EXPECT_EQ(defaultsOf(bank), std::vector<std::string>{"1010-000-00"});
    EXPECT_EQ(c.cashRemoved, 1);
}

TEST_F(FiaLoaderTest, ABankLeftWithoutCashAccountsHasNoDefaultAndOtherBanksKeepTheirs) {
    load({entry(7, "Operating", "1000-000-00"), entry(8, "Payroll", "1100-000-00"),
          entry(8, "Payroll", "1110-000-00")});
    // The user chose the second payroll account as default.
    const int32_t payroll = bankByFia(8).BankID;
    chooseDefault(payroll, "1110-000-00");

    // The operating account is no longer reported.
    FiaLoadCounts c =
        load({entry(8, "Payroll", "1100-000-00"), entry(8, "Payroll", "1110-000-00")});
    const int32_t operating = bankByFia(7).BankID;  // the bank itself stays
    EXPECT_TRUE(cashOf(operating).empty());
    EXPECT_TRUE(defaultsOf(operating).empty());
    EXPECT_EQ(defaultsOf(payroll), std::vector<std::string>{"1110-000-00"});
    EXPECT_EQ(c.cashRemoved, 1);
    EXPECT_EQ(c.defaultsSet, 0);
    EXPECT_EQ(banks().size(), 2u);
}

TEST_F(FiaLoaderTest, ANewCashAccountSortingFirstLeavesTheDefaultTheUserChose) {
    load({entry(7, "Operating", "2000-000-00"), entry(7, "Operating", "3000-000-00")});
    const int32_t bank = bankByFia(7).BankID;
    chooseDefault(bank, "3000-000-00");

    FiaLoadCounts c =
        load({entry(7, "Operating", "3000-000-00"), entry(7, "Operating", "1000-000-00"),
              entry(7, "Operating", "2000-000-00")});
    EXPECT_EQ(cashOf(bank).size(), 3u);
    EXPECT_EQ(defaultsOf(bank), std::vector<std::string>{"3000-000-00"});
    EXPECT_EQ(c.cashAdded, 1);
    EXPECT_EQ(c.defaultsSet, 0);
}

TEST_F(FiaLoaderTest, ABlankCashAccountFromTheSuiteIsKeptAsAnEmptyAccount) {
    load({entry(9, "Savings", "")});
    const int32_t bank = bankByFia(9).BankID;
    auto cash = cashOf(bank);
    ASSERT_EQ(cash.size(), 1u);
    EXPECT_EQ(cash[0].BankAccount, "");
    EXPECT_EQ(cash[0].Post, 1);
    // And a second load does not add it again.
    load({entry(9, "Savings", "")});
    EXPECT_EQ(cashOf(bank).size(), 1u);
}

TEST_F(FiaLoaderTest, CashAccountsDifferingOnlyInCaseAreOneAccount) {
    FiaLoadCounts c = load({entry(7, "Operating", "abc-1"), entry(7, "Operating", "ABC-1")});
    EXPECT_EQ(cashOf(bankByFia(7).BankID).size(), 1u);
    EXPECT_EQ(c.failures, 0);
    EXPECT_EQ(messages_->count(), 0u);
}

TEST_F(FiaLoaderTest, LoadingTheSameListTwiceChangesNothing) {
    const std::vector<FIAQEntry> list = {entry(7, "Operating", "1000-000-00", "A", "P"),
                                         entry(7, "Operating", "1010-000-00", "A", "P"),
                                         entry(8, "Payroll", "1100-000-00")};
    load(list);
    const auto banksBefore = banks();
    const auto cashBefore = allCash();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));  // the stamp counts hundredths

    FiaLoadCounts c = load(list);
    EXPECT_EQ(c.banksAdded + c.banksUpdated + c.cashAdded + c.cashRemoved + c.defaultsSet, 0);
    const auto banksAfter = banks();
    const auto cashAfter = allCash();
    ASSERT_EQ(banksAfter.size(), banksBefore.size());
    for (size_t i = 0; i < banksAfter.size(); ++i) {
        EXPECT_EQ(banksAfter[i].ChangeDate, banksBefore[i].ChangeDate);
        EXPECT_EQ(banksAfter[i].ChangeTime, banksBefore[i].ChangeTime);
    }
    ASSERT_EQ(cashAfter.size(), cashBefore.size());
    for (size_t i = 0; i < cashAfter.size(); ++i) {
        EXPECT_EQ(cashAfter[i].BankUseID, cashBefore[i].BankUseID);
        EXPECT_EQ(cashAfter[i].ChangeTime, cashBefore[i].ChangeTime);
        EXPECT_EQ(cashAfter[i].Post, cashBefore[i].Post);
    }
}

TEST_F(FiaLoaderTest, AnEmptyOrIncompleteListKeepsEveryCashAccount) {
    load({entry(7, "Operating", "1000-000-00"), entry(8, "Payroll", "1100-000-00")});
    const auto before = allCash();
    ASSERT_EQ(before.size(), 2u);

    // The suite could not be reached: nothing came back.
    FiaLoadCounts empty = load({}, RequestCancelled);
    EXPECT_TRUE(empty.removalSkipped);
    EXPECT_EQ(allCash().size(), 2u);

    // The user cancelled LOADFIA half-way: only the first account came back.
    FiaLoadCounts partial = load({entry(7, "Operating", "1000-000-00")}, RequestCancelled);
    EXPECT_TRUE(partial.removalSkipped);
    EXPECT_EQ(allCash().size(), 2u);
    EXPECT_EQ(defaultsOf(bankByFia(8).BankID), std::vector<std::string>{"1100-000-00"});

    // A complete list does remove what the suite dropped.
    FiaLoadCounts full = load({entry(7, "Operating", "1000-000-00")}, RequestCompleted);
    EXPECT_FALSE(full.removalSkipped);
    EXPECT_EQ(allCash().size(), 1u);
}

TEST_F(FiaLoaderTest, AnEntryWithoutSuiteIdentifierAddsNoBank) {
    load({entry(0, "Nameless", "1000-000-00")});
    load({entry(0, "Nameless", "1000-000-00")});
    EXPECT_TRUE(banks().empty());
    EXPECT_TRUE(allCash().empty());
}

TEST_F(FiaLoaderTest, ABankChangedByAnotherSessionMeanwhileIsNotOverwrittenBlindly) {
    load({entry(7, "Operating", "1000-000-00")});
    // A second station loads a newer name while this one keeps its buffer.
    FileSession other(storage_);
    FileUse otherFiles(other, {FileId::APbnk, FileId::APbnu});
    loadOn(other, {entry(7, "Operating II", "1000-000-00")});
    FiaLoadCounts c = load({entry(7, "Operating III", "1000-000-00")});
    EXPECT_EQ(bankByFia(7).Bank, "Operating III");
    EXPECT_EQ(c.failures, 0);
}

TEST_F(FiaLoaderTest, BanksThatCouldNotBeCommittedGetNoCashAccountsAndAreNotCounted) {
    load({entry(7, "Operating", "1000-000-00")});
    // Another program reads the bank file all through the next load.
    sqlite3* reader = nullptr;
    ASSERT_EQ(sqlite3_open(storage_.filePath(FileId::APbnk).c_str(), &reader), SQLITE_OK);
    sqlite3_stmt* read = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(reader, "SELECT * FROM APbnk", -1, &read, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(read), SQLITE_ROW);
    session_->setRecoverMilliseconds(200);
    const FiaLoadCounts c =
        load({entry(7, "Operating renamed", "1000-000-00"), entry(8, "Payroll", "1100-000-00")});
    sqlite3_finalize(read);
    sqlite3_close(reader);

    EXPECT_EQ(c.banksAdded, 0);
    EXPECT_EQ(c.banksUpdated, 0);
    EXPECT_EQ(c.cashAdded, 0);
    EXPECT_GE(c.failures, 1);
    EXPECT_NE(messages_->find("attempting to update a record from the file"), nullptr);
    ASSERT_EQ(banks().size(), 1u);
    EXPECT_EQ(banks()[0].Bank, "Operating");
    ASSERT_EQ(allCash().size(), 1u);
    EXPECT_EQ(allCash()[0].BankID, banks()[0].BankID);

    load({entry(7, "Operating renamed", "1000-000-00"), entry(8, "Payroll", "1100-000-00")});
    EXPECT_EQ(banks().size(), 2u);
    EXPECT_EQ(allCash().size(), 2u);
}

namespace {

// Two divisions keep their files in one data folder, the program started in it (the current
// directory, where the cash-account file lies), and load their accounts in turn.
class TwoDivisionsInOneFolder : public BanksTest {
  protected:
    void SetUp() override {
        BanksTest::SetUp();
        // As start-up does; the sandbox puts the working folder back.
        ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(dataDir_)));
        for (int division : {3, 2}) {
            Division& d = divisions_[division];
            d.storage.nameFiles(dataDir_, division);
            d.session = std::make_unique<FileSession>(d.storage);
            d.files = std::make_unique<FileUse>(
                *d.session, std::initializer_list<FileId>{FileId::APbnk, FileId::APbnu});
            ASSERT_EQ(d.files->error(), Error::None);
        }
    }
    void TearDown() override {
        divisions_.clear();
        BanksTest::TearDown();
    }
    void loadDivision(int division, const std::vector<FIAQEntry>& entries) {
        const FiaLoadCounts c = loadOn(*divisions_[division].session, entries);
        EXPECT_EQ(c.failures, 0) << "division " << division;
    }
    // "account*" for the default, in account order, for every bank of the division.
    std::vector<std::string> cashAccounts(int division) {
        std::vector<std::string> out;
        auto& f = divisions_[division].session->file<APbnu>();
        (void)f.setStart(APBNU_KEY_BANKIDBANKACCOUNT);
        while (f.next() == Error::None)
            out.push_back(std::to_string(f.rec.BankID) + " " + f.rec.BankAccount +
                          (f.rec.Post ? "*" : ""));
        return out;
    }

    struct Division {
        Storage storage;
        std::unique_ptr<FileSession> session;
        std::unique_ptr<FileUse> files;
    };
    std::map<int, Division> divisions_;
};

TEST_F(TwoDivisionsInOneFolder, EachKeepsItsOwnCashAccountsAndDefaults) {
    const std::vector<FIAQEntry> three = {entry(7, "Operating", "1000-000-00")};
    const std::vector<FIAQEntry> two = {entry(20, "Payroll", "2000-000-00"),
                                        entry(20, "Payroll", "2010-000-00")};
    loadDivision(3, three);
    loadDivision(2, two);
    loadDivision(3, three);
    loadDivision(2, two);
    EXPECT_EQ(cashAccounts(3), (std::vector<std::string>{"1 1000-000-00*"}));
    EXPECT_EQ(cashAccounts(2), (std::vector<std::string>{"1 2000-000-00*", "1 2010-000-00"}));
    // The division that used the folder first keeps the file as it was named.
    EXPECT_EQ(divisions_[3].storage.fileName(FileId::APbnu), "APbnu");
    EXPECT_TRUE(QFile::exists("APbnu.db"));
    EXPECT_TRUE(QFile::exists("02APbnu.db"));
    EXPECT_FALSE(QFile::exists("03APbnu.db"));
}

}  // namespace
