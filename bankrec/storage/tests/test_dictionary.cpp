// The data dictionary: layouts, keys, generic field access, and the ASimp line reader.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "bankrec/storage/dictionary.h"
#include "bankrec/storage/line_file.h"
#include "bankrec/storage/storage_error.h"

using namespace corelib;
using namespace storage;

TEST(Dictionary, RecordSizesAreTheSumsOfTheDeclaredWidths) {
    const std::pair<FileId, int> sizes[] = {
        {FileId::APbnk, 219}, {FileId::APbnu, 62},  {FileId::APbac, 399}, {FileId::APbda, 134},
        {FileId::APrec, 101}, {FileId::APrac, 321}, {FileId::SYcfg, 313},
    };
    for (auto [file, size] : sizes) EXPECT_EQ(fileDef(file).recordSize, size) << fileDef(file).name;
}

TEST(Dictionary, StructureVersions) {
    EXPECT_EQ(fileDef(FileId::APbac).version, 6);
    EXPECT_EQ(fileDef(FileId::APbnk).version, 5);
    EXPECT_EQ(fileDef(FileId::APrec).version, 1);
    for (FileId f : {FileId::APbda, FileId::APbnu, FileId::APrac, FileId::SYcfg})
        EXPECT_EQ(fileDef(f).version, 0) << fileDef(f).name;
}

TEST(Dictionary, FieldsFollowTheStructMembersInDeclaredOrder) {
    // Offsets rise with the field order, so a field listed out of order in the dictionary
    // (or a member moved in a struct) shows up here.
    for (const FileDef& f : allFiles()) {
        ASSERT_FALSE(f.fields.empty());
        for (size_t i = 1; i < f.fields.size(); ++i)
            EXPECT_LT(f.fields[i - 1].offset, f.fields[i].offset)
                << f.name << ":" << f.fields[i].name;
        EXPECT_EQ(f.fields[1].name, "ChangeID") << f.name;
        EXPECT_EQ(f.fields[3].name, "ChangeTime") << f.name;
    }
}

TEST(Dictionary, KeyConstantsNameTheirKeys) {
    const std::pair<KeyId, const char*> keys[] = {
        {APBNK_KEY_BANKID, "APBNK_KEY_BANKID"},
        {APBNK_KEY_FIAID, "APBNK_KEY_FIAID"},
        {APBNK_KEY_BANK, "APBNK_KEY_BANK"},
        {APBNU_KEY_BANKUSEID, "APBNU_KEY_BANKUSEID"},
        {APBNU_KEY_BANKIDBANKACCOUNT, "APBNU_KEY_BANKIDBANKACCOUNT"},
        {APBNU_KEY_BANKIDPOST, "APBNU_KEY_BANKIDPOST"},
        {APBAC_KEY_ACTIVITYID, "APBAC_KEY_ACTIVITYID"},
        {APBAC_KEY_TRANSACTIONID, "APBAC_KEY_TRANSACTIONID"},
        {APBAC_KEY_BANKID, "APBAC_KEY_BANKID"},
        {APBAC_KEY_RECONCILIATIONIDACTIVITYID, "APBAC_KEY_RECONCILIATIONIDACTIVITYID"},
        {APBAC_KEY_BANKIDREFERENCE, "APBAC_KEY_BANKIDREFERENCE"},
        {APBAC_KEY_ACTIVITY, "APBAC_KEY_ACTIVITY"},
        {APBAC_KEY_RECONCILED, "APBAC_KEY_RECONCILED"},
        {APBDA_KEY_DEPOSITID, "APBDA_KEY_DEPOSITID"},
        {APBDA_KEY_ACTIVITYID, "APBDA_KEY_ACTIVITYID"},
        {APBDA_KEY_ACTIVITYORDER, "APBDA_KEY_ACTIVITYORDER"},
        {APREC_KEY_RECONCILIATIONID, "APREC_KEY_RECONCILIATIONID"},
        {APREC_KEY_BANKID, "APREC_KEY_BANKID"},
        {APREC_KEY_BANKENDINGDATE, "APREC_KEY_BANKENDINGDATE"},
        {APREC_KEY_BANKDONE, "APREC_KEY_BANKDONE"},
        {APRAC_KEY_RECONCILIATIONACTIVITYID, "APRAC_KEY_RECONCILIATIONACTIVITYID"},
        {APRAC_KEY_RECONCILIATIONID, "APRAC_KEY_RECONCILIATIONID"},
        {APRAC_KEY_ACTIVITYID, "APRAC_KEY_ACTIVITYID"},
        {APRAC_KEY_ACTIVITY, "APRAC_KEY_ACTIVITY"},
        {SYCFG_KEY_CONFIGURATIONID, "SYCFG_KEY_CONFIGURATIONID"},
        {SYCFG_KEY_NAME, "SYCFG_KEY_NAME"},
    };
    size_t total = 0;
    for (const FileDef& f : allFiles()) total += f.keys.size();
    EXPECT_EQ(total, std::size(keys));
    for (auto [key, name] : keys) {
        EXPECT_EQ(keyDef(key).name, name);
        EXPECT_EQ(keyDef(key).primary, key.index == 0) << name;
        for (int c : keyDef(key).components) EXPECT_GE(c, 0) << name;
    }
    EXPECT_TRUE(keyDef(APBNK_KEY_FIAID).unique);
    EXPECT_TRUE(keyDef(APBNU_KEY_BANKIDBANKACCOUNT).unique);
    EXPECT_TRUE(keyDef(SYCFG_KEY_NAME).unique);
    EXPECT_FALSE(keyDef(APBNK_KEY_BANK).unique);
    EXPECT_EQ(fileDef(FileId::APbnk).keyIndex("APBNK:KEY_FIAID"), 1);
}

