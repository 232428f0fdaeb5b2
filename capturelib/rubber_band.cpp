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
    p.setCompositionMode(QPainter::CompositionMode_Source);
    if (screen_.isNull())
        p.fillRect(rect(), Qt::transparent);
    else
        p.drawImage(rect(), screen_);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    // The screen is dimmed, except the rectangle being dragged, which has a clear outline.
    const QRect band = dragging_ ? QRect(start_, current_).normalized() : QRect();
    const QColor dim(0, 0, 0, 70);
    if (band.isEmpty()) {
        p.fillRect(rect(), dim);
    } else {
        QRegion outside(rect());
        outside -= band;
        for (const QRect& r : outside) p.fillRect(r, dim);
        p.setPen(QPen(QColor(0, 120, 215), 2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(band.adjusted(1, 1, -1, -1));
    }
    if (!dragging_) {
        const QString hint = "Drag over the area to capture; Esc cancels.";
        const QRect box = p.fontMetrics().boundingRect(hint).adjusted(-10, -6, 10, 6);
        const QRect at(rect().center().x() - box.width() / 2, 24, box.width(), box.height());
        p.fillRect(at, QColor(255, 255, 225));
        p.setPen(Qt::black);
        p.drawRect(at.adjusted(0, 0, -1, -1));
        p.drawText(at, Qt::AlignCenter, hint);
    }
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
    if (old.isEmpty())
        update();  // the hint goes
    else
        update(old.united(QRect(start_, current_).normalized()).adjusted(-3, -3, 3, 3));
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
