#pragma once
// The selection window: it covers the whole screen, showing the screen as it was when it
// opened, and lets the user drag a rectangle with the left button. Releasing the button ends
// the selection; a click without a drag, Escape or the right button ends it with nothing.
#include <QImage>
#include <QRect>
#include <QWidget>

namespace capture {

inline constexpr const char* kRubberBandClass = "RubberBandClass";

// What the user selected: the rectangle in screen coordinates (empty when nothing was
// selected) and its picture as the screen showed it.
struct Selection {
    QRect rect;
    QImage picture;
};

// Opens the selection window over the screen, owned by `owner` (may be null), and waits in a
// local event loop until it closes.
Selection selectScreenArea(QWidget* owner);

class RubberBandWindow : public QWidget {
    Q_OBJECT
  public:
    // `screen` is the picture of the screen (may be null: the window is then transparent and
    // the area is read from the screen once the window is gone); `geometry` where it lies.
    RubberBandWindow(const QImage& screen, const QRect& geometry, QWidget* owner);

    // The rectangle dragged, in screen coordinates; empty until a drag ended.
    QRect selected() const { return selected_; }

  signals:
    void finished();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void finish(const QRect& rect);

    QImage screen_;
    QPoint start_;
    QPoint current_;
    bool dragging_ = false;
    bool done_ = false;
    QRect selected_;
};

}  // namespace capture
