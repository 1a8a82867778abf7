#pragma once

#include "ui/FieldBox.hpp"

class QLineEdit;

namespace ui {

// A single-line text field with a placeholder, in a FieldStyle; secure
// fields hide what is typed. `textChanged` reports every change,
// `returnPressed` the Return key. It never holds a line break: one that ends
// what is pasted (or set) is dropped, and one inside it becomes a space.
class TextField : public FieldBox {
  Q_OBJECT

 public:
  explicit TextField(const QString& placeholder = {}, const FieldStyle& style = FieldStyle::roundedBorder(),
                     QWidget* parent = nullptr);

  QString text() const;
  // What the field makes of a text set into it.
  static QString asOneLine(const QString& text);
  // Replaces the text unless it is already that text (so a binding that
  // writes back what it read keeps the cursor where it was).
  void setText(const QString& text);
  void setSecure(bool secure);
  QLineEdit* lineEdit() const { return edit_; }

 signals:
  void textChanged(const QString& text);
  void returnPressed();

 private:
  QLineEdit* edit_;
};

}  // namespace ui
