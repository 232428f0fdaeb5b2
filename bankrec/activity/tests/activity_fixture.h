#pragma once
// A fresh data folder and a fresh stand-in suite (SQLite) per test, with the record files open
// in one session, scripted messages, and helpers to add banks, activity and suite transactions.
#include <gtest/gtest.h>

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QUuid>
#include <memory>
#include <string>

#include "bankrec/shell/startup_parameters.h"
#include "bankrec/storage/dictionary.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/saved_error.h"
#include "bankrec/storage/storage.h"
#include "corelib/globals.h"
#include "corelib/message_script.h"
#include "corelib/registry.h"
#include "storagetest/add_record.h"
#include "testsupport/sandbox.h"
#include "tvhost/suite_database.h"

namespace activity {

class ActivityTest : public ::testing::Test {
  protected:
    ActivityTest() {
        corelib::glo_ApplicationName = "Bank Reconciliation";
        storage.nameFiles(folder(), 2);
        storage.setFileName(storage::FileId::APbnu, folder() + "/APbnu");
        session = std::make_unique<storage::FileSession>(storage);
        storage::savedError().clear();
        for (storage::FileId id :
             {storage::FileId::APbnk, storage::FileId::APbac, storage::FileId::APbda,
              storage::FileId::APrac, storage::FileId::APrec}) {
            EXPECT_EQ(storage::openFile(*session, id), storage::Error::None);
            opened.push_back(id);
        }
    }
    ~ActivityTest() override {
        for (storage::FileId id : opened) storage::closeFile(*session, id);
        if (!adminConnection.isEmpty()) QSqlDatabase::removeDatabase(adminConnection);
    }

    std::string folder() const { return sandbox.path(); }

    // Makes the suite database of division 2 and points the start-up parameters at it.
    void makeSuite() {
        const QString server = QString::fromStdString("sqlite:" + folder() + "/suite");
        params.DIVISION = 2;
        params.DATAPATH = folder();
        params.SERVERNAME = server.toStdString();
        params.USERNAME = "tvadmin";
        params.USERPW = "secret";
        const QString error = tvhost::createSuiteDatabase(server, 2, "tvadmin", "secret",
                                                          QString::fromStdString(folder()), false);
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();
        adminConnection = "activity-test-" + QUuid::createUuid().toString(QUuid::Id128);
        QString openError;
        QSqlDatabase db =
            tvhost::openSuiteDatabase(server, 2, "tvadmin", "secret", adminConnection, &openError);
        ASSERT_TRUE(db.isValid()) << openError.toStdString();
    }

    // An open suite transaction; module 6 journal, 8 payables, 9 payroll, 10 cash receipts.
    void suiteTransaction(int id, int fiaId, int module, const char* amount,
                          const char* description = "", const char* form = "") {
        QSqlDatabase db = QSqlDatabase::database(adminConnection);
        tvhost::Transaction t;
        t.transactionId = id;
        t.fiaId = fiaId;
        t.sourceModuleId = module;
        t.netAmount = amount;
        t.description = description;
        t.externalFormId = form;
        t.runOrBatch = id;
        t.dateProduced = QDateTime(QDate(2026, 3, 1 + id % 28), QTime(0, 0));
        ASSERT_EQ(tvhost::addTransaction(db, t).toStdString(), "");
    }
    void setSuiteAmount(int id, const char* amount) {
        QSqlDatabase db = QSqlDatabase::database(adminConnection);
        QSqlQuery q(db);
        ASSERT_TRUE(q.prepare("UPDATE " + tvhost::tableName(db, "FIATransaction") +
                              " SET \"NetAmount\" = ? WHERE \"TransactionID\" = ?"));
        q.addBindValue(QString(amount));
        q.addBindValue(id);
        ASSERT_TRUE(q.exec());
    }

    // Adds a record through numbering; returns its identifier (0 when the add failed).
    template <storage::Record R>
    int32_t add(const R& rec) {
        return storagetest::addRecord(*session, rec);
    }
    int32_t addBank(const std::string& name, int32_t fiaId = 0) {
        storage::APbnk b;
        b.Bank = name;
        b.FIAID = fiaId;
        return add(b);
    }
    int32_t addActivity(int32_t bankId, const std::string& type, const std::string& reference,
                        int64_t amountCents, int32_t date = 80000, const std::string& name = {},
                        const std::string& description = {}) {
        storage::APbac a;
        a.BankID = bankId;
        a.ActivityType = type;
        a.Reference = reference;
        a.ActivityDate = date;
        a.Name = name;
        a.Description = description;
        a.Amount = corelib::Decimal::fromCents(amountCents);
        if (type == "Check") a.PaymentOrDebit = corelib::Decimal::fromCents(-amountCents);
        if (type == "Deposit") a.DepositOrCredit = corelib::Decimal::fromCents(amountCents);
        return add(a);
    }

    // The activity row loaded from a suite transaction; ActivityID 0 when there is none.
    storage::APbac byTransaction(int32_t transactionId) {
        auto& f = session->file<storage::APbac>();
        f.clear();
        f.rec.TransactionID = transactionId;
        if (f.get(storage::APBAC_KEY_TRANSACTIONID) != storage::Error::None)
            return storage::APbac{};
        return f.rec;
    }
    storage::APbac byId(int32_t activityId) {
        auto& f = session->file<storage::APbac>();
        f.clear();
        f.rec.ActivityID = activityId;
        if (f.get(storage::APBAC_KEY_ACTIVITYID) != storage::Error::None) return storage::APbac{};
        return f.rec;
    }
    template <storage::Record R>
    int64_t count() {
        int64_t n = -1;
        EXPECT_EQ(session->file<R>().records(n), storage::Error::None);
        return n;
    }

    testsupport::Sandbox sandbox;
    corelib::ScopedScriptedMessages& messages = sandbox.messages;
    storage::Storage storage;
    std::unique_ptr<storage::FileSession> session;
    std::vector<storage::FileId> opened;
    shell::StartupParameters params;
    QString adminConnection;
};

inline corelib::Decimal money(int64_t cents) {
    return corelib::Decimal::fromCents(cents);
}

}  // namespace activity
