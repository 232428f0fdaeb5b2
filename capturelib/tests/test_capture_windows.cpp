// The exported capture operations on live widgets, the in-process clipboard, printers that
// write PDF files and the selection window driven by simulated mouse input.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QPrinter>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "capturelib/capture_state.h"
#include "capturelib/capturelib.h"
#include "capturelib/dib.h"
#include "corelib/message_script.h"
#include "testsupport/sandbox.h"

using namespace capture;

namespace {

QWidget* solidWidget(const QColor& colour, QWidget* parent = nullptr) {
    auto* w = new QWidget(parent);
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colour);
    w->setPalette(p);
    w->setAutoFillBackground(true);
    return w;
}

// Finds the selection window once it is open and hands it to `drive` (gives up after 5 s).
void whenSelectionOpens(std::function<void(QWidget*)> drive, int tries = 250) {
    QTimer::singleShot(20, [drive, tries] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "RubberBandClass" && w->isVisible()) return drive(w);
        if (tries > 0) whenSelectionOpens(drive, tries - 1);
    });
}

class CaptureLibTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sandbox_.valid());
        QDir::setCurrent(QString::fromStdString(sandbox_.path()));
        resetLibrary();
        setPrinterChooser([this](QPrinter& printer, bool ask, QWidget*) {
            asked_.push_back(ask);
            jobs_.push_back(printer.docName());
            if (cancelPrint_) return false;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(file("print.pdf"));
            return true;
        });
        QGuiApplication::clipboard()->setText("nothing but text");
    }
    void TearDown() override {
        setPrinterChooser(nullptr);
        resetLibrary();
    }

    // A main window with a menu bar over a green client area.
    QMainWindow* mainWindow() {
        main_ = std::make_unique<QMainWindow>();
        main_->setWindowTitle("Capture test window");
        main_->menuBar()->addMenu("&File");
        main_->setCentralWidget(solidWidget(QColor(0, 160, 0)));
        main_->resize(320, 240);
        main_->show();
        QApplication::processEvents();
        return main_.get();
    }
    void init() {
        QMainWindow* main = mainWindow();
        CAP_INIT(main, main->centralWidget(), nullptr);
    }

    QString file(const char* name) const { return QString::fromStdString(sandbox_.file(name)); }
    QStringList files() const {
        return QDir(QString::fromStdString(sandbox_.path())).entryList(QDir::Files);
    }
    QByteArray pdf() const {
        QFile f(file("print.pdf"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    testsupport::Sandbox sandbox_;  // first: also the working folder while the test runs
    std::unique_ptr<QMainWindow> main_;
    std::vector<bool> asked_;
    QStringList jobs_;
    bool cancelPrint_ = false;
};

TEST_F(CaptureLibTest, EveryOperationBeforeInitGivesTwentyThreeAndDoesNothing) {
    QWidget* w = mainWindow();
    QLabel label;
    EXPECT_EQ(CAP_PRINTWINDOW(w, 1, 1, 1, 0, 0, 1), 23);
    EXPECT_EQ(CAP_SAVEWINDOW(w, "window.bmp", 1, 0), 23);
    EXPECT_EQ(CAP_SAVEWINDOW(w, "CLIPBOARD", 1, 0), 23);
    EXPECT_EQ(CAP_CLIPBOARDTOIMAGE(w, &label), 23);
    EXPECT_EQ(CAP_PRINTCLIPBOARD(w, 1, 1, 1, 0, 1), 23);
    EXPECT_EQ(CAP_SAVECLIPBOARD(w, "clip.bmp", 0), 23);
    EXPECT_EQ(CAP_PRINTSELECTEDAREA(1, 1, 1, 0, 1), 23);
    EXPECT_EQ(CAP_SAVESELECTEDAREA("area.bmp", 0), 23);
    EXPECT_EQ(CAP_GETAPPWINDOW(), nullptr);
    EXPECT_EQ(CAP_GETAPPCLIENTWINDOW(), nullptr);
    EXPECT_TRUE(files().isEmpty());
    EXPECT_TRUE(jobs_.isEmpty());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "nothing but text");

    // The error text explains the code, before CAP_INIT too.
    EXPECT_EQ(CAP_ERROR(23), corelib::msg::OK);
    ASSERT_EQ(sandbox_.messages->count(), 1u);
    EXPECT_EQ(sandbox_.messages->last()->caption, "CAP_Error");
    EXPECT_EQ(sandbox_.messages->last()->text, "Library Not Initialized!");
}

TEST_F(CaptureLibTest, InitRemembersItsWindowsWhileTheyLive) {
    init();
    EXPECT_EQ(CAP_GETAPPWINDOW(), main_.get());
    EXPECT_EQ(CAP_GETAPPCLIENTWINDOW(), main_->centralWidget());

    QWidget* gone = main_.release();
    delete gone;
    EXPECT_EQ(CAP_GETAPPWINDOW(), nullptr);
    EXPECT_EQ(CAP_GETAPPCLIENTWINDOW(), nullptr);
    // A handle that is no longer a window is refused without being followed.
    EXPECT_EQ(CAP_SAVEWINDOW(gone, "gone.bmp", 1, 0), ERR_INVALIDHANDLE);
    EXPECT_EQ(CAP_PRINTWINDOW(gone, 1, 1, 1, 0, 0, 1), ERR_INVALIDHANDLE);
    EXPECT_TRUE(files().isEmpty());
}

TEST_F(CaptureLibTest, SavesTheWindowOrItsClientAreaAsBitmapOrJpeg) {
    init();
    QWidget* client = main_->centralWidget();
    ASSERT_EQ(CAP_SAVEWINDOW(main_.get(), "whole.bmp", CAP_AREA_WINDOW, 0), 0);
    ASSERT_EQ(CAP_SAVEWINDOW(main_.get(), "client.bmp", CAP_AREA_CLIENT, 0), 0);
    const QImage whole(file("whole.bmp")), inside(file("client.bmp"));
    EXPECT_EQ(whole.size(), main_->size());
    EXPECT_EQ(inside.size(), client->size());
    EXPECT_LT(inside.height(), whole.height());  // the menu bar is not client area
    EXPECT_EQ(QColor(inside.pixel(inside.width() / 2, inside.height() / 2)).name(), "#00a000");

    ASSERT_EQ(CAP_SAVEWINDOW(main_.get(), "whole.jpg", CAP_AREA_WINDOW, 1), 0);
    QProcess identify;
    identify.start("identify", {"-format", "%m %wx%h %[jpeg:sampling-factor]", file("whole.jpg")});
    ASSERT_TRUE(identify.waitForFinished(30000));
    EXPECT_EQ(
        identify.readAllStandardOutput().toStdString(),
        QString("JPEG %1x%2 4x1,1x1,1x1").arg(main_->width()).arg(main_->height()).toStdString());

    EXPECT_EQ(CAP_SAVEWINDOW(main_.get(), "", 1, 0), ERR_NOFILENAME);
    EXPECT_EQ(CAP_SAVEWINDOW(main_.get(), nullptr, 1, 0), ERR_NOFILENAME);
    EXPECT_EQ(CAP_SAVEWINDOW(main_.get(), "missing/folder.bmp", 1, 0), ERR_OPEN);
    EXPECT_EQ(CAP_SAVEWINDOW(main_.get(), "missing/folder.jpg", 1, 1), ERR_JPEG);
    EXPECT_EQ(files(), (QStringList{"client.bmp", "whole.bmp", "whole.jpg"}));
}

TEST_F(CaptureLibTest, ClipboardNameInAnyCasePutsThePictureOnTheClipboardAndWritesNoFile) {
    init();
    for (const char* name : {"CLIPBOARD", "clipboard", "ClipBoard"}) {
        QGuiApplication::clipboard()->setText("text first");
        ASSERT_EQ(CAP_SAVEWINDOW(main_.get(), name, CAP_AREA_CLIENT, 0), 0) << name;
        const QImage image = QGuiApplication::clipboard()->image();
        EXPECT_EQ(image.size(), main_->centralWidget()->size()) << name;
        EXPECT_EQ(QColor(image.pixel(5, 5)).name(), "#00a000") << name;
        EXPECT_FALSE(QGuiApplication::clipboard()->mimeData()->hasText()) << name;
    }
    // Even with the JPEG flag the clipboard gets the picture, not a file.
    ASSERT_EQ(CAP_SAVEWINDOW(main_.get(), "Clipboard", CAP_AREA_WINDOW, 1), 0);
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), main_->size());
    EXPECT_TRUE(files().isEmpty());
}

