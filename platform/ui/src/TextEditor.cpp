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
  connect(edit_, &QPlainTextEdit::textChanged, this, [this] { emit textChanged(text()); });
}

// The text as it was given or typed. toPlainText would turn no-break spaces
// into spaces and line separators (U+2028) into line breaks: one keystroke in
// a prompt would change it all over, and a pasted export holding a line
// separator inside a string would no longer be JSON. Only the breaks between
// the document's blocks become "\n".
QString TextEditor::text() const {
  QString text = edit_->document()->toRawText();
  text.replace(QChar::ParagraphSeparator, u'\n');
  return text;
}

void TextEditor::setText(const QString& text) {
  if (this->text() != text) edit_->setPlainText(text);
}

void TextEditor::setPlaceholder(const QString& placeholder) { edit_->setPlaceholderText(placeholder); }

}  // namespace ui
