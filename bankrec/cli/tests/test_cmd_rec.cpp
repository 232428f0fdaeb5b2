// bankrec-cli rec, run as the real program on a fresh data folder and (Store=) on a fresh
// database of the PostgreSQL test server: a statement opened, marked, shown, listed, viewed and
// deleted, and every error one line with its exit code.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <map>
#include <string>
#include <utility>

#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/storage.h"
#include "corelib/daytime.h"
#include "test_store.h"
#include "testsupport/program_run.h"
#include "testsupport/sandbox.h"

using namespace corelib;
using namespace storage;

namespace {

using CliResult = testsupport::ProgramRun;

class CliRec : public ::testing::TestWithParam<Backend> {
  protected:
    void SetUp() override {
        Storage storage;
        std::string skip;
        if (!store.configure(storage, GetParam(), sandbox.path(), skip)) GTEST_SKIP() << skip;
        FileSession s(storage);
        FileUse files(s, {FileId::APbnk, FileId::APbac, FileId::APrec, FileId::APrac});
        ASSERT_EQ(files.error(), Error::None);
        auto add = [&s](FileId file) { ASSERT_EQ(addNumbered(s, file), Error::None); };
        auto& bnk = s.file<APbnk>();
        bnk.rec.Bank = "First Bank";
        bnk.rec.FIAID = 1;
        bnk.rec.ServiceChargePost = 1;
        add(FileId::APbnk);
        auto& bac = s.file<APbac>();
        const struct {
            const char* type;
            const char* ref;
            int64_t cents;
        } rows[] = {{"Check", "1001", 2500},
                    {"Check", "1002", 4000},
                    {"Deposit", "", 9000},
                    {"Check", "900", 700}};
        for (const auto& r : rows) {
            bac.clear();
            bac.rec.BankID = 1;
            bac.rec.ActivityType = r.type;
            bac.rec.Reference = r.ref;
            bac.rec.ActivityDate = daytime::dayNumber(2026, 3, 5);
            (r.type[0] == 'C' ? bac.rec.PaymentOrDebit : bac.rec.DepositOrCredit) =
                Decimal::fromCents(r.cents);
            bac.rec.Amount = Decimal::fromCents(r.type[0] == 'C' ? -r.cents : r.cents);
            bac.rec.Reconciled = bac.rec.Marked = std::string(r.ref) == "900";
            add(FileId::APbac);
        }
        // An earlier statement, done, that captured an item cleared and one outstanding.
        auto& rec = s.file<APrec>();
        rec.clear();
        rec.rec.BankID = 1;
        rec.rec.Done = 1;
        rec.rec.EndingDate = daytime::dayNumber(2026, 2, 28);
        rec.rec.EndingBalance = Decimal::fromCents(50000);
        rec.rec.ServiceCharge = Decimal::fromCents(1250);
        rec.rec.ServiceChargeBatch = 42;
        add(FileId::APrec);
        auto& rac = s.file<APrac>();
        for (uint8_t marked : {1, 0}) {
            rac.clear();
            rac.rec.ReconciliationID = 1;
            rac.rec.ActivityType = "Check";
            rac.rec.Reference = marked ? "900" : "901";
            rac.rec.ActivityID = marked ? 4 : 0;
            rac.rec.Marked = marked;
            rac.rec.Amount = Decimal::fromCents(700);
            add(FileId::APrac);
        }
    }

    CliResult cli(const QStringList& args) {
        QStringList all{"Division=3", "DataPath=" + QString::fromStdString(sandbox.path())};
        if (GetParam() == Backend::Postgres)
            all << "Store=" + QString::fromStdString(envOr("BANKREC_TEST_PG_SERVER") + "/" +
                                                     store.database())
                << "UserID=" + QString::fromStdString(envOr("BANKREC_TEST_PG_USER"))
                << "Password=" + QString::fromStdString(envOr("BANKREC_TEST_PG_PASSWORD"));
        all += args;
        return testsupport::runProgram(BANKREC_CLI_EXE, all);
    }
    static bool has(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }

