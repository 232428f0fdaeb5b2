// POSTCHK against a fresh suite: transaction rows, payroll files, payables register, the posting
// text file and the clearing process (SQLite, and PostgreSQL when configured).
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

#include "corelib/daytime.h"
#include "corelib/globals.h"
#include "corelib/message_box.h"
#include "corelib/thread_registry.h"
#include "post_fixture.h"
#include "suiteapi/tvsysdata.h"

using namespace corelib;
using namespace hostlink;

TEST_P(PostTest, PayablesChecksAreInsertedOrRewrittenAndCleared) {
    ASSERT_EQ(files_.addRegisterCheck(division_, "APB", 2002, 31, 7, -999, 1, "Old name"), "");
    addTransaction(payablesCheck(1, 2001, 6, "-150.1250", "000123", "Acme Supplies"));
    addTransaction(payablesCheck(2, 2002, 7, "-75.0000", "456", "New name"));
    queue(1, "AP", "APB");
    queue(2, "AP", "APB");
    link_.select(2);
    {
        QFile stale(kTextFile);  // left over from an earlier run: replaced
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
        stale.write("old\n");
    }
    resetThreadRegistry();
    GlobalRequest = 2;
    POSTCHK(link_);

    EXPECT_EQ(GlobalResponse, RequestCancelled);
    EXPECT_EQ(GlobalRequest, 0);
    EXPECT_TRUE(threadRegistrySnapshot().empty());
    EXPECT_EQ(messages_->count(), 0u) << allMessageText(messages_.get());
    EXPECT_EQ(chk_.records(), 2);
    EXPECT_EQ(chk_.currentNumber(), 2);
    for (int id : {1, 2}) {
        EXPECT_EQ(transactionValue(id, "FIStatus"), "R") << id;
        EXPECT_NE(transactionValue(id, "ReconDate"), "") << id;
    }
    const tvsuite::Listing reg = listing(false);
    ASSERT_EQ(reg.rows.size(), 2u);
    // Bank, Type, Ext, Run, Int, Amount, Vendor, Name
    EXPECT_EQ(reg.rows[0][0], "APB");
    EXPECT_EQ(reg.rows[0][1], "C");
    EXPECT_EQ(reg.rows[0][2], "0002001");
    EXPECT_EQ(reg.rows[0][3], "00031");
    EXPECT_EQ(reg.rows[0][4], "0000006");
    EXPECT_EQ(reg.rows[0][5], "-000000000000150.13");
    EXPECT_EQ(reg.rows[0][6], "000000123");
    EXPECT_EQ(reg.rows[0][7], "Acme Supplies");
    EXPECT_EQ(reg.rows[1][2], "0002002");
    EXPECT_EQ(reg.rows[1][5], "-000000000000075.00");
    EXPECT_EQ(reg.rows[1][6], "000000456");
    EXPECT_EQ(reg.rows[1][7], "New name");

    const std::string header =
        std::string(10, 'N') + "APB       " + std::string(35, ' ') + std::string(200, '0') + " ";
    ASSERT_EQ(header.size(), 256u);
    EXPECT_EQ(textFile(), header + "\n");

    const tvsuite::Listing runs = listing(true);
    ASSERT_EQ(runs.rows.size(), 1u);
    char day[8] = "0000000";
    CvtCtoJ("04/30/2026", day);
    // Run, Process, Bank, DayNumber, User, Terminal, File, Cleared
    EXPECT_EQ(runs.rows[0][1], "OCW042");
    EXPECT_EQ(runs.rows[0][2], "APB");
    EXPECT_EQ(runs.rows[0][3], day);
    EXPECT_EQ(runs.rows[0][4], "5");
    EXPECT_EQ(runs.rows[0][5], "0007");
    EXPECT_EQ(runs.rows[0][6], QFileInfo(kTextFile).absoluteFilePath().toStdString());
    EXPECT_EQ(runs.rows[0][7], "2");
    EXPECT_EQ(progress_->options.at(0).title, "Progress...");
    EXPECT_EQ(progress_->rangeHigh, 2);
}

