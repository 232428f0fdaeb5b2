// The transaction frame of procedures that write several records: Retry/Abort when the files
// are held, the update error path after a failed write or commit, the wait cursor.
#include "bankrec/storage/transaction.h"
#include "bankrec/storage/transaction_frame.h"
#include "corelib/globals.h"
#include "corelib/message_box.h"
#include "services_fixture.h"

using namespace corelib;
using namespace storage;

namespace {

class FrameTest : public ServicesTest {
  protected:
    void SetUp() override {
        ServicesTest::SetUp();
        if (IsSkipped()) return;
        openAll();
        glo_ApplicationName = "Bank Reconciliation";
        hooks.waitCursor = [this](bool busy) { cursor.push_back(busy ? 'W' : 'A'); };
        hooks.closeWindow = [this] { ++closeRequests; };
    }

    FrameHooks hooks;
    std::string cursor;  // W = wait cursor shown, A = arrow restored
    int closeRequests = 0;
};

TEST_P(FrameTest, CommittedFrameKeepsEveryWriteAndRestoresTheCursor) {
    {
        TransactionFrame frame(*session, {FileId::APbnk, FileId::APbnu}, 5, hooks);
        ASSERT_TRUE(frame.active());
        session->file<APbnk>().rec = bank("First National");
        ASSERT_TRUE(frame.check(addNumbered(*session, FileId::APbnk)));
        session->file<APbnu>().rec = cashAccount(1, "1000-00");
        ASSERT_TRUE(frame.check(addNumbered(*session, FileId::APbnu)));
        EXPECT_EQ(frame.commit(), Error::None);
    }
    EXPECT_EQ(cursor, "WA");
    EXPECT_EQ(messages->count(), 0u);
    EXPECT_EQ(count<APbnk>(), 1);
    EXPECT_EQ(count<APbnu>(), 1);
}

TEST_P(FrameTest, FailedWriteRollsBackBeepsReportsAndAsksTheWindowToClose) {
    add(cashAccount(1, "1000-00"));
    {
        TransactionFrame frame(*session, {FileId::APbnk, FileId::APbnu}, 5, hooks);
        session->file<APbnk>().rec = bank("First National");
        ASSERT_TRUE(frame.check(addNumbered(*session, FileId::APbnk)));
        auto& u = session->file<APbnu>();
        u.rec = cashAccount(1, "1000-00");
        u.rec.BankUseID = 2;
        EXPECT_FALSE(frame.check(u.add()));  // the same account twice under one bank
        EXPECT_TRUE(frame.failed());
        EXPECT_FALSE(frame.active());
        EXPECT_EQ(frame.error(), Error::DuplicateKey);
        EXPECT_FALSE(frame.check(Error::None));  // a failed frame takes no more writes
        EXPECT_NE(frame.commit(), Error::None);
    }
    ASSERT_EQ(messages->count(), 1u);
    EXPECT_EQ(messages->last()->caption, "Bank Reconciliation");
    EXPECT_EQ(messages->last()->text, "Error occured during transaction update, Error(40) - " +
                                          storage.fileName(FileId::APbnu) +
                                          " - Creates Duplicate Key");
    EXPECT_EQ(messages->beeps(), 1);
    EXPECT_EQ(closeRequests, 1);
    EXPECT_EQ(cursor, "WA");
    EXPECT_EQ(count<APbnk>(), 0);  // rolled back with the rest
    EXPECT_EQ(count<APbnu>(), 1);
}

TEST_P(FrameTest, HeldFilesAskRetryOrAbortAndAbortTakesTheUpdateErrorPath) {
    FileSession other(storage);
    Transaction hold(other, {FileId::APbnu}, 1);
    ASSERT_EQ(hold.error(), Error::None);
    messages->answers({msg::Retry, msg::Abort});
    {
        TransactionFrame frame(*session, {FileId::APbnk, FileId::APbnu}, 1, hooks);
        EXPECT_FALSE(frame.active());
        EXPECT_TRUE(frame.failed());
        EXPECT_EQ(frame.error(), Error::NoTransaction);
    }
    ASSERT_EQ(messages->count(), 3u);
    for (int i = 0; i < 2; ++i) {
        const RecordedMessage& ask = messages->messages()[static_cast<size_t>(i)];
        EXPECT_EQ(ask.caption, "Bank Reconciliation");
        EXPECT_EQ(ask.text.rfind("Unable to start transaction frame Error(48) - ", 0), 0u)
            << ask.text;
        EXPECT_NE(ask.text.find(" - Unable To Start A Transaction"), std::string::npos);
        EXPECT_EQ(ask.icon, icon::Exclamation);
        EXPECT_EQ(ask.buttons, msg::Retry | msg::Abort);
    }
    EXPECT_EQ(messages->last()->text.rfind("Error occured during transaction update, Error(48)", 0),
              0u);
    EXPECT_EQ(messages->beeps(), 3);
    EXPECT_EQ(closeRequests, 1);
    EXPECT_EQ(cursor, "WAWA");
}

TEST_P(FrameTest, RetryAfterTheOtherStationLetGoBeginsTheFrame) {
    auto other = std::make_unique<FileSession>(storage);
    auto hold =
        std::make_unique<Transaction>(*other, std::initializer_list<FileId>{FileId::APbnk}, 1);
    ASSERT_EQ(hold->error(), Error::None);
    // The message service lets go of the file while the question is shown.
    struct LetGo : MessageBackend {
        std::unique_ptr<Transaction>* hold;
        int asked = 0;
        int32_t show(const MessageRequest&) override {
            ++asked;
            hold->reset();
            return msg::Retry;
        }
        void beep() override {}
        [[noreturn]] void halt(int32_t code) override { throw ProgramHalted{code}; }
    };
    auto backend = std::make_shared<LetGo>();
    backend->hold = &hold;
    auto previous = ThisMessageBox.setBackend(backend);
    {
        TransactionFrame frame(*session, {FileId::APbnk}, 1, hooks);
        EXPECT_TRUE(frame.active());
        session->file<APbnk>().rec = bank("First National");
        EXPECT_TRUE(frame.check(addNumbered(*session, FileId::APbnk)));
        EXPECT_EQ(frame.commit(), Error::None);
    }
    ThisMessageBox.setBackend(previous);
    EXPECT_EQ(backend->asked, 1);
    EXPECT_EQ(count<APbnk>(), 1);
    EXPECT_EQ(closeRequests, 0);
}

TEST_P(FrameTest, FrameLeftWithoutCommitRollsBackQuietly) {
    {
        TransactionFrame frame(*session, {FileId::APbnk}, 5, hooks);
        session->file<APbnk>().rec = bank("First National");
        ASSERT_TRUE(frame.check(addNumbered(*session, FileId::APbnk)));
    }
    EXPECT_EQ(count<APbnk>(), 0);
    EXPECT_EQ(messages->count(), 0u);
    EXPECT_EQ(cursor, "WA");
}

TEST(FrameText, DriverErrorsCarryTheDriversOwnCodeAndMessage) {
    StorageError e;
    e.number = Error::Driver;
    e.file = "/data/03APbac";
    e.driverCode = 10;
    e.driverMessage = "disk I/O error";
    EXPECT_EQ(TransactionFrame::errorDetails(e),
              "Error(90) - /data/03APbac - Error Reported By The Storage Driver File error(10) - "
              "disk I/O error");
    e.number = Error::FileLocked;
    EXPECT_EQ(TransactionFrame::errorDetails(e), "Error(32) - /data/03APbac - File Is Locked");
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Engines, FrameTest, BANKREC_ENGINES);
