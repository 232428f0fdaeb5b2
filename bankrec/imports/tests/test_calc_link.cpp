// The link to a running LibreOffice Calc, against a real headless Calc with a workbook open:
// its sheets as topics, cells as Calc shows them, a whole import, a document closed meanwhile,
// Calc not running, and a helper that stops answering. Skipped (saying why) only where
// LibreOffice or python3-uno is not installed.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <filesystem>

#include "bankrec/imports/calc_link.h"
#include "bankrec/imports/excel_import.h"
#include "corelib/daytime.h"
#include "corelib/picture.h"
#include "imports_fixture.h"

using namespace corelib;
using namespace imports;

namespace {

const char* kSession = BANKREC_IMPORT_TEST_DATA "/calc_session.py";

// One headless Calc for the whole suite, listening on a pipe of its own, with cleared.ods open.
class HeadlessCalc {
  public:
    // Empty when Calc is running; otherwise why it is not.
    std::string start() {
        if (QStandardPaths::findExecutable("soffice").isEmpty())
            return "LibreOffice (soffice) is not installed";
        if (QProcess::execute("/usr/bin/python3", {"-c", "import uno"}) != 0)
            return "python3-uno is not installed";
        if (!profile_.isValid()) return "no temporary folder";
        pipe_ = "bankrec-test-" + QString::number(QCoreApplication::applicationPid());
        calc_.setProgram("soffice");
        calc_.setArguments({"--headless", "--invisible", "--norestore", "--nologo",
                            "-env:UserInstallation=" +
                                QUrl::fromLocalFile(profile_.path() + "/profile").toString(),
                            "--accept=pipe,name=" + pipe_ + ";urp;"});
        calc_.setProcessChannelMode(QProcess::MergedChannels);
        calc_.start();
        if (!calc_.waitForStarted(10000)) return "soffice did not start";
        document_ = profile_.path() + "/cleared.ods";
        QFile::copy(BANKREC_IMPORT_TEST_DATA "/cleared.ods", document_);
        const std::string error = session({"open", document_});
        return error.empty() ? "" : "Calc did not open the workbook: " + error;
    }
    void stop() {
        if (calc_.state() == QProcess::NotRunning) return;
        (void)session({"quit"});
        if (!calc_.waitForFinished(15000)) {
            calc_.kill();
            calc_.waitForFinished(5000);
        }
    }
    // Runs calc_session.py with the pipe and `args`; "" when it succeeded, else its output.
    std::string session(const QStringList& args) {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start("/usr/bin/python3", QStringList{kSession, pipe_} + args);
        if (!p.waitForFinished(90000)) {
            p.kill();
            return "calc_session.py did not finish";
        }
        return p.exitCode() == 0 ? ""
                                 : p.readAll().toStdString() + " (exit code " +
                                       std::to_string(p.exitCode()) + ")";
    }
    std::string accept() const { return "pipe,name=" + pipe_.toStdString(); }

  private:
    QTemporaryDir profile_;
    QString pipe_;
    QString document_;
    QProcess calc_;
};

class CalcLinkTest : public ImportTest {
  protected:
    static void SetUpTestSuite() {
        calc_ = new HeadlessCalc;
        skipReason_ = calc_->start();
    }
    static void TearDownTestSuite() {
        calc_->stop();
        delete calc_;
        calc_ = nullptr;
    }
    void SetUp() override {
        if (!skipReason_.empty()) GTEST_SKIP() << "Calc test skipped: " << skipReason_;
    }

    static HeadlessCalc* calc_;
    static std::string skipReason_;
};

HeadlessCalc* CalcLinkTest::calc_ = nullptr;
std::string CalcLinkTest::skipReason_;

std::string shortDate(int y, int m, int d) {
    return picture::formatDate("@d17", daytime::dayNumber(y, m, d));
}

}  // namespace

