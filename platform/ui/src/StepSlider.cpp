#include "ui/StepSlider.hpp"

#include "ui/Palette.hpp"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace ui {
namespace {

constexpr qreal kKnobDiameter = 16;
constexpr qreal kTrackHeight = 4;
constexpr qreal kTrackCentre = 10;
constexpr qreal kTickTop = 20;
constexpr qreal kTickLength = 4;

}  // namespace

StepSlider::StepSlider(double minimum, double maximum, double step, QWidget* parent)
    : QWidget(parent),
      minimum_(minimum),
      step_(step > 0 ? step : 1),
      stepCount_(std::max(0, static_cast<int>(std::floor((maximum - minimum) / step_ + 1e-9)))),
      tint_(color::accent()) {
  setFocusPolicy(Qt::StrongFocus);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

double StepSlider::value() const { return minimum_ + index_ * step_; }

void StepSlider::setValue(double value) {
  if (std::isnan(value)) return;
  setStepIndex(static_cast<int>(std::clamp<double>(std::round((value - minimum_) / step_), 0, stepCount_)));
}

void StepSlider::setTint(const QColor& tint) {
  tint_ = tint;
  update();
}

void StepSlider::setStepIndex(int index) {
  index = std::clamp(index, 0, stepCount_);
  if (index == index_) return;
  index_ = index;
  update();
  emit valueChanged(value());
}

qreal StepSlider::positionOfStep(int step) const {
  const qreal start = kKnobDiameter / 2;
  const qreal span = width() - kKnobDiameter;
  return stepCount_ == 0 ? start : start + span * step / stepCount_;
}

int StepSlider::stepNearest(qreal x) const {
  const qreal span = width() - kKnobDiameter;
  if (span <= 0 || stepCount_ == 0) return 0;
  return static_cast<int>(std::lround((x - kKnobDiameter / 2) / span * stepCount_));
}

void StepSlider::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  if (!isEnabled()) painter.setOpacity(0.45);
  const qreal left = positionOfStep(0);
  const qreal right = positionOfStep(stepCount_);
  const qreal knobX = positionOfStep(index_);
  const QRectF track(left - kTrackHeight / 2, kTrackCentre - kTrackHeight / 2, right - left + kTrackHeight, kTrackHeight);

  painter.setPen(Qt::NoPen);
  painter.setBrush(color::systemFill());
  painter.drawRoundedRect(track, kTrackHeight / 2, kTrackHeight / 2);
  painter.setBrush(tint_);
  painter.drawRoundedRect(QRectF(track.topLeft(), QPointF(knobX, track.bottom())), kTrackHeight / 2, kTrackHeight / 2);

  for (int step = 0; step <= stepCount_; ++step)
    painter.fillRect(QRectF(positionOfStep(step) - 0.5, kTickTop, 1, kTickLength), color::tertiaryLabel());

  const QRectF knob(knobX - kKnobDiameter / 2, kTrackCentre - kKnobDiameter / 2, kKnobDiameter, kKnobDiameter);
  painter.setBrush(color::withOpacity(color::black(), 0.15));
  painter.drawEllipse(knob.translated(0, 0.75));
  painter.setBrush(color::white());
  painter.setPen(QPen(color::withOpacity(color::black(), 0.12), 0.5));
  painter.drawEllipse(knob);
  if (hasFocus()) {
    painter.setPen(QPen(color::withOpacity(color::accent(), 0.5), 2.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(knob.adjusted(-1, -1, 1, 1));
  }
}

void StepSlider::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) setStepIndex(stepNearest(event->position().x()));
}

void StepSlider::mouseMoveEvent(QMouseEvent* event) {
  if (event->buttons() & Qt::LeftButton) setStepIndex(stepNearest(event->position().x()));
}

void StepSlider::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Down: setStepIndex(index_ - 1); break;
    case Qt::Key_Right:
    case Qt::Key_Up: setStepIndex(index_ + 1); break;
    case Qt::Key_Home: setStepIndex(0); break;
    case Qt::Key_End: setStepIndex(stepCount_); break;
    default: QWidget::keyPressEvent(event);
  }
}

}  // namespace ui
