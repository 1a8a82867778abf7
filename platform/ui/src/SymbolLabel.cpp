#include "ui/SymbolLabel.hpp"

#include <QPainter>

#include <cmath>

namespace ui {

SymbolLabel::SymbolLabel(const SymbolIcon& symbol, QWidget* parent) : QWidget(parent), symbol_(symbol) {
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void SymbolLabel::setSymbol(const SymbolIcon& symbol) {
  symbol_ = symbol;
  updateGeometry();
  update();
}

void SymbolLabel::setName(const QString& name) {
  setSymbol(SymbolIcon(name, symbol_.pointSize(), symbol_.color(), symbol_.weight()));
}

void SymbolLabel::setColor(const QColor& color) {
  setSymbol(SymbolIcon(symbol_.name(), symbol_.pointSize(), color, symbol_.weight()));
}

QSize SymbolLabel::sizeHint() const {
  const int side = static_cast<int>(std::ceil(symbol_.side()));
  const QMargins margins = contentsMargins();
  return {side + margins.left() + margins.right(), side + margins.top() + margins.bottom()};
}

void SymbolLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRectF area = contentsRect();
  const qreal side = std::min({area.width(), area.height(), symbol_.side()});
  symbol_.paint(painter, QRectF(area.center() - QPointF(side / 2, side / 2), QSizeF(side, side)));
}

}  // namespace ui