TEST(Dictionary, IndexesAreCaseBlindAndLeaveOutEmptyRows) {
    const FileDef& bnu = fileDef(FileId::APbnu);
    EXPECT_EQ(createIndexSql(bnu, APBNU_KEY_BANKIDBANKACCOUNT.index),
              "CREATE UNIQUE INDEX \"APBNU_KEY_BANKIDBANKACCOUNT\" ON \"APbnu\" (\"BankID\", "
              "\"BankAccount\" COLLATE NOCASE) WHERE NOT (\"BankID\"=0 AND \"BankAccount\"='')");
    EXPECT_EQ(createIndexSql(bnu, APBNU_KEY_BANKIDPOST.index).rfind("CREATE INDEX", 0), 0u);
}

TEST(Dictionary, LinksNameKeysLedByTheLinkingField) {
    ASSERT_EQ(allLinks().size(), 7u);
    for (const LinkDef& l : allLinks()) {
        const FileDef& child = fileDef(l.child);
        ASSERT_EQ(l.childKey.file, l.child);
        int first = keyDef(l.childKey).components.front();
        EXPECT_EQ(child.fields[static_cast<size_t>(first)].name, l.field) << child.name;
        EXPECT_GE(fileDef(l.parent).fieldIndex(l.field), 0);
    }
}

TEST(FieldAccess, ByNameAsTextAndValue) {
    APbac bac;
    const FileDef& f = fileDef(FileId::APbac);
    EXPECT_TRUE(setFieldText(f, &bac, f.fieldIndex("APbac:Reference"), "1001"));
    EXPECT_TRUE(setFieldText(f, &bac, f.fieldIndex("bankid"), " 42 "));
    EXPECT_TRUE(setFieldText(f, &bac, f.fieldIndex("Amount"), "-1,234.5"));
    EXPECT_TRUE(setField(bac, "Marked", int64_t{1}));
    EXPECT_EQ(bac.Reference, "1001");
    EXPECT_EQ(bac.BankID, 42);
    EXPECT_EQ(bac.Amount, Decimal::fromCents(-123450));
    EXPECT_EQ(bac.Marked, 1);
    EXPECT_EQ(getFieldText(f, &bac, f.fieldIndex("Amount")), "-1234.50");
    EXPECT_EQ(std::get<int64_t>(getField(bac, "BankID")), 42);
    EXPECT_EQ(f.fieldIndex("NoSuchField"), -1);
    EXPECT_EQ(f.fieldIndex("APbnk:BankID"), -1);
}

TEST(FieldAccess, RefusesValuesThatDoNotFit) {
    APbac bac;
    bac.BankID = 7;
    const FileDef& f = fileDef(FileId::APbac);
    EXPECT_FALSE(setFieldText(f, &bac, f.fieldIndex("BankID"), "4294967296"));
    EXPECT_FALSE(setFieldText(f, &bac, f.fieldIndex("BankID"), "12x"));
    EXPECT_FALSE(setFieldText(f, &bac, f.fieldIndex("BankID"), ""));
    EXPECT_FALSE(setField(bac, "Marked", int64_t{256}));
    EXPECT_FALSE(setField(bac, "Marked", std::string("1")));
    EXPECT_FALSE(setFieldText(f, &bac, f.fieldIndex("Amount"), "abc"));
    EXPECT_FALSE(setField(bac, "Amount", Decimal::fromCents(Decimal::kMaxCents + 1)));
    EXPECT_FALSE(setFieldText(f, &bac, -1, "1"));
    EXPECT_EQ(bac.BankID, 7);
    EXPECT_EQ(bac.Marked, 0);
}

