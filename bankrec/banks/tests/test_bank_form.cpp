// The bank browse and the bank form's rules against the demonstration suite: rows and
// navigation, journal lists, ledger account checks, default marks, saving, change conflicts
// and delete.
#include "bankrec/banks/bank_browse.h"
#include "bankrec/banks/update_apbnk_presenter.h"
#include "bankrec/storage/change_stamp.h"
#include "suite_fixture.h"

using namespace corelib;
using namespace storage;
using namespace banks;

using Outcome = UpdateAPbnkPresenter::SaveOutcome;

TEST(BrowseJournals, ShowsOnlyThePostedJournalsJoinedByComma) {
    struct Case {
        uint8_t sc, ie;
        const char* expected;
    } cases[] = {{0, 0, ""}, {1, 0, "SC"}, {0, 1, "IE"}, {1, 1, "SC, IE"}};
    for (const Case& c : cases) {
        APbnk b;
        b.ServiceChargeJournal = "SC";
        b.InterestEarnedJournal = "IE";
        b.ServiceChargePost = c.sc;
        b.InterestEarnedPost = c.ie;
        EXPECT_EQ(browseJournals(b), c.expected) << int(c.sc) << int(c.ie);
    }
}

using LoadFromSuiteTest = DemoSuiteTest;

TEST_F(LoadFromSuiteTest, LoadsEveryInstitutionAccountWithItsCashAccounts) {
    EXPECT_EQ(counts_.banksAdded, 3);
    EXPECT_FALSE(counts_.removalSkipped);
    APbnk op = bankByFia(101);
    EXPECT_EQ(op.Bank, "Operating Account");
    EXPECT_EQ(op.APBank, "OPER");
    auto cash = cashOf(op.BankID);
    ASSERT_EQ(cash.size(), 2u);
    EXPECT_EQ(cash[0].BankAccount, "1000-000-00");
    EXPECT_EQ(cash[1].BankAccount, "1000-100-00");
    EXPECT_EQ(defaultsOf(op.BankID), std::vector<std::string>{"1000-000-00"});
}

TEST_F(LoadFromSuiteTest, AnUnreachableSuiteLeavesTheCashAccountsAlone) {
    const size_t before = allCash().size();
    params_.parse({"Division=3", "DataPath=" + dataDir_, "Server=sqlite:" + dataDir_ + "/none",
                   "UserID=demo", "Password=secret"});
    FiaLoadCounts c = LoadFIAQuick(*session_, params_);
    EXPECT_TRUE(c.removalSkipped);
    EXPECT_EQ(allCash().size(), before);
    EXPECT_EQ(banks().size(), 3u);
    // The password never shows in what the user was told.
    for (const auto& m : messages_->messages()) EXPECT_EQ(m.text.find("secret"), std::string::npos);
}

using BankBrowseTest = DemoSuiteTest;

TEST_F(BankBrowseTest, RowsShowTheDefaultCashAccountAndThePostedJournals) {
    // A bank the suite no longer lists has no cash account left; another posts interest only.
    auto& f = session_->file<APbnk>();
    f.clear();
    f.rec.FIAID = 999;
    f.rec.Bank = "Closed Account";
    ASSERT_EQ(addNumbered(*session_, FileId::APbnk), Error::None);
    current("Payroll Account");
    f.rec.InterestEarnedPost = 1;
    f.rec.InterestEarnedJournal = "GJ";
    f.rec.ServiceChargeJournal = "CD";  // not posted, so not shown
    ASSERT_EQ(f.put(), Error::None);

    BankBrowse browse(*session_);
    std::vector<BankBrowseRow> rows;
    ASSERT_EQ(browse.fetch(nullptr, 10, rows), Error::None);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].bank.Bank, "Closed Account");
    EXPECT_EQ(rows[0].bankAccount, "");
    EXPECT_EQ(rows[0].journals, "");
    EXPECT_EQ(rows[1].bank.Bank, "Money Market Savings");
    EXPECT_EQ(rows[3].bank.Bank, "Payroll Account");
    EXPECT_EQ(rows[3].bankAccount, "1010-000-00");
    EXPECT_EQ(rows[3].journals, "GJ");

    // Paging on from a row's position continues in name order.
    std::vector<BankBrowseRow> rest;
    ASSERT_EQ(browse.fetch(&rows[1].position, 10, rest), Error::None);
    ASSERT_EQ(rest.size(), 2u);
    EXPECT_EQ(rest[0].bank.Bank, "Operating Account");
}

TEST_F(BankBrowseTest, NextAndPreviousReopenTheFormOnTheNeighbouringBank) {
    BankBrowse browse(*session_);
    std::vector<std::string> seen;
    std::vector<int32_t> navigation = {VcrForward, VcrForward, VcrForward, VcrBackward, VcrNone};
    size_t call = 0;
    current("Money Market Savings");
    const int32_t last = browse.callForm(ChangeRecord, [&] {
        EXPECT_EQ(GlobalRequest, ChangeRecord);
        EXPECT_EQ(VCRRequest, VcrNone);
        seen.push_back(session_->file<APbnk>().rec.Bank);
        VCRRequest = navigation[call++];
        GlobalResponse = RequestCompleted;
    });
    // At the last bank Next stays put.
    EXPECT_EQ(seen, (std::vector<std::string>{"Money Market Savings", "Operating Account",
                                              "Payroll Account", "Payroll Account",
                                              "Operating Account"}));
    EXPECT_EQ(last, current("Operating Account"));
}

