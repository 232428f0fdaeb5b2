#pragma once
// ReconcileTest with the stand-in suite's demonstration organisation made afresh: its SQL
// database (SQLite in the data folder, or PostgreSQL when BANKREC_TEST_PG_* are set and the test
// asks for it) and its files in the data folder, the banks loaded from it. Helpers load a bank's
// open transactions, read the suite back and change it as another of its users would.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDate>
#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QUuid>
#include <cstdlib>
#include <functional>

#include "bankrec/activity/load_chk.h"
#include "bankrec/banks/load_fia.h"
#include "corelib/daytime.h"
#include "reconcile_fixture.h"
#include "suiteapi/tvapdata.h"
#include "suiteapi/tvsysdata.h"
#include "tvhost/suite_database.h"
#include "tvsuite/suite_admin.h"

namespace reconcile {

class CompletionSuiteTest : public ReconcileTest {
  protected:
    // The demo suite on SQLite (division 2, as the record files), or with `postgres` on the test
    // server (division 83, a database no other module's tests use); false when no test server
    // is configured. The data folder becomes the current one (the suite link writes its file
    // there).
    bool makeDemo(bool postgres) {
        std::string server = "sqlite:" + folder(), user = "demo", password = "secret";
        division_ = 2;
        if (postgres) {
            const char* s = std::getenv("BANKREC_TEST_PG_SERVER");
            const char* u = std::getenv("BANKREC_TEST_PG_USER");
            const char* p = std::getenv("BANKREC_TEST_PG_PASSWORD");
            if (!s || !*s || !u || !p) return false;
            server = s;
            user = u;
            password = p;
            division_ = 83;
            // Tests of this program share the server's database: one at a time.
            lock_ = ::open("/tmp/bankrec-reconcile-pg-83.lock", O_CREAT | O_RDWR, 0666);
            if (lock_ >= 0) ::flock(lock_, LOCK_EX);
        }
        QDir::setCurrent(QString::fromStdString(folder()));
        tvsuite_SetDataFolder(folder().c_str());
        const QString error = tvhost::createSuiteDatabase(
            QString::fromStdString(server), division_, QString::fromStdString(user),
            QString::fromStdString(password), QString::fromStdString(folder()), true);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        connection_ = "reconcile-test-" + QUuid::createUuid().toString(QUuid::Id128);
        QString openError;
        QSqlDatabase db = tvhost::openSuiteDatabase(
            QString::fromStdString(server), division_, QString::fromStdString(user),
            QString::fromStdString(password), connection_, &openError);
        EXPECT_TRUE(db.isValid()) << openError.toStdString();
        EXPECT_EQ(admin_.open(folder()), "");
        params.parse({"Division=" + std::to_string(division_), "DataPath=" + folder(),
                      "Server=" + server, "UserID=" + user, "Password=" + password, "TVUser=1"});
        params.TTY = 7;
        (void)banks::LoadFIAQuick(*session, params);
        EXPECT_EQ(messages->count(), 0u) << messageTexts();
        return true;
    }
    void TearDown() override {
        if (!connection_.isEmpty()) {
            {
                QSqlDatabase db = QSqlDatabase::database(connection_, false);
                if (db.isValid()) db.close();
            }
            QSqlDatabase::removeDatabase(connection_);
        }
        if (lock_ >= 0) ::close(lock_);
    }

    QSqlDatabase suite() { return QSqlDatabase::database(connection_); }
    void suiteExec(const QString& sql) {
        QSqlQuery q(suite());
        ASSERT_TRUE(q.exec(sql)) << sql.toStdString();
    }
    // One column of a suite transaction, as text.
    std::string transaction(int id, const char* column) {
        QSqlDatabase db = suite();
        QSqlQuery q(db);
        q.setForwardOnly(true);
        EXPECT_TRUE(q.exec(QString("SELECT \"%1\" FROM %2 WHERE \"TransactionID\" = %3")
                               .arg(column, tvhost::tableName(db, "FIATransaction"))
                               .arg(id)));
        return q.next() ? q.value(0).toString().toStdString() : std::string("<none>");
    }
    void addSuiteTransaction(int id, int fiaId, int module, const char* amount,
                             const char* description, const char* form) {
        QSqlDatabase db = suite();
        tvhost::Transaction t;
        t.transactionId = id;
        t.fiaId = fiaId;
        t.sourceModuleId = module;
        t.netAmount = amount;
        t.description = description;
        t.externalFormId = form;
        t.dateProduced = QDateTime(QDate(2026, 11, 25), QTime(0, 0));
        ASSERT_EQ(tvhost::addTransaction(db, t).toStdString(), "");
    }

