#pragma once
// Bands and pages. A report prints bands (a page header, detail rows, section headings, a page
// footer, the report's closing totals); the writer places each band below the last one, starts
// a new page when a band no longer fits, and hands every finished page to its sink: the
// printer, a PDF, or the preview's page files. The writer holds one page at a time, so a report
// of any length needs the same memory.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "bankrec/reports/report_page.h"

namespace reports {

// The printable area of a page, in page units.
inline constexpr int kMarginLeft = 400;
inline constexpr int kMarginRight = kPageWidth - 400;
inline constexpr int kMarginTop = 400;
inline constexpr int kMarginBottom = kPageHeight - 400;

// A band: items laid out from the band's own top edge.
class Band {
  public:
    // One line of text in a box `width` wide, cut to fit; the band grows to hold it.
    void text(int x, int y, int width, FontRole font, Align align, const std::string& text);
    // The text wrapped onto as many lines as it needs; returns the lines used (0 for no text).
    int wrappedText(int x, int y, int width, FontRole font, Align align, const std::string& text);
    // A horizontal rule.
    void rule(int x, int y, int width, int thickness = 8);
    // At least this tall.
    void setMinimumHeight(int height);
    int height() const { return height_; }
    const std::vector<PageItem>& items() const { return items_; }

  private:
    std::vector<PageItem> items_;
    int height_ = 0;
};

// Where finished pages go.
class PageSink {
  public:
    virtual ~PageSink() = default;
    // Takes one finished page; false when it could not (the run then stops).
    [[nodiscard]] virtual bool addPage(const ReportPage& page) = 0;
};

class ReportWriter {
  public:
    explicit ReportWriter(PageSink& sink);

    // The page header, made when a page begins (so it shows the state of the report at that
    // moment, for instance the title of the row that starts the page).
    void setPageHeader(std::function<Band(int32_t page)> header) { header_ = std::move(header); }
    // The page footer, printed at the foot of every page; `height` is reserved for it.
    void setPageFooter(int height, std::function<Band(int32_t page)> footer);

    // Begins a section: its heading is printed before the next band (on the same page as that
    // band) and again below the page header of every page the section continues on.
    void beginSection(Band heading);
    // Ends the section: no more repeated heading.
    void endSection();

    // Places a band, beginning or breaking pages as needed. False when the sink refused a page.
    [[nodiscard]] bool print(const Band& band);
    // The next band begins a new page.
    void breakPage();
    // Finishes the last page. False when the sink refused it.
    [[nodiscard]] bool finish();

    // Pages handed to the sink so far, and whether a page is open.
    int32_t pagesDone() const { return done_; }
    bool pageOpen() const { return open_; }
    bool failed() const { return failed_; }

  private:
    bool openPage();
    bool closePage();
    void place(const Band& band);

    PageSink& sink_;
    std::function<Band(int32_t)> header_;
    std::function<Band(int32_t)> footer_;
    int footerHeight_ = 0;
    std::optional<Band> section_;
    bool sectionPending_ = false;
    bool breakPending_ = false;
    ReportPage page_;
    bool open_ = false;
    int y_ = 0;
    int32_t done_ = 0;
    bool failed_ = false;
};

}  // namespace reports
