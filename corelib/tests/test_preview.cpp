// The report preview's rules: which pages the pages-to-print text marks, the zoom steps, the
// search through the pages' text, and the queue the caller gets back.
#include <gtest/gtest.h>

#include <QFile>
#include <string>
#include <vector>

#include "corelib/globals.h"
#include "corelib/message_script.h"
#include "corelib/preview_pages.h"
#include "corelib/zor_preview.h"
#include "testsupport/sandbox.h"

using namespace corelib;

namespace {

// Page files with one line of text each, as a report's SVG pages hold them: the text with
// markup characters escaped, inside a group whose attributes name the font, after the
// document's title.
class PreviewFiles {
  public:
    explicit PreviewFiles(const std::vector<std::string>& texts) {
        for (size_t i = 0; i < texts.size(); ++i) {
            const std::string name = sandbox_.file("page" + std::to_string(i + 1) + ".svg");
            QFile f(QString::fromStdString(name));
            EXPECT_TRUE(f.open(QIODevice::WriteOnly)) << name;
            f.write(QString("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
                            "<svg width=\"850\" height=\"1100\" viewBox=\"0 0 850 1100\" "
                            "xmlns=\"http://www.w3.org/2000/svg\" version=\"1.2\">\n"
                            "<title>Qt SVG Document</title>\n"
                            "<g fill=\"#000000\" font-family=\"Sans Serif\" font-size=\"9\">\n"
                            "<text x=\"50\" y=\"50\" xml:space=\"preserve\">%1</text>\n"
                            "<text x=\"50\" y=\"80\" xml:space=\"preserve\">Page %2</text>\n"
                            "</g>\n</svg>\n")
                        .arg(QString::fromStdString(texts[i]).toHtmlEscaped())
                        .arg(i + 1)
                        .toUtf8());
            queue.push_back(name);
        }
    }
    std::vector<std::string> queue;

