#pragma once

#include <QRectF>

class QPainter;
class QWidget;

namespace ui {

// The keyboard focus ring of the kit's controls: a band of the accent colour
// at half opacity along the inside of the control's outline, and a thin white
// line inside that band, so that it shows on a white control and on an
// accent-filled one alike.
void paintFocusRing(QPainter& painter, const QRectF& outline, qreal cornerRadius);

// Whether `widget` shows a focus ring now: it has the keyboard focus, and the
// focus got there by the keyboard (Tab, Backtab, a shortcut) or because of a
// key (Return closing an alert, Space pressing a button that hides itself),
// not by a click or a window's activation after one.
bool showsFocusRing(const QWidget& widget);

// Whether the focus last moved by the keyboard. The first call starts
// watching (applyTheme makes it, so that nothing is missed).
bool keyboardFocusMovedByKeyboard();

}  // namespace ui
