// bankrec-cli report register and report rec, run as the real program: the PDF they write and
// how they refuse what they cannot do.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <string>

#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/storage.h"
#include "corelib/daytime.h"
#include "testsupport/program_run.h"
#include "testsupport/sandbox.h"

using namespace corelib;
using namespace storage;

namespace {

class CliReport : public ::testing::Test {
  protected:
    CliReport() {
        sandbox.folder("work");
        Storage storage;
        storage.nameFiles(sandbox.path(), 3);
        storage.setFileName(FileId::APbnu, sandbox.file("APbnu"));
        FileSession session(storage);
        FileUse files(session, {FileId::APbnk, FileId::APbac});
        EXPECT_EQ(files.error(), Error::None);
        for (const char* name : {"Operating", "Payroll"}) {
            session.file<APbnk>().clear();
            session.file<APbnk>().rec.Bank = name;
            EXPECT_EQ(addNumbered(session, FileId::APbnk), Error::None);
            const int32_t bank = session.file<APbnk>().rec.BankID;
            for (int i = 0; i < 3; ++i) {
                APbac& a = session.file<APbac>().rec;
                a = APbac{};
                a.BankID = bank;
                a.ActivityType = i == 2 ? "Deposit" : "Check";
                a.Reference = std::string(name).substr(0, 3) + std::to_string(i);
                a.ActivityDate = daytime::dayNumber(2026, 3, 10 + i);
                a.PaymentOrDebit = Decimal::fromUnits(i == 2 ? 0 : 10 + i);
                a.DepositOrCredit = Decimal::fromUnits(i == 2 ? 99 : 0);
                EXPECT_EQ(addNumbered(session, FileId::APbac), Error::None);
            }
        }
    }

    // Reconciliation 1 of Operating, done, captured Ope0 (cleared), Ope1 (outstanding) and Ope2
    // (cleared); reconciliation 2 of Payroll, open, with Pay0 marked; 3 of Payroll, done,
    // without a captured item.
    void addReconciliations() {
        Storage storage;
        storage.nameFiles(sandbox.path(), 3);
        storage.setFileName(FileId::APbnu, sandbox.file("APbnu"));
        FileSession session(storage);
        FileUse files(session, {FileId::APbnk, FileId::APbac, FileId::APrec, FileId::APrac});
        ASSERT_EQ(files.error(), Error::None);
        for (const auto& [bank, done] : {std::pair{1, true}, {2, false}, {2, true}}) {
            APrec& r = session.file<APrec>().rec;
            r = APrec{};
            r.BankID = bank;
            r.Done = done;
            r.EndingDate = daytime::dayNumber(2026, 3, 31);
            r.EndingBalance = Decimal::fromUnits(bank == 1 ? 89 : 500);
            ASSERT_EQ(addNumbered(session, FileId::APrec), Error::None);
        }
        for (int i = 0; i < 3; ++i) {
            APrac& a = session.file<APrac>().rec;
            a = APrac{};
            a.ReconciliationID = 1;
            a.ActivityType = i == 2 ? "Deposit" : "Check";
            a.Reference = "Ope" + std::to_string(i);
            a.Description = a.Reference;
            a.ActivityDate = daytime::dayNumber(2026, 3, 10 + i);
            a.Marked = i != 1;
            a.Amount = Decimal::fromUnits(i == 2 ? 99 : 10 + i);
            ASSERT_EQ(addNumbered(session, FileId::APrac), Error::None);
        }
        RecordFile<APbac>& pay0 = session.file<APbac>();
        pay0.clear();
        pay0.rec.ActivityID = 4;
        ASSERT_EQ(pay0.get(APBAC_KEY_ACTIVITYID), Error::None);
        ASSERT_EQ(pay0.rec.Reference, "Pay0");
        pay0.rec.Marked = 1;
        ASSERT_EQ(pay0.put(), Error::None);
    }

    using Run = testsupport::ProgramRun;
    // Runs the command from the folder "work" beside the data.
    Run report(const QStringList& args, const QString& which = "register") {
        return testsupport::runProgram(
            BANKREC_CLI_EXE,
            QStringList{"Division=3", "DataPath=" + path(), "report", which} + args, path("work"));
    }
    static std::string pdfText(const QString& file) {
        QProcess p;
        p.start("pdftotext", {"-layout", file, "-"});
        p.waitForFinished(30000);
        return p.readAllStandardOutput().toStdString();
    }

    // The sandbox's folder, or a file in it.
    QString path(const std::string& name = {}) const {
        return QString::fromStdString(name.empty() ? sandbox.path() : sandbox.file(name));
    }

