// "Do&ne" in the worksheet, end to end on the demo suite through the program's own procedures:
// the checks, the question, the save, the completion, the export, and the window closing; with
// the record files in the data folder and on a PostgreSQL store (Store=).
#include <gtest/gtest.h>

#include "bankrec/reconcile/reconcile_calls.h"
#include "bankrec/reconcile/update_aprec_new.h"
#include "bankrec/storage/transaction.h"
#include "completion_suite_fixture.h"
#include "test_store.h"

using namespace corelib;
using namespace storage;
using namespace reconcile;

namespace {

class WorksheetDone : public CompletionSuiteTest, public ::testing::WithParamInterface<Backend> {
  protected:
    void SetUp() override {
        CompletionSuiteTest::SetUp();
        if (GetParam() == Backend::Postgres) {
            // The same files, now in a fresh database of the test server.
            for (FileId id : opened) closeFile(*session, id);
            std::string skip;
            if (!store_.configure(storage, Backend::Postgres, folder(), skip)) {
                opened.clear();
                GTEST_SKIP() << skip;
            }
            storage.nameFiles("", 2);
            session = std::make_unique<FileSession>(storage);
            for (FileId id : opened) ASSERT_EQ(openFile(*session, id), Error::None);
        }
        ASSERT_TRUE(makeDemo(false));
        bank_ = prepareBank("Payroll Account", "PRVEND");
        worksheet_ = std::make_unique<Worksheet>(*session, params, reconcileCalls());
        ASSERT_TRUE(worksheet_->open());
        for (int32_t t : {1011, 1015})
            ASSERT_EQ(worksheet_->setMark(byTransaction(t), true), Worksheet::MarkResult::Marked);
        APrec& r = worksheet_->record();
        payrollStatement(r);
        id_ = r.ReconciliationID;
    }
    void TearDown() override {
        worksheet_.reset();  // before the session it works on
        CompletionSuiteTest::TearDown();
    }
    TestStore store_;
    int32_t bank_ = 0;
    int32_t id_ = 0;
    std::unique_ptr<Worksheet> worksheet_;
};

TEST_P(WorksheetDone, CompletesSendsPostsAndClosesWithResponseOne) {
    ASSERT_TRUE(worksheet_->doneEnabled());
    messages->answer(msg::Yes);
    EXPECT_EQ(worksheet_->done(), Worksheet::Outcome::Close);
    EXPECT_EQ(worksheet_->response(), RequestCompleted);
    ASSERT_EQ(messages->count(), 1u) << messageTexts();  // the question alone
    EXPECT_NE(messages->last()->text.find("Are you sure you want to do this?"), std::string::npos);

    const APrec done = statement(id_);
    EXPECT_EQ(done.Done, 1);
    EXPECT_EQ(done.EndingBalance, money(-189658));  // saved before completing
    EXPECT_EQ(done.ChecksMarked, 2);
    EXPECT_EQ(all<APrac>().size(), 4u);  // two cleared, two outstanding
    EXPECT_GT(done.ServiceChargeBatch, 0);
    EXPECT_GT(done.InterestEarnedBatch, 0);
    EXPECT_EQ(transaction(1011, "FIStatus"), "R");
    EXPECT_EQ(transaction(1015, "FIStatus"), "R");
    EXPECT_EQ(transaction(1012, "FIStatus"), "O");
    EXPECT_EQ(listing("ledger").size(), 4u);
    EXPECT_EQ(listing("clearing").size(), 1u);  // which also let the register go
    EXPECT_NE(registerHeader("PRVEND").find(" 0 "), std::string::npos) << registerHeader("PRVEND");
}

TEST_P(WorksheetDone, ACompletionThatCannotRunSendsAndPostsNothingAndTheWorksheetStays) {
    // Another station holds the activity file for longer than completion waits.
    FileSession other(storage);
    Transaction held(other, {FileId::APbac}, 1);
    ASSERT_EQ(held.error(), Error::None);
    messages->answer(msg::Yes);
    EXPECT_EQ(worksheet_->done(), Worksheet::Outcome::Stay);
    EXPECT_NE(messages->last()->text.find("Unable to begin transaction, Error(48)"),
              std::string::npos)
        << messageTexts();
    EXPECT_EQ(statement(id_).Done, 0);
    EXPECT_TRUE(all<APrac>().empty());
    EXPECT_EQ(transaction(1011, "FIStatus"), "O");
    EXPECT_TRUE(listing("ledger").empty());
    EXPECT_NE(registerHeader("PRVEND").find(" 0 "), std::string::npos)
        << registerHeader("PRVEND");  // let go
}

INSTANTIATE_TEST_SUITE_P(Engines, WorksheetDone, BANKREC_ENGINES);

}  // namespace
