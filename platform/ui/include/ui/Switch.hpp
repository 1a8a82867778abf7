#pragma once

#include <QAbstractButton>

class QVariantAnimation;

namespace ui {

// The on/off switch of a settings row: a capsule that fills with the accent
// colour when on, its knob sliding across. `toggled(bool)` reports every
// change; setChecked() moves it from outside. Tab reaches it, Space flips
// it, and it wears the focus ring while the keyboard's focus is on it.
class Switch : public QAbstractButton {
  Q_OBJECT

 public:
  explicit Switch(QWidget* parent = nullptr);

  // Where the knob is, 0 (off) to 1 (on); it trails the state while it slides.
  qreal knobPosition() const { return knobPosition_; }

  QSize sizeHint() const override { return {38, 22}; }
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool hitButton(const QPoint& position) const override;

 private:
  void slideKnob(bool on);

  qreal knobPosition_ = 0;
  QVariantAnimation* slide_;
};

}  // namespace ui
