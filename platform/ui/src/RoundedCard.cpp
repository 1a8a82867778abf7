#include "ui/RoundedCard.hpp"

#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

namespace ui {

RoundedCard::RoundedCard(const BoxStyle& style, QWidget* parent) : QWidget(parent), layout_(new QVBoxLayout(this)) {
  layout_->setSpacing(8);
  setBoxStyle(style);
}

void RoundedCard::setBoxStyle(const BoxStyle& style) {
  style_ = style;
  layout_->setContentsMargins(style.padding);
  update();
}

void RoundedCard::setClickable(bool clickable) {
  clickable_ = clickable;
  setCursor(clickable ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void RoundedCard::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  paintBox(painter, rect(), style_);
}

void RoundedCard::mousePressEvent(QMouseEvent* event) {
  pressed_ = clickable_ && event->button() == Qt::LeftButton;
  event->setAccepted(pressed_);
}

void RoundedCard::mouseReleaseEvent(QMouseEvent* event) {
  const bool wasPressed = std::exchange(pressed_, false);
  if (wasPressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
  event->setAccepted(wasPressed);
}

}  // namespace ui