TEST_F(CaptureLibTest, ClipboardHoldingOnlyTextGivesTwentyFourAndItsText) {
    init();
    QLabel label;
    EXPECT_EQ(CAP_SAVECLIPBOARD(main_.get(), "clip.bmp", 0), 24);
    EXPECT_EQ(CAP_PRINTCLIPBOARD(main_.get(), 1, 1, 1, 0, 1), 24);
    EXPECT_EQ(CAP_CLIPBOARDTOIMAGE(main_.get(), &label), 24);
    EXPECT_TRUE(label.pixmap().isNull());
    EXPECT_TRUE(files().isEmpty());
    EXPECT_TRUE(jobs_.isEmpty());

    CAP_ERROR(24);
    EXPECT_EQ(sandbox_.messages->last()->text, "Clipboard does not contain a supported format.");
    EXPECT_EQ(sandbox_.messages->last()->caption, "CAP_Error");
    CAP_ERROR(ERR_OPEN);
    EXPECT_EQ(sandbox_.messages->last()->text, DIBError(ERR_OPEN).toStdString());
    CAP_ERROR(40);
    EXPECT_EQ(sandbox_.messages->last()->text, "Unknown error 40.");
}

TEST_F(CaptureLibTest, ClipboardBitmapOrDrawingBecomesAPicture) {
    init();
    QImage bitmap(30, 20, QImage::Format_RGB32);
    bitmap.fill(QColor(10, 20, 200));
    QGuiApplication::clipboard()->setImage(bitmap);
    ASSERT_EQ(CAP_SAVECLIPBOARD(main_.get(), "bitmap.bmp", 0), 0);
    const QImage saved(file("bitmap.bmp"));
    EXPECT_EQ(saved.size(), QSize(30, 20));
    EXPECT_EQ(QColor(saved.pixel(3, 3)).name(), "#0a14c8");
    QLabel label;
    ASSERT_EQ(CAP_CLIPBOARDTOIMAGE(main_.get(), &label), 0);
    EXPECT_EQ(label.pixmap().size(), QSize(30, 20));
    EXPECT_EQ(CAP_CLIPBOARDTOIMAGE(main_.get(), main_.get()), ERR_INVALIDHANDLE);  // no label

    // A drawing alone is rendered on white at its own size.
    auto* drawing = new QMimeData;
    drawing->setData("image/svg+xml",
                     "<svg xmlns='http://www.w3.org/2000/svg' width='40' height='30'>"
                     "<rect x='0' y='0' width='20' height='30' fill='#ff0000'/></svg>");
    QGuiApplication::clipboard()->setMimeData(drawing);
    ASSERT_EQ(CAP_SAVECLIPBOARD(main_.get(), "drawing.bmp", 0), 0);
    const QImage rendered(file("drawing.bmp"));
    EXPECT_EQ(rendered.size(), QSize(40, 30));
    EXPECT_EQ(QColor(rendered.pixel(5, 15)).name(), "#ff0000");
    EXPECT_EQ(QColor(rendered.pixel(35, 15)).name(), "#ffffff");

    auto* broken = new QMimeData;
    broken->setData("image/svg+xml", "<svg this is not");
    QGuiApplication::clipboard()->setMimeData(broken);
    EXPECT_EQ(CAP_SAVECLIPBOARD(main_.get(), "broken.bmp", 0), 24);
    EXPECT_FALSE(QFile::exists(file("broken.bmp")));
}

