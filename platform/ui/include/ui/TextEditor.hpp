#pragma once

#include "ui/FieldBox.hpp"

class QPlainTextEdit;

namespace ui {

// A multi-line plain-text editor with a placeholder, in a FieldStyle (the
// draft, the custom system prompt, pasted settings). `textChanged` reports
// every change of its text. Texts of megabytes stay quick: only the lines on
// screen are laid out.
class TextEditor : public FieldBox {
  Q_OBJECT

 public:
  explicit TextEditor(const FieldStyle& style = FieldStyle::roundedBorder(), QWidget* parent = nullptr);

  QString text() const;
  // Replaces the text unless it is already that text. While read-only, only
  // the part that differs is replaced, so a long text shown again with one
  // more character costs that character.
  void setText(const QString& text);
  void setPlaceholder(const QString& placeholder);
  // A text to read and select, not to edit.
  void setReadOnly(bool readOnly);
  // As tall as its text (with the style's padding), up to `maximumHeight`,
  // beyond which it scrolls; it follows the text's height whenever the text
  // or the width changes. Measuring stops at the maximum, however long the
  // text.
  void fitToText(int maximumHeight);
  QPlainTextEdit* plainTextEdit() const { return edit_; }

 signals:
  void textChanged(const QString& text);

 private:
  void updateFittedHeight();

  QPlainTextEdit* edit_;
  // While read-only: the text last given, which no one else can change, and
  // that text as the document holds it.
  QString shownText_;
  QString documentText_;
  int fittedMaximumHeight_ = 0;
};

}  // namespace ui
