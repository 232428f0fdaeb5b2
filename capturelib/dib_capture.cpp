// Windows and the screen to DIBs.
#include <QGuiApplication>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

#include "capturelib/dib.h"

namespace capture {
namespace {

// What a window's client area is: a main window's central widget, a sub-window's widget, and
// for any other window the window itself.
QWidget* clientOf(QWidget* window) {
    if (auto* main = qobject_cast<QMainWindow*>(window)) {
        if (main->centralWidget()) return main->centralWidget();
    } else if (auto* sub = qobject_cast<QMdiSubWindow*>(window)) {
        if (sub->widget()) return sub->widget();
    }
    return window;
}

int16_t toDib(const QImage& image, Dib& out) {
    if (image.isNull()) return ERR_SCREEN;
    out = Dib::fromImage(image);
    return out.isNull() ? ERR_MEMORY : DIB_OK;
}

}  // namespace

int16_t CopyWindowToDIB(QWidget* window, int32_t area, Dib& out) {
    out = {};
    if (window == nullptr) return ERR_SCREEN;
    QWidget* source = area == 2 ? clientOf(window) : window;
    if (source->width() <= 0 || source->height() <= 0) return ERR_EMPTY;
    // The widget paints itself into the picture, so windows that overlap it or a menu that has
    // just closed over it do not show.
    return toDib(source->grab().toImage(), out);
}

QImage grabScreen(QRect& geometry) {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return {};
    geometry = screen->virtualGeometry();
    QImage image =
        screen->grabWindow(0, geometry.x(), geometry.y(), geometry.width(), geometry.height())
            .toImage();
    // Some platforms can only read what lies inside one of the program's windows.
    if (image.isNull() || image.size() != geometry.size() * image.devicePixelRatio()) return {};
    return image;
}

int16_t CopyScreenToDIB(const QRect& rect, Dib& out) {
    out = {};
    if (rect.width() <= 0 || rect.height() <= 0) return ERR_EMPTY;
    QScreen* screen = QGuiApplication::screenAt(rect.center());
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return ERR_SCREEN;
    return toDib(screen->grabWindow(0, rect.x(), rect.y(), rect.width(), rect.height()).toImage(),
                 out);
}

}  // namespace capture