TEST_F(CaptureLibTest, PrintsTheWindowAsAJobNamedAfterItsTitle) {
    init();
    const QString title = QString("Browse Transaction Register ").repeated(4);  // 112 characters
    main_->setWindowTitle(title);
    ASSERT_EQ(CAP_PRINTWINDOW(main_.get(), 1, CAP_PRINT_BESTFIT, 1, 0, 0, 1), 0);
    ASSERT_EQ(jobs_.size(), 1);
    EXPECT_EQ(jobs_[0], title.left(63));
    EXPECT_TRUE(asked_[0]);
    const QByteArray printed = pdf();
    EXPECT_TRUE(printed.startsWith("%PDF"));
    EXPECT_TRUE(printed.contains("/Subtype /Image"));

    // Without the dialog the job still reaches the chosen printer; the clipboard prints too.
    QGuiApplication::clipboard()->setImage(QImage(10, 10, QImage::Format_RGB32));
    EXPECT_EQ(CAP_PRINTCLIPBOARD(main_.get(), CAP_PRINT_STRETCH, 1, 1, 1, 2), 0);
    ASSERT_EQ(jobs_.size(), 2);
    EXPECT_FALSE(asked_[1]);
    EXPECT_EQ(jobs_[1], "Clipboard");
}

TEST_F(CaptureLibTest, CancelledPrintDialogPrintsNothing) {
    init();
    cancelPrint_ = true;
    EXPECT_EQ(CAP_PRINTWINDOW(main_.get(), 2, CAP_PRINT_SCALE, 2, 2, 0, 1), ERR_CANCELLED);
    EXPECT_EQ(jobs_.size(), 1);
    EXPECT_FALSE(QFile::exists(file("print.pdf")));
}

