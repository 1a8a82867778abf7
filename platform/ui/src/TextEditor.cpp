#include "ui/TextEditor.hpp"

#include <QPlainTextEdit>

namespace ui {

TextEditor::TextEditor(const FieldStyle& style, QWidget* parent) : FieldBox(new QPlainTextEdit, style, parent) {
  edit_ = static_cast<QPlainTextEdit*>(focusProxy());
  edit_->setFrameShape(QFrame::NoFrame);
  edit_->viewport()->setAutoFillBackground(false);
  edit_->document()->setDocumentMargin(0);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  connect(edit_, &QPlainTextEdit::textChanged, this, [this] { emit textChanged(edit_->toPlainText()); });
}

QString TextEditor::text() const { return edit_->toPlainText(); }

void TextEditor::setText(const QString& text) {
  if (edit_->toPlainText() != text) edit_->setPlainText(text);
}

void TextEditor::setPlaceholder(const QString& placeholder) { edit_->setPlaceholderText(placeholder); }

}  // namespace ui
