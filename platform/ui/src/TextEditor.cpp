#include "ui/TextEditor.hpp"

#include "ShortBlocks.hpp"
#include "ui/ScrollBars.hpp"

#include <QAbstractTextDocumentLayout>
#include <QKeyEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextBlock>

#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>

namespace ui {
namespace {

// How many bytes the text takes in UTF-8.
std::size_t utf8Size(QStringView text) {
  std::size_t bytes = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    if (c < 0x80) bytes += 1;
    else if (c < 0x800) bytes += 2;
    else if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) bytes += 4, ++i;
    else bytes += 3;
  }
  return bytes;
}

// Whether the base class would type the key's text, as it decides that: a
// formatting character (a joiner, a direction mark) always, what comes with
// Ctrl alone or Ctrl+Shift never (a shortcut's), nor a control character
// (Backspace, Escape).
bool typesText(const QKeyEvent& event) {
  const QString text = event.text();
  if (text.isEmpty() || text[0].category() == QChar::Other_Control) return false;
  if (text[0].category() == QChar::Other_Format) return true;
  return event.modifiers() != Qt::ControlModifier && event.modifiers() != (Qt::ControlModifier | Qt::ShiftModifier);
}

// The plain-text edit with its document kept in short blocks (see
// ShortBlocks.hpp): everything that puts text in goes through them, and
// what it gives out (the text, a copy) leaves out the breaks between the
// pieces of a line. It says when it has taken a new size, after it has
// wrapped its lines anew.
class PlainTextEdit : public QPlainTextEdit {
 public:
  std::function<void()> resized;
  std::function<void()> refused;
  std::size_t maximumBytes = 0;  // none

  // Inserts as typed or pasted, unless that would take the text past its
  // limit: then nothing is inserted.
  void insertAtCursor(const QString& text) {
    if (refuses(text)) return;
    QTextCursor cursor = textCursor();
    short_blocks::insert(cursor, text);
    setTextCursor(cursor);
    ensureCursorVisible();
  }

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QPlainTextEdit::resizeEvent(event);
    if (resized) resized();
  }

  void insertFromMimeData(const QMimeData* source) override {
    if (!isReadOnly() && source->hasText()) insertAtCursor(source->text());
  }

  QMimeData* createMimeDataFromSelection() const override {
    auto* data = new QMimeData;
    const QTextCursor cursor = textCursor();
    data->setText(short_blocks::text(*document(), cursor.selectionStart(), cursor.selectionEnd(), u'\n'));
    return data;
  }

  void keyPressEvent(QKeyEvent* event) override {
    if (isReadOnly()) return QPlainTextEdit::keyPressEvent(event);
    // Tab has moved the focus on already, where anything could take it; it
    // never types a tab, with or without Ctrl.
    if (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) return event->ignore();
    // Return starts a line, Shift+Return breaks one (a line separator).
    const bool lineSeparator = event->matches(QKeySequence::InsertLineSeparator);
    if (lineSeparator || event->matches(QKeySequence::InsertParagraphSeparator)) {
      insertAtCursor(lineSeparator ? QString(QChar::LineSeparator) : QStringLiteral("\n"));
      return event->accept();
    }
    if (typesText(*event) && refuses(event->text())) return event->accept();
    stepOverPieceBreak(event);
    editThenTidy([&] { QPlainTextEdit::keyPressEvent(event); });
  }

  void inputMethodEvent(QInputMethodEvent* event) override {
    if (!isReadOnly() && refuses(event->commitString())) return event->accept();
    editThenTidy([&] { QPlainTextEdit::inputMethodEvent(event); });
  }

 private:
  bool refuses(const QString& inserted) {
    if (maximumBytes == 0) return false;
    const QTextCursor cursor = textCursor();
    const QString& all = short_blocks::text(*document(), u'\n');
    const QString selected =
        short_blocks::text(*document(), cursor.selectionStart(), cursor.selectionEnd(), u'\n');
    if (utf8Size(all) - utf8Size(selected) + utf8Size(inserted) <= maximumBytes) return false;
    if (refused) refused();
    return true;
  }

  // Between two pieces of a line there is no character to delete: Backspace
  // at the start of a piece deletes the last character (or, with Ctrl, word)
  // of the one before, and Delete at the end of a piece the first of the next.
  void stepOverPieceBreak(QKeyEvent* event) {
    QTextCursor cursor = textCursor();
    if (cursor.hasSelection()) return;
    const QTextBlock block = cursor.block();
    const bool backspace = (event->key() == Qt::Key_Backspace && !(event->modifiers() & ~Qt::ShiftModifier)) ||
                           event->matches(QKeySequence::DeleteStartOfWord);
    const bool forwardDelete = event->matches(QKeySequence::Delete) || event->matches(QKeySequence::DeleteEndOfWord);
    if (backspace && cursor.atBlockStart() && short_blocks::continuesLine(block) && block.previous().isValid())
      cursor.movePosition(QTextCursor::PreviousCharacter);
    else if (forwardDelete && cursor.atBlockEnd() && short_blocks::continuesLine(block.next()))
      cursor.movePosition(QTextCursor::NextCharacter);
    else
      return;
    setTextCursor(cursor);
  }

  // An edit the base class makes (a key typed, a word deleted) may leave a
  // block too long or a piece empty; the mending is part of that edit.
  void editThenTidy(const std::function<void()>& edit) {
    const int revision = document()->revision();
    edit();
    if (document()->revision() == revision) return;
    const QTextBlock block = textCursor().block();
    const QTextBlock next = block.next();
    QTextCursor cursor(document());
    cursor.joinPreviousEditBlock();
    short_blocks::tidy(*document(), block.position(), next.isValid() ? next.position() + next.length() - 1 : block.position());
    cursor.endEditBlock();
  }
};