TEST_P(PostTest, PayrollAndDepositsOnlyMarkThePayrollFilesAndNeverStartTheClearing) {
    addPayrollFiles(true, "C");
    addTransaction(payrollCheck(3));
    auto deposit = payablesCheck(4, 0, 0, "80.0000", "", "Receipts");
    deposit.sourceModuleId = 10;
    addTransaction(deposit);
    queue(3, "PR", "PRB");
    queue(4, "CR", "");
    POSTCHK(link_);

    EXPECT_EQ(messages_->count(), 0u) << allMessageText(messages_.get());
    EXPECT_EQ(transactionValue(3, "FIStatus"), "R");
    EXPECT_EQ(transactionValue(4, "FIStatus"), "R");
    const auto status = payrollStatus();
    EXPECT_EQ(status.at("PYK"), "R");
    EXPECT_EQ(status.at("BRK"), "RY");
    EXPECT_TRUE(listing(true).rows.empty());
    EXPECT_EQ(textFile(), "");
    EXPECT_TRUE(listing(false).rows.empty());
}

TEST_P(PostTest, MissingPayrollCheckIsAskedAboutAndTheOtherBankRecordTypeIsFound) {
    addPayrollFiles(false, "U");
    addTransaction(payrollCheck(3));
    queue(3, "PR", "PRB");
    messages_->answer(msg::Yes);
    POSTCHK(link_);

    ASSERT_EQ(messages_->count(), 1u);
    const std::string& text = messages_->last()->text;
    EXPECT_EQ(text.rfind("Status=23 Unable to find P/R check 000000123,", 0), 0u) << text;
    EXPECT_NE(text.find(",000000077,0000055,0009001. Do you wish to continue?"), std::string::npos)
        << text;
    EXPECT_EQ(payrollStatus().at("BRK"), "RY");
}

TEST_P(PostTest, QuestionsOfferYesAndNoAndYesGoesOn) {
    addTransaction(payablesCheck(1, 2001, 6, "-10.0000", "1", "A"));
    queue(999, "AP", "APB");
    queue(1, "AP", "APB");
    messages_->answer(msg::Yes);
    POSTCHK(link_);

    ASSERT_GE(messages_->count(), 1u);
    const RecordedMessage& m = messages_->messages()[0];
    EXPECT_EQ(m.text, "Unable find transaction 999. Do you wish to continue?");
    EXPECT_EQ(m.caption, "Bank Reconciliation");
    EXPECT_EQ(m.icon, icon::Information);
    EXPECT_EQ(m.buttons, msg::Yes | msg::No);
    EXPECT_GE(messages_->beeps(), 1);
    EXPECT_EQ(transactionValue(1, "FIStatus"), "R");
    EXPECT_EQ(listing(false).rows.size(), 1u);
}

TEST_P(PostTest, NoEndsTheRunAfterTheCurrentEntry) {
    addPayrollFiles(false, "C");
    addTransaction(payrollCheck(3));
    addTransaction(payablesCheck(1, 2001, 6, "-10.0000", "1", "A"));
    queue(3, "PR", "PRB");
    queue(1, "AP", "APB");
    messages_->answer(msg::No);  // to the missing payroll check
    POSTCHK(link_);

    ASSERT_EQ(messages_->count(), 1u);
    EXPECT_EQ(payrollStatus().at("BRK"), "RY");       // the current entry is finished
    EXPECT_EQ(transactionValue(1, "FIStatus"), "O");  // the next one is never posted
    EXPECT_TRUE(listing(false).rows.empty());
    EXPECT_TRUE(listing(true).rows.empty());
}

TEST_P(PostTest, CancelDoesNotStopThePosting) {
    addTransaction(payablesCheck(1, 2001, 6, "-10.0000", "1", "A"));
    addTransaction(payablesCheck(2, 2002, 7, "-20.0000", "2", "B"));
    queue(1, "AP", "APB");
    queue(2, "AP", "APB");
    cancelBeforeTick(1);
    POSTCHK(link_);
    EXPECT_TRUE(progress_->cancelRefused);
    EXPECT_EQ(transactionValue(2, "FIStatus"), "R");
    EXPECT_EQ(listing(true).rows.size(), 1u);
}

TEST_P(PostTest, MissingModuleUsageEndsTheEntryAndTheFailedClearingIsReported) {
    addInstitution(51, 1, "Other");
    auto check = payablesCheck(1, 2001, 6, "-10.0000", "1", "A");
    check.fiaId = 51;
    addTransaction(check);
    queue(1, "AP", "APB");
    messages_->answer(msg::Yes);
    POSTCHK(link_);

    ASSERT_EQ(messages_->count(), 2u) << allMessageText(messages_.get());
    EXPECT_EQ(messages_->messages()[0].text,
              "Unable connect to Module Usage 1,51,8. Do you wish to continue?");
    EXPECT_NE(messages_->messages()[1].text.find("check clearing"), std::string::npos);
    EXPECT_EQ(transactionValue(1, "FIStatus"), "R");
    EXPECT_TRUE(listing(false).rows.empty());
    EXPECT_TRUE(listing(true).rows.empty());
}