    testsupport::Sandbox sandbox;
};

TEST_F(CliReport, WritesThePdfWhereTheCommandWasStarted) {
    const Run r = report({"--bank", "operating", "--from", "2026-03-01", "--to", "2026-03-31",
                          "--include", "checks", "--pdf", "register.pdf"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const QString pdf = path("work/register.pdf");
    EXPECT_EQ(r.out, "report written to " + pdf.toStdString() + "\n");
    const std::string text = pdfText(pdf);
    for (const char* expected :
         {"Organization Name", "Operating", "Ope0", "Ope1", "Totals", "21.00"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << " in " << text;
    for (const char* absent : {"Ope2", "Pay0"})
        EXPECT_EQ(text.find(absent), std::string::npos) << absent;

    // Every bank, every kind of activity.
    const Run all = report({"--from", "2026-03-01", "--to", "2026-03-31", "--pdf", "all.pdf"});
    ASSERT_EQ(all.exitCode, 0) << all.err;
    const std::string allText = pdfText(path("work/all.pdf"));
    for (const char* expected : {"Ope2", "Pay0", "Pay2", "42.00", "198.00"})
        EXPECT_NE(allText.find(expected), std::string::npos) << expected;
}

TEST_F(CliReport, RefusesWhatItCannotDoAndWritesNothing) {
    struct Case {
        QStringList args;
        int exitCode;
        const char* message;
    };
    const Case cases[] = {
        {{"--from", "2026-03-01", "--pdf", "x.pdf"}, 2, "--to missing"},
        {{"--from", "03/01/2026", "--to", "2026-03-31", "--pdf", "x.pdf"}, 2, "YYYY-MM-DD"},
        {{"--from", "2026-02-30", "--to", "2026-03-31", "--pdf", "x.pdf"}, 2, "YYYY-MM-DD"},
        {{"--from", "2026-03-01", "--to", "2026-03-31"}, 2, "either --pdf"},
        {{"--from", "2026-03-01", "--to", "2026-03-31", "--pdf", "x.pdf", "--printer", "p"},
         2,
         "either --pdf"},
        {{"--from", "2026-03-01", "--to", "2026-03-31", "--include", "adjustments", "--pdf",
          "x.pdf"},
         2,
         "--include"},
        {{"--bank", "Savings", "--from", "2026-03-01", "--to", "2026-03-31", "--pdf", "x.pdf"},
         1,
         "no bank \"Savings\""},
        {{"--from", "2026-04-01", "--to", "2026-04-30", "--pdf", "x.pdf"}, 1, "nothing printed"},
    };
    for (const Case& c : cases) {
        const Run r = report(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args.join(' ').toStdString() << "\n" << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    EXPECT_FALSE(QFileInfo::exists(path("work/x.pdf")));
}

TEST_F(CliReport, RecPrintsACompletedReconciliationOrTheWorksheetOfAnOpenOne) {
    addReconciliations();
    const Run done = report({"1", "--pdf", "done.pdf"}, "rec");
    ASSERT_EQ(done.exitCode, 0) << done.err;
    EXPECT_EQ(done.out, "report written to " + path("work/done.pdf").toStdString() + "\n");
    const std::string doneText = pdfText(path("work/done.pdf"));
    for (const char* expected :
         {"Bank Reconciliation Report - Operating", "Checks and Other Withdrawls Totaling", "Ope0",
          "Ope2", "Total Deposits:", "Total Checks:", "10.00"})
        EXPECT_NE(doneText.find(expected), std::string::npos) << expected << " in " << doneText;
    for (const char* absent : {"Ope1", "Difference", "Total Unmarked Checks:"})
        EXPECT_EQ(doneText.find(absent), std::string::npos) << absent;

    // The outstanding check too, and no deposits.
    const Run all =
        report({"1", "--unmarked-checks", "--no-marked-deposits", "--pdf", "all.pdf"}, "rec");
    ASSERT_EQ(all.exitCode, 0) << all.err;
    const std::string allText = pdfText(path("work/all.pdf"));
    for (const char* expected : {"Ope0", "Ope1", "Total Unmarked Checks:", "11.00", "21.00"})
        EXPECT_NE(allText.find(expected), std::string::npos) << expected << " in " << allText;
    EXPECT_EQ(allText.find("Total Deposits:"), std::string::npos);

    // An open reconciliation prints its worksheet: the marked items and the difference.
    const Run open = report({"2", "--pdf", "open.pdf"}, "rec");
    ASSERT_EQ(open.exitCode, 0) << open.err;
    const std::string openText = pdfText(path("work/open.pdf"));
    for (const char* expected :
         {"Bank Reconciliation Report - Payroll", "Pay0", "Difference", "-500.00"})
        EXPECT_NE(openText.find(expected), std::string::npos) << expected << " in " << openText;
    EXPECT_EQ(openText.find("Pay1"), std::string::npos);
}

TEST_F(CliReport, RecRefusesWhatItCannotDoAndWritesNothing) {
    addReconciliations();
    struct Case {
        QStringList args;
        int exitCode;
        const char* message;
    };
    const Case cases[] = {
        {{"one", "--pdf", "x.pdf"}, 2, "ID must be a whole number"},
        {{"1"}, 2, "either --pdf"},
        {{"1", "--unmarked", "--pdf", "x.pdf"}, 2, "unknown option --unmarked"},
        {{"9", "--pdf", "x.pdf"}, 1, "no reconciliation 9"},
        {{"3", "--pdf", "x.pdf"}, 1, "reconciliation 3 has no activity; nothing printed"},
    };
    for (const Case& c : cases) {
        const Run r = report(c.args, "rec");
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args.join(' ').toStdString() << "\n" << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    EXPECT_FALSE(QFileInfo::exists(path("work/x.pdf")));
}

}  // namespace
