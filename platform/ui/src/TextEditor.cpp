#include "ui/TextEditor.hpp"

#include "ui/ScrollBars.hpp"

#include <QAbstractTextDocumentLayout>
#include <QPlainTextEdit>
#include <QTextBlock>

#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>

namespace ui {
namespace {

// Says when it has taken a new size, after it has wrapped its lines anew.
class PlainTextEdit : public QPlainTextEdit {
 public:
  std::function<void()> resized;

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QPlainTextEdit::resizeEvent(event);
    if (resized) resized();
  }
};

// The text as the document holds it: every line break (a "\r\n" counts
// once) becomes the block separator U+2029, as inserting the text makes it.
QString asDocumentText(const QString& text) {
  QString held(text.size(), Qt::Uninitialized);
  const QChar* from = text.constData();
  QChar* to = held.data();
  qsizetype kept = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = from[i].unicode();
    if (c == u'\r' && i + 1 < text.size() && from[i + 1] == u'\n') continue;
    const bool breaks = c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator || c == 0xFDD0 || c == 0xFDD1;
    to[kept++] = breaks ? QChar(QChar::ParagraphSeparator) : from[i];
  }
  held.truncate(kept);
  return held;
}

}  // namespace

TextEditor::TextEditor(const FieldStyle& style, QWidget* parent) : FieldBox(new PlainTextEdit, style, parent) {
  edit_ = static_cast<QPlainTextEdit*>(focusProxy());
  edit_->setFrameShape(QFrame::NoFrame);
  edit_->viewport()->setAutoFillBackground(false);
  edit_->document()->setDocumentMargin(0);
  // Lines wrap at the editor's width, long words anywhere, so nothing needs
  // scrolling sideways; the text cursor alone would otherwise add a one-pixel
  // horizontal scroll bar under a full line.
  edit_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  styleScrollBars(edit_);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  connect(edit_, &QPlainTextEdit::textChanged, this, [this] { emit textChanged(text()); });
}

// The text as it was given or typed. toPlainText would turn no-break spaces
// into spaces and line separators (U+2028) into line breaks: one keystroke in
// a prompt would change it all over, and a pasted export holding a line
// separator inside a string would no longer be JSON. Only the breaks between
// the document's blocks become "\n".
QString TextEditor::text() const {
  if (edit_->isReadOnly()) return shownText_;
  QString text = edit_->document()->toRawText();
  // A plain loop: QString::replace takes several times as long on a long text.
  for (QChar& c : text)
    if (c == QChar::ParagraphSeparator) c = u'\n';
  return text;
}

void TextEditor::setText(const QString& text) {
  if (this->text() == text) return;
  if (!edit_->isReadOnly()) {
    edit_->setPlainText(text);
    return;
  }
  shownText_ = text;
  // The part between what both begin and end with is all that changes (never
  // cutting a character in two halves of a surrogate pair).
  const QString held = std::exchange(documentText_, asDocumentText(text));
  const QString& wanted = documentText_;
  const qsizetype shorter = std::min(held.size(), wanted.size());
  qsizetype head = 0;
  while (head < shorter && held[head] == wanted[head]) ++head;
  if (head > 0 && wanted[head - 1].isHighSurrogate()) --head;
  qsizetype tail = 0;
  while (tail < shorter - head && held[held.size() - 1 - tail] == wanted[wanted.size() - 1 - tail]) ++tail;
  if (tail > 0 && wanted[wanted.size() - tail].isLowSurrogate()) --tail;
  QTextCursor cursor(edit_->document());
  cursor.setPosition(static_cast<int>(head));
  cursor.setPosition(static_cast<int>(held.size() - tail), QTextCursor::KeepAnchor);
  cursor.insertText(wanted.mid(head, wanted.size() - head - tail));
}

void TextEditor::setPlaceholder(const QString& placeholder) { edit_->setPlaceholderText(placeholder); }

void TextEditor::setReadOnly(bool readOnly) {
  if (readOnly) {
    shownText_ = text();
    documentText_ = edit_->document()->toRawText();
  }
  edit_->setReadOnly(readOnly);
  edit_->setUndoRedoEnabled(!readOnly);
  if (readOnly) edit_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

void TextEditor::fitToText(int maximumHeight) {
  fittedMaximumHeight_ = maximumHeight;
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  // A new width wraps the lines anew.
  static_cast<PlainTextEdit*>(edit_)->resized = [this] { updateFittedHeight(); };
  connect(edit_->document(), &QTextDocument::contentsChanged, this, &TextEditor::updateFittedHeight,
          Qt::UniqueConnection);
  updateFittedHeight();
}

void TextEditor::updateFittedHeight() {
  const QMargins outside = contentsMargins() + fieldStyle().box.padding;
  const int chrome = outside.top() + outside.bottom();
  const qreal room = fittedMaximumHeight_ - chrome;
  // Block by block from the top, each laid out at the present width, until
  // the room is full.
  const auto* layout = edit_->document()->documentLayout();
  qreal textHeight = 0;
  for (QTextBlock block = edit_->document()->begin(); block.isValid() && textHeight <= room; block = block.next())
    textHeight += layout->blockBoundingRect(block).height();
  // One point more than the text: the editor scrolls unless a line has room
  // to spare.
  const int height = std::min(fittedMaximumHeight_, chrome + static_cast<int>(std::ceil(textHeight)) + 1);
  if (height != minimumHeight() || height != maximumHeight()) setFixedHeight(height);
}

}  // namespace ui
