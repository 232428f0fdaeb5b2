#include "rubber_band.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

#include "capturelib/dib.h"

namespace capture {
namespace {

// Lets windows that just closed (the menu that started the selection) vanish from the screen
// before it is read.
void settleScreen() {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 150) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 25);
        QCoreApplication::sendPostedEvents();
    }
}

}  // namespace

RubberBandWindow::RubberBandWindow(const QImage& screen, const QRect& geometry, QWidget* owner)
    : QWidget(owner, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                         Qt::BypassWindowManagerHint),
      screen_(screen) {
    setObjectName(kRubberBandClass);
    setWindowTitle("Select an area");
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_NoSystemBackground);
    if (screen_.isNull()) setAttribute(Qt::WA_TranslucentBackground);
    setCursor(Qt::CrossCursor);
    setMouseTracking(false);
    setGeometry(geometry);
}

void RubberBandWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!screen_.isNull()) p.drawImage(rect(), screen_);
    if (!dragging_) return;
    const QRect band = QRect(start_, current_).normalized();
    // A dark and a light dashed outline, so the rectangle shows on any background.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::black, 1, Qt::SolidLine));
    p.drawRect(band);
    p.setPen(QPen(Qt::white, 1, Qt::DashLine));
    p.drawRect(band);
}

void RubberBandWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        start_ = current_ = event->position().toPoint();
        dragging_ = true;
        update();
    } else if (event->button() == Qt::RightButton) {
        finish({});
    }
}

void RubberBandWindow::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_ || !(event->buttons() & Qt::LeftButton)) return;
    const QRect old = QRect(start_, current_).normalized();
    current_ = event->position().toPoint();
    update(old.united(QRect(start_, current_).normalized()).adjusted(-2, -2, 2, 2));
}

void RubberBandWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !dragging_) return;
    current_ = event->position().toPoint();
    dragging_ = false;
    // The rectangle spans from the press to the release point, the release point excluded, so
    // a click without a drag selects nothing.
    const QRect band =
        QRect(
            QPoint(std::min(start_.x(), current_.x()), std::min(start_.y(), current_.y())),
            QPoint(std::max(start_.x(), current_.x()) - 1, std::max(start_.y(), current_.y()) - 1))
            .intersected(rect());
    finish(band.isEmpty() ? QRect() : band.translated(geometry().topLeft()));
}

void RubberBandWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape)
        finish({});
    else
        QWidget::keyPressEvent(event);
}

void RubberBandWindow::closeEvent(QCloseEvent* event) {
    if (!done_) {
        done_ = true;
        emit finished();
    }
    event->accept();
}

void RubberBandWindow::finish(const QRect& rect) {
    if (done_) return;
    selected_ = rect;
    done_ = true;
    emit finished();
    close();
}

Selection selectScreenArea(QWidget* owner) {
    settleScreen();
    QRect geometry;
    const QImage screen = grabScreen(geometry);
    if (geometry.isEmpty()) return {};

    QEventLoop loop;
    QPointer<RubberBandWindow> window = new RubberBandWindow(screen, geometry, owner);
    Selection result;
    QObject::connect(window, &RubberBandWindow::finished, &loop, [&] {
        result.rect = window->selected();
        loop.quit();
    });
    window->show();
    window->raise();
    window->activateWindow();
    window->grabKeyboard();
    loop.exec(QEventLoop::DialogExec);
    if (window) {
        window->releaseKeyboard();
        window->close();
    }
    if (result.rect.isEmpty()) return {};

    if (!screen.isNull()) {
        // The picture may have more pixels than the screen has points (high-density screens).
        const qreal ratio = screen.devicePixelRatio();
        const QRect local = result.rect.translated(-geometry.topLeft());
        result.picture = screen.copy(QRect((local.topLeft() * ratio), local.size() * ratio));
    } else {
        settleScreen();
        Dib dib;
        if (CopyScreenToDIB(result.rect, dib) == DIB_OK) result.picture = dib.toImage();
    }
    return result;
}

}  // namespace capture
