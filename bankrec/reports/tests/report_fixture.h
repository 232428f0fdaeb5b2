#pragma once
// The activity fixture (a fresh data folder, record files open, scripted messages) with what
// the report tests add: activity rows with names and descriptions, a print target that keeps
// the laid-out pages, a progress backend that records (or cancels), and the text of a PDF.
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <memory>
#include <string>
#include <vector>

#include "activity_fixture.h"
#include "bankrec/reports/print_target.h"
#include "bankrec/reports/report_run.h"
#include "corelib/progress.h"
#include "corelib/zor_preview.h"
#include "testsupport/scripted_progress.h"

namespace reports::testing {

// Keeps every page it is given instead of drawing it.
class RecordingTarget : public PrintTarget {
  public:
    explicit RecordingTarget(std::vector<ReportPage>& pages) : pages_(pages) {}
    bool addPage(const ReportPage& page) override {
        pages_.push_back(page);
        return true;
    }

  protected:
    QPagedPaintDevice* open(const std::string&, std::string&) override { return nullptr; }
    bool deliver(std::string&) override { return true; }
    void discard() override {}

  private:
    std::vector<ReportPage>& pages_;
};

// Runs jobs without a window, recording the title and the last value; presses Cancel before
// the given tick.
using RecordingProgress = testsupport::ScriptedProgress;

class ReportTest : public activity::ActivityTest {
  protected:
    ReportTest() {
        tmp = folder() + "/tmp";
        QDir().mkpath(QString::fromStdString(tmp));
        previousTmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", QByteArray::fromStdString(tmp));
        corelib::setProgressBackend(std::make_unique<RecordingProgress>(progress));
    }
    ~ReportTest() override {
        corelib::setProgressBackend(nullptr);
        corelib::setPreviewBackend(nullptr);
        if (previousTmp.isEmpty())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", previousTmp);
    }

    int32_t addRow(int32_t bank, const std::string& type, const std::string& reference,
                   int32_t date, int64_t cents, const std::string& name = {},
                   const std::string& description = {}) {
        return addActivity(bank, type, reference, cents, date, name, description);
    }

    ReportOutput recording() {
        ReportOutput out;
        out.printer = [this] { return std::make_unique<RecordingTarget>(pages); };
        return out;
    }
    ReportOutput pdf(const std::string& path) {
        ReportOutput out;
        out.printer = [path] { return std::make_unique<PdfTarget>(path); };
        return out;
    }

    // The text of a PDF (one page, or all with page 0), as pdftotext lays it out.
    static std::string pdfText(const std::string& path, int page = 0) {
        QStringList args{"-layout"};
        if (page > 0) args << "-f" << QString::number(page) << "-l" << QString::number(page);
        args << QString::fromStdString(path) << "-";
        QProcess p;
        p.start("pdftotext", args);
        if (!p.waitForFinished(30000) || p.exitCode() != 0) return "<pdftotext failed>";
        return p.readAllStandardOutput().toStdString();
    }
    static int pdfPageCount(const std::string& path) {
        QProcess p;
        p.start("pdfinfo", {QString::fromStdString(path)});
        if (!p.waitForFinished(30000)) return -1;
        for (const QString& line : QString(p.readAllStandardOutput()).split('\n'))
            if (line.startsWith("Pages:")) return line.mid(6).trimmed().toInt();
        return -1;
    }

    // Report folders left in the temporary folder.
    int leftoverPageFolders() const {
        return static_cast<int>(
            QDir(QString::fromStdString(tmp)).entryList({"bankrec-report-*"}, QDir::Dirs).size());
    }

    // The texts of a recorded page drawn in a font.
    static std::vector<std::string> texts(const ReportPage& page, FontRole font) {
        std::vector<std::string> out;
        for (const PageItem& i : page.items)
            if (i.kind == PageItem::Kind::Text && i.font == font) out.push_back(i.text);
        return out;
    }
    // The recorded item with this text on the page, or nullptr.
    static const PageItem* find(const ReportPage& page, const std::string& text) {
        for (const PageItem& i : page.items)
            if (i.text == text) return &i;
        return nullptr;
    }

    std::string tmp;
    QByteArray previousTmp;
    RecordingProgress::Seen progress;
    std::vector<ReportPage> pages;
};

}  // namespace reports::testing
