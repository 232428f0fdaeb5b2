// bankrec-cli report register, run as the real program: the PDF it writes and how it refuses
// what it cannot do.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <string>

#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/storage.h"
#include "corelib/daytime.h"
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

    struct Run {
        int exitCode = -1;
        std::string out;
        std::string err;
    };
    // Runs the command from the folder "work" beside the data.
    Run report(const QStringList& args) {
        QProcess p;
        p.setWorkingDirectory(path("work"));
        p.start(BANKREC_CLI_EXE,
                QStringList{"Division=3", "DataPath=" + path(), "report", "register"} + args);
        Run r;
        if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit) return r;
        r.exitCode = p.exitCode();
        r.out = p.readAllStandardOutput().toStdString();
        r.err = p.readAllStandardError().toStdString();
        return r;
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
        {{"--from", "2026-03-01", "--pdf", "x.pdf"}, 2, "--from and --to"},
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

}  // namespace