TEST_F(CaptureLibTest, ClickWithoutDragInTheSelectionWindowDoesNothing) {
    init();
    QPointer<QWidget> selection;
    whenSelectionOpens([&](QWidget* w) {
        selection = w;
        QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(50, 50));
    });
    EXPECT_EQ(CAP_SAVESELECTEDAREA("area.bmp", 0), ERR_CANCELLED);
    whenSelectionOpens([](QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(9, 9)); });
    EXPECT_EQ(CAP_PRINTSELECTEDAREA(1, 1, 1, 0, 1), ERR_CANCELLED);
    whenSelectionOpens([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
    EXPECT_EQ(CAP_SAVESELECTEDAREA("CLIPBOARD", 0), ERR_CANCELLED);

    EXPECT_TRUE(files().isEmpty());
    EXPECT_TRUE(jobs_.isEmpty());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "nothing but text");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(selection.isNull());
    EXPECT_EQ(CAP_SAVEWINDOW(main_.get(), "after.bmp", 1, 0), 0);  // nothing left behind
}

TEST_F(CaptureLibTest, DraggedAreaIsSavedAtItsSize) {
    init();
    main_->move(0, 0);
    QApplication::processEvents();
    const QPoint inside = main_->centralWidget()->mapToGlobal(QPoint(10, 10));
    whenSelectionOpens([&](QWidget* w) {
        const QPoint from = w->mapFromGlobal(inside);
        QTest::mousePress(w, Qt::LeftButton, {}, from);
        QTest::mouseMove(w, from + QPoint(60, 30));
        QTest::mouseRelease(w, Qt::LeftButton, {}, from + QPoint(100, 50));
    });
    ASSERT_EQ(CAP_SAVESELECTEDAREA("area.bmp", 0), 0);
    const QImage area(file("area.bmp"));
    EXPECT_EQ(area.size(), QSize(100, 50));
    EXPECT_EQ(QColor(area.pixel(50, 25)).name(), "#00a000");
}

}  // namespace
