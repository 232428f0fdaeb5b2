// Changing a record through the change service: two stations on the same bank, a file held by
// another station, and writes the storage refuses.
#include "bankrec/storage/transaction.h"
#include "corelib/daytime.h"
#include "services_fixture.h"

using namespace corelib;
using namespace storage;

namespace {

class ChangeService : public ServicesTest {
  protected:
    void SetUp() override {
        ServicesTest::SetUp();
        if (IsSkipped()) return;
        openAll();
        bankId = add(bank("First National", 11));
        add(bank("Second State", 12));
        ASSERT_TRUE(read<APbnk>(bankId));
        ASSERT_TRUE(read<APbnk>(bankId, &second));
    }
    APbnk stored() {
        FileSession look(storage);
        EXPECT_TRUE(read<APbnk>(bankId, &look));
        return look.file<APbnk>().rec;
    }

    FileSession second{storage};
    int32_t bankId = 0;
};

TEST_P(ChangeService, WritesTheBufferAndStampsIt) {
    auto& b = session->file<APbnk>();
    b.rec.ServiceChargeJournal = "CD";
    b.rec.ChangeDate = 0;
    EXPECT_EQ(changeRecord(*session, FileId::APbnk, true), ChangeResult::Written);
    EXPECT_EQ(messages->count(), 0u);
    EXPECT_EQ(stored().ServiceChargeJournal, "CD");
    EXPECT_EQ(stored().ChangeDate, daytime::today());
}

TEST_P(ChangeService, SecondStationOnAFormGetsWarning38AndSeesTheFirstStationsValues) {
    session->file<APbnk>().rec.Bank = "First National Bank";
    ASSERT_EQ(changeRecord(*session, FileId::APbnk, true), ChangeResult::Written);

    auto& mine = second.file<APbnk>();
    mine.rec.Bank = "FNB of Springfield";
    mine.rec.InterestEarnedJournal = "INT";
    EXPECT_EQ(changeRecord(second, FileId::APbnk, true), ChangeResult::Conflict);

    ASSERT_EQ(messages->count(), 1u);
    EXPECT_EQ(messages->last()->caption, "Record Was Not Updated");
    EXPECT_EQ(messages->last()->text,
              "This record was changed by another station. Those changes will now be displayed. "
              "Use the Ditto Button or Ctrl+' to recall your changes.");
    EXPECT_EQ(mine.rec.Bank, "First National Bank");
    EXPECT_EQ(mine.rec.InterestEarnedJournal, "");
    EXPECT_EQ(stored().Bank, "First National Bank");

    // Saving again now writes over the version the station has seen.
    mine.rec.InterestEarnedJournal = "INT";
    EXPECT_EQ(changeRecord(second, FileId::APbnk, true), ChangeResult::Written);
    EXPECT_EQ(stored().InterestEarnedJournal, "INT");
    EXPECT_EQ(stored().Bank, "First National Bank");
}

TEST_P(ChangeService, SecondStationOutsideAFormGetsWarning15) {
    session->file<APbnk>().rec.APBank = "AP1";
    ASSERT_EQ(changeRecord(*session, FileId::APbnk, false), ChangeResult::Written);
    second.file<APbnk>().rec.APBank = "AP2";
    EXPECT_EQ(changeRecord(second, FileId::APbnk, false), ChangeResult::Conflict);

    ASSERT_EQ(messages->count(), 1u);
    EXPECT_EQ(messages->last()->caption, "Update Operation Error");
    EXPECT_EQ(messages->last()->text, "This record was changed by another station.");
    EXPECT_EQ(second.file<APbnk>().rec.APBank, "AP1");
    EXPECT_EQ(stored().APBank, "AP1");
}

TEST_P(ChangeService, DuplicateKeyIsWarning15NamingTheFileAndNothingIsWritten) {
    auto& b = session->file<APbnk>();
    b.rec.FIAID = 12;  // the other bank's host account
    b.rec.Bank = "Renamed";
    EXPECT_EQ(changeRecord(*session, FileId::APbnk, true), ChangeResult::NotWritten);
    ASSERT_EQ(messages->count(), 1u);
    EXPECT_EQ(messages->last()->caption, "Update Operation Error");
    EXPECT_EQ(messages->last()->text,
              "An error (Creates Duplicate Key (40)) was experienced when attempting to update a "
              "record from the file.  Probable Cause: APbnk.");
    EXPECT_EQ(stored().Bank, "First National");
    EXPECT_EQ(stored().FIAID, 11);
}

TEST_P(ChangeService, FileHeldByAnotherStationCancelsTheUpdateWithWarning34) {
    Transaction hold(second, {FileId::APbnk}, 1);
    ASSERT_EQ(hold.error(), Error::None);
    session->file<APbnk>().rec.Bank = "Renamed";
    EXPECT_EQ(changeRecord(*session, FileId::APbnk, true), ChangeResult::NotWritten);
    ASSERT_EQ(messages->count(), 1u);
    EXPECT_EQ(messages->last()->caption, "Transaction Framing Error");
    EXPECT_EQ(messages->last()->text,
              "Error: (Unable To Start A Transaction (48)) attempting to frame the update "
              "transaction on APbnk.  Update transaction cancelled.");
    hold.rollback();
    EXPECT_EQ(stored().Bank, "First National");
}

TEST_P(ChangeService, InsideACallersTransactionOnOtherFilesTheChangeIsRefusedWithWarning34) {
    ASSERT_EQ(session->begin({FileId::APbnu}, 1), Error::None);
    session->file<APbnk>().rec.Bank = "Renamed";
    EXPECT_EQ(changeRecord(*session, FileId::APbnk, true), ChangeResult::NotWritten);
    ASSERT_EQ(messages->count(), 1u);
    EXPECT_EQ(messages->last()->caption, "Transaction Framing Error");
    ASSERT_EQ(session->rollback(), Error::None);
    EXPECT_EQ(stored().Bank, "First National");

    ASSERT_EQ(session->begin({FileId::APbnk, FileId::APbnu}, 1), Error::None);
    EXPECT_EQ(changeRecord(*session, FileId::APbnk, true), ChangeResult::Written);
    ASSERT_EQ(session->rollback(), Error::None);  // joined: undone with the caller's
    EXPECT_EQ(stored().Bank, "First National");
}

TEST_P(ChangeService, AChangeThatFailsInsideACallersTransactionLeavesTheCallersWritesAlone) {
    ASSERT_EQ(session->begin({FileId::APbnk}, 1), Error::None);
    const int32_t added = add(bank("Added by the caller", 13));
    ASSERT_NE(added, 0);
    ASSERT_TRUE(read<APbnk>(bankId));
    session->file<APbnk>().rec.FIAID = 12;  // the other bank's host account
    session->file<APbnk>().rec.Bank = "Renamed";
    EXPECT_EQ(changeRecord(*session, FileId::APbnk, false), ChangeResult::NotWritten);
    ASSERT_TRUE(session->inTransaction());
    session->file<APbnk>().rec.FIAID = 11;
    EXPECT_EQ(changeRecord(*session, FileId::APbnk, false), ChangeResult::Written);
    ASSERT_EQ(session->commit(), Error::None);
    EXPECT_EQ(stored().Bank, "Renamed");
    EXPECT_EQ(stored().FIAID, 11);
    EXPECT_TRUE(read<APbnk>(added, &second));
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Engines, ChangeService, BANKREC_ENGINES);