TEST_F(CalcLinkTest, OpenSheetsAreTopicsAndCellsReadAsCalcShowsThem) {
    CalcLink link(calc_->accept());
    ASSERT_TRUE(link.connect()) << link.error();
    std::vector<std::string> topics;
    ASSERT_TRUE(link.topics(topics)) << link.error();
    EXPECT_EQ(topics, (std::vector<std::string>{"[cleared.ods]Cleared", "[cleared.ods]Second"}));
    ASSERT_TRUE(link.openTopic("[cleared.ods]Cleared")) << link.error();
    std::vector<std::string> cells;
    ASSERT_TRUE(link.readCells(2, {1, 2, 3}, cells)) << link.error();
    EXPECT_EQ(cells, (std::vector<std::string>{"0001234", "125.00", "01/15/2024"}));
    ASSERT_TRUE(link.readCells(3, {1, 2, 3}, cells)) << link.error();
    EXPECT_EQ(cells, (std::vector<std::string>{"1235", "1,286.40", "01/16/2024"}));
    EXPECT_FALSE(link.readCells(0, {1}, cells));
    EXPECT_EQ(link.error(), "R0C1 is outside the sheet");
    EXPECT_FALSE(link.openTopic("[cleared.ods]Nowhere"));
    link.close();
}

TEST_F(CalcLinkTest, TheOpenSpreadsheetImportsIntoTheBanksChecks) {
    const int32_t zeros = addCheck("0001234", 12500);
    const int32_t plain = addCheck("1234", 12500);
    const int32_t big = addCheck("1235", 128640);
    messages->answer(msg::OK);
    CalcLink link(calc_->accept());
    const ImportResult r = runExcelImport(*session, link, {2, 3, 1, 2, 3}, {true, false, true});
    EXPECT_EQ(r.end, ImportEnd::Completed) << (messages->last() ? messages->last()->text : "");
    EXPECT_EQ(marked(), (std::vector<int32_t>{zeros, big}));
    EXPECT_FALSE(row(plain).Marked);
    EXPECT_EQ(picture::formatDate("@d17", row(big).ClearDate), shortDate(2024, 1, 16));
}

TEST_F(CalcLinkTest, ADocumentClosedBeforeItIsOpenedIsReported) {
    const std::string copy = sandbox.file("second.ods");
    std::filesystem::copy_file(BANKREC_IMPORT_TEST_DATA "/cleared.ods", copy);
    ASSERT_EQ(calc_->session({"open", QString::fromStdString(copy)}), "");
    CalcLink link(calc_->accept());
    ASSERT_TRUE(link.connect()) << link.error();
    std::vector<std::string> topics;
    ASSERT_TRUE(link.topics(topics));
    EXPECT_EQ(topics.size(), 4u);
    ASSERT_EQ(calc_->session({"close", "second.ods"}), "");
    EXPECT_FALSE(link.openTopic("[second.ods]Cleared"));
    EXPECT_EQ(link.error(), "the document second.ods is no longer open");
}

TEST_F(CalcLinkTest, CalcNotListeningIsAConnectFailure) {
    CalcLink link("pipe,name=bankrec-nobody-listens");
    messages->answer(msg::OK);
    const ImportResult r = runExcelImport(*session, link, {}, {});
    EXPECT_EQ(r.end, ImportEnd::Failed);
    EXPECT_EQ(messages->last()->text,
              "Unable to connect with Excel\nError: LibreOffice Calc is not running or does not "
              "accept connections (pipe,name=bankrec-nobody-listens)");
}

TEST(CalcHelper, AHelperThatStopsAnsweringIsEndedAfterItsTime) {
    testsupport::Sandbox sandbox;
    const std::string silent = sandbox.file("silent.py");
    std::ofstream(silent) << "import time\ntime.sleep(60)\n";
    qputenv("BANKREC_CALC_LINK", QByteArray::fromStdString(silent));
    CalcLink link("pipe,name=whatever");
    link.setTimeouts(500, 500);
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(link.connect());
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_EQ(link.error(), "LibreOffice Calc did not answer within 1 second");
    qunsetenv("BANKREC_CALC_LINK");

    qputenv("BANKREC_CALC_LINK", QByteArray::fromStdString(sandbox.file("none.py")));
    EXPECT_FALSE(link.connect());
    EXPECT_EQ(link.error(),
              "The spreadsheet link bankrec-calc-link.py was not found beside the "
              "program");
    qunsetenv("BANKREC_CALC_LINK");
}
