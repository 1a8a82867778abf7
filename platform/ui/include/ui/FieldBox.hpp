#pragma once

#include "ui/FieldStyle.hpp"

#include <QWidget>

namespace ui {

// The box that text fields and editors sit in: it paints their FieldStyle
// around the inner editor (and the focus ring while that has focus; a
// read-only one, which has no caret, wears the keyboard's ring, as does one
// that asks for it where its style has no ring) and pads the editor by the
// style's padding.
class FieldBox : public QWidget {
  Q_OBJECT

 public:
  void setFieldStyle(const FieldStyle& style);
  const FieldStyle& fieldStyle() const { return style_; }

 protected:
  FieldBox(QWidget* editor, const FieldStyle& style, QWidget* parent);

  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Wears the keyboard's ring when the keyboard brought the focus, where the
  // style draws none.
  void showKeyboardRing() { keyboardRing_ = true; }

 private:
  QWidget* editor_;
  FieldStyle style_;
  bool keyboardRing_ = false;
};

}  // namespace ui