TEST(FieldAccess, TextIsCutToWidthLessOneAtACharacterBoundary) {
    APbnk bnk;
    std::string name(39, 'a');
    ASSERT_TRUE(setField(bnk, "Bank", name + "\xC3\xA9xyz"));  // "é" would end at byte 41
    EXPECT_EQ(bnk.Bank, name);
    ASSERT_TRUE(setField(bnk, "Bank", std::string(38, 'b') + "\xC3\xA9xyz"));
    EXPECT_EQ(bnk.Bank.size(), 40u);
    EXPECT_EQ(cutUtf8("\xE2\x82\xAC\xE2\x82\xAC", 4), "\xE2\x82\xAC");
    EXPECT_EQ(cutUtf8("abc", 10), "abc");
    EXPECT_EQ(cutUtf8("abc", 0), "");
}

TEST(ErrorNumbers, SqliteCodesMapInOnePlace) {
    EXPECT_EQ(storageErrorFromSqlite(SQLITE_BUSY), Error::FileLocked);
    EXPECT_EQ(storageErrorFromSqlite(SQLITE_BUSY_SNAPSHOT), Error::FileLocked);
    EXPECT_EQ(storageErrorFromSqlite(SQLITE_NOTADB), Error::InvalidFile);
    EXPECT_EQ(storageErrorFromSqlite(SQLITE_CONSTRAINT_UNIQUE), Error::DuplicateKey);
    EXPECT_EQ(storageErrorFromSqlite(SQLITE_CONSTRAINT_NOTNULL), Error::Driver);
    EXPECT_EQ(storageErrorFromSqlite(SQLITE_IOERR_WRITE), Error::Driver);
    EXPECT_EQ(storageErrorFromSqlite(SQLITE_DONE), Error::None);
    for (int n : {2, 32, 33, 36, 40, 46, 47, 48, 52, 88, 89, 90})
        EXPECT_NE(storageErrorText(static_cast<Error>(n)),
                  storageErrorText(static_cast<Error>(12345)))
            << n;
}

class LineFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        path_ = (std::filesystem::temp_directory_path() / ("asimp_" + std::to_string(getpid())))
                    .string();
    }
    void TearDown() override { std::filesystem::remove(path_); }
    std::string path_;
};

TEST_F(LineFileTest, LinesArePaddedOrCutTo1024Bytes) {
    {
        std::ofstream out(path_, std::ios::binary);
        out << "short\r\n" << std::string(1500, 'x') << "\n\nlast";
    }
    LineFile f;
    ASSERT_EQ(f.open(path_), Error::None);
    ASSERT_EQ(f.next(), Error::None);
    EXPECT_EQ(f.rec.ImportText, "short" + std::string(1019, ' '));
    ASSERT_EQ(f.next(), Error::None);
    EXPECT_EQ(f.rec.ImportText, std::string(1024, 'x'));
    ASSERT_EQ(f.next(), Error::None);
    EXPECT_EQ(f.rec.ImportText, std::string(1024, ' '));
    ASSERT_EQ(f.next(), Error::None);
    EXPECT_EQ(f.rec.ImportText.substr(0, 5), "last ");
    EXPECT_EQ(f.next(), Error::NoRecord);
    EXPECT_EQ(f.linesRead(), 4);
}

TEST_F(LineFileTest, BytesReadCountLineEndsAndACarriageReturnAtTheCutIsStillALineEnd) {
    const std::string full(1024, 'y');
    {
        std::ofstream out(path_, std::ios::binary);
        out << full << "\r\n" << std::string(5000, 'z') << "\r\nend";
    }
    LineFile f;
    ASSERT_EQ(f.open(path_), Error::None);
    EXPECT_EQ(f.size(), 1026 + 5002 + 3);
    ASSERT_EQ(f.next(), Error::None);
    EXPECT_EQ(f.rec.ImportText, full);
    EXPECT_EQ(f.bytesRead(), 1026);
    ASSERT_EQ(f.next(), Error::None);
    EXPECT_EQ(f.rec.ImportText, std::string(1024, 'z'));
    EXPECT_EQ(f.bytesRead(), 1026 + 5002);
    ASSERT_EQ(f.next(), Error::None);
    EXPECT_EQ(f.rec.ImportText.substr(0, 4), "end ");
    EXPECT_EQ(f.bytesRead(), f.size());
    EXPECT_EQ(f.next(), Error::NoRecord);
}

TEST_F(LineFileTest, OnlyPlainFilesAreRead) {
    ASSERT_EQ(::mkfifo(path_.c_str(), 0600), 0);
    LineFile f;
    EXPECT_EQ(f.open(path_), Error::Driver);  // a named pipe without a writer does not block
    EXPECT_EQ(f.open(std::filesystem::temp_directory_path().string()), Error::Driver);
}

TEST_F(LineFileTest, MissingFileIsNotFound) {
    LineFile f;
    EXPECT_EQ(f.open(path_ + ".none"), Error::FileNotFound);
    EXPECT_EQ(f.next(), Error::Driver);
}