  private:
    testsupport::Sandbox sandbox_;
};

// The pages marked to print, as their numbers.
std::vector<int> marked(const PreviewPages& pages) {
    std::vector<int> out;
    for (const PreviewPage& p : pages.pages())
        if (p.PRINTPAGE) out.push_back(p.PAGENUMBER);
    return out;
}

PreviewPages fivePages() {
    return PreviewPages({"a", "b", "c", "d", "e"});
}

TEST(PreviewPagesToPrint, ChoosesExactlyThePagesTheTextNames) {
    struct Case {
        const char* text;
        std::vector<int> pages;
    };
    const Case cases[] = {
        {"2-", {2, 3, 4, 5}},  // missing right end: to the last page
        {"-3", {1, 2, 3}},     // missing left end: from the first
        {"0-2", {1, 2}},       // a 0 end counts as missing
        {"4-2", {2, 3, 4}},    // reversed range
        {"9", {}},             // past the last page
        {"3-9", {3, 4, 5}},    // the part past the last page is dropped
        {"Even", {2, 4}},      // words in any case
        {"oDd", {1, 3, 5}},
        {"none", {}},
        {"ALL  ", {1, 2, 3, 4, 5}},  // trailing blanks
        {" 1 , 3 ,5 ", {1, 3, 5}},   // a list with blanks
        {"5,1,,2-2", {1, 2, 5}},     // empty items are skipped
        {"x,2", {2}},                // an item that is no number names no page
    };
    for (const Case& c : cases) {
        PreviewPages pages = fivePages();
        pages.applyPagesToPrint("NONE");
        pages.applyPagesToPrint(c.text);
        EXPECT_EQ(marked(pages), c.pages) << "\"" << c.text << "\"";
    }
}

TEST(PreviewPagesToPrint, BlankTextChangesNothingAndIconsFollowTheMarks) {
    PreviewPages pages = fivePages();
    pages.applyPagesToPrint("2,4");
    pages.applyPagesToPrint("   ");
    EXPECT_EQ(marked(pages), (std::vector<int>{2, 4}));
    EXPECT_EQ(pages.pages()[0].PRINTICON, 1);
    EXPECT_EQ(pages.pages()[1].PRINTICON, 2);

    pages.toggle(0);
    pages.toggle(1);
    EXPECT_EQ(marked(pages), (std::vector<int>{1, 4}));
    pages.printOnly(2);
    EXPECT_EQ(marked(pages), (std::vector<int>{3}));
}

TEST(PreviewZoom, StepsStopAtTheLimits) {
    EXPECT_EQ(zoomOut(30, 20), 25);
    EXPECT_EQ(zoomOut(25, 20), 25);
    EXPECT_EQ(zoomOut(100, 20), 80);
    EXPECT_EQ(zoomIn(290, 20), 300);
    EXPECT_EQ(zoomIn(300, 20), 300);
    EXPECT_EQ(zoomIn(100, 5), 105);
    // Fitting keeps within the limits too.
    EXPECT_EQ(fitZoom(816, 816), 100);
    EXPECT_EQ(fitZoom(100, 816), 25);
    EXPECT_EQ(fitZoom(8000, 816), 300);
}

TEST(PreviewSearch, FindsTextWithoutRegardToCaseAndReportsHitsAndMisses) {
    PreviewFiles files({"Operating Account", "Payroll & Benefits <2026>", "operating again"});
    PreviewPages pages(files.queue);

    EXPECT_EQ(pages.search("OPERATING"), 2);
    ASSERT_EQ(pages.hits().size(), 2u);
    EXPECT_EQ(pages.hits()[0].PAGE, 1);
    EXPECT_EQ(pages.hits()[0].FOUNDTEXT, "Operating Account Page 1");
    EXPECT_EQ(pages.hits()[1].PAGE, 3);
    EXPECT_EQ(pages.searchStatus(), "Found 2 pages containing \"OPERATING\"");

    // The page's text, not its markup: escaped characters match as written, element names never.
    EXPECT_EQ(pages.search("& benefits <"), 1);
    EXPECT_EQ(pages.hits()[0].PAGE, 2);
    EXPECT_EQ(pages.search("font-family"), 0);
    EXPECT_EQ(pages.searchStatus(), "\"font-family\" was not found");
    EXPECT_TRUE(pages.hits().empty());
}

TEST(PreviewSearch, TagButtonsMarkOrUnmarkThePagesFound) {
    PreviewFiles files({"check 1001", "deposit", "check 1002", "deposit"});
    PreviewPages pages(files.queue);
    pages.applyPagesToPrint("NONE");
    pages.search("check");
    pages.tagFound(true);
    EXPECT_EQ(marked(pages), (std::vector<int>{1, 3}));
    pages.applyPagesToPrint("ALL");
    pages.tagFound(false);
    EXPECT_EQ(marked(pages), (std::vector<int>{2, 4}));
    // A long text is cut to the 60 characters the result list keeps.
    PreviewFiles longPage({std::string(100, 'x')});
    PreviewPages one(longPage.queue);
    one.search("X");
    EXPECT_EQ(one.hits()[0].FOUNDTEXT, std::string(60, 'x'));
}

TEST(PreviewPagesTable, SizesAndStatusLineComeFromTheFiles) {
    PreviewFiles files({"one", "two"});
    std::vector<std::string> queue = files.queue;
    queue.push_back("/nonexistent/page.svg");
    PreviewPages pages(queue);
    ASSERT_EQ(pages.count(), 3);
    EXPECT_GT(pages.pages()[0].PAGESIZE, 100);
    EXPECT_EQ(pages.pages()[2].PAGESIZE, 0);
    EXPECT_EQ(pages.totalSize(), pages.pages()[0].PAGESIZE + pages.pages()[1].PAGESIZE);
    char expected[64];
    std::snprintf(expected, sizeof expected, "  3 pages, %.1fKb", pages.totalSize() / 1024.0);
    EXPECT_EQ(pages.statusText(), expected);
}

class ZorPreviewTest : public ::testing::Test {
  protected:
    void TearDown() override { setPreviewBackend(nullptr); }
    testsupport::Sandbox sandbox;
};

TEST_F(ZorPreviewTest, EmptyQueueSaysNothingToReport) {
    std::vector<std::string> queue;
    EXPECT_EQ(ZOR_PREVIEW(queue, kZoomFitWidth, 1, "Report Preview", 1), 0);
    ASSERT_NE(sandbox.messages->find("Nothing to report!!"), nullptr);
    EXPECT_EQ(sandbox.messages->beeps(), 1);
}

TEST_F(ZorPreviewTest, CancelEmptiesTheQueueAndReturnsZero) {
    setPreviewBackend(std::make_shared<ScriptedPreview>(false, "1-3", 3));
    std::vector<std::string> queue = {"p1", "p2", "p3"};
    GlobalResponse = 0;
    EXPECT_EQ(ZOR_PREVIEW(queue, kZoomFitWidth, 1, "Report Preview", 1), 0);
    EXPECT_TRUE(queue.empty());
    EXPECT_EQ(GlobalResponse, RequestCancelled);
}

TEST_F(ZorPreviewTest, PrintRefillsTheQueueWithTheChosenPagesOncePerCopy) {
    auto scripted = std::make_shared<ScriptedPreview>(true, "3,1", 2);
    setPreviewBackend(scripted);
    std::vector<std::string> queue = {"p1", "p2", "p3"};
    EXPECT_EQ(ZOR_PREVIEW(queue, kZoomFitHeight, 1, "Report Preview", 0), 1);
    EXPECT_EQ(queue, (std::vector<std::string>{"p1", "p3", "p1", "p3"}));
    EXPECT_EQ(GlobalResponse, RequestCompleted);
    EXPECT_EQ(scripted->lastOptions().zoom, kZoomFitHeight);
    EXPECT_EQ(scripted->lastOptions().title, "Report Preview");
    EXPECT_FALSE(scripted->lastOptions().showPageList);

    // Without a window, a preview prints nothing.
    setPreviewBackend(nullptr);
    queue = {"p1"};
    EXPECT_EQ(ZOR_PREVIEW(queue, 0, 1, "", 1), 0);
    EXPECT_TRUE(queue.empty());
}

}  // namespace
