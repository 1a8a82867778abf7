#pragma once

#include <QColor>
#include <QMargins>
#include <QRectF>

class QPainter;

namespace ui {

// The look of a rounded box: its fill, its outline and the padding around
// what it holds. Cards, text fields, editors and button backgrounds share it.
struct BoxStyle {
  QColor fill = Qt::transparent;
  QColor stroke = Qt::transparent;
  qreal strokeWidth = 0;
  qreal cornerRadius = 0;
  QMargins padding;
};

// Fills the box and strokes its outline inside the rectangle (a 1-point line
// stays crisp and never spills outside).
void paintBox(QPainter& painter, const QRectF& rect, const BoxStyle& style);

}  // namespace ui
