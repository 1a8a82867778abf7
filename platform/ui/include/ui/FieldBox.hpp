#pragma once

#include "ui/FieldStyle.hpp"

#include <QWidget>

namespace ui {

// The box that text fields and editors sit in: it paints their FieldStyle
// around the inner editor (and the style's focus ring while that has focus;
// one that is read-only, or whose style has no ring, wears the keyboard's ring
// when the keyboard brought the focus) and pads the editor by the style's
// padding.
class FieldBox : public QWidget {
  Q_OBJECT

 public:
  void setFieldStyle(const FieldStyle& style);
  const FieldStyle& fieldStyle() const { return style_; }

 protected:
  FieldBox(QWidget* editor, const FieldStyle& style, QWidget* parent);

  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* editor_;
  FieldStyle style_;
};

}  // namespace ui
