#pragma once
// BanksTest with the stand-in suite's demonstration organisation (division 3) made afresh, and
// its banks loaded: "Operating Account" (FIAID 101, cash accounts 1000-000-00 and 1000-100-00),
// "Payroll Account" (102) and "Money Market Savings" (103).
#include <QSqlDatabase>

#include "banks_fixture.h"
#include "suiteapi/tvsysdata.h"
#include "tvhost/suite_database.h"

namespace banks {

class DemoSuiteTest : public BanksTest {
  protected:
    void SetUp() override {
        BanksTest::SetUp();
        const QString error =
            tvhost::createSuiteDatabase(QString::fromStdString("sqlite:" + suiteDir_), 3, "demo",
                                        "secret", QString::fromStdString(suiteDir_), true);
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();
        tvsuite_SetDataFolder(suiteDir_.c_str());
        counts_ = LoadFIAQuick(*session_, params_);
        ASSERT_EQ(messages_->count(), 0u) << messages_->last()->text;
    }
    void TearDown() override {
        tvsuite_SetDataFolder(nullptr);
        BanksTest::TearDown();
    }

    // Makes the bank with this name the session's current bank.
    int32_t current(const std::string& name, storage::FileSession* s = nullptr) {
        auto& f = (s ? *s : *session_).file<storage::APbnk>();
        f.clear();
        f.rec.Bank = name;
        EXPECT_EQ(f.get(storage::APBNK_KEY_BANK), storage::Error::None) << name;
        return f.rec.BankID;
    }

    FiaLoadCounts counts_;
};

}  // namespace banks
