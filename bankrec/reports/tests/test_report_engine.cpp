// The report engine: how bands fill pages, when pages break, what the header and a section's
// heading show on each page, text that does not fit its column, and the preview's page files.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include "bankrec/reports/page_files.h"
#include "bankrec/reports/report_writer.h"
#include "corelib/preview_pages.h"

using namespace corelib;

namespace reports {
namespace {

struct PageList : PageSink {
    bool addPage(const ReportPage& page) override {
        if (refuseFrom > 0 && page.number >= refuseFrom) return false;
        pages.push_back(page);
        return true;
    }
    std::vector<ReportPage> pages;
    int refuseFrom = 0;
};

Band line(const std::string& text, int height = 1000) {
    Band b;
    b.text(kMarginLeft, 0, 3000, FontRole::Detail, Align::Left, text);
    b.setMinimumHeight(height);
    return b;
}

// The texts of a page, top to bottom.
std::vector<std::string> texts(const ReportPage& page) {
    std::vector<std::string> out;
    for (const PageItem& i : page.items)
        if (i.kind == PageItem::Kind::Text) out.push_back(i.text);
    return out;
}

TEST(ReportWriter, BreaksBeforeABandThatNoLongerFitsAndMakesEachHeaderThen) {
    PageList sink;
    ReportWriter writer(sink);
    std::string state = "first";
    writer.setPageHeader([&](int32_t page) {
        Band b = line("header " + std::to_string(page) + " " + state, 1000);
        return b;
    });
    writer.setPageFooter(400,
                         [](int32_t page) { return line("foot " + std::to_string(page), 400); });
    // Body: 10200 - 400 - 400 (footer) - 1000 (header) = 8400: eight bands of 1000 fit.
    for (int i = 1; i <= 9; ++i) {
        if (i == 9) state = "ninth";
        ASSERT_TRUE(writer.print(line("row " + std::to_string(i))));
    }
    EXPECT_EQ(sink.pages.size(), 1u);  // the second page is still open
    ASSERT_TRUE(writer.finish());
    ASSERT_EQ(sink.pages.size(), 2u);
    EXPECT_EQ(texts(sink.pages[0]).front(), "header 1 first");
    EXPECT_EQ(texts(sink.pages[0])[8], "row 8");
    EXPECT_EQ(texts(sink.pages[0]).back(), "foot 1");
    // The header is made when its page begins: it shows the state of the row that starts it.
    EXPECT_EQ(texts(sink.pages[1]),
              (std::vector<std::string>{"header 2 ninth", "row 9", "foot 2"}));
    const PageItem& foot = sink.pages[1].items.back();
    EXPECT_EQ(foot.y, kMarginBottom - 400);
    EXPECT_FALSE(writer.pageOpen());
}

TEST(ReportWriter, SectionHeadingStaysWithItsFirstBandAndRepeatsOnLaterPages) {
    PageList sink;
    ReportWriter writer(sink);
    writer.setPageHeader([](int32_t) { return line("header", 1000); });
    for (int i = 0; i < 8; ++i) ASSERT_TRUE(writer.print(line("before")));
    // One band's room is left: the heading and its first row go to the next page together.
    writer.beginSection(line("Deposits", 500));
    ASSERT_TRUE(writer.print(line("d1")));
    ASSERT_TRUE(writer.print(line("d2")));
    for (int i = 0; i < 8; ++i) ASSERT_TRUE(writer.print(line("d")));
    writer.endSection();
    writer.breakPage();
    ASSERT_TRUE(writer.print(line("after")));
    ASSERT_TRUE(writer.finish());
    ASSERT_EQ(sink.pages.size(), 4u);
    EXPECT_EQ(texts(sink.pages[0]).back(), "before");
    EXPECT_EQ(texts(sink.pages[1]), (std::vector<std::string>{"header", "Deposits", "d1", "d2", "d",
                                                              "d", "d", "d", "d", "d"}));
    // The section continues on the next page under its heading.
    EXPECT_EQ(texts(sink.pages[2]), (std::vector<std::string>{"header", "Deposits", "d", "d"}));
    EXPECT_EQ(texts(sink.pages[3]), (std::vector<std::string>{"header", "after"}));
}

TEST(ReportWriter, StopsWhenTheSinkRefusesAPage) {
    PageList sink;
    sink.refuseFrom = 2;
    ReportWriter writer(sink);
    bool ok = true;
    for (int i = 0; i < 30 && ok; ++i) ok = writer.print(line("row"));
    EXPECT_FALSE(ok);
    EXPECT_TRUE(writer.failed());
    EXPECT_FALSE(writer.print(line("more")));
    EXPECT_FALSE(writer.finish());
    EXPECT_EQ(sink.pages.size(), 1u);
}

TEST(ReportText, LongTextWrapsAtBlanksOrIsCutToItsColumn) {
    const int w = textWidth(FontRole::Detail, "Mesa County Water");
    EXPECT_EQ(wrapText(FontRole::Detail, "Mesa County Water District office", w),
              (std::vector<std::string>{"Mesa County Water", "District office"}));
    EXPECT_TRUE(wrapText(FontRole::Detail, "   ", w).empty());
    // A word wider than the column is cut where it stops fitting, and continues below.
    const std::string word(60, 'W');
    const std::vector<std::string> lines = wrapText(FontRole::Detail, word, w);
    ASSERT_GE(lines.size(), 2u);
    std::string joined;
    for (const std::string& l : lines) {
        EXPECT_LE(textWidth(FontRole::Detail, l), w);
        joined += l;
    }
    EXPECT_EQ(joined, word);
    // One line is cut to fit, never split inside a character.
    Band b;
    b.text(0, 0, textWidth(FontRole::Detail, "Café"), FontRole::Detail, Align::Left, "Café Über");
    EXPECT_EQ(b.items().front().text, "Café");
}

TEST(PageFiles, KeepEachPageAsSvgTextAndAsLayoutUntilTheyGo) {
    std::string folder;
    {
        PageFiles files;
        ASSERT_TRUE(files.valid()) << files.errorText();
        folder = files.folder();
        for (int n = 1; n <= 3; ++n) {
            ReportPage page;
            page.number = n;
            Band b = line("Smith & Sons <page " + std::to_string(n) + ">");
            b.rule(kMarginLeft, 300, 2000);
            for (const PageItem& i : b.items()) page.items.push_back(i);
            ASSERT_TRUE(files.addPage(page));
        }
        const std::vector<std::string> queue = files.queue();
        ASSERT_EQ(queue.size(), 3u);
        // The preview reads the text as drawn, escaped characters included.
        EXPECT_EQ(pageFileText(queue[1]), "Smith & Sons <page 2>");
        ReportPage back;
        ASSERT_TRUE(files.readPage(queue[2], back));
        EXPECT_EQ(back.number, 3);
        ASSERT_EQ(back.items.size(), 2u);
        EXPECT_EQ(back.items[0].text, "Smith & Sons <page 3>");
        EXPECT_EQ(back.items[1].kind, PageItem::Kind::Line);
        EXPECT_EQ(back.items[1].width, 2000);
        EXPECT_FALSE(files.readPage("/elsewhere/page000001.svg", back));
        EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(folder)));
    }
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(folder)));
}

}  // namespace
}  // namespace reports
