// The configuration over SYcfg: defaults, stored values, writes that add or change only when
// needed, and the message for names never registered.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "bankrec/shell/configuration.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/storage.h"
#include "corelib/daytime.h"
#include "corelib/message_script.h"
#include "shell_fixture.h"

using namespace corelib;
using namespace storage;
using namespace shell;

namespace {

class ConfigurationTest : public ShellFixture {
  protected:
    void SetUp() override {
        ShellFixture::SetUp();
        storage_.nameFiles(dataDir(), 3);
        session_ = std::make_unique<FileSession>(storage_);
        ASSERT_EQ(openFile(*session_, FileId::SYcfg), Error::None);
    }
    void TearDown() override {
        closeFile(*session_, FileId::SYcfg);
        session_.reset();
        ShellFixture::TearDown();
    }
    // The stored record of a name; ConfigurationID 0 when there is none.
    SYcfg stored(const std::string& name) {
        auto& f = session_->file<SYcfg>();
        f.clear();
        f.rec.Name = name;
        if (f.get(SYCFG_KEY_NAME) != Error::None) return {};
        return f.rec;
    }
    int64_t records() {
        int64_t n = -1;
        (void)session_->file<SYcfg>().records(n);
        return n;
    }

    Storage storage_;
    std::unique_ptr<FileSession> session_;
    ScopedScriptedMessages& messages_ = sandbox_.messages;
};

TEST_F(ConfigurationTest, DefaultsAreTheRegisteredValuesUntilSomethingIsStored) {
    Configuration c;
    c.registerDefaults();
    EXPECT_EQ(c.entries().size(), 25u);  // the import's 19 and 3 more, the organization's 3
    EXPECT_EQ(c.get("ImportDepositDays"), "5");
    EXPECT_EQ(c.get("ChkClearedFormat"), "");
    ASSERT_EQ(c.load(*session_), Error::None);
    EXPECT_EQ(c.get("ImportType"), "1");
    EXPECT_EQ(c.get("importfilename"), "");
    EXPECT_EQ(c.get("ChkClearedEnd"), "30");
    EXPECT_EQ(c.get("ChkAmountStart"), "8");
    EXPECT_EQ(c.get("Organization Phones"), "Organization Phones");
    EXPECT_EQ(records(), 0);  // reading never writes
    EXPECT_EQ(messages_->count(), 0u);
}

TEST_F(ConfigurationTest, StoredValuesReplaceDefaultsOnLoad) {
    {
        Configuration writer;
        writer.registerDefaults();
        ASSERT_EQ(writer.set(*session_, "ChkFirstRow", "4"), Configuration::SetResult::Stored);
        ASSERT_EQ(writer.set(*session_, "Organization Name", "Harbour Trust"),
                  Configuration::SetResult::Stored);
    }
    Configuration reader;
    reader.registerDefaults();
    ASSERT_EQ(reader.load(*session_), Error::None);
    EXPECT_EQ(reader.get("chkfirstrow"), "4");
    EXPECT_EQ(reader.get("Organization Name"), "Harbour Trust");
    EXPECT_EQ(reader.get("ChkLastRow"), "0");
}

TEST_F(ConfigurationTest, FirstWriteAddsWithNextIdThenChangesInPlace) {
    Configuration c;
    c.registerDefaults();
    ASSERT_EQ(c.set(*session_, "ImportType", "2"), Configuration::SetResult::Stored);
    ASSERT_EQ(c.set(*session_, "IMPORTAMOUNT", "3"), Configuration::SetResult::Stored);
    const SYcfg first = stored("ImportType");
    EXPECT_EQ(first.ConfigurationID, 1);
    EXPECT_EQ(first.Value, "2");
    EXPECT_EQ(first.ChangeDate, daytime::today());
    EXPECT_NE(first.ChangeTime, 0);
    const SYcfg second = stored("ImportAmount");
    EXPECT_EQ(second.ConfigurationID, 2);
    EXPECT_EQ(second.Name, "ImportAmount");  // the registered spelling is stored

    ASSERT_EQ(c.set(*session_, "ImportType", "5"), Configuration::SetResult::Stored);
    EXPECT_EQ(stored("ImportType").ConfigurationID, 1);
    EXPECT_EQ(stored("ImportType").Value, "5");
    EXPECT_EQ(c.get("ImportType"), "5");
    EXPECT_EQ(records(), 2);
}

TEST_F(ConfigurationTest, WritingTheSameValueLeavesTheRecordUntouched) {
    Configuration c;
    c.registerDefaults();
    ASSERT_EQ(c.set(*session_, "ChkCheckEnd", "9"), Configuration::SetResult::Stored);
    // Age the stamp so a rewrite would show.
    auto& f = session_->file<SYcfg>();
    f.rec = stored("ChkCheckEnd");
    ASSERT_EQ(f.get(SYCFG_KEY_NAME), Error::None);
    f.rec.ChangeTime = 1;
    ASSERT_EQ(f.put(), Error::None);

    ASSERT_EQ(c.set(*session_, "ChkCheckEnd", "9"), Configuration::SetResult::Stored);
    EXPECT_EQ(stored("ChkCheckEnd").ChangeTime, 1);
    ASSERT_EQ(c.set(*session_, "ChkCheckEnd", "10"), Configuration::SetResult::Stored);
    EXPECT_NE(stored("ChkCheckEnd").ChangeTime, 1);
}

// A value cut to fit would be stored wrongly and, differing from the next identical set, be
// rewritten and re-stamped every time.
TEST_F(ConfigurationTest, AValueLongerThanTheFieldIsRefusedAndNothingChanges) {
    Configuration c;
    c.registerDefaults();
    const std::string longest(255, 'x');
    ASSERT_EQ(c.set(*session_, "ImportFilename", longest), Configuration::SetResult::Stored);
    EXPECT_EQ(stored("ImportFilename").Value, longest);

    const std::string tooLong = "/srv/" + std::string(251, 'y');  // 256 bytes
    EXPECT_EQ(c.set(*session_, "importfilename", tooLong), Configuration::SetResult::TooLong);
    ASSERT_EQ(messages_->count(), 1u);
    EXPECT_EQ(messages_->messages()[0].text,
              "Configuration ImportFilename value is too long: 256 bytes where at most 255 fit.");
    EXPECT_EQ(stored("ImportFilename").Value, longest);
    EXPECT_EQ(c.get("ImportFilename"), longest);
    // Counted in bytes: 128 two-byte letters do not fit either.
    std::string accents;
    for (int i = 0; i < 128; ++i) accents += "\xC3\xA9";
    EXPECT_EQ(c.set(*session_, "Organization Name", accents), Configuration::SetResult::TooLong);
    EXPECT_EQ(stored("Organization Name").ConfigurationID, 0);
}

TEST_F(ConfigurationTest, UnknownNamesAreReportedOnReadAndWrite) {
    Configuration c;
    c.registerDefaults();
    EXPECT_EQ(c.get("ImportColour"), "");
    ASSERT_EQ(messages_->count(), 1u);
    EXPECT_EQ(messages_->messages()[0].text, "Configuration ImportColour not found.");
    EXPECT_EQ(messages_->messages()[0].caption, "");
    EXPECT_EQ(messages_->messages()[0].buttons, msg::OK);

    EXPECT_EQ(c.set(*session_, "Nope", "1"), Configuration::SetResult::UnknownName);
    ASSERT_EQ(messages_->count(), 2u);
    EXPECT_EQ(messages_->messages()[1].text, "Configuration Nope not found.");
    EXPECT_EQ(records(), 0);
    EXPECT_FALSE(c.contains("Nope"));
}

TEST_F(ConfigurationTest, SeveralValuesAreStoredTogetherOrNotAtAll) {
    Configuration c;
    c.registerDefaults();
    ASSERT_EQ(c.setAll(*session_, {{"ImportType", "3"}, {"ImportFilename", "/srv/bank.csv"}}),
              Configuration::SetResult::Stored);
    EXPECT_EQ(stored("ImportType").Value, "3");
    EXPECT_EQ(stored("ImportFilename").Value, "/srv/bank.csv");

    // The second name cannot be written: the first is not kept either, and the list keeps its
    // values.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(storage_.filePath(FileId::SYcfg).c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TRIGGER refuse BEFORE INSERT ON SYcfg WHEN NEW.Name = "
                           "'ChkFirstRow' BEGIN SELECT RAISE(ABORT, 'disk full'); END;",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    EXPECT_EQ(c.setAll(*session_, {{"ImportType", "2"}, {"ChkFirstRow", "4"}}),
              Configuration::SetResult::NotStored);
    EXPECT_EQ(stored("ImportType").Value, "3");
    EXPECT_EQ(stored("ChkFirstRow").ConfigurationID, 0);
    EXPECT_EQ(c.get("ImportType"), "3");
    EXPECT_EQ(c.get("ChkFirstRow"), "1");
    ASSERT_NE(messages_->last(), nullptr);
    EXPECT_EQ(messages_->last()->text.rfind("Error occured during transaction update, ", 0), 0u);

    // A name never registered stores nothing at all.
    EXPECT_EQ(c.setAll(*session_, {{"ImportFilename", "x"}, {"Nope", "1"}}),
              Configuration::SetResult::UnknownName);
    EXPECT_EQ(stored("ImportFilename").Value, "/srv/bank.csv");
    // Nor does one value too long for the field.
    EXPECT_EQ(c.setAll(*session_, {{"ImportType", "1"}, {"ImportFilename", std::string(256, 'z')}}),
              Configuration::SetResult::TooLong);
    EXPECT_EQ(stored("ImportType").Value, "3");
    EXPECT_EQ(c.get("ImportType"), "3");
    EXPECT_EQ(stored("ImportFilename").Value, "/srv/bank.csv");
}

}  // namespace
