// bankrec-cli rec import, run as the real program: each kind of list marks the bank's checks and
// prints its counts (or reports them as JSON), options not given come from the stored settings, a
// relative file is where the command was started, and every error comes with its exit code and
// nothing on standard output.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <fstream>
#include <string>

#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/storage.h"
#include "testsupport/program_run.h"
#include "testsupport/sandbox.h"

using namespace corelib;
using namespace storage;

namespace {

using CliResult = testsupport::ProgramRun;

class CliRecImport : public ::testing::Test {
  protected:
    void SetUp() override {
        storage.nameFiles(sandbox.path(), 3);
        storage.setFileName(FileId::APbnu, sandbox.file("APbnu"));
        FileSession s(storage);
        FileUse files(s, {FileId::APbnk, FileId::APbac, FileId::SYcfg});
        ASSERT_EQ(files.error(), Error::None);
        auto& bnk = s.file<APbnk>();
        bnk.rec.Bank = "First Bank";
        ASSERT_EQ(addNumbered(s, FileId::APbnk), Error::None);
        const struct {
            const char* ref;
            int64_t cents;
        } checks[] = {{"0001234", 12500}, {"1234", 12500}, {"1235", 128640}, {"77", 1000}};
        for (const auto& c : checks) {
            auto& bac = s.file<APbac>();
            bac.clear();
            bac.rec.BankID = 1;
            bac.rec.ActivityType = "Check";
            bac.rec.Reference = c.ref;
            bac.rec.PaymentOrDebit = Decimal::fromCents(c.cents);
            ASSERT_EQ(addNumbered(s, FileId::APbac), Error::None);
        }
        // The wizard's stored layout: the check number in field 2 of a comma-separated line.
        auto& cfg = s.file<SYcfg>();
        cfg.clear();
        cfg.rec.Name = "ChkCheckCCol";
        cfg.rec.Value = "2";
        ASSERT_EQ(addNumbered(s, FileId::SYcfg), Error::None);
        cfg.clear();
        cfg.rec.Name = "ChkAmountCCol";
        cfg.rec.Value = "3";
        ASSERT_EQ(addNumbered(s, FileId::SYcfg), Error::None);
    }

    // Runs the program, started in `folder` (the sandbox when empty).
    CliResult cli(const QStringList& args, const std::string& folder = {}) {
        QStringList all{"Division=3", "DataPath=" + QString::fromStdString(sandbox.path())};
        all += args;
        return testsupport::runProgram(
            BANKREC_CLI_EXE, all, QString::fromStdString(folder.empty() ? sandbox.path() : folder));
    }
    QString write(const std::string& name, const std::string& content) {
        std::ofstream(sandbox.file(name), std::ios::binary) << content;
        return QString::fromStdString(sandbox.file(name));
    }
    std::vector<std::string> marked() {
        FileSession s(storage);
        std::vector<std::string> out;
        auto& f = s.file<APbac>();
        EXPECT_EQ(f.setStart(APBAC_KEY_ACTIVITYID), Error::None);
        while (f.next() == Error::None)
            if (f.rec.Marked) out.push_back(f.rec.Reference);
        return out;
    }

    testsupport::Sandbox sandbox;
    Storage storage;
};

}  // namespace