class BankFormTest : public DemoSuiteTest {
  protected:
    std::unique_ptr<UpdateAPbnkPresenter> form(int32_t request, FileSession* s = nullptr) {
        auto p = std::make_unique<UpdateAPbnkPresenter>(s ? *s : *session_, params_);
        p->open(request);
        return p;
    }
};

TEST_F(BankFormTest, JournalListHoldsOnlyJournalsPostedThroughEntries) {
    current("Operating Account");
    auto f = form(ChangeRecord);
    std::vector<std::string> abbrs;
    for (const auto& j : f->journals()) abbrs.push_back(j.Abbr);
    EXPECT_EQ(abbrs, (std::vector<std::string>{"BA", "CD", "CR", "GJ"}));
    EXPECT_EQ(f->title(), "Changing Financial Institution Account");
    EXPECT_EQ(form(ViewRecord)->title(), "Viewing Financial Institution Account");
}

TEST_F(BankFormTest, AccountChecksNameTheFirstFailingSegment) {
    current("Operating Account");
    auto f = form(ChangeRecord);
    f->setPosting(PostingAccount::ServiceCharge, true);
    f->setJournal(PostingAccount::ServiceCharge, "GJ");
    struct Case {
        const char* account;
        const char* journal;
        const char* error;  // empty: accepted
    } cases[] = {
        {"9999-000-00", "GJ", "Account 9999-000-00 not in system."},
        {"1000-999-00", "GJ", "Account 1000-999-00 not in system."},
        {"1050-000-00", "GJ", "Account 1050-000-00 not in active."},
        {"4999-000-00", "GJ", "GJ is not a budget journal."},
        {"4999-000-00", "BA", ""},
        {"5100-000-00", "GJ", ""},
    };
    for (const Case& c : cases) {
        messages_->clear();
        f->setJournal(PostingAccount::ServiceCharge, c.journal);
        f->setAccount(PostingAccount::ServiceCharge, c.account);
        const bool ok = f->validate(PostingAccount::ServiceCharge);
        EXPECT_EQ(ok, std::string(c.error).empty()) << c.account << " " << c.journal;
        if (*c.error) {
            ASSERT_EQ(messages_->count(), 1u);
            EXPECT_EQ(messages_->last()->text, c.error);
            EXPECT_EQ(messages_->last()->caption, glo_ApplicationName);
            EXPECT_EQ(messages_->beeps(), 1);
        } else {
            EXPECT_EQ(messages_->count(), 0u);
        }
    }
    EXPECT_EQ(f->accountDescription(PostingAccount::ServiceCharge),
              "5100=Bank Service Charges, 000=General Fund, 00=Unrestricted");
}

TEST_F(BankFormTest, SavingStopsAtAnInvalidAccountButSkipsOnesNotPosted) {
    const int32_t id = current("Operating Account");
    auto f = form(ChangeRecord);
    f->setAccount(PostingAccount::InterestEarned, "9999-000-00");  // posting off: not checked
    f->setPosting(PostingAccount::ServiceCharge, true);
    f->setJournal(PostingAccount::ServiceCharge, "GJ");
    f->setAccount(PostingAccount::ServiceCharge, "1050-000-00");
    EXPECT_EQ(f->save(), Outcome::Invalid);
    EXPECT_EQ(bankByFia(101).ServiceChargePost, 0);  // nothing written

    current("Operating Account");
    f = form(ChangeRecord);
    f->setAccount(PostingAccount::InterestEarned, "9999-000-00");
    f->setPosting(PostingAccount::ServiceCharge, true);
    f->setJournal(PostingAccount::ServiceCharge, "GJ");
    f->setAccount(PostingAccount::ServiceCharge, "5100-000-00");
    f->bank().APBank = "OPER2";
    EXPECT_EQ(f->save(), Outcome::Saved);
    APbnk saved = bankByFia(101);
    EXPECT_EQ(saved.BankID, id);
    EXPECT_EQ(saved.ServiceChargePost, 1);
    EXPECT_EQ(saved.ServiceChargeJournal, "GJ");
    EXPECT_EQ(saved.ServiceChargeAccount, "5100-000-00");
    EXPECT_EQ(saved.InterestEarnedAccount, "9999-000-00");
    EXPECT_EQ(saved.APBank, "OPER2");
}

