// The preview window, offscreen: what the clerk sees and does, and what the caller gets back.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QSpinBox>
#include <QSvgGenerator>
#include <QTableView>
#include <QTimer>
#include <QToolButton>

#include "corelib/globals.h"
#include "corelib/ui/preview_window.h"
#include "corelib/zor_preview.h"
#include "testsupport/sandbox.h"

using namespace corelib;

namespace {

class PreviewWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (int i = 1; i <= 5; ++i) {
            const QString name =
                QString::fromStdString(sandbox.file("page" + std::to_string(i) + ".svg"));
            QSvgGenerator svg;
            svg.setFileName(name);
            svg.setSize(QSize(816, 1056));
            svg.setViewBox(QRect(0, 0, 8500, 11000));
            QPainter p(&svg);
            QFont f;
            f.setPixelSize(150);
            p.setFont(f);
            p.drawText(QPointF(500, 800),
                       i % 2 ? QString("Operating Account") : QString("Payroll"));
            p.drawText(QPointF(500, 1200), QString("Page: %1").arg(i));
            p.end();
            queue.push_back(name.toStdString());
        }
    }
    void TearDown() override { setPreviewBackend(nullptr); }

    testsupport::Sandbox sandbox;
    std::vector<std::string> queue;
};

TEST_F(PreviewWindowTest, OpensAtFitWidthWithThePageListAndStatusLine) {
    PreviewPages pages(queue);
    PreviewOptions options;
    options.title = "Report Preview";
    options.showPageList = true;
    PreviewWindow window(pages, options);
    window.show();
    QApplication::processEvents();

    EXPECT_EQ(window.windowTitle(), "Report Preview");
    EXPECT_TRUE(window.pageList()->isVisible());
    EXPECT_EQ(window.pageList()->model()->rowCount(), 5);
    EXPECT_EQ(window.pageList()->model()->headerData(0, Qt::Horizontal).toString(), "Page");
    EXPECT_EQ(window.pageList()->model()->headerData(1, Qt::Horizontal).toString(), "Size");
    EXPECT_EQ(window.statusLabel()->text().toStdString(), pages.statusText());
    EXPECT_EQ(window.pageSpin()->maximum(), 5);
    EXPECT_EQ(window.pagesToPrintEdit()->toolTip(),
              "Valid options:  All, None, Even, Odd, individual pages (1,2,5) and page range "
              "(1-5)");

    // Fit width takes the page list into account: hiding the list leaves a wider page.
    const int withList = window.zoom();
    EXPECT_GE(withList, 25);
    window.pageListButton()->click();
    QApplication::processEvents();
    window.fitWidth();
    EXPECT_GT(window.zoom(), withList);

    window.setZoom(30);
    window.stepSpin()->setValue(20);
    window.zoomOutButton()->click();
    EXPECT_EQ(window.zoom(), 25);
    window.setZoom(290);
    window.zoomInButton()->click();
    EXPECT_EQ(window.zoom(), 300);
}

TEST_F(PreviewWindowTest, SearchShowsItsResultsAndTagsThePagesFound) {
    PreviewPages pages(queue);
    PreviewWindow window(pages, PreviewOptions{});
    window.show();
    EXPECT_EQ(window.windowTitle(), "Print Preview");  // a blank title keeps the window's own

    window.searchEdit()->setText("payroll");
    window.search();
    EXPECT_EQ(window.searchStatusLabel()->text(), "Found 2 pages containing \"payroll\"");
    EXPECT_EQ(window.hitList()->model()->rowCount(), 2);
    EXPECT_EQ(window.hitList()->model()->index(1, 1).data().toInt(), 4);
    EXPECT_TRUE(window.hitList()->isVisible());
    EXPECT_EQ(window.focusWidget(), window.hitList());
    // The first result's page is shown; choosing another result shows its page.
    EXPECT_EQ(window.currentPage(), 1);
    window.hitList()->selectRow(1);
    EXPECT_EQ(window.currentPage(), 3);
    // So does moving through the page list.
    window.pageList()->selectRow(4);
    EXPECT_EQ(window.currentPage(), 4);
    EXPECT_EQ(window.pageSpin()->value(), 5);

    window.pagesToPrintEdit()->setText("none");
    window.applyPagesToPrint();
    window.tagWithButton()->click();
    std::vector<int> marked;
    for (const PreviewPage& p : pages.pages())
        if (p.PRINTPAGE) marked.push_back(p.PAGENUMBER);
    EXPECT_EQ(marked, (std::vector<int>{2, 4}));

    window.searchEdit()->setText("Ledger");
    window.search();
    EXPECT_EQ(window.searchStatusLabel()->text(), "\"Ledger\" was not found");
    EXPECT_EQ(window.hitList()->model()->rowCount(), 0);
}

TEST_F(PreviewWindowTest, ButtonsCloseWithTheChoiceAndCopies) {
    {
        PreviewPages pages(queue);
        PreviewWindow window(pages, PreviewOptions{});
        window.show();
        window.goToPage(2);
        window.copiesSpin()->setValue(3);
        window.printOneButton()->click();
        EXPECT_TRUE(window.answer().print);
        EXPECT_EQ(window.answer().copies, 3);
        std::vector<std::string> out;
        pages.finish(true, window.answer().copies, out);
        EXPECT_EQ(out, (std::vector<std::string>{queue[2], queue[2], queue[2]}));
    }
    {
        PreviewPages pages(queue);
        PreviewWindow window(pages, PreviewOptions{});
        window.show();
        window.goToPage(1);
        window.toggleButton()->click();
        window.menuPrint()->trigger();
        EXPECT_TRUE(window.answer().print);
        EXPECT_EQ(pages.markedCount(), 4);
    }
    for (int how = 0; how < 3; ++how) {
        PreviewPages pages(queue);
        PreviewWindow window(pages, PreviewOptions{});
        window.show();
        if (how == 0) window.cancelButton()->click();
        if (how == 1) window.menuExit()->trigger();
        if (how == 2) window.close();  // the title bar's close box
        EXPECT_FALSE(window.answer().print) << how;
        EXPECT_FALSE(window.isVisible());
    }
}

TEST_F(PreviewWindowTest, ZorPreviewThroughTheWindowRefillsTheCallersQueue) {
    usePreviewWindows();
    // The clerk types a page range, asks for two copies and prints.
    QTimer::singleShot(0, [] {
        auto* window = qobject_cast<PreviewWindow*>(QApplication::activeModalWidget());
        ASSERT_NE(window, nullptr);
        window->pagesToPrintEdit()->setText("4-2");
        window->copiesSpin()->setValue(2);
        window->printAllButton()->click();
    });
    std::vector<std::string> q = queue;
    EXPECT_EQ(ZOR_PREVIEW(q, kZoomFitWidth, 1, "Report Preview", 1), 1);
    EXPECT_EQ(
        q, (std::vector<std::string>{queue[1], queue[2], queue[3], queue[1], queue[2], queue[3]}));
    EXPECT_EQ(GlobalResponse, RequestCompleted);

    QTimer::singleShot(0, [] {
        auto* window = qobject_cast<PreviewWindow*>(QApplication::activeModalWidget());
        ASSERT_NE(window, nullptr);
        window->cancelButton()->click();
    });
    q = queue;
    EXPECT_EQ(ZOR_PREVIEW(q, 0, 1, "Report Preview", 0), 0);
    EXPECT_TRUE(q.empty());
    EXPECT_EQ(GlobalResponse, RequestCancelled);
}

}  // namespace