namespace {

// Answers No, after checking that another station can change the row posted just before.
class WriteWhileAsked : public MessageBackend {
  public:
    explicit WriteWhileAsked(QString connection) : connection_(std::move(connection)) {}
    int32_t show(const MessageRequest&) override {
        QSqlDatabase db = QSqlDatabase::database(connection_);
        QSqlQuery query(db);
        query.exec(db.driverName() == "QPSQL" ? "SET lock_timeout = '500ms'"
                                              : "PRAGMA busy_timeout = 500");
        query.prepare("UPDATE " + tvhost::tableName(db, "FIATransaction") +
                      " SET \"Description\" = 'other station' WHERE \"TransactionID\" = 1");
        wrote = query.exec() && query.numRowsAffected() == 1;
        return msg::No;
    }
    void beep() override {}
    [[noreturn]] void halt(int32_t exitCode) override { throw ProgramHalted{exitCode}; }
    bool wrote = false;

  private:
    QString connection_;
};

}  // namespace

TEST_P(PostTest, NothingStaysLockedWhileAQuestionWaits) {
    for (int id : {1, 3}) {
        auto t = payablesCheck(id, 0, 0, "1.0000", "", "Journal");
        t.sourceModuleId = 6;
        addTransaction(t);
    }
    queue(1, "GL", "");
    queue(999, "GL", "");
    queue(3, "GL", "");
    setProgressBackend(nullptr);  // several entries per timer event
    auto backend = std::make_shared<WriteWhileAsked>(adminConnection_);
    std::shared_ptr<MessageBackend> previous = ThisMessageBox.setBackend(backend);
    POSTCHK(link_);
    ThisMessageBox.setBackend(previous);
    EXPECT_TRUE(backend->wrote);
    EXPECT_EQ(transactionValue(1, "FIStatus"), "R");
    EXPECT_EQ(transactionValue(1, "Description"), "other station");
    EXPECT_EQ(transactionValue(3, "FIStatus"), "O");
}

TEST_P(PostTest, ARowThatCannotBeWrittenIsAskedAboutAndTheOthersOfItsBatchStay) {
    for (int id : {1, 2, 3}) {
        auto t = payablesCheck(id, 0, 0, "1.0000", "", "Journal");
        t.sourceModuleId = 6;
        addTransaction(t);
        queue(id, "GL", "");
    }
    QSqlDatabase db = QSqlDatabase::database(adminConnection_);
    QSqlQuery ddl(db);
    const QString table = tvhost::tableName(db, "FIATransaction");
    if (GetParam()) {
        ASSERT_TRUE(
            ddl.exec("CREATE OR REPLACE FUNCTION dbo.refuse_two() RETURNS trigger AS $$ "
                     "BEGIN RAISE EXCEPTION 'row two is read-only'; END $$ "
                     "LANGUAGE plpgsql"))
            << ddl.lastError().text().toStdString();
        ASSERT_TRUE(ddl.exec("CREATE TRIGGER refuse_two BEFORE UPDATE ON " + table +
                             " FOR EACH ROW WHEN (OLD.\"TransactionID\" = 2) EXECUTE FUNCTION "
                             "dbo.refuse_two()"))
            << ddl.lastError().text().toStdString();
    } else {
        ASSERT_TRUE(ddl.exec("CREATE TRIGGER refuse_two BEFORE UPDATE ON " + table +
                             " WHEN OLD.\"TransactionID\" = 2 BEGIN SELECT RAISE(ABORT, "
                             "'row two is read-only'); END"))
            << ddl.lastError().text().toStdString();
    }
    setProgressBackend(nullptr);  // several entries per timer event
    messages_->answer(msg::Yes);
    POSTCHK(link_);
    ASSERT_EQ(messages_->count(), 1u) << allMessageText(messages_.get());
    const std::string& text = messages_->last()->text;
    EXPECT_EQ(text.rfind("Unable update transaction 2. Error ", 0), 0u) << text;
    EXPECT_NE(text.find("row two is read-only"), std::string::npos) << text;
    EXPECT_EQ(transactionValue(1, "FIStatus"), "R");
    EXPECT_EQ(transactionValue(2, "FIStatus"), "O");
    EXPECT_EQ(transactionValue(3, "FIStatus"), "R");
}

INSTANTIATE_TEST_SUITE_P(Suite, PostTest, ::testing::Bool(), backendName);