TEST_F(CliRecImport, TextListsMarkTheirChecksWithTheStoredLayoutUnlessToldOtherwise) {
    // The stored layout (check in field 2, amount in 3).
    CliResult r = cli({"rec", "import", "First Bank", "--comma",
                       write("a.csv", "x,1234,125.00\nx,77,9.99\nx,,\n")});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "First Bank: 3 lines read, 1 marked, 0 already marked, 1 not matched, 0 ambiguous, 1 "
              "skipped\n"
              "Not matched, line 2 (check 77 of 9.99): x,77,9.99\n");
    EXPECT_EQ(marked(), (std::vector<std::string>{"1234"}));

    // Positions on the command line, amounts left out: the fixed line's zeros are dropped. The
    // file is named from where the command was started, not from the data folder.
    write("b.txt", "xx0000077\nxx0001234\n");
    r = cli(
        {"rec", "import", "1", "--fixed", "../b.txt", "--check", "3-9", "--no-amount", "--json"},
        sandbox.folder("elsewhere"));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    QJsonParseError e;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(r.out), &e);
    ASSERT_EQ(e.error, QJsonParseError::NoError) << r.out;
    EXPECT_EQ(doc.object(), (QJsonObject{{"bankId", 1},
                                         {"bank", "First Bank"},
                                         {"file", QString::fromStdString(sandbox.file("b.txt"))},
                                         {"linesRead", 2},
                                         {"marked", 1},
                                         {"alreadyMarked", 1},
                                         {"notMatched", 0},
                                         {"ambiguous", 0},
                                         {"skipped", 0},
                                         {"exceptions", QJsonArray()}}));
    EXPECT_EQ(marked(), (std::vector<std::string>{"1234", "77"}));
}

