// Window capture as the clerk reaches it: the file names of Save Window, the Ctrl+click popup
// on the frame, its sub-windows and dialogs, and the frame's Capture menu.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPrinter>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include "bankrec/shell/ui/capture_wiring.h"
#include "bankrec/shell/ui/main_frame.h"
#include "capturelib/capture_state.h"
#include "capturelib/capturelib.h"
#include "capturelib/dib.h"
#include "frame_fixture.h"

using namespace shell;

namespace {

// Clicks once, without a drag, in the selection window as soon as it is open.
void clickWhenSelectionOpens(int tries = 250) {
    QTimer::singleShot(20, [tries] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "RubberBandClass" && w->isVisible())
                return QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(40, 40));
        if (tries > 0) clickWhenSelectionOpens(tries - 1);
    });
}

class CaptureWindowTest : public FrameFixture {
  protected:
    void SetUp() override {
        FrameFixture::SetUp();
        if (HasFatalFailure()) return;
        capture::resetLibrary();
        capture::setPrinterChooser([this](QPrinter& printer, bool, QWidget*) {
            jobs_ << printer.docName();
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(out("print.pdf"));
            return true;
        });
        QGuiApplication::clipboard()->setText("text only");

        openFrame();
        frame_->capture().setFileChooser([this](QWidget*, bool* jpeg) {
            *jpeg = chooseJpeg_;
            return chosen_;
        });
    }
    void TearDown() override {
        FrameFixture::TearDown();
        capture::setPrinterChooser(nullptr);
        capture::resetLibrary();
    }

    QString out(const QString& name) const {
        return QString::fromStdString(rootDir()) + "/" + name;
    }
    QMdiSubWindow* openRegister() {
        act("EditTransactionRegister")->trigger();
        QApplication::processEvents();
        return windows().value(0);
    }
    // Ctrl+clicks the widget and picks the popup's entry.
    void choose(QWidget* clicked, const QString& entry) {
        QTest::mouseClick(clicked, Qt::LeftButton, Qt::ControlModifier, QPoint(5, 5));
        auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(popup, nullptr);
        EXPECT_EQ(popup->objectName(), "CapturePopup");
        EXPECT_EQ(texts(popup->actions()),
                  (QStringList{"&Print Window", "&Save Window", "Place Window in &Clipboard"}));
        QAction* picked = nullptr;
        for (QAction* a : popup->actions())
            if (a->text() == entry) picked = a;
        ASSERT_NE(picked, nullptr);
        picked->trigger();
        popup->close();
        QApplication::processEvents();
        QApplication::processEvents();
    }

    QStringList jobs_;
    QString chosen_;
    bool chooseJpeg_ = false;
};

TEST_F(CaptureWindowTest, FrameInitialisesCaptureWithItsWindows) {
    EXPECT_EQ(CAP_GETAPPWINDOW(), frame_.get());
    EXPECT_EQ(CAP_GETAPPCLIENTWINDOW(), frame_->mdiArea());
}

TEST_F(CaptureWindowTest, CtrlClickInASubWindowCapturesThatSubWindow) {
    QMdiSubWindow* reg = openRegister();
    ASSERT_NE(reg, nullptr);
    QLabel* inside = reg->findChild<QLabel*>();
    ASSERT_NE(inside, nullptr);

    // A plain click is the window's own.
    QTest::mouseClick(inside, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);

    choose(inside, "Place Window in &Clipboard");
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), reg->size());

    chosen_ = out("register.txt");
    choose(inside, "&Save Window");
    EXPECT_EQ(QImage(out("register.bmp")).size(), reg->size());
    EXPECT_FALSE(QFile::exists(out("register.txt")));

    chosen_ = out("register.jpg");
    choose(inside, "&Save Window");
    EXPECT_EQ(QImage(out("register.jpg"), "JPEG").size(), reg->size());

    choose(inside, "&Print Window");
    EXPECT_EQ(jobs_, QStringList{reg->windowTitle()});
    EXPECT_TRUE(QFile::exists(out("print.pdf")));
    EXPECT_EQ(messages_->count(), 0u);
}

TEST_F(CaptureWindowTest, FrameAndDialogsOfferThePopupToo) {
    choose(frame_->statusBar(), "Place Window in &Clipboard");
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), frame_->size());

    QDialog dialog(frame_.get());
    dialog.resize(220, 140);
    auto* label = new QLabel("A dialog", &dialog);
    dialog.show();
    QApplication::processEvents();
    choose(label, "Place Window in &Clipboard");
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(220, 140));
}

TEST_F(CaptureWindowTest, CancelledSaveWritesNothingAndSaysNothingWhileAFailureIsShown) {
    QMdiSubWindow* reg = openRegister();
    chosen_.clear();
    choose(reg, "&Save Window");
    EXPECT_EQ(messages_->count(), 0u);
    EXPECT_TRUE(QDir(QString::fromStdString(rootDir())).entryList({"*.bmp", "*.jpg"}).isEmpty());
    EXPECT_TRUE(QDir(QString::fromStdString(dataDir())).entryList({"*.bmp", "*.jpg"}).isEmpty());

    chosen_ = out("missing/register.bmp");
    choose(reg, "&Save Window");
    ASSERT_EQ(messages_->count(), 1u);
    EXPECT_EQ(messages_->last()->caption, "CAP_Error");
    EXPECT_EQ(messages_->last()->text, capture::DIBError(capture::ERR_OPEN).toStdString());
}

TEST_F(CaptureWindowTest, CaptureMenuRunsTheClipboardAndAreaOperations) {
    QMenu* menu = frame_->findChild<QMenu*>("CaptureMenu");
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(texts(menu->actions()),
              (QStringList{"Print Selected &Area", "Save Selected A&rea...", "Print &Clipboard",
                           "Save Clip&board...", "&Show Clipboard..."}));

    // Text alone on the clipboard: the clerk is told so.
    chosen_ = out("clip.bmp");
    act("CaptureSaveClipboard")->trigger();
    ASSERT_EQ(messages_->count(), 1u);
    EXPECT_EQ(messages_->last()->text, "Clipboard does not contain a supported format.");
    EXPECT_FALSE(QFile::exists(out("clip.bmp")));

    // A picture on the clipboard is saved to the file chosen, even one called clipboard.bmp.
    QImage picture(24, 16, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QGuiApplication::clipboard()->setImage(picture);
    chosen_ = out("clipboard.bmp");
    act("CaptureSaveClipboard")->trigger();
    EXPECT_EQ(QImage(out("clipboard.bmp")).size(), QSize(24, 16));

    // The clipboard shown in a window of its own, closed with its button.
    QTimer::singleShot(0, [] {
        auto* shown = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(shown->findChild<QLabel*>("ClipboardPicture")->pixmap().size(), QSize(24, 16));
        QTest::mouseClick(shown->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Close),
                          Qt::LeftButton);
    });
    act("CaptureShowClipboard")->trigger();

    // A click without a drag in the selection window prints and saves nothing.
    clickWhenSelectionOpens();
    act("CapturePrintArea")->trigger();
    chosen_ = out("area.bmp");
    clickWhenSelectionOpens();
    act("CaptureSaveArea")->trigger();
    EXPECT_TRUE(jobs_.isEmpty());
    EXPECT_FALSE(QFile::exists(out("area.bmp")));
    EXPECT_EQ(messages_->count(), 1u);
}

}  // namespace
