#pragma once

#include "ui/ButtonStyle.hpp"
#include "ui/Typography.hpp"

#include <QAbstractButton>

class QVariantAnimation;

namespace ui {

// A push button drawn by a ButtonStyle, with an optional leading system
// symbol ("Draft" with "wand.and.stars", a symbol-only copy button, the
// window's tab buttons). Tab reaches it (a click presses it without taking
// the focus), and it wears the focus ring while the keyboard's focus is on
// it. A button that hides itself while it has focus ("Save" giving way to
// "Saved") leaves focus with the widget around it.
class StyledButton : public QAbstractButton {
  Q_OBJECT

 public:
  explicit StyledButton(const QString& text = {}, const ButtonStyle& style = ButtonStyle::bordered(),
                        QWidget* parent = nullptr);

  void setButtonStyle(const ButtonStyle& style);
  const ButtonStyle& buttonStyle() const { return style_; }

  // The symbol before the title; a point size of 0 takes the font's size.
  void setSymbol(const QString& name, double pointSize = 0, FontWeight weight = FontWeight::regular);

  // How far the button has moved towards its pressed look, 0 to 1.
  qreal pressAmount() const { return pressAmount_; }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void animatePress(bool down);
  double symbolPointSize() const;
  QSizeF labelSize() const;

  ButtonStyle style_;
  QString symbolName_;
  double symbolSize_ = 0;
  FontWeight symbolWeight_ = FontWeight::regular;
  qreal pressAmount_ = 0;
  QVariantAnimation* pressAnimation_;
};

}  // namespace ui
