#include "ui/Divider.hpp"

#include "ui/Palette.hpp"

#include <QPainter>

namespace ui {

Divider::Divider(QWidget* parent) : QWidget(parent), color_(color::separator()) {
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void Divider::setColor(const QColor& color) {
  color_ = color;
  update();
}

void Divider::paintEvent(QPaintEvent*) { QPainter(this).fillRect(rect(), color_); }

}  // namespace ui
