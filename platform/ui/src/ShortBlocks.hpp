#pragma once

// Keeps every block of a plain-text document short, whatever the text.
// Qt lays out a block whole, and in time that grows faster than its length
// when the block has no break opportunity: one pasted line of a megabyte
// (a Base64 blob, minified JSON) would hold the window for minutes, and a
// keystroke in it for seconds. So a line longer than a piece is held in
// several blocks, each after the first marked as continuing the line; the
// break between them is the document's, never the text's.

#include <QString>
#include <QTextBlock>

class QTextCursor;
class QTextDocument;

namespace ui::short_blocks {

// How long a line's pieces are, and how long a block may grow by typing
// before it is split: laid out in a few milliseconds, with or without
// break opportunities.
inline constexpr int kPieceLength = 2048;
inline constexpr int kMaximumBlockLength = 2 * kPieceLength;

// Whether the block continues the line of the block before it.
bool continuesLine(const QTextBlock& block);

// The text between two positions of the document, as written: `lineBreak`
// between lines, nothing between the pieces of one.
QString text(const QTextDocument& document, int from, int to, QChar lineBreak);
QString text(const QTextDocument& document, QChar lineBreak);

// The position in the document of a position in its text (with one
// character per line break, as `text` gives it).
int documentPosition(const QTextDocument& document, qsizetype textPosition);

// Inserts the text at the cursor, in place of its selection: each line
// break ("\r\n" counts once) starts a line, and long lines go in pieces.
// Part of the cursor's edit block when it has one.
void insert(QTextCursor& cursor, const QString& text);

// Brings the blocks between the two positions back to the rule after an
// edit: a block grown past the maximum is split, and a piece left empty,
// or after an empty block, joins the block before it (it would show as a
// line of its own). Its edits join the edit block open on the document.
void tidy(QTextDocument& document, int from, int to);

}  // namespace ui::short_blocks