TEST_F(CliRecImport, AWorkbookSheetKeepsItsCheckNumbersAsTheyStand) {
    const QString book = BANKREC_IMPORT_TEST_DATA "/cleared.xlsx";
    CliResult r = cli({"rec", "import", "First Bank", "--sheet", book + ":Cleared", "--check", "1",
                       "--amount", "2", "--first-row", "2", "--last-row", "3"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "First Bank: 2 lines read, 2 marked, 0 already marked, 0 not matched, 0 ambiguous, 0 "
              "skipped\n");
    EXPECT_EQ(marked(), (std::vector<std::string>{"0001234", "1235"}));

    r = cli({"rec", "import", "First Bank", "--sheet", book + ":Third"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("the workbook has no sheet \"Third\" (it has [cleared.xlsx]Cleared "
                         "[cleared.xlsx]Second)"),
              std::string::npos)
        << r.err;
}

TEST_F(CliRecImport, ErrorsSayWhatIsWrongWithTheirExitCode) {
    struct Case {
        QStringList args;
        int code;
        std::string says;
    } cases[] = {
        {{"--fixed", "a.txt", "--comma", "b.csv"},
         2,
         "give one of --fixed, --comma, --sheet, --bai2 or --ofx"},
        {{"--comma", "a.csv", "--check", "2-3"}, 2, "--check must be a field number"},
        {{"--fixed", "a.txt", "--first-row", "2"},
         2,
         "--first-row and --last-row belong to --sheet"},
        {{"--fixed", "a.txt", "--check", "9-3"}, 2, "--check must be positions A-B or N"},
        {{"--sheet", "a.ods", "--cleared", "0"}, 2, "--cleared must be a column number"},
        {{"--comma", "a.csv", "--amount", "3", "--no-amount"},
         2,
         "--amount and --no-amount contradict"},
        {{"--comma", "a.csv", "--frobnicate"}, 2, "unknown option --frobnicate"},
        {{"--comma"}, 2, "--comma needs FILE"},
        {{"--sheet", "a.ods", "--first-row", "0"}, 2, "--first-row takes a whole number from 1"},
        {{"--ofx", "s.ofx", "--check", "1"}, 2, "--check is not for a bank file"},
        {{"--bai2", "s.bai", "--assume-decimal"}, 2, "--assume-decimal is not for a bank file"},
        {{"--comma", "a.csv", "--account", "1"}, 2, "--account belongs to --bai2 and --ofx"},
        {{"--sheet", "a.ods", "--no-deposits"}, 2, "--no-deposits belongs to --bai2 and --ofx"},
        {{"--ofx", "s.ofx", "--date-format", "YYMMDD"}, 2, "--date-format belongs to --fixed"},
        {{"--bai2", "s.bai", "--deposit-days", "3", "--no-deposits"},
         2,
         "--deposit-days and --no-deposits contradict"},
        {{"--fixed", "a.txt", "--date-format", "DDMMYY"},
         2,
         "--date-format takes one of YYYYMMDD|YYMMDD|MMDDYYYY|MMDDYY|standard"},
        {{"--bai2", "s.bai", "--deposit-days", "367"},
         2,
         "--deposit-days takes a whole number from 0 to 366"},
        {{"--bai2", "s.bai", "--account", "0"}, 2, "--account takes a whole number from 1"},
        {{"--comma", QString::fromStdString(sandbox.file("none.csv"))}, 1, "could not be opened"},
        {{"--bai2", QString::fromStdString(sandbox.file("none.bai"))}, 1, "could not be opened"},
        {{"--sheet", QString::fromStdString(sandbox.file("none.ods"))},
         1,
         "nothing was marked from " + sandbox.file("none.ods")},
    };
    for (const Case& c : cases) {
        const CliResult r = cli(QStringList{"rec", "import", "First Bank"} + c.args);
        EXPECT_EQ(r.exitCode, c.code) << c.says << "\n" << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
    const CliResult r = cli({"rec", "import", "Nobody", "--comma", write("a.csv", "1,1\n")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "bankrec-cli rec import: no bank \"Nobody\"\n");
    EXPECT_TRUE(marked().empty());
}

TEST_F(CliRecImport, BankFilesAskForTheirAccountAndListWhatDidNotMatch) {
    std::ifstream in(BANKREC_IMPORT_TEST_DATA "/two_accounts.bai", std::ios::binary);
    const std::string bai2((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const QString file = write("prevday.bai", bai2);
    // Several accounts and none chosen, or one the file does not have: wrong usage, the
    // accounts listed, nothing marked.
    for (const QStringList& account : {QStringList{}, QStringList{"--account", "3"}}) {
        const CliResult r =
            cli(QStringList{"rec", "import", "First Bank", "--bai2", file} + account);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("bankrec-cli rec import: the file holds 2 accounts; " +
                             std::string(account.isEmpty() ? "give --account N"
                                                           : "--account 3 is none of them") +
                             ":\n  1. 1111111 (USD, 3 items)\n  2. 2222222 (USD, 1 item)\n"),
                  std::string::npos)
            << r.err;
    }
    EXPECT_TRUE(marked().empty());

    CliResult r = cli({"rec", "import", "First Bank", "--bai2", file, "--account", "1"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "First Bank: 3 lines read, 1 marked, 0 already marked, 2 not matched, 0 ambiguous, "
              "0 skipped\n"
              "Not matched, line 5 (check 1235 of 40.00): 16,475,4000,0,BR2,1235,check text\n"
              "Not matched, line 7 (no deposit of 500.00 from 01/10/2024 to 01/15/2024): "
              "16,175,50000,,BR3,,DEPOSIT/\n");
    EXPECT_EQ(marked(), (std::vector<std::string>{"1234"}));

    // The second account by number, checks without their amounts, credits left alone; JSON
    // lists the lines as the text does.
    r = cli({"rec", "import", "First Bank", "--bai2", file, "--account", "2", "--no-amount",
             "--no-deposits", "--json"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    QJsonParseError e;
    const QJsonObject doc = QJsonDocument::fromJson(QByteArray::fromStdString(r.out), &e).object();
    ASSERT_EQ(e.error, QJsonParseError::NoError) << r.out;
    EXPECT_EQ(doc["marked"].toInt(), 1);
    EXPECT_EQ(doc["ambiguous"].toInt(), 0);
    EXPECT_EQ(doc["exceptions"].toArray(), QJsonArray());
    EXPECT_EQ(marked(), (std::vector<std::string>{"1234", "77"}));

    // A paid-items line with its date format.
    r = cli({"rec", "import", "1", "--fixed", write("p.txt", "0001235000012864020240115\n"),
             "--check", "1-7", "--amount", "8-17", "--cleared", "18-25", "--assume-decimal",
             "--date-format", "yyyymmdd"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "First Bank: 1 line read, 1 marked, 0 already marked, 0 not matched, 0 ambiguous, 0 "
              "skipped\n");
    EXPECT_EQ(marked(), (std::vector<std::string>{"1234", "1235", "77"}));
}
