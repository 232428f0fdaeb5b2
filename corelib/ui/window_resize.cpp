#include "corelib/ui/window_resize.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTextEdit>
#include <QWidget>

#include <algorithm>

namespace corelib {

QRect resizedRect(const QRect& control, ResizeKind kind, const QRect& reference, int dw, int dh) {
    QRect r = control;
    const bool spansAcross =
        control.left() <= reference.left() && control.right() >= reference.right();
    const bool spansDown =
        control.top() <= reference.top() && control.bottom() >= reference.bottom();
    if (kind == ResizeKind::Stretchable && (spansAcross || spansDown)) {
        if (spansAcross) r.setWidth(std::max(1, r.width() + dw));
        if (spansDown) r.setHeight(std::max(1, r.height() + dh));
        // A control spanning one way and lying beyond the reference the other way also moves.
        if (!spansAcross && control.left() > reference.right()) r.translate(dw, 0);
        if (!spansDown && control.top() > reference.bottom()) r.translate(0, dh);
        return r;
    }
    if (control.left() > reference.right()) r.translate(dw, 0);
    if (control.top() > reference.bottom()) r.translate(0, dh);
    return r;
}

ResizeKind resizeKindOf(const QWidget* widget) {
    if (qobject_cast<const QAbstractButton*>(widget)) return ResizeKind::Button;
    if (qobject_cast<const QAbstractItemView*>(widget) || qobject_cast<const QTabWidget*>(widget) ||
        qobject_cast<const QGroupBox*>(widget) || qobject_cast<const QTextEdit*>(widget) ||
        qobject_cast<const QPlainTextEdit*>(widget))
        return ResizeKind::Stretchable;
    return ResizeKind::Fixed;
}

void WINDOW_RESIZE(QWidget* referenceControl, int32_t oldWidth, int32_t oldHeight) {
    if (!referenceControl) return;
    QWidget* window = referenceControl->window();
    const int dw = window->width() - oldWidth;
    const int dh = window->height() - oldHeight;
    if (dw == 0 && dh == 0) return;
    QWidget* parent = referenceControl->parentWidget();
    if (!parent || referenceControl->isWindow()) return;
    const QRect reference = referenceControl->geometry();
    for (QWidget* control : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (control->isWindow()) continue;
        control->setGeometry(
            resizedRect(control->geometry(), resizeKindOf(control), reference, dw, dh));
    }
}

}  // namespace corelib