TEST_F(BankFormTest, MarkingAnotherDefaultLeavesExactlyOneMarked) {
    const int32_t id = current("Operating Account");
    auto f = form(ChangeRecord);
    ASSERT_EQ(f->cashAccounts().size(), 2u);
    EXPECT_TRUE(f->cashAccounts()[0].isDefault());
    f->setDefault(1);
    EXPECT_FALSE(f->cashAccounts()[0].isDefault());
    EXPECT_TRUE(f->cashAccounts()[1].isDefault());
    ASSERT_EQ(f->save(), Outcome::Saved);
    EXPECT_EQ(defaultsOf(id), std::vector<std::string>{"1000-100-00"});
    // The bank record itself did not change, so its stamp stayed.
    EXPECT_EQ(bankByFia(101).ChangeTime, f->original().ChangeTime);
}

TEST_F(BankFormTest, ViewModeSavesNothing) {
    current("Operating Account");
    auto f = form(ViewRecord);
    f->setDefault(1);
    f->bank().APBank = "X";
    EXPECT_EQ(f->save(), Outcome::NotAllowed);
    EXPECT_TRUE(f->cashAccounts()[0].isDefault());
    EXPECT_EQ(bankByFia(101).APBank, "OPER");
}

TEST_F(BankFormTest, ACashAccountGoneMeanwhileIsReportedAndTheRestSaved) {
    const int32_t id = current("Operating Account");
    auto f = form(ChangeRecord);
    // The loader of another session removes the first cash account meanwhile.
    auto& u = session_->file<APbnu>();
    u.rec.BankUseID = f->cashAccounts()[0].BankUseID;
    ASSERT_EQ(u.get(APBNU_KEY_BANKUSEID), Error::None);
    ASSERT_EQ(u.erase(), Error::None);
    f->setDefault(1);
    EXPECT_EQ(f->save(), Outcome::Saved);
    const RecordedMessage* m = messages_->find("Unable to get APbnu for update. Error(33)");
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->caption, "Changing Financial Institution Account");
    EXPECT_EQ(defaultsOf(id), std::vector<std::string>{"1000-100-00"});
}

TEST_F(BankFormTest, AChangeConflictShowsWarning38AndTheOtherStationsValues) {
    FileSession other(storage_);
    FileUse otherFiles(other, {FileId::APbnk, FileId::APbnu});
    current("Operating Account");
    current("Operating Account", &other);
    auto mine = form(ChangeRecord);
    auto theirs = form(ChangeRecord, &other);

    theirs->bank().APBank = "THEIRS";
    ASSERT_EQ(theirs->save(), Outcome::Saved);

    mine->bank().PRBank = "MINE";
    EXPECT_EQ(mine->save(), Outcome::Conflict);
    const RecordedMessage* m = messages_->last();
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->caption, "Record Was Not Updated");
    EXPECT_EQ(mine->bank().APBank, "THEIRS");
    EXPECT_EQ(mine->bank().PRBank, "");
    ASSERT_TRUE(mine->entered().has_value());
    EXPECT_EQ(mine->entered()->PRBank, "MINE");
    // The other station's record stays; saving again now writes over what was shown.
    EXPECT_EQ(bankByFia(101).APBank, "THEIRS");
    mine->bank().PRBank = "MINE";
    EXPECT_EQ(mine->save(), Outcome::Saved);
    EXPECT_EQ(bankByFia(101).APBank, "THEIRS");
    EXPECT_EQ(bankByFia(101).PRBank, "MINE");
}

TEST_F(BankFormTest, DeleteIsRefusedWhileTheBankHasActivity) {
    const int32_t id = current("Operating Account");
    FileSession s2(storage_);
    {
        FileUse bac(s2, {FileId::APbac});
        auto& a = s2.file<APbac>();
        a.clear();
        a.rec.BankID = id;
        a.rec.TransactionID = 5;
        a.rec.ActivityType = "Check";
        ASSERT_EQ(addNumbered(s2, FileId::APbac), Error::None);
    }
    current("Operating Account");
    auto f = form(DeleteRecord);
    messages_->answers({msg::OK, msg::OK, msg::No});  // confirm, warning 13, warning 18
    EXPECT_EQ(f->runDelete(), RequestCancelled);
    EXPECT_EQ(GlobalResponse, RequestCancelled);
    ASSERT_NE(messages_->find("This record is referenced from the file APbac"), nullptr);
    EXPECT_EQ(messages_->last()->caption, "Record Update Error");
    EXPECT_EQ(bankByFia(101).BankID, id);
    EXPECT_EQ(cashOf(id).size(), 2u);
}

TEST_F(BankFormTest, DeleteTakesTheCashAccountsWithTheBank) {
    const int32_t id = current("Money Market Savings");
    auto f = form(DeleteRecord);
    messages_->answer(msg::Cancel);
    EXPECT_EQ(f->runDelete(), RequestCancelled);
    EXPECT_EQ(banks().size(), 3u);

    current("Money Market Savings");
    f = form(DeleteRecord);
    messages_->answer(msg::OK);
    EXPECT_EQ(f->runDelete(), RequestCompleted);
    EXPECT_EQ(banks().size(), 2u);
    EXPECT_TRUE(cashOf(id).empty());
}
