#pragma once
// The report preview's rules apart from its window: the page table built from the caller's page
// queue, which pages are marked to print (the pages-to-print text, the toggle, tagging the pages
// a search found), the zoom steps and limits, the search through the pages' text, the status
// line, and the queue handed back to the caller when the preview closes.
//
// A page file is an SVG document; its text is the text of its <text> elements, so a search
// never matches the markup around them.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corelib {

// One page of the page table (ITP:PQ), in the caller's order.
struct PreviewPage {
    uint8_t PRINTPAGE = 1;  // 1 print, 0 skip
    int16_t PRINTICON = 2;  // 2 when printed, 1 when not (picks the list icon)
    int32_t PAGENUMBER = 0;
    int64_t PAGESIZE = 0;  // bytes, from the directory
    uint8_t TAGGED = 0;
    std::string WMFFILE;  // the page file
};

// One search result (ITP:SQ).
struct PreviewHit {
    std::string FOUNDTEXT;  // at most 60 characters of the page's text, from the hit on
    int32_t PAGE = 0;
};

inline constexpr int kZoomMin = 25;
inline constexpr int kZoomMax = 300;
inline constexpr int kZoomStepDefault = 20;
inline constexpr size_t kPagesToPrintMax = 60;  // ITP:PAGESTOPRINT
inline constexpr size_t kSearchTextMax = 50;    // ITP:SEARCHSTRING

// Zoom in: adds the step while the zoom is at most 300, never going past 300.
int zoomIn(int zoom, int step);
// Zoom out: subtracts the step while the zoom is above 24, never going below 25.
int zoomOut(int zoom, int step);
// The zoom at which `pageLength` (the page's width or height in pixels at 100%) fills
// `available` pixels, kept within 25 and 300.
int fitZoom(int available, double pageLength);

// The text of a page file: the characters of its <text> elements, one blank between elements.
// Empty when the file cannot be read; what was read before a malformed part is kept.
std::string pageFileText(const std::string& file);

class PreviewPages {
  public:
    // Builds the table from the queue: every page marked to print, numbered from 1, with the
    // size of its file (0 when the file is missing).
    explicit PreviewPages(const std::vector<std::string>& queue);

    const std::vector<PreviewPage>& pages() const { return pages_; }
    int count() const { return static_cast<int>(pages_.size()); }
    int64_t totalSize() const { return totalSize_; }
    // "  " + count + " pages, " + size in Kb with one decimal + "Kb".
    std::string statusText() const;

    // Applies the pages-to-print text (taken in capitals, trailing blanks removed): ALL, NONE,
    // EVEN, ODD, or a comma-separated list of page numbers and ranges ("1,3,5-7"; a range's
    // missing or 0 left end is 1, its missing or 0 right end the last page, a reversed range is
    // swapped, numbers past the last page are dropped); the listed pages alone are marked.
    // Blank text changes nothing.
    void applyPagesToPrint(std::string_view text);
    // Marks or unmarks one page (0-based index); out of range does nothing.
    void setPrint(int index, bool print);
    void toggle(int index);
    // Marks only this page to print.
    void printOnly(int index);
    int markedCount() const;

    // Searches the pages in order for the text without regard to case; the first hit in a page
    // gives one result. Returns the number of pages found. An empty text finds nothing.
    int search(std::string_view text);
    // The same in steps, for a long search under a progress window: beginSearch, then
    // searchStep until it returns false, then endSearch for the status text.
    void beginSearch(std::string_view text);
    bool searchStep(int pages);
    int searchedPages() const { return searchNext_; }
    void endSearch();
    const std::vector<PreviewHit>& hits() const { return hits_; }
    // "Found " + n + " pages containing "text"" or ""text" was not found"; empty before a search.
    const std::string& searchStatus() const { return searchStatus_; }
    // Marks (true) or unmarks (false) every page that has a result.
    void tagFound(bool print);

    // The queue the caller gets back: emptied, then, when printing, the marked pages' files in
    // order, the whole set repeated `copies` times (at least once).
    void finish(bool print, int copies, std::vector<std::string>& queue) const;

  private:
    std::vector<PreviewPage> pages_;
    int64_t totalSize_ = 0;
    std::vector<PreviewHit> hits_;
    std::string searchStatus_;
    std::string searchText_;
    int searchNext_ = 0;
};

}  // namespace corelib
