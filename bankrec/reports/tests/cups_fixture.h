#pragma once
// Printing to a real CUPS queue: a throw-away CUPS server (scripts/cups.sh) with a cups-pdf
// queue, which turns each job into a PDF whose text the test then reads. Skipped, with the
// reason, only where CUPS cannot start here.
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QUuid>

#include "bankrec/reports/report_apbac.h"
#include "corelib/daytime.h"
#include "report_fixture.h"

#ifdef BANKREC_HAVE_CUPS
#include <cups/cups.h>
#endif

namespace reports::testing {

inline constexpr const char* kQueue = "bankrec_test_pdf";

class CupsPrintTest : public ReportTest {
  protected:
    void SetUp() override {
        // scripts/test.sh names a folder whose servers it stops in any case when the run ends.
        const QByteArray root = qgetenv("BANKREC_TEST_CUPS_ROOT");
        cupsDir = (root.isEmpty() ? folder() : root.toStdString()) + "/cups-" +
                  QUuid::createUuid().toString(QUuid::Id128).left(8).toStdString();
        QProcess p;
        p.start(QString(BANKREC_SOURCE_DIR) + "/scripts/cups.sh",
                {"start", QString::fromStdString(cupsDir), kQueue});
        if (!p.waitForFinished(60000)) GTEST_FAIL() << "scripts/cups.sh start did not finish";
        if (p.exitCode() == 3)
            GTEST_SKIP() << "CUPS cannot start here: "
                         << p.readAllStandardError().trimmed().toStdString();
        ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        started = true;
        const std::string socket = cupsDir + "/cups.sock";
        qputenv("CUPS_SERVER", QByteArray::fromStdString(socket));
#ifdef BANKREC_HAVE_CUPS
        cupsSetServer(socket.c_str());  // this process may have asked another server before
#endif
        since = QDateTime::currentDateTime().addSecs(-2);
        marker = "Fen Trust " + QUuid::createUuid().toString(QUuid::Id128).left(12).toStdString();
        const int32_t bank = addBank("Operating Account");
        for (int i = 0; i < 50; ++i)
            addRow(bank, "Check", "CHK" + std::to_string(500 + i),
                   corelib::daytime::dayNumber(2026, 3, 1) + i % 28, -1000 - i,
                   "Payee " + std::to_string(i));
    }
    void TearDown() override {
        for (const QString& f : found) QFile::remove(f);
        if (!started) return;
        QProcess::execute(QString(BANKREC_SOURCE_DIR) + "/scripts/cups.sh",
                          {"stop", QString::fromStdString(cupsDir)});
        QDir(QString::fromStdString(cupsDir)).removeRecursively();
        qunsetenv("CUPS_SERVER");
    }

    // Where cups-pdf puts the PDF of a job printed by this user.
    static QString outFolder() {
        const passwd* pw = getpwuid(geteuid());
        const QString home = pw ? QString(pw->pw_dir) : QDir::homePath();
        QString out = "${HOME}/PDF";
        QFile conf("/etc/cups/cups-pdf.conf");
        if (conf.open(QIODevice::ReadOnly)) {
            for (const QString& line : QString(conf.readAll()).split('\n')) {
                const QString t = line.trimmed();
                if (t.startsWith("Out ")) out = t.mid(4).trimmed();
            }
        }
        return out.replace("${HOME}", home);
    }

    // Waits for the job's PDF: a new PDF in cups-pdf's folder holding the marker.
    QString waitForPdf() {
        const QDir dir(outFolder());
        for (int tries = 0; tries < 120; ++tries) {
            for (const QFileInfo& f : dir.entryInfoList({"*.pdf"}, QDir::Files)) {
                if (f.lastModified() < since || found.contains(f.filePath())) continue;
                if (pdfText(f.filePath().toStdString()).find(marker) != std::string::npos) {
                    found << f.filePath();
                    return f.filePath();
                }
            }
            QThread::msleep(250);
        }
        return {};
    }

    ReportResult print(std::function<std::unique_ptr<PrintTarget>()> printer) {
        ReportOutput out;
        out.printer = std::move(printer);
        RegisterSelection s;
        s.FromDate = corelib::daytime::dayNumber(2026, 3, 1);
        s.ToDate = corelib::daytime::dayNumber(2026, 3, 31);
        s.PreviewReport = 0;
        return ReportAPbac(*session, s, marker, out);
    }

    std::string cupsDir;
    bool started = false;
    QDateTime since;
    std::string marker;
    QStringList found;
};

}  // namespace reports::testing