    // The demo bank of this name, posting service charge to 5100-000-00 and interest to
    // 4300-000-00 through GJ, with its open transactions loaded; it becomes current.
    int32_t prepareBank(const std::string& name, const std::string& apBank = {}) {
        auto& b = session->file<storage::APbnk>();
        b.clear();
        b.rec.Bank = name;
        EXPECT_EQ(b.get(storage::APBNK_KEY_BANK), storage::Error::None) << name;
        b.rec.ServiceChargePost = 1;
        b.rec.ServiceChargeJournal = "GJ";
        b.rec.ServiceChargeAccount = "5100-000-00";
        b.rec.InterestEarnedPost = 1;
        b.rec.InterestEarnedJournal = "GJ";
        b.rec.InterestEarnedAccount = "4300-000-00";
        if (!apBank.empty()) b.rec.APBank = apBank;
        EXPECT_EQ(b.put(), storage::Error::None);
        const int32_t id = b.rec.BankID;
        (void)activity::LoadChkThread(*session, params, id, b.rec.FIAID);
        EXPECT_EQ(messages->count(), 0u) << messageTexts();
        makeCurrent(id);
        return id;
    }
    int32_t byTransaction(int32_t transactionId) {
        auto& f = session->file<storage::APbac>();
        f.clear();
        f.rec.TransactionID = transactionId;
        EXPECT_EQ(f.get(storage::APBAC_KEY_TRANSACTIONID), storage::Error::None) << transactionId;
        return f.rec.ActivityID;
    }
    void mark(int32_t activityId) {
        (void)activity(activityId);
        session->file<storage::APbac>().rec.Marked = 1;
        ASSERT_EQ(session->file<storage::APbac>().put(), storage::Error::None);
    }
    // Changes the current bank as the bank form would.
    void setBank(const std::function<void(storage::APbnk&)>& change) {
        auto& b = session->file<storage::APbnk>();
        change(b.rec);
        ASSERT_EQ(b.put(), storage::Error::None);
    }

    // The suite's listings: ledger lines as "batch journal date account amount description",
    // and rows of the other listings as their columns joined by blanks.
    std::vector<std::string> listing(const std::string& what) {
        tvsuite::Listing l;
        std::string error = what == "ledger"     ? admin_.listLedger(division_, l)
                            : what == "register" ? admin_.listRegister(division_, l)
                            : what == "payroll"  ? admin_.listPayroll(division_, l)
                                                 : admin_.listClearingRuns(division_, l);
        EXPECT_EQ(error, "");
        std::vector<std::string> rows;
        for (const auto& row : l.rows) {
            std::string line;
            for (size_t i = 0; i < row.size(); ++i) {
                if (what == "ledger" && (i == 3 || i > 6)) continue;  // line number, references
                if (what == "clearing" && i == 8) continue;           // when it ran
                line += (line.empty() ? "" : " ") + row[i];
            }
            rows.push_back(line);
        }
        return rows;
    }
    // The payables register's header of `bank` as the register listing shows it.
    std::string registerHeader(const std::string& bank) {
        for (const std::string& row : listing("register"))
            if (row.rfind(bank + " B", 0) == 0) return row;
        return {};
    }
    // The figures of a November statement of the Payroll Account that balances with its payroll
    // check 1011 (1,642.18) and its payables check 1015 (245.00) cleared, service charge 12.50
    // and interest 3.10.
    static void payrollStatement(storage::APrec& r) {
        const int32_t nov30 = corelib::daytime::dayNumber(2026, 11, 30);
        r.OpeningDate = nov30 - 30;
        r.EndingDate = nov30;
        r.ServiceCharge = money(1250);
        r.ServiceChargeDate = nov30;
        r.InterestEarned = money(310);
        r.InterestEarnedDate = nov30;
        r.EndingBalance = money(-189658);
    }
    // Sets the payables register's header of `bank` as the suite's own processing would.
    void setRegisterHeader(const std::string& bank, const char* mode, const char* status) {
        std::array<char, TVSUITE_HANDLE_SIZE> handle{};
        std::array<char, TVAP_RECORD_SIZE + 1> rec{};
        char st[3] = "zz";
        const std::string division = (division_ < 10 ? "0" : "") + std::to_string(division_);
        ocropen(handle.data(), "OB", division.c_str(), st);
        ASSERT_STREQ(st, "00");
        ocrInit(rec.data());
        ocrPutBank(rec.data(), bank.c_str());
        ocrPutType(rec.data(), "B");
        ocrread(handle.data(), rec.data(), "RR", st);
        ASSERT_STREQ(st, "00");
        ocrPutMode(rec.data(), mode);
        ocrPutStatus(rec.data(), status);
        ocrrewrite(handle.data(), rec.data(), st);
        ASSERT_STREQ(st, "00");
        ocrclose(handle.data(), st);
    }

    int division_ = 2;
    tvsuite::SuiteAdmin admin_;
    QString connection_;
    int lock_ = -1;
};

}  // namespace reconcile
