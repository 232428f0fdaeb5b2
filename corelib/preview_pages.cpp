#include "corelib/preview_pages.h"

#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QXmlStreamReader>
#include <algorithm>
#include <cstdio>

#include "corelib/text.h"

namespace corelib {

namespace {

constexpr size_t kItemMax = 10;    // characters of one list item that count
constexpr int kFoundTextMax = 60;  // ITP:SQ:FOUNDTEXT

std::string trimBoth(std::string_view s) {
    const size_t b = s.find_first_not_of(' ');
    if (b == std::string_view::npos) return {};
    return std::string(s.substr(b, s.find_last_not_of(' ') - b + 1));
}

// The page number an item names: its leading digits, 0 when there are none.
int64_t pageNumber(std::string_view s) {
    const std::string t = trimBoth(s);
    int64_t n = 0;
    for (char c : t) {
        if (c < '0' || c > '9') break;
        n = std::min<int64_t>(n * 10 + (c - '0'), 1'000'000'000);
    }
    return n;
}

}  // namespace

int zoomIn(int zoom, int step) {
    if (zoom <= kZoomMax) zoom += step;
    return std::min(zoom, kZoomMax);
}

int zoomOut(int zoom, int step) {
    if (zoom > kZoomMin - 1) zoom -= step;
    return std::max(zoom, kZoomMin);
}

int fitZoom(int available, double pageLength) {
    if (pageLength <= 0) return 100;
    const int zoom = static_cast<int>(available * 100.0 / pageLength);
    return std::clamp(zoom, kZoomMin, kZoomMax);
}

std::string pageFileText(const std::string& file) {
    QFile f(QString::fromStdString(file));
    if (!f.open(QIODevice::ReadOnly)) return {};
    QXmlStreamReader xml(&f);
    QString text;
    int depth = 0;  // inside how many <text> elements
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
            case QXmlStreamReader::StartElement:
                if (xml.name() == QLatin1String("text")) {
                    if (depth == 0 && !text.isEmpty()) text += ' ';
                    ++depth;
                }
                break;
            case QXmlStreamReader::EndElement:
                if (xml.name() == QLatin1String("text") && depth > 0) --depth;
                break;
            case QXmlStreamReader::Characters:
                if (depth > 0) text += xml.text();
                break;
            default:
                break;
        }
    }
    return text.toStdString();
}

PreviewPages::PreviewPages(const std::vector<std::string>& queue) {
    pages_.reserve(queue.size());
    int32_t number = 0;
    for (const std::string& file : queue) {
        PreviewPage p;
        p.PAGENUMBER = ++number;
        p.WMFFILE = file;
        const QFileInfo info(QString::fromStdString(file));
        p.PAGESIZE = info.exists() ? info.size() : 0;
        totalSize_ += p.PAGESIZE;
        pages_.push_back(std::move(p));
    }
}

std::string PreviewPages::statusText() const {
    char kb[32];
    std::snprintf(kb, sizeof kb, "%.1f", static_cast<double>(totalSize_) / 1024.0);
    return "  " + std::to_string(count()) + " pages, " + kb + "Kb";
}

void PreviewPages::setPrint(int index, bool print) {
    if (index < 0 || index >= count()) return;
    PreviewPage& p = pages_[static_cast<size_t>(index)];
    p.PRINTPAGE = print ? 1 : 0;
    p.PRINTICON = print ? 2 : 1;
}

void PreviewPages::toggle(int index) {
    if (index < 0 || index >= count()) return;
    setPrint(index, pages_[static_cast<size_t>(index)].PRINTPAGE == 0);
}

void PreviewPages::printOnly(int index) {
    for (int i = 0; i < count(); ++i) setPrint(i, i == index);
}

int PreviewPages::markedCount() const {
    return static_cast<int>(
        std::count_if(pages_.begin(), pages_.end(), [](const auto& p) { return p.PRINTPAGE; }));
}

void PreviewPages::applyPagesToPrint(std::string_view input) {
    const std::string text = text::upper(text::trimRight(input));
    if (trimBoth(text).empty()) return;
    const std::string word = trimBoth(text);
    const int n = count();
    if (word == "ALL" || word == "NONE") {
        for (int i = 0; i < n; ++i) setPrint(i, word == "ALL");
        return;
    }
    if (word == "EVEN" || word == "ODD") {
        const int rest = word == "EVEN" ? 0 : 1;
        for (int i = 0; i < n; ++i) setPrint(i, (i + 1) % 2 == rest);
        return;
    }
    std::vector<bool> marked(static_cast<size_t>(n), false);
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t comma = text.find(',', pos);
        if (comma == std::string::npos) comma = text.size();
        const std::string item = trimBoth(text.substr(pos, comma - pos)).substr(0, kItemMax);
        pos = comma + 1;
        if (item.empty()) continue;
        int64_t first = 0, last = 0;
        const size_t dash = item.find('-');
        if (dash == std::string::npos) {
            first = last = pageNumber(item);
        } else {
            first = pageNumber(std::string_view(item).substr(0, dash));
            last = pageNumber(std::string_view(item).substr(dash + 1));
            if (first == 0) first = 1;
            if (last == 0) last = n;
            if (first > last) std::swap(first, last);
        }
        for (int64_t p = std::max<int64_t>(first, 1); p <= std::min<int64_t>(last, n); ++p)
            marked[static_cast<size_t>(p - 1)] = true;
    }
    for (int i = 0; i < n; ++i) setPrint(i, marked[static_cast<size_t>(i)]);
}

int PreviewPages::search(std::string_view text) {
    beginSearch(text);
    while (searchStep(64)) {
    }
    endSearch();
    return static_cast<int>(hits_.size());
}

void PreviewPages::beginSearch(std::string_view text) {
    hits_.clear();
    searchStatus_.clear();
    searchText_ = text::cutCharacters(text, kSearchTextMax);
    searchNext_ = 0;
    for (PreviewPage& p : pages_) p.TAGGED = 0;
}

bool PreviewPages::searchStep(int pages) {
    if (searchText_.empty()) return false;
    const QString needle = QString::fromStdString(searchText_);
    for (int k = 0; k < pages && searchNext_ < count(); ++k, ++searchNext_) {
        PreviewPage& p = pages_[static_cast<size_t>(searchNext_)];
        const QString text = QString::fromStdString(pageFileText(p.WMFFILE));
        const qsizetype at = text.indexOf(needle, 0, Qt::CaseInsensitive);
        if (at < 0) continue;
        p.TAGGED = 1;
        hits_.push_back({text.mid(at, kFoundTextMax).toStdString(), p.PAGENUMBER});
    }
    return searchNext_ < count();
}

void PreviewPages::endSearch() {
    if (searchText_.empty()) {
        searchStatus_.clear();
        return;
    }
    const std::string quoted = "\"" + searchText_ + "\"";
    searchStatus_ = hits_.empty()
                        ? quoted + " was not found"
                        : "Found " + std::to_string(hits_.size()) + " pages containing " + quoted;
}

void PreviewPages::tagFound(bool print) {
    for (int i = 0; i < count(); ++i)
        if (pages_[static_cast<size_t>(i)].TAGGED) setPrint(i, print);
}

void PreviewPages::finish(bool print, int copies, std::vector<std::string>& queue) const {
    queue.clear();
    if (!print) return;
    std::vector<std::string> chosen;
    for (const PreviewPage& p : pages_)
        if (p.PRINTPAGE) chosen.push_back(p.WMFFILE);
    for (int c = 0; c < std::max(copies, 1); ++c)
        queue.insert(queue.end(), chosen.begin(), chosen.end());
}

}  // namespace corelib
