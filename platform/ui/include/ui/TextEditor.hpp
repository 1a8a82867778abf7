#pragma once

#include "ui/FieldBox.hpp"

#include <cstddef>

class QPlainTextEdit;

namespace ui {

// A multi-line plain-text editor with a placeholder, in a FieldStyle (the
// draft, the custom system prompt, pasted settings). `textChanged` reports
// every change of its text. Texts of megabytes stay quick, with or without
// spaces: only the lines on screen are laid out, and a long line in pieces
// (its plainTextEdit's document holds a break between two pieces that the
// text does not: read the text here). Tab and Shift+Tab move the focus on
// and back; no key types a tab. Reached by the keyboard it wears the focus
// ring, also where its style draws none.
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
  // Refuses, as a whole, what is typed (line breaks included), pasted,
  // dropped or composed by an input method when the text would then take
  // more than `utf8Bytes` bytes in UTF-8, and says so with
  // `insertionRefused`; before any of it is laid out.
  void limitText(std::size_t utf8Bytes);
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
  void insertionRefused();

 private:
  void updateFittedHeight();

  QPlainTextEdit* edit_;
  // While read-only: the text last given, which no one else can change.
  QString shownText_;
  int fittedMaximumHeight_ = 0;
};

}  // namespace ui
