#include "bankrec/shell/ui/capture_wiring.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

#include "bankrec/shell/capture_target.h"
#include "capturelib/capturelib.h"
#include "capturelib/dib.h"

namespace shell {

namespace {

constexpr const char* kFilters = "bitmap (*.bmp);;JPEG (*.jpg *.jpeg)";

QString askFileName(QWidget* parent, bool* jpeg) {
    QString filter;
    const QString name =
        QFileDialog::getSaveFileName(parent, QString(), QString(), kFilters, &filter);
    *jpeg = filter.startsWith("JPEG");
    return name;
}

// Shows a failure; a cancelled dialog or selection is no failure.
void report(int16_t code) {
    if (code != 0 && code != capture::ERR_CANCELLED) CAP_ERROR(static_cast<uint16_t>(code));
}

}  // namespace

CaptureWiring::CaptureWiring(QObject* parent) : QObject(parent), chooseFile_(askFileName) {
    qApp->installEventFilter(this);
}

CaptureWiring::~CaptureWiring() {
    qApp->removeEventFilter(this);
}

void CaptureWiring::setFileChooser(FileChooser chooser) {
    chooseFile_ = chooser ? std::move(chooser) : askFileName;
}

QWidget* CaptureWiring::windowOf(QWidget* widget) {
    if (widget == nullptr) return nullptr;
    QWidget* top = widget->window();
    if (top->windowType() == Qt::Popup || top->objectName() == "RubberBandClass") return nullptr;
    for (QWidget* w = widget; w != top; w = w->parentWidget())
        if (auto* sub = qobject_cast<QMdiSubWindow*>(w)) return sub;
    return top;
}

bool CaptureWiring::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseButtonPress || !watched->isWidgetType()) return false;
    auto* mouse = static_cast<QMouseEvent*>(event);
    const Qt::KeyboardModifiers keys =
        mouse->modifiers() &
        (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier | Qt::MetaModifier);
    if (mouse->button() != Qt::LeftButton || keys != Qt::ControlModifier) return false;
    QWidget* window = windowOf(static_cast<QWidget*>(watched));
    if (window == nullptr) return false;
    popup(window, mouse->globalPosition().toPoint());
    return true;
}

void CaptureWiring::popup(QWidget* window, const QPoint& at) {
    auto* menu = new QMenu(window);
    menu->setObjectName("CapturePopup");
    connect(menu, &QMenu::aboutToHide, menu, &QObject::deleteLater);
    const QPointer<QWidget> target = window;
    const std::pair<const char*, Choice> items[] = {
        {"&Print Window", PrintWindow},
        {"&Save Window", SaveWindow},
        {"Place Window in &Clipboard", ClipboardWindow}};
    for (const auto& [text, choice] : items) {
        // The choice runs once the menu is gone, not inside its event handling.
        connect(menu->addAction(text), &QAction::triggered, this, [this, target, c = choice] {
            QTimer::singleShot(0, this, [this, target, c] {
                if (target) run(target, c);
            });
        });
    }
    menu->popup(at);
}

void CaptureWiring::run(QWidget* window, Choice choice) {
    switch (choice) {
        case PrintWindow:
            report(CAP_PRINTWINDOW(window, CAP_AREA_WINDOW, CAP_PRINT_BESTFIT, 1, 0, 0, 1));
            break;
        case SaveWindow: {
            bool jpegFilter = false;
            const QString chosen = chooseFile_(window, &jpegFilter);
            const frame::CaptureTarget target =
                frame::captureTarget(chosen.toStdString(), jpegFilter);
            // A cancelled dialog saves under no name, which writes nothing.
            const int16_t rc = CAP_SAVEWINDOW(window, target.fileName.c_str(), CAP_AREA_WINDOW,
                                              target.jpeg ? 1 : 0);
            if (!(chosen.isEmpty() && rc == capture::ERR_NOFILENAME)) report(rc);
            break;
        }
        case ClipboardWindow:
            report(CAP_SAVEWINDOW(window, "CLIPBOARD", CAP_AREA_WINDOW, 0));
            break;
    }
}

QMenu* CaptureWiring::menu(QWidget* parent) {
    if (menu_ != nullptr) return menu_;
    menu_ = new QMenu("&Capture", parent);
    menu_->setObjectName("CaptureMenu");
    const auto add = [this](const char* name, const char* text, auto&& action) {
        QAction* a = menu_->addAction(text);
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, action);
    };
    add("CapturePrintArea", "Print Selected &Area",
        [] { report(CAP_PRINTSELECTEDAREA(CAP_PRINT_BESTFIT, 1, 0, 0, 1)); });
    add("CaptureSaveArea", "Save Selected A&rea...", [this, parent] { saveSelectedArea(parent); });
    menu_->addSeparator();
    add("CapturePrintClipboard", "Print &Clipboard",
        [parent] { report(CAP_PRINTCLIPBOARD(parent, CAP_PRINT_BESTFIT, 1, 0, 0, 1)); });
    add("CaptureSaveClipboard", "Save Clip&board...", [this, parent] { saveClipboard(parent); });
    add("CaptureShowClipboard", "&Show Clipboard...", [this, parent] { showClipboard(parent); });
    return menu_;
}

void CaptureWiring::saveSelectedArea(QWidget* parent) {
    bool jpegFilter = false;
    const QString chosen = chooseFile_(parent, &jpegFilter);
    if (chosen.isEmpty()) return;
    const frame::CaptureTarget target = frame::captureTarget(chosen.toStdString(), jpegFilter);
    report(CAP_SAVESELECTEDAREA(target.fileName.c_str(), target.jpeg ? 1 : 0));
}

void CaptureWiring::saveClipboard(QWidget* parent) {
    bool jpegFilter = false;
    const QString chosen = chooseFile_(parent, &jpegFilter);
    if (chosen.isEmpty()) return;
    // Saving the clipboard always writes a file, also one named clipboard.bmp.
    const frame::CaptureTarget target =
        frame::captureTarget(chosen.toStdString(), jpegFilter, /*clipboardName=*/false);
    report(CAP_SAVECLIPBOARD(parent, target.fileName.c_str(), target.jpeg ? 1 : 0));
}

void CaptureWiring::showClipboard(QWidget* parent) {
    QDialog dialog(parent);
    dialog.setObjectName("ShowClipboard");
    dialog.setWindowTitle("Clipboard");
    auto* picture = new QLabel(&dialog);
    picture->setObjectName("ClipboardPicture");
    picture->setAlignment(Qt::AlignCenter);
    auto* scroll = new QScrollArea(&dialog);
    scroll->setWidget(picture);
    scroll->setWidgetResizable(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(scroll);
    layout->addWidget(buttons);
    const int16_t rc = CAP_CLIPBOARDTOIMAGE(parent, picture);
    if (rc != 0) {
        report(rc);
        return;
    }
    dialog.resize(480, 360);
    dialog.exec();
}

}  // namespace shell
