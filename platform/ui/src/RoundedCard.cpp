#include "ui/RoundedCard.hpp"

#include "ui/FocusRing.hpp"

#include <QKeyEvent>
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
  setFocusPolicy(clickable ? Qt::TabFocus : Qt::NoFocus);
}

void RoundedCard::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  paintBox(painter, rect(), style_);
  if (clickable_ && showsFocusRing(*this)) paintFocusRing(painter, rect(), style_.cornerRadius);
}

void RoundedCard::keyPressEvent(QKeyEvent* event) {
  const bool presses = event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (clickable_ && presses && !event->isAutoRepeat()) {
    emit clicked();
    return;
  }
  QWidget::keyPressEvent(event);
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
