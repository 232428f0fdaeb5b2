#include "bankrec/reports/report_writer.h"

#include <algorithm>

namespace reports {

void Band::text(int x, int y, int width, FontRole font, Align align, const std::string& text) {
    const int h = lineHeight(font);
    height_ = std::max(height_, y + h);
    if (text.empty()) return;
    PageItem item;
    item.font = font;
    item.align = align;
    item.x = x;
    item.y = y;
    item.width = width;
    item.height = h;
    item.text = fitText(font, text, width);
    items_.push_back(std::move(item));
}

int Band::wrappedText(int x, int y, int width, FontRole font, Align align,
                      const std::string& text) {
    const std::vector<std::string> lines = wrapText(font, text, width);
    const int h = lineHeight(font);
    for (size_t i = 0; i < lines.size(); ++i)
        this->text(x, y + static_cast<int>(i) * h, width, font, align, lines[i]);
    return static_cast<int>(lines.size());
}

void Band::rule(int x, int y, int width, int thickness) {
    PageItem item;
    item.kind = PageItem::Kind::Line;
    item.x = x;
    item.y = y;
    item.width = width;
    item.height = thickness;
    items_.push_back(std::move(item));
    height_ = std::max(height_, y + thickness);
}

void Band::setMinimumHeight(int height) {
    height_ = std::max(height_, height);
}

ReportWriter::ReportWriter(PageSink& sink) : sink_(sink) {}

void ReportWriter::setPageFooter(int height, std::function<Band(int32_t)> footer) {
    footerHeight_ = height;
    footer_ = std::move(footer);
}

void ReportWriter::beginSection(Band heading) {
    section_ = std::move(heading);
    sectionPending_ = true;
}

void ReportWriter::endSection() {
    section_.reset();
    sectionPending_ = false;
}

void ReportWriter::breakPage() {
    if (open_) breakPending_ = true;
}

void ReportWriter::place(const Band& band) {
    for (PageItem item : band.items()) {
        item.y += y_;
        page_.items.push_back(std::move(item));
    }
    y_ += band.height();
}

bool ReportWriter::openPage() {
    page_ = ReportPage{};
    page_.number = done_ + 1;
    open_ = true;
    y_ = kMarginTop;
    if (header_) place(header_(page_.number));
    // A continuing section repeats its heading on the new page.
    if (section_) {
        place(*section_);
        sectionPending_ = false;
    }
    return true;
}

bool ReportWriter::closePage() {
    if (!open_) return true;
    if (footer_) {
        y_ = kMarginBottom - footerHeight_;
        place(footer_(page_.number));
    }
    open_ = false;
    breakPending_ = false;
    if (!sink_.addPage(page_)) {
        failed_ = true;
        return false;
    }
    ++done_;
    page_.items.clear();
    return true;
}

bool ReportWriter::print(const Band& band) {
    if (failed_) return false;
    const int bottom = kMarginBottom - footerHeight_;
    // A section's heading stays with the band that follows it.
    const int needed = band.height() + (sectionPending_ && section_ ? section_->height() : 0);
    if (open_ && (breakPending_ || y_ + needed > bottom)) {
        if (!closePage()) return false;
    }
    if (!open_) openPage();
    if (sectionPending_ && section_) {
        place(*section_);
        sectionPending_ = false;
    }
    place(band);
    return true;
}

bool ReportWriter::finish() {
    if (failed_) return false;
    return closePage();
}

}  // namespace reports
