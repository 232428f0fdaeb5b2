// A rolled-back write leaves the record buffer as the file is: the next save of a record whose
// change was rolled back is not taken for another station's change, an add that was rolled back
// leaves nothing to save over, and a delete that was rolled back leaves its record current.
#include "bankrec/storage/transaction.h"
#include "bankrec/storage/transaction_frame.h"
#include "services_fixture.h"

using namespace storage;

namespace {

class RolledBack : public ServicesTest {
  protected:
    void SetUp() override {
        ServicesTest::SetUp();
        if (IsSkipped()) return;
        openAll();
        bankId = add(bank("Before"));
        ASSERT_TRUE(read<APbnk>(bankId));
    }
    std::string storedName() {
        FileSession other(storage);
        auto& b = other.file<APbnk>();
        b.rec.BankID = bankId;
        return b.get(APBNK_KEY_BANKID) == Error::None ? b.rec.Bank : "<none>";
    }
    int32_t bankId = 0;
};

TEST_P(RolledBack, FrameIsFollowedByAPlainSaveOfTheUsersEntries) {
    auto& bnk = session->file<APbnk>();
    {
        TransactionFrame frame(*session, {FileId::APbnk, FileId::APbnu}, 5);
        bnk.rec.Bank = "Inside the frame";
        ASSERT_TRUE(frame.check(bnk.put()));
        frame.fail(Error::Driver);  // a later write of the frame failed
    }
    EXPECT_EQ(storedName(), "Before");
    messages->clear();
    bnk.rec.Bank = "The user's entry";
    EXPECT_EQ(changeRecord(*session, FileId::APbnk, true), ChangeResult::Written);
    EXPECT_EQ(messages->count(), 0u);
    EXPECT_EQ(bnk.rec.Bank, "The user's entry");
    EXPECT_EQ(storedName(), "The user's entry");
}

TEST_P(RolledBack, SavepointOrWholeTransactionPutsTheRevisionBack) {
    auto& bnk = session->file<APbnk>();
    Transaction t(*session, {FileId::APbnk}, 1);
    ASSERT_EQ(t.error(), Error::None);
    {
        Savepoint entry(*session);
        bnk.rec.Bank = "Entry undone";
        ASSERT_EQ(bnk.put(), Error::None);
        {
            Savepoint inner(*session);
            bnk.rec.Bank = "Inner entry kept";
            ASSERT_EQ(bnk.put(), Error::None);
            ASSERT_EQ(inner.release(), Error::None);
        }
    }  // rolled back with the inner entry it holds
    bnk.rec.Bank = "Second try";
    ASSERT_EQ(bnk.put(), Error::None);
    t.rollback();
    bnk.rec.Bank = "After the transaction";
    EXPECT_EQ(bnk.put(), Error::None);
    EXPECT_EQ(storedName(), "After the transaction");
}

TEST_P(RolledBack, AddLeavesNoCurrentRecordAndDeleteLeavesItsRecordCurrent) {
    auto& bnk = session->file<APbnk>();
    ASSERT_EQ(session->begin({FileId::APbnk}, 1), Error::None);
    ASSERT_EQ(bnk.erase(), Error::None);
    ASSERT_EQ(session->rollback(), Error::None);
    bnk.rec.Bank = "Deleted and back";
    EXPECT_EQ(bnk.put(), Error::None);
    EXPECT_EQ(storedName(), "Deleted and back");

    ASSERT_EQ(session->begin({FileId::APbnk}, 1), Error::None);
    bnk.clear();
    bnk.rec.BankID = 50;
    bnk.rec.Bank = "Never kept";
    ASSERT_EQ(bnk.add(), Error::None);
    ASSERT_EQ(session->rollback(), Error::None);
    // Another station's record may now take the place the rolled-back one had.
    FileSession other(storage);
    auto& theirs = other.file<APbnk>();
    theirs.rec.BankID = 60;
    theirs.rec.Bank = "Theirs";
    ASSERT_EQ(theirs.add(), Error::None);
    bnk.rec.Bank = "Over theirs";
    EXPECT_EQ(bnk.put(), Error::NoRecord);
    theirs.clear();
    theirs.rec.BankID = 60;
    ASSERT_EQ(theirs.get(APBNK_KEY_BANKID), Error::None);
    EXPECT_EQ(theirs.rec.Bank, "Theirs");
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Engines, RolledBack, BANKREC_ENGINES);
