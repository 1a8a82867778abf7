#include "ui/Switch.hpp"

#include "ui/FocusRing.hpp"
#include "ui/Palette.hpp"

#include <QPainter>
#include <QPainterPath>
#include <QVariantAnimation>

namespace ui {

Switch::Switch(QWidget* parent) : QAbstractButton(parent), slide_(new QVariantAnimation(this)) {
  setCheckable(true);
  setFocusPolicy(Qt::TabFocus);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  setCursor(Qt::PointingHandCursor);
  slide_->setDuration(150);
  slide_->setEasingCurve(QEasingCurve::InOutQuad);
  connect(slide_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
    knobPosition_ = value.toReal();
    update();
  });
  connect(this, &QAbstractButton::toggled, this, &Switch::slideKnob);
}

void Switch::slideKnob(bool on) {
  const qreal target = on ? 1.0 : 0.0;
  slide_->stop();
  // A switch that isn't on screen has nothing to show sliding.
  if (!isVisible()) {
    knobPosition_ = target;
    update();
    return;
  }
  slide_->setStartValue(knobPosition_);
  slide_->setEndValue(target);
  slide_->start();
}

bool Switch::hitButton(const QPoint& position) const { return rect().contains(position); }

void Switch::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  if (!isEnabled()) painter.setOpacity(0.45);

  const QSizeF track(36, 20);
  const QRectF trackRect(QRectF(rect()).center() - QPointF(track.width() / 2, track.height() / 2), track);
  const qreal radius = track.height() / 2;

  // The track fades from a grey fill into the accent colour as the knob moves.
  painter.setPen(Qt::NoPen);
  painter.setBrush(color::systemFill());
  painter.drawRoundedRect(trackRect, radius, radius);
  painter.setBrush(color::withOpacity(color::accent(), knobPosition_));
  painter.drawRoundedRect(trackRect, radius, radius);
  painter.setPen(QPen(color::withOpacity(color::black(), 0.08 * (1 - knobPosition_)), 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRoundedRect(trackRect.adjusted(0.5, 0.5, -0.5, -0.5), radius - 0.5, radius - 0.5);

  const qreal knobDiameter = track.height() - 2;
  const qreal travel = track.width() - track.height();
  const QRectF knob(trackRect.left() + 1 + travel * knobPosition_, trackRect.top() + 1, knobDiameter, knobDiameter);
  painter.setPen(Qt::NoPen);
  painter.setBrush(color::withOpacity(color::black(), 0.12));
  painter.drawEllipse(knob.translated(0, 0.75));
  painter.setBrush(color::white());
  painter.setPen(QPen(color::withOpacity(color::black(), 0.06), 0.5));
  painter.drawEllipse(knob);
  if (showsFocusRing(*this)) paintFocusRing(painter, trackRect, radius);
}

}  // namespace ui
