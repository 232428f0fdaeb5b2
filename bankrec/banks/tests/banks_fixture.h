#pragma once
// A fresh data folder, storage session and scripted message service per test, with helpers
// that read back what the loader and the form left in APbnk and APbnu.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "bankrec/banks/load_fia.h"
#include "bankrec/shell/startup_parameters.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/storage.h"
#include "corelib/globals.h"
#include "corelib/message_script.h"
#include "testsupport/sandbox.h"

namespace banks {

class BanksTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sandbox_.valid());
        dataDir_ = sandbox_.folder("data");
        suiteDir_ = sandbox_.folder("suite");
        storage_.nameFiles(dataDir_, 3);
        storage_.setFileName(storage::FileId::APbnu, dataDir_ + "/APbnu");
        params_.parse({"Division=3", "DataPath=" + dataDir_, "Server=sqlite:" + suiteDir_,
                       "UserID=demo", "Password=secret", "TVUser=1"});
        session_ = std::make_unique<storage::FileSession>(storage_);
        files_ = std::make_unique<storage::FileUse>(
            *session_,
            std::initializer_list<storage::FileId>{storage::FileId::APbnk, storage::FileId::APbnu});
        ASSERT_EQ(files_->error(), storage::Error::None);
    }
    void TearDown() override {
        files_.reset();
        session_.reset();
    }

    static hostlink::FIAQEntry entry(int32_t fiaId, const std::string& bank,
                                     const std::string& account, const std::string& ap = {},
                                     const std::string& pr = {}) {
        return hostlink::FIAQEntry{fiaId, bank, account, ap, pr};
    }

    // Runs the loader over a hand-made list the way the loading windows do (progress job,
    // time slices). `response` is what LOADFIA would have left in GlobalResponse.
    FiaLoadCounts load(const std::vector<hostlink::FIAQEntry>& entries, int32_t response = 1) {
        return loadOn(*session_, entries, response);
    }
    FiaLoadCounts loadOn(storage::FileSession& s, const std::vector<hostlink::FIAQEntry>& entries,
                         int32_t response = 1) {
        FiaLink link(params_);
        for (const auto& e : entries) link.queue.add(e);
        link.response = response;
        FiaLoadJob job(s, link);
        corelib::runProgress(loadFiaQuickOptions(), job);
        return job.loader().counts();
    }

    std::vector<storage::APbnk> banks() {
        std::vector<storage::APbnk> out;
        auto& f = session_->file<storage::APbnk>();
        (void)f.setStart(storage::APBNK_KEY_BANKID);
        while (f.next() == storage::Error::None) out.push_back(f.rec);
        return out;
    }
    storage::APbnk bankByFia(int32_t fiaId) {
        auto& f = session_->file<storage::APbnk>();
        f.rec.FIAID = fiaId;
        EXPECT_EQ(f.get(storage::APBNK_KEY_FIAID), storage::Error::None)
            << "no bank for FIAID " << fiaId;
        return f.rec;
    }
    // The bank's cash accounts in account order.
    std::vector<storage::APbnu> cashOf(int32_t bankId) {
        std::vector<storage::APbnu> out;
        auto& f = session_->file<storage::APbnu>();
        f.clear();
        f.rec.BankID = bankId;
        (void)f.set(storage::APBNU_KEY_BANKIDBANKACCOUNT);
        while (f.next() == storage::Error::None && f.rec.BankID == bankId) out.push_back(f.rec);
        return out;
    }
    std::vector<storage::APbnu> allCash() {
        std::vector<storage::APbnu> out;
        auto& f = session_->file<storage::APbnu>();
        (void)f.setStart(storage::APBNU_KEY_BANKUSEID);
        while (f.next() == storage::Error::None) out.push_back(f.rec);
        return out;
    }
    // Makes `account` the bank's only default, as the user does in the bank form.
    void chooseDefault(int32_t bankId, const std::string& account) {
        auto& u = session_->file<storage::APbnu>();
        for (const auto& row : cashOf(bankId)) {
            u.rec.BankUseID = row.BankUseID;
            ASSERT_EQ(u.get(storage::APBNU_KEY_BANKUSEID), storage::Error::None);
            u.rec.Post = row.BankAccount == account ? 1 : 0;
            ASSERT_EQ(u.put(), storage::Error::None);
        }
    }
    // The accounts marked as default, for one bank.
    std::vector<std::string> defaultsOf(int32_t bankId) {
        std::vector<std::string> out;
        for (const auto& u : cashOf(bankId))
            if (u.Post) out.push_back(u.BankAccount);
        return out;
    }

    testsupport::Sandbox sandbox_;
    std::string dataDir_;
    std::string suiteDir_;
    storage::Storage storage_;
    shell::StartupParameters params_;
    std::unique_ptr<storage::FileSession> session_;
    std::unique_ptr<storage::FileUse> files_;
    corelib::ScopedScriptedMessages& messages_ = sandbox_.messages;
};

}  // namespace banks
