#pragma once

#include <QColor>
#include <QWidget>

namespace ui {

// A horizontal slider over a range in fixed steps, with a tick mark under
// every step. Its value is always min + k * step; a value set from outside
// snaps to the nearest step (halves away from the minimum) inside the range.
// `valueChanged` reports every change, by the user or not.
class StepSlider : public QWidget {
  Q_OBJECT

 public:
  StepSlider(double minimum, double maximum, double step, QWidget* parent = nullptr);

  double value() const;
  void setValue(double value);
  double minimum() const { return minimum_; }
  double maximum() const { return minimum_ + stepCount_ * step_; }
  double step() const { return step_; }
  int stepCount() const { return stepCount_; }

  void setTint(const QColor& tint);

  // The horizontal position of step k's tick mark, in widget coordinates.
  qreal positionOfStep(int step) const;

  QSize sizeHint() const override { return {120, 26}; }
  QSize minimumSizeHint() const override { return {40, 26}; }

 signals:
  void valueChanged(double value);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void setStepIndex(int index);
  int stepNearest(qreal x) const;

  double minimum_;
  double step_;
  int stepCount_;
  int index_ = 0;
  QColor tint_;
};

}  // namespace ui
