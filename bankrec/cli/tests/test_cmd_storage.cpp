// bankrec-cli check and dump, run as the real program on fresh and damaged data folders.
#include <gtest/gtest.h>

#include <QStringList>
#include <filesystem>
#include <fstream>
#include <string>

#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/storage.h"
#include "corelib/message_script.h"
#include "testsupport/program_run.h"
#include "testsupport/sandbox.h"

using namespace corelib;
using namespace storage;

namespace {

using CliRun = testsupport::ProgramRun;

class CliStorage : public ::testing::Test {
  protected:
    std::string folder() const { return sandbox.path(); }
    std::string file(const std::string& name) const { return sandbox.file(name); }

    CliRun cli(const QStringList& args) {
        QStringList all{"Division=3", "DataPath=" + QString::fromStdString(folder())};
        all += args;
        return testsupport::runProgram(BANKREC_CLI_EXE, all);
    }

    // Adds records to the folder's files through the storage layer, then lets go of them.
    template <Record R>
    void addRecords(std::initializer_list<R> records) {
        Storage storage;
        storage.nameFiles(folder(), 3);
        storage.setFileName(FileId::APbnu, folder() + "/APbnu");
        FileSession session(storage);
        ASSERT_EQ(openFile(session, R::kFile), Error::None);
        for (const R& r : records) {
            session.file<R>().rec = r;
            ASSERT_EQ(addNumbered(session, R::kFile), Error::None);
        }
        closeFile(session, R::kFile);
    }

    testsupport::Sandbox sandbox;
};

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST_F(CliStorage, CheckOnAFreshFolderCreatesAndListsEveryFile) {
    const CliRun r = cli({"check"});
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "APbnk\t" + file("03APbnk.db") + "\tversion 5\t0 records\n" + "APbnu\t" +
                         file("APbnu.db") + "\tversion 0\t0 records\n" + "APbac\t" +
                         file("03APbac.db") + "\tversion 6\t0 records\n" + "APbda\t" +
                         file("03APbda.db") + "\tversion 0\t0 records\n" + "APrec\t" +
                         file("03APrec.db") + "\tversion 1\t0 records\n" + "APrac\t" +
                         file("03APrac.db") + "\tversion 0\t0 records\n" + "SYcfg\t" +
                         file("03SYcfg.db") + "\tversion 0\t0 records\n");
    for (const char* name : {"03APbnk.db", "APbnu.db", "03APbac.db", "03SYcfg.db"})
        EXPECT_TRUE(std::filesystem::exists(file(name))) << name;
}

TEST_F(CliStorage, CheckOnACorruptedFolderReportsTheDamagedFilesAndExitsNonZero) {
    ASSERT_EQ(cli({"check"}).exitCode, 0);
    const std::string garbage(5000, '\x5a');
    writeBytes(file("03APbac.db"), garbage);
    writeBytes(file("03APrec.db"), "not a database");
    std::filesystem::remove(file("03APbda.db"));

    const CliRun r = cli({"check"});
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(
        r.err.find("APbac\t" + file("03APbac.db") + "\tcannot be opened: Invalid Data File (36)"),
        std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("APrec\t" + file("03APrec.db")), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("APbda\t" + file("03APbda.db") + "\tversion 0\t0 records"),
              std::string::npos);  // a missing file is still created
    EXPECT_NE(r.out.find("SYcfg\t"), std::string::npos);
    std::ifstream in(file("03APbac.db"), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), garbage);
}

TEST_F(CliStorage, DumpWritesCsvInKeyOrderWithQuotingMoneyAndDayNumbers) {
    APbnk zeta;
    zeta.Bank = "Zeta, Inc.";
    zeta.FIAID = 30;
    APbnk best;
    best.Bank = "The \"Best\" Bank";
    best.FIAID = 20;
    APbnk alpha;
    alpha.Bank = "alpha";
    addRecords<APbnk>({zeta, best, alpha});
    APbac check;
    check.BankID = 1;
    check.ActivityType = "Check";
    check.ActivityDate = 80000;
    check.Amount = Decimal::fromCents(-1250);
    check.PaymentOrDebit = Decimal::fromCents(1250);
    addRecords<APbac>({check});

    CliRun r = cli({"dump", "APbnk"});
    ASSERT_TRUE(r.finished);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string header =
        "BankID,ChangeID,ChangeDate,ChangeTime,FIAID,Bank,ServiceChargePost,ServiceChargeJournal,"
        "ServiceChargeAccount,InterestEarnedPost,InterestEarnedJournal,InterestEarnedAccount,"
        "APBank,PRBank\n";
    ASSERT_EQ(r.out.substr(0, header.size()), header);
    std::vector<std::string> lines;
    for (size_t at = header.size(); at < r.out.size();) {
        size_t end = r.out.find('\n', at);
        lines.push_back(r.out.substr(at, end - at));
        at = end + 1;
    }
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].substr(0, 2), "1,");
    EXPECT_NE(lines[0].find(",30,\"Zeta, Inc.\",0,,,0,,,,"), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find(",20,\"The \"\"Best\"\" Bank\","), std::string::npos) << lines[1];
    EXPECT_NE(lines[2].find(",0,alpha,"), std::string::npos) << lines[2];

    r = cli({"dump", "apbnk", "--key", "KEY_BANK"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const size_t a = r.out.find("alpha"), t = r.out.find("The"), z = r.out.find("Zeta");
    EXPECT_TRUE(a < t && t < z) << r.out;

    r = cli({"dump", "APbac", "--key", "APBAC:KEY_BANKID"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find(",1,0,80000,Check,0,,,,,0,0,12.50,0.00,0.00,0.00,0.00,-12.50,0.00\n"),
              std::string::npos)
        << r.out;
}

TEST_F(CliStorage, DumpRefusesBadArgumentsAndUnreadableFilesWithoutCreatingAnything) {
    struct Case {
        QStringList args;
        int exitCode;
        const char* message;
    } cases[] = {
        {{"dump"}, 2, "usage"},
        {{"dump", "APxyz"}, 2, "no record file named \"APxyz\""},
        {{"dump", "APbnk", "--key"}, 2, "--key needs KEY"},
        {{"dump", "APbnk", "--key", "KEY_NOPE"}, 2, "APbnk has no key \"KEY_NOPE\""},
        {{"dump", "APbnk", "extra"}, 2, "unexpected argument \"extra\""},
        {{"dump", "APbnk"}, 1, "File Not Found (2)"},
        {{"check", "now"}, 2, "unexpected argument \"now\""},
    };
    for (const Case& c : cases) {
        const CliRun r = cli(c.args);
        ASSERT_TRUE(r.finished) << c.args.join(' ').toStdString();
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args.join(' ').toStdString();
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(file("03APbnk.db")));

    writeBytes(file("03APrac.db"), std::string(3000, '\x01'));
    const CliRun r = cli({"dump", "APrac"});
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("cannot open " + file("03APrac.db") + ": Invalid Data File (36)"),
              std::string::npos)
        << r.err;
}

}  // namespace