// The document's text before `end` is shorter by one for each "\r\n" in
// the text: the pair makes one line break.
qsizetype inDocumentText(const QString& text, qsizetype end) {
  if (!text.contains(u'\r')) return end;
  qsizetype pairs = 0;
  for (qsizetype i = 0; i + 1 < end; ++i)
    if (text[i] == u'\r' && text[i + 1] == u'\n') ++pairs;
  return end - pairs;
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
  // Tab goes on to the next control, as in any form: a tab typed by a
  // keyboard user moving on would change the text unseen (a prompt is saved
  // at every change).
  edit_->setTabChangesFocus(true);
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
  return short_blocks::text(*edit_->document(), u'\n');
}

void TextEditor::setText(const QString& text) {
  if (this->text() == text) return;
  QTextDocument* document = edit_->document();
  if (!edit_->isReadOnly()) {
    // A new text, as setPlainText gives it: no undo history, the cursor at
    // the start.
    document->setUndoRedoEnabled(false);
    QTextCursor cursor(document);
    cursor.select(QTextCursor::Document);
    short_blocks::insert(cursor, text);
    document->setUndoRedoEnabled(true);
    edit_->setTextCursor(QTextCursor(document));
    return;
  }
  // The part between what both begin and end with is all that changes
  // (never cutting a surrogate pair or a "\r\n" in two).
  const QString held = std::exchange(shownText_, text);
  const QString& wanted = shownText_;
  const qsizetype shorter = std::min(held.size(), wanted.size());
  const QChar* oldText = held.constData();
  const QChar* newText = wanted.constData();
  qsizetype head = std::mismatch(oldText, oldText + shorter, newText).first - oldText;
  if (head > 0 && (wanted[head - 1].isHighSurrogate() || wanted[head - 1] == u'\r')) --head;
  qsizetype tail = std::mismatch(std::make_reverse_iterator(oldText + held.size()),
                                 std::make_reverse_iterator(oldText + head + (held.size() - shorter)),
                                 std::make_reverse_iterator(newText + wanted.size()))
                       .first.base() -
                   oldText;
  tail = held.size() - tail;
  if (tail > 0 && (wanted[wanted.size() - tail].isLowSurrogate() || wanted[wanted.size() - tail] == u'\n')) --tail;
  QTextCursor cursor(document);
  cursor.setPosition(short_blocks::documentPosition(*document, inDocumentText(wanted, head)));
  cursor.setPosition(short_blocks::documentPosition(*document, inDocumentText(held, held.size() - tail)),
                     QTextCursor::KeepAnchor);
  short_blocks::insert(cursor, wanted.mid(head, wanted.size() - head - tail));
}

void TextEditor::limitText(std::size_t utf8Bytes) {
  auto* edit = static_cast<PlainTextEdit*>(edit_);
  edit->maximumBytes = utf8Bytes;
  edit->refused = [this] { emit insertionRefused(); };
}

void TextEditor::setPlaceholder(const QString& placeholder) { edit_->setPlaceholderText(placeholder); }

void TextEditor::setReadOnly(bool readOnly) {
  if (readOnly) {
    shownText_ = text();
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