    testsupport::Sandbox sandbox;
    TestStore store;
};

TEST_P(CliRec, OpenMarkShowAndListAStatement) {
    CliResult r = cli({"rec", "show", "First Bank"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(has(r.err, "no open reconciliation")) << r.err;
    EXPECT_EQ(r.out, "");

    r = cli(
        {"rec", "open", "First Bank", "--ending-balance", "435.00", "--service-charge", "12.50"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(has(r.out, "Reconciliation 2\tFirst Bank\topen\n")) << r.out;
    // The opening figures and dates follow the February statement.
    EXPECT_TRUE(has(r.out, "Closing Balance from Previous Statement\t2026-02-28\t500.00\n"));
    EXPECT_TRUE(has(r.out, "Service Charge\t2026-03-31\t12.50\n"));
    EXPECT_TRUE(has(r.out, "Difference\t52.50\n")) << r.out;

    r = cli({"rec", "mark", "1", "1001", "--deposit", "3"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(has(r.out, "Deposits and Other Additions\t1\t90.00\n"));
    EXPECT_TRUE(has(r.out, "Checks and Other Withdrawals\t1\t25.00\n"));
    EXPECT_TRUE(has(r.out, "Difference\t117.50\n")) << r.out;

    r = cli({"rec", "unmark", "First Bank", "1001"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = cli({"rec", "range", "First Bank", "1001", "1002"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(has(r.out, "2 check(s) marked for a total of 65.00\n")) << r.out;
    EXPECT_TRUE(has(r.out, "Difference\t77.50\n")) << r.out;

    r = cli({"rec", "show", "First Bank"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(has(r.out, "c\t3\t2026-03-05\t\t90.00\n")) << r.out;
    EXPECT_TRUE(has(r.out, "c\t1\t2026-03-05\t1001\t\t\t25.00\n")) << r.out;

    r = cli({"rec", "list", "First Bank"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(has(r.out, "1\tR\t2026-02-28\t0.00\t0.00\t0.00\t12.50\t0.00\t500.00\n")) << r.out;
    EXPECT_TRUE(has(r.out, "2\t\t2026-03-31\t500.00\t90.00\t65.00\t12.50\t0.00\t435.00\n"))
        << r.out;
}

TEST_P(CliRec, ViewShowsWhatADoneStatementCaptured) {
    CliResult r = cli({"rec", "view", "1"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(has(r.out, "Service Charge (42T)...\t42\n")) << r.out;
    EXPECT_TRUE(has(r.out, "R\t\t900\t\t\t7.00\n")) << r.out;
    EXPECT_TRUE(has(r.out, "\n\t\t901\t\t\t7.00\n")) << r.out;

    ASSERT_EQ(cli({"rec", "open", "1"}).exitCode, 0);
    r = cli({"rec", "view", "2"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(has(r.err, "is open")) << r.err;
}

TEST_P(CliRec, ErrorsAreOneLineWithTheirExitCode) {
    struct Case {
        QStringList args;
        int exitCode;
        const char* message;
    };
    const Case cases[] = {
        {{"rec", "list", "No Such Bank"}, 1, "no bank \"No Such Bank\""},
        {{"rec", "open", "1", "--ending-date", "31/03/2026"}, 2, "takes a date YYYY-MM-DD"},
        {{"rec", "open", "1", "--ending-balance", "lots"}, 2, "takes an amount"},
        {{"rec", "open", "1", "--colour", "red"}, 2, "unknown option"},
        {{"rec", "view", "77"}, 1, "no reconciliation 77"},
        {{"rec", "sort", "1"}, 2, "unknown sub-command \"sort\""},
    };
    for (const Case& c : cases) {
        const CliResult r = cli(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args.join(' ').toStdString() << "\n" << r.err;
        EXPECT_TRUE(has(r.err, c.message)) << r.err;
        EXPECT_EQ(r.out, "");
    }
    // Nothing was added by the refused openings.
    EXPECT_EQ(cli({"rec", "show", "1"}).exitCode, 1);

    ASSERT_EQ(cli({"rec", "open", "1"}).exitCode, 0);
    CliResult r = cli({"rec", "range", "1", "200", "100"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(has(r.err, "An invalid range has been entered!")) << r.err;
    r = cli({"rec", "mark", "1", "5555"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(has(r.err, "no unreconciled check numbered \"5555\"")) << r.err;
}

TEST_P(CliRec, DeleteAsksAndNeedsYes) {
    CliResult r = cli({"rec", "delete", "1"});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_TRUE(has(r.err, "stopped at the question")) << r.err;
    EXPECT_EQ(cli({"rec", "view", "1"}).exitCode, 0);

    r = cli({"rec", "delete", "1", "--yes"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "reconciliation 1 deleted\n");
    EXPECT_EQ(cli({"rec", "view", "1"}).exitCode, 1);
}

// check sees the division where it is kept (the store's address, never its password) and counts
// what the fixture wrote there.
TEST_P(CliRec, CheckListsTheFilesWhereTheyAreKept) {
    const CliResult r = cli({"check", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(r.out));
    ASSERT_TRUE(doc.isObject()) << r.out;
    std::map<std::string, std::pair<qint64, std::string>> files;
    for (const QJsonValue& f : doc.object()["files"].toArray())
        files[f["file"].toString().toStdString()] = {f["records"].toInteger(-1),
                                                     f["path"].toString().toStdString()};
    EXPECT_EQ(files["APbnk"].first, 1);
    EXPECT_EQ(files["APbac"].first, 4);
    EXPECT_EQ(files["APrac"].first, 2);
    const bool onStore = GetParam() == Backend::Postgres;
    EXPECT_EQ(files["APbac"].second.rfind(onStore ? "postgresql://" : sandbox.path(), 0), 0u)
        << files["APbac"].second;
    if (onStore) {
        EXPECT_EQ((r.out + r.err).find(envOr("BANKREC_TEST_PG_PASSWORD")), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, CliRec, BANKREC_ENGINES);

}  // namespace
