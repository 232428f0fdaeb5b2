#pragma once
// A fresh data folder, storage session and scripted message service per test, with helpers
// that read back what the loader and the form left in APbnk and APbnu.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

#include "bankrec/banks/load_fia.h"
#include "bankrec/shell/startup_parameters.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/session.h"
#include "bankrec/storage/storage.h"
#include "corelib/globals.h"
#include "corelib/message_script.h"

class BanksTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        dataDir_ = dir_.path().toStdString() + "/data";
        suiteDir_ = dir_.path().toStdString() + "/suite";
        QDir().mkpath(QString::fromStdString(dataDir_));
        QDir().mkpath(QString::fromStdString(suiteDir_));
        storage_.nameFiles(dataDir_, 3);
        storage_.setFileName(FileId::APbnu, dataDir_ + "/APbnu");
        params_.parse({"Division=3", "DataPath=" + dataDir_, "Server=sqlite:" + suiteDir_,
                       "UserID=demo", "Password=secret", "TVUser=1"});
        session_ = std::make_unique<Session>(storage_);
        files_ = std::make_unique<FileUse>(
            *session_, std::initializer_list<FileId>{FileId::APbnk, FileId::APbnu});
        ASSERT_EQ(files_->error(), 0);
    }
    void TearDown() override {
        files_.reset();
        session_.reset();
    }

    static FIAQEntry entry(int32_t fiaId, const std::string& bank, const std::string& account,
                           const std::string& ap = {}, const std::string& pr = {}) {
        return FIAQEntry{fiaId, bank, account, ap, pr};
    }

    // Runs the loader over a hand-made list the way the loading windows do (progress job,
    // time slices). `response` is what LOADFIA would have left in GlobalResponse.
    FiaLoadCounts load(const std::vector<FIAQEntry>& entries, int32_t response = 1) {
        return loadOn(*session_, entries, response);
    }
    FiaLoadCounts loadOn(Session& s, const std::vector<FIAQEntry>& entries, int32_t response = 1) {
        FiaLink link(params_);
        for (const auto& e : entries) link.queue.add(e);
        link.response = response;
        FiaLoadJob job(s, link);
        runProgress(loadFiaQuickSpec(), job);
        return job.loader().counts();
    }

    std::vector<APbnk> banks() {
        std::vector<APbnk> out;
        auto& f = session_->file<APbnk>();
        f.setStart(APBNK_KEY_BANKID);
        while (f.next() == 0) out.push_back(f.rec);
        return out;
    }
    APbnk bankByFia(int32_t fiaId) {
        auto& f = session_->file<APbnk>();
        f.rec.FIAID = fiaId;
        EXPECT_EQ(f.get(APBNK_KEY_FIAID), 0) << "no bank for FIAID " << fiaId;
        return f.rec;
    }
    // The bank's cash accounts in account order.
    std::vector<APbnu> cashOf(int32_t bankId) {
        std::vector<APbnu> out;
        auto& f = session_->file<APbnu>();
        f.clear();
        f.rec.BankID = bankId;
        f.set(APBNU_KEY_BANKIDBANKACCOUNT);
        while (f.next() == 0 && f.rec.BankID == bankId) out.push_back(f.rec);
        return out;
    }
    std::vector<APbnu> allCash() {
        std::vector<APbnu> out;
        auto& f = session_->file<APbnu>();
        f.setStart(APBNU_KEY_BANKUSEID);
        while (f.next() == 0) out.push_back(f.rec);
        return out;
    }
    // The accounts marked as default, for one bank.
    std::vector<std::string> defaultsOf(int32_t bankId) {
        std::vector<std::string> out;
        for (const auto& u : cashOf(bankId))
            if (u.Post) out.push_back(u.BankAccount);
        return out;
    }

    QTemporaryDir dir_;
    std::string dataDir_;
    std::string suiteDir_;
    Storage storage_;
    StartupParameters params_;
    std::unique_ptr<Session> session_;
    std::unique_ptr<FileUse> files_;
    ScopedScriptedMessages messages_;
};
