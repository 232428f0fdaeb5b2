#pragma once
// The report preview, ZOR_PREVIEW: shows the pages of a printed report (one page file each),
// lets the user choose which pages and how many copies to print, and hands the caller's queue
// back holding exactly the pages to print. The window is one backend; a run without windows
// (the command-line tool, the tests) installs another or gets the headless one, which prints
// nothing.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "corelib/preview_pages.h"

namespace corelib {

// Initial zoom values besides a percentage.
inline constexpr int16_t kZoomFitWidth = -1;
inline constexpr int16_t kZoomFitHeight = -2;
inline constexpr int16_t kZoom100 = 0;

struct PreviewOptions {
    int16_t zoom = kZoomFitWidth;
    uint8_t flag = 0;   // kept for callers; the window does not use it
    std::string title;  // blank: the window's own title
    bool showPageList = false;
};

// What the user chose.
struct PreviewAnswer {
    bool print = false;
    int copies = 1;
};

class PreviewBackend {
  public:
    virtual ~PreviewBackend() = default;
    // Shows the pages (every page marked to print) and lets the user mark them; returns the
    // choice. The marks are left in `pages`.
    virtual PreviewAnswer show(PreviewPages& pages, const PreviewOptions& options) = 0;
};

// Answers every preview in advance: the pages-to-print text (when not blank), the copies and
// whether to print. Remembers the options of the last preview shown.
class ScriptedPreview : public PreviewBackend {
  public:
    ScriptedPreview(bool print, std::string pagesToPrint = {}, int copies = 1)
        : print_(print), pagesToPrint_(std::move(pagesToPrint)), copies_(copies) {}
    PreviewAnswer show(PreviewPages& pages, const PreviewOptions& options) override;

    int shown() const { return shown_; }
    const PreviewOptions& lastOptions() const { return last_; }
    int lastPageCount() const { return lastPages_; }

  private:
    bool print_;
    std::string pagesToPrint_;
    int copies_;
    int shown_ = 0;
    int lastPages_ = 0;
    PreviewOptions last_;
};

// Installs a backend; null puts the headless one back (it answers "do not print"). The window
// is installed with usePreviewWindows() (corelib/ui/preview_window.h).
void setPreviewBackend(std::shared_ptr<PreviewBackend> backend);

// Shows the preview of the pages in `queue` (page file names, in order). An empty queue gives
// the warning beep and "Nothing to report!!" and returns 0. Otherwise, when the user chooses to
// print, the queue holds the pages marked to print, the whole set repeated for each copy, and
// the result is 1; when not, the queue is emptied and the result is 0. GlobalResponse is set to
// 1 (print) or 2 (not).
[[nodiscard]] uint8_t ZOR_PREVIEW(std::vector<std::string>& queue, int16_t zoom, uint8_t flag,
                                  const std::string& title, uint8_t showPageList);

}  // namespace corelib
