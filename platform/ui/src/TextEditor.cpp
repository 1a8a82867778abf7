#include "ui/TextEditor.hpp"

#include <QPlainTextEdit>

namespace ui {

TextEditor::TextEditor(const FieldStyle& style, QWidget* parent) : FieldBox(new QPlainTextEdit, style, parent) {
  edit_ = static_cast<QPlainTextEdit*>(focusProxy());
  edit_->setFrameShape(QFrame::NoFrame);
  edit_->viewport()->setAutoFillBackground(false);
  edit_->document()->setDocumentMargin(0);
  // Lines wrap at the editor's width, long words anywhere, so nothing needs
  // scrolling sideways; the text cursor alone would otherwise add a one-pixel
  // horizontal scroll bar under a full line.
  edit_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  connect(edit_, &QPlainTextEdit::textChanged, this, [this] { emit textChanged(edit_->toPlainText()); });
}

QString TextEditor::text() const { return edit_->toPlainText(); }

void TextEditor::setText(const QString& text) {
  if (edit_->toPlainText() != text) edit_->setPlainText(text);
}

void TextEditor::setPlaceholder(const QString& placeholder) { edit_->setPlaceholderText(placeholder); }

}  // namespace ui
