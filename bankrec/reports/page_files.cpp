#include "bankrec/reports/page_files.h"

#include <QDataStream>
#include <QDir>
#include <QPainter>
#include <QSvgGenerator>
#include <cstdio>

#include "bankrec/reports/print_target.h"
#include "corelib/progress.h"

using namespace corelib;

namespace reports {

namespace {

// Pages printed from the store per timer tick.
constexpr int kPagesPerTick = 4;

class PrintQueueJob : public ProgressJob {
  public:
    PrintQueueJob(PageFiles& files, const std::vector<std::string>& queue, PrintTarget& target)
        : files_(files), queue_(queue), target_(target) {}
    void open(ProgressView& view) override {
        view.setRange(0, static_cast<int64_t>(queue_.size()));
    }
    bool tick(ProgressView& view) override {
        for (int n = 0; n < kPagesPerTick && next_ < queue_.size(); ++n, ++next_) {
            ReportPage page;
            if (!files_.readPage(queue_[next_], page)) {
                error_ = "page file " + queue_[next_] + " is not a page of this report";
                return false;
            }
            if (!target_.addPage(page)) {
                error_ = target_.errorText();
                return false;
            }
        }
        view.setValue(static_cast<int64_t>(next_));
        return next_ < queue_.size();
    }
    bool cancel(ProgressView&) override {
        cancelled_ = true;
        return true;
    }
    bool complete() const { return !cancelled_ && error_.empty() && next_ == queue_.size(); }
    const std::string& error() const { return error_; }

  private:
    PageFiles& files_;
    const std::vector<std::string>& queue_;
    PrintTarget& target_;
    size_t next_ = 0;
    bool cancelled_ = false;
    std::string error_;
};

}  // namespace

PageFiles::PageFiles() : dir_(QDir::tempPath() + "/bankrec-report-XXXXXX") {
    if (!dir_.isValid()) {
        error_ = "no temporary folder for the report's pages: " + dir_.errorString().toStdString();
        return;
    }
    store_.setFileName(dir_.filePath("pages.dat"));
    if (!store_.open(QIODevice::ReadWrite | QIODevice::Truncate))
        error_ = store_.fileName().toStdString() + ": " + store_.errorString().toStdString();
}

PageFiles::~PageFiles() {
    store_.close();
}

std::string PageFiles::folder() const {
    return dir_.path().toStdString();
}

std::string PageFiles::pageFile(int32_t index) const {
    char name[32];
    std::snprintf(name, sizeof name, "page%06d.svg", index + 1);
    return dir_.filePath(name).toStdString();
}

bool PageFiles::addPage(const ReportPage& page) {
    if (!valid()) return false;
    const int32_t index = pageCount();
    const std::string name = pageFile(index);
    QFile svg(QString::fromStdString(name));
    if (!svg.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        error_ = name + ": " + svg.errorString().toStdString();
        return false;
    }
    {
        QSvgGenerator generator;
        generator.setOutputDevice(&svg);
        // 8.5 by 11 inches at 96 pixels an inch, drawn in the page's own units.
        generator.setSize(QSize(816, 1056));
        generator.setResolution(96);
        generator.setViewBox(QRect(0, 0, kPageWidth, kPageHeight));
        generator.setTitle(QString("Page %1").arg(page.number));
        QPainter painter(&generator);
        paintPage(painter, page, QRectF(0, 0, kPageWidth, kPageHeight));
    }
    if (!svg.flush() || svg.error() != QFileDevice::NoError) {
        error_ = name + ": " + svg.errorString().toStdString();
        return false;
    }
    svg.close();

    const qint64 at = store_.size();
    store_.seek(at);
    QDataStream out(&store_);
    out << page;
    if (out.status() != QDataStream::Ok || store_.error() != QFileDevice::NoError) {
        error_ = store_.fileName().toStdString() + ": " + store_.errorString().toStdString();
        return false;
    }
    offsets_.push_back(at);
    index_[name] = index;
    return true;
}

std::vector<std::string> PageFiles::queue() const {
    std::vector<std::string> q;
    q.reserve(offsets_.size());
    for (int32_t i = 0; i < pageCount(); ++i) q.push_back(pageFile(i));
    return q;
}

bool PageFiles::readPage(const std::string& file, ReportPage& page) {
    const auto it = index_.find(file);
    return it != index_.end() && readPage(it->second, page);
}

bool PageFiles::readPage(int32_t index, ReportPage& page) {
    if (index < 0 || index >= pageCount()) return false;
    if (!store_.flush() || !store_.seek(offsets_[static_cast<size_t>(index)])) return false;
    QDataStream in(&store_);
    in >> page;
    return in.status() == QDataStream::Ok;
}

bool printPageFiles(PageFiles& files, const std::vector<std::string>& queue, PrintTarget& target,
                    std::string& error) {
    error.clear();
    if (queue.empty()) return true;
    PrintQueueJob job(files, queue, target);
    ProgressOptions progress;
    progress.title = "Printing Report";
    runProgress(progress, job);
    if (!job.complete()) {
        target.abort();
        error = job.error();
        return false;
    }
    if (!target.finish()) {
        error = target.errorText();
        return false;
    }
    return true;
}

}  // namespace reports
