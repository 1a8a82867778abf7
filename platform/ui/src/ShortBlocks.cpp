#include "ShortBlocks.hpp"

#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <vector>

namespace ui::short_blocks {
namespace {

// Kept in the block's format, so that undo and redo bring it back with the
// block.
constexpr int kContinuesLine = QTextFormat::UserProperty + 0x51b;

// How far back from a piece's full length a space is looked for, so that a
// long line of words is cut between two of them.
constexpr int kSpaceLookBack = 256;

// What the document takes for a line break when text is inserted.
bool isLineBreak(QChar c) {
  return c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator || c == QChar(0xFDD0) || c == QChar(0xFDD1);
}

// Where the piece that starts at `from` ends, before `end` and about a
// piece's length on: after a space when there is one near, never between
// the halves of a surrogate pair or before a combining mark.
qsizetype pieceEnd(QStringView text, qsizetype from, qsizetype end) {
  const qsizetype full = std::min(end, from + kPieceLength);
  for (qsizetype i = full - 1; i > full - kSpaceLookBack && i > from; --i)
    if (text[i].isSpace()) return i + 1;
  qsizetype cut = full;
  while (cut > from + 1 && cut < end && (text[cut].isLowSurrogate() || text[cut].isMark())) --cut;
  return cut;
}

QTextBlockFormat withMark(QTextBlockFormat format, bool continues) {
  if (continues) format.setProperty(kContinuesLine, true);
  else format.clearProperty(kContinuesLine);
  return format;
}

}  // namespace

bool continuesLine(const QTextBlock& block) { return block.blockFormat().boolProperty(kContinuesLine); }

QString text(const QTextDocument& document, int from, int to, QChar lineBreak) {
  QString written;
  written.reserve(to - from);
  for (QTextBlock block = document.findBlock(from); block.isValid() && block.position() <= to; block = block.next()) {
    const int start = block.position();
    // The break before the block lies in the range.
    if (start > from && !continuesLine(block)) written += lineBreak;
    const QString blockText = block.text();
    const qsizetype first = std::max(from - start, 0);
    const qsizetype last = std::min<qsizetype>(to - start, blockText.size());
    if (last > first) written += QStringView(blockText).mid(first, last - first);
  }
  return written;
}

QString text(const QTextDocument& document, QChar lineBreak) {
  return text(document, 0, document.characterCount() - 1, lineBreak);
}

int documentPosition(const QTextDocument& document, qsizetype textPosition) {
  qsizetype lineStart = 0;
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    if (block != document.begin() && !continuesLine(block)) ++lineStart;
    const qsizetype length = block.length() - 1;
    if (textPosition <= lineStart + length) return static_cast<int>(block.position() + textPosition - lineStart);
    lineStart += length;
  }
  return document.characterCount() - 1;
}

void insert(QTextCursor& cursor, const QString& text) {
  cursor.beginEditBlock();
  cursor.removeSelectedText();
  const int from = cursor.position();
  const QTextBlockFormat lineStart = withMark(cursor.blockFormat(), false);
  const QTextBlockFormat piece = withMark(lineStart, true);
  const qsizetype size = text.size();
  for (qsizetype line = 0;;) {
    qsizetype end = line;
    while (end < size && !isLineBreak(text[end])) ++end;
    qsizetype start = line;
    while (end - start > kPieceLength) {
      const qsizetype cut = pieceEnd(text, start, end);
      cursor.insertText(text.mid(start, cut - start));
      cursor.insertBlock(piece);
      start = cut;
    }
    if (end > start) cursor.insertText(text.mid(start, end - start));
    if (end == size) break;
    cursor.insertBlock(lineStart);
    line = end + (text[end] == u'\r' && end + 1 < size && text[end + 1] == u'\n' ? 2 : 1);
  }
  tidy(*cursor.document(), from, cursor.position());
  cursor.endEditBlock();
}

void tidy(QTextDocument& document, int from, int to) {
  QTextCursor edit(&document);
  QTextBlock block = document.findBlock(from);
  if (block.previous().isValid()) block = block.previous();
  int end = to;
  while (block.isValid() && block.position() <= end) {
    const QTextBlock previous = block.previous();
    if (continuesLine(block) && previous.isValid() && (block.length() == 1 || previous.length() == 1)) {
      // The block before keeps its format: it begins the joined block.
      edit.setPosition(block.position() - 1);
      edit.deleteChar();
      --end;
      block = previous;
      continue;
    }
    if (block.length() - 1 > kMaximumBlockLength) {
      const QString blockText = block.text();
      std::vector<qsizetype> cuts;
      for (qsizetype start = 0; blockText.size() - start > kPieceLength;) cuts.push_back(start = pieceEnd(blockText, start, blockText.size()));
      const int start = block.position();
      const QTextBlockFormat piece = withMark(block.blockFormat(), true);
      // From the last cut back, so that the earlier ones keep their places.
      for (auto cut = cuts.rbegin(); cut != cuts.rend(); ++cut) {
        edit.setPosition(start + static_cast<int>(*cut));
        edit.insertBlock(piece);
      }
      end += static_cast<int>(cuts.size());
      block = document.findBlock(start);
    }
    block = block.next();
  }
}

}  // namespace ui::short_blocks
