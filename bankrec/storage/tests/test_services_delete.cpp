// Deleting records with the records linked to them: refusals roll everything back, cascades
// take the children with them, copies in reconciliations lose only their link.
#include <thread>

#include "bankrec/storage/transaction.h"
#include "services_fixture.h"

using namespace storage;

namespace {

class DeleteService : public ServicesTest {
  protected:
    void SetUp() override {
        ServicesTest::SetUp();
        if (!IsSkipped()) openAll();
    }

    // Identifiers of the APrac rows pointing at `activityId`.
    int64_t copiesPointingAt(int32_t activityId) {
        int64_t n = 0;
        auto& f = session->file<APrac>();
        for ((void)f.setStart(APRAC_KEY_RECONCILIATIONACTIVITYID); f.next() == Error::None;)
            if (f.rec.ActivityID == activityId) ++n;
        return n;
    }
};

TEST_P(DeleteService, BankWithActivityIsRefusedNamingAPbacAndItsCashAccountsStay) {
    const int32_t b = add(bank("First National"));
    add(cashAccount(b, "1000-00"));
    add(cashAccount(b, "1010-00"));
    add(activity(b, "Check", "101"));

    ASSERT_TRUE(read<APbnk>(b));
    EXPECT_EQ(deleteRecord(*session, FileId::APbnk), DeleteResult::NotDeleted);

    ASSERT_EQ(messages->count(), 1u);
    EXPECT_EQ(messages->last()->caption, "Referential Integrity Delete Error");
    EXPECT_EQ(messages->last()->text,
              "This record is referenced from the file APbac.  This record cannot be deleted "
              "while these references exist.");
    EXPECT_EQ(count<APbnu>(), 2);
    EXPECT_TRUE(read<APbnk>(b));
}

TEST_P(DeleteService, BankWithReconciliationIsRefusedAfterItsCashAccountsAndRollsThemBack) {
    const int32_t b = add(bank("First National"));
    add(cashAccount(b, "1000-00"));
    add(reconciliation(b));

    ASSERT_TRUE(read<APbnk>(b));
    EXPECT_EQ(deleteRecord(*session, FileId::APbnk), DeleteResult::NotDeleted);

    ASSERT_NE(messages->find("referenced from the file APrec."), nullptr);
    EXPECT_EQ(count<APbnu>(), 1);  // deleted inside the transaction, then rolled back
    EXPECT_TRUE(read<APbnk>(b));
}

TEST_P(DeleteService, BankWithoutActivityGoesWithItsCashAccountsOnly) {
    const int32_t b = add(bank("First National"));
    const int32_t other = add(bank("Second State"));
    add(cashAccount(b, "1000-00"));
    add(cashAccount(b, "1010-00"));
    add(cashAccount(other, "1000-00"));

    ASSERT_TRUE(read<APbnk>(b));
    EXPECT_EQ(deleteRecord(*session, FileId::APbnk), DeleteResult::Deleted);

    EXPECT_EQ(messages->count(), 0u);
    EXPECT_FALSE(read<APbnk>(b));
    EXPECT_TRUE(read<APbnk>(other));
    ASSERT_EQ(count<APbnu>(), 1);
    auto& u = session->file<APbnu>();
    ASSERT_EQ(u.setStart(APBNU_KEY_BANKUSEID), Error::None);
    ASSERT_EQ(u.next(), Error::None);
    EXPECT_EQ(u.rec.BankID, other);
}

TEST_P(DeleteService, ReconciliationTakesTheActivityItCreatedAndItsRowsOnly) {
    const int32_t b = add(bank("First National"));
    const int32_t r1 = add(reconciliation(b));
    const int32_t r2 = add(reconciliation(b));
    const int32_t charge = add(activity(b, "Adjustment", "SC", r1));
    const int32_t interest = add(activity(b, "Adjustment", "INT", r1));
    const int32_t check = add(activity(b, "Check", "101"));
    const int32_t deposit = add(activity(b, "Deposit", "D1", r1));
    add(depositLine(deposit, 1));
    add(depositLine(deposit, 2));
    add(copyOf(r1, check));
    add(copyOf(r1, charge));
    const int32_t laterCopy = add(copyOf(r2, interest));  // a later statement copied it

    ASSERT_TRUE(read<APrec>(r1));
    EXPECT_EQ(deleteRecord(*session, FileId::APrec), DeleteResult::Deleted);
    EXPECT_EQ(messages->count(), 0u);

    EXPECT_FALSE(read<APrec>(r1));
    EXPECT_TRUE(read<APrec>(r2));
    EXPECT_FALSE(read<APbac>(charge));
    EXPECT_FALSE(read<APbac>(interest));
    EXPECT_FALSE(read<APbac>(deposit));
    EXPECT_TRUE(read<APbac>(check));
    EXPECT_EQ(count<APbac>(), 1);
    EXPECT_EQ(count<APbda>(), 0);
    ASSERT_EQ(count<APrac>(), 1);
    ASSERT_TRUE(read<APrac>(laterCopy));
    EXPECT_EQ(session->file<APrac>().rec.ReconciliationID, r2);
    EXPECT_EQ(session->file<APrac>().rec.ActivityID, 0);
}

TEST_P(DeleteService, CheckCopiedIntoAReconciliationLeavesTheCopyWithActivityIDZero) {
    const int32_t b = add(bank("First National"));
    const int32_t r = add(reconciliation(b));
    const int32_t check = add(activity(b, "Check", "101"));
    const int32_t otherCheck = add(activity(b, "Check", "102"));
    const int32_t copy = add(copyOf(r, check));
    add(copyOf(r, otherCheck));

    ASSERT_TRUE(read<APbac>(check));
    EXPECT_EQ(deleteRecord(*session, FileId::APbac), DeleteResult::Deleted);

    EXPECT_FALSE(read<APbac>(check));
    ASSERT_TRUE(read<APrac>(copy));
    EXPECT_EQ(session->file<APrac>().rec.ActivityID, 0);
    EXPECT_EQ(session->file<APrac>().rec.ReconciliationID, r);
    EXPECT_EQ(copiesPointingAt(otherCheck), 1);
    EXPECT_EQ(count<APrac>(), 2);
}

TEST_P(DeleteService, DepositGoesWithItsLinesAndLeavesOtherDepositsLines) {
    const int32_t b = add(bank("First National"));
    const int32_t d1 = add(activity(b, "Deposit", "D1"));
    const int32_t d2 = add(activity(b, "Deposit", "D2"));
    for (int i = 1; i <= 3; ++i) add(depositLine(d1, i));
    const int32_t kept = add(depositLine(d2, 1));

    ASSERT_TRUE(read<APbac>(d1));
    EXPECT_EQ(deleteRecord(*session, FileId::APbac), DeleteResult::Deleted);

    EXPECT_EQ(count<APbda>(), 1);
    EXPECT_TRUE(read<APbda>(kept));
    EXPECT_TRUE(read<APbac>(d2));
}

TEST_P(DeleteService, LeavesTheBuffersOfTheLinkedFilesAsTheCallerHadThem) {
    const int32_t b = add(bank("First National"));
    const int32_t check = add(activity(b, "Check", "101"));
    const int32_t r = add(reconciliation(b));
    const int32_t madeByR = add(activity(b, "Adjustment", "SC", r));
    add(copyOf(r, madeByR));

    ASSERT_TRUE(read<APbac>(check));
    ASSERT_TRUE(read<APrec>(r));
    EXPECT_EQ(deleteRecord(*session, FileId::APrec), DeleteResult::Deleted);

    auto& bac = session->file<APbac>();
    EXPECT_EQ(bac.rec.ActivityID, check);
    EXPECT_EQ(bac.rec.Reference, "101");
    bac.rec.Description = "still current";
    EXPECT_EQ(changeRecord(*session, FileId::APbac, false), ChangeResult::Written);
}

TEST_P(DeleteService, RecordWithoutAnIdentifierTakesNoOtherRecordsWithIt) {
    const int32_t b = add(bank("First National"));
    add(activity(b, "Check", "101"));  // ReconciliationID 0: made by no reconciliation
    add(activity(b, "Deposit", "D1"));
    auto& rec = session->file<APrec>();
    rec.clear();
    rec.rec.BankID = b;
    ASSERT_EQ(rec.add(),
              Error::None);  // an unnumbered reconciliation, as a faulty import might leave

    EXPECT_EQ(deleteRecord(*session, FileId::APrec), DeleteResult::Deleted);
    EXPECT_EQ(count<APrec>(), 0);
    EXPECT_EQ(count<APbac>(), 2);
}

TEST_P(DeleteService, SimpleFilesAreDeletedAlone) {
    const int32_t b = add(bank("First National"));
    const int32_t u = add(cashAccount(b, "1000-00"));
    const int32_t d = add(activity(b, "Deposit", "D1"));
    const int32_t line = add(depositLine(d, 1));

    ASSERT_TRUE(read<APbnu>(u));
    EXPECT_EQ(deleteRecord(*session, FileId::APbnu), DeleteResult::Deleted);
    ASSERT_TRUE(read<APbda>(line));
    EXPECT_EQ(deleteRecord(*session, FileId::APbda), DeleteResult::Deleted);
    EXPECT_EQ(count<APbnu>(), 0);
    EXPECT_EQ(count<APbda>(), 0);
    EXPECT_TRUE(read<APbac>(d));
}

TEST_P(DeleteService, RecordGoneSinceItWasReadIsReportedAndNothingElseChanges) {
    const int32_t b = add(bank("First National"));
    const int32_t d = add(activity(b, "Deposit", "D1"));
    add(depositLine(d, 1));
    FileSession other(storage);
    ASSERT_TRUE(read<APbac>(d, &other));
    ASSERT_TRUE(read<APbac>(d));
    ASSERT_EQ(other.file<APbac>().erase(), Error::None);

    EXPECT_EQ(deleteRecord(*session, FileId::APbac), DeleteResult::NotDeleted);
    ASSERT_EQ(messages->count(), 1u);
    EXPECT_EQ(messages->last()->caption, "Record Retrieval Error");
    EXPECT_EQ(messages->last()->text,
              "Error: (Record Not Available (33)) attempting to access a record from the APbac "
              "file.  Returning to previous window.");
    EXPECT_EQ(count<APbda>(), 1);
}

TEST_P(DeleteService, WhenAnotherStationHoldsTheFilesTheDeleteIsCancelledWithWarning34) {
    const int32_t b = add(bank("First National"));
    add(cashAccount(b, "1000-00"));
    FileSession other(storage);
    Transaction hold(other, {FileId::APbnu}, 1);
    ASSERT_EQ(hold.error(), Error::None);

    ASSERT_TRUE(read<APbnk>(b));
    EXPECT_EQ(deleteRecord(*session, FileId::APbnk), DeleteResult::NotDeleted);
    ASSERT_EQ(messages->count(), 1u);
    EXPECT_EQ(messages->last()->caption, "Transaction Framing Error");
    EXPECT_EQ(messages->last()->text,
              "Error: (Unable To Start A Transaction (48)) attempting to frame the delete "
              "transaction on APbnk.  Delete transaction cancelled.");
    hold.rollback();
    EXPECT_TRUE(read<APbnk>(b));
    EXPECT_EQ(count<APbnu>(), 1);
}

// A delete inside a transaction of the caller's joins it when the transaction names every file
// the delete writes, and is refused when it leaves one out: the rows of a file it does not name
// would be deleted at once, out of the caller's reach.
class DeleteInCallersTransaction : public DeleteService {
  protected:
    void SetUp() override {
        DeleteService::SetUp();
        if (IsSkipped()) return;
        const int32_t b = add(bank("First National"));
        deposit = add(activity(b, "Deposit", "D1"));
        add(depositLine(deposit, 1));
        add(depositLine(deposit, 2));
        add(copyOf(add(reconciliation(b)), deposit));
        ASSERT_TRUE(read<APbac>(deposit));
    }
    void expectAllThere() {
        EXPECT_TRUE(read<APbac>(deposit));
        EXPECT_EQ(count<APbda>(), 2);
        EXPECT_EQ(copiesPointingAt(deposit), 1);
    }
    int32_t deposit = 0;
};

TEST_P(DeleteInCallersTransaction, NamingEveryFileTheDeleteGoesWithTheCallersRollback) {
    ASSERT_EQ(session->begin({FileId::APbac, FileId::APbda, FileId::APrac}, 1), Error::None);
    EXPECT_EQ(deleteRecord(*session, FileId::APbac), DeleteResult::Deleted);
    EXPECT_FALSE(read<APbac>(deposit));
    EXPECT_EQ(count<APbda>(), 0);
    ASSERT_EQ(session->rollback(), Error::None);
    EXPECT_EQ(messages->count(), 0u);
    expectAllThere();
}

TEST_P(DeleteInCallersTransaction, LeavingOutAFileItWritesTheDeleteIsRefusedWithWarning34) {
    ASSERT_EQ(session->begin({FileId::APbac}, 1), Error::None);
    EXPECT_EQ(deleteRecord(*session, FileId::APbac), DeleteResult::NotDeleted);
    ASSERT_EQ(messages->count(), 1u);
    EXPECT_EQ(messages->last()->caption, "Transaction Framing Error");
    EXPECT_EQ(messages->last()->text,
              "Error: (Unable To Start A Transaction (48)) attempting to frame the delete "
              "transaction on APbac.  Delete transaction cancelled.");
    EXPECT_TRUE(session->inTransaction());  // the caller's, left for the caller to end
    ASSERT_EQ(session->rollback(), Error::None);
    expectAllThere();
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Engines, DeleteService, BANKREC_ENGINES);
INSTANTIATE_TEST_SUITE_P(Engines, DeleteInCallersTransaction, BANKREC_ENGINES);
