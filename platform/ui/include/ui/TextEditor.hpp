#pragma once

#include "ui/FieldBox.hpp"

class QPlainTextEdit;

namespace ui {

// A multi-line plain-text editor with a placeholder, in a FieldStyle (the
// draft, the custom system prompt, pasted settings). `textChanged` reports
// every change of its text.
class TextEditor : public FieldBox {
  Q_OBJECT

 public:
  explicit TextEditor(const FieldStyle& style = FieldStyle::roundedBorder(), QWidget* parent = nullptr);

  QString text() const;
  // Replaces the text unless it is already that text.
  void setText(const QString& text);
  void setPlaceholder(const QString& placeholder);
  QPlainTextEdit* plainTextEdit() const { return edit_; }

 signals:
  void textChanged(const QString& text);

 private:
  QPlainTextEdit* edit_;
};

}  // namespace ui
