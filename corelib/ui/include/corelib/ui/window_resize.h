#pragma once
// Re-lays a window's controls after the window was resized, relative to one reference control:
// controls right of it move right, controls below it move down, stretchable controls (lists, tab
// widgets, group boxes, text boxes) that span it grow, buttons keep their size.
#include <QRect>
#include <cstdint>

class QWidget;

namespace corelib {

enum class ResizeKind {
    Button,       // keeps its size; only moves
    Stretchable,  // grows (or shrinks) across the reference in the directions it spans it
    Fixed,        // labels, entry fields: only move
};

// The new place of a control. A control lying wholly right of the reference moves by dw, wholly
// below it by dh. A stretchable control that spans the reference horizontally (left edge at or
// before it, right edge at or after it) grows by dw; spanning it vertically, by dh; a control that
// covers the reference (the reference itself included) does both. Sizes never fall below 1.
QRect resizedRect(const QRect& control, ResizeKind kind, const QRect& reference, int dw, int dh);

// The kind of a widget: buttons, stretchable item views, tab widgets, group boxes and multi-line
// text boxes, fixed for the rest.
ResizeKind resizeKindOf(const QWidget* widget);

// Applies resizedRect to the reference control and to every sibling of it (the controls sharing
// its parent), with the change of the window's size since oldWidth x oldHeight. Controls inside
// containers keep their place within the container.
void WINDOW_RESIZE(QWidget* referenceControl, int32_t oldWidth, int32_t oldHeight);

}  // namespace corelib
