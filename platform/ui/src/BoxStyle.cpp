#include "ui/BoxStyle.hpp"

#include "ui/ContinuousRoundedRect.hpp"

#include <QPainter>

namespace ui {

void paintBox(QPainter& painter, const QRectF& rect, const BoxStyle& style) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  if (style.fill.alpha() > 0) painter.fillPath(continuousRoundedRect(rect, style.cornerRadius), style.fill);
  if (style.stroke.alpha() > 0 && style.strokeWidth > 0) {
    const qreal inset = style.strokeWidth / 2;
    QPen pen(style.stroke, style.strokeWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    painter.strokePath(continuousRoundedRect(rect.adjusted(inset, inset, -inset, -inset), style.cornerRadius - inset), pen);
  }
  painter.restore();
}

}  // namespace ui
