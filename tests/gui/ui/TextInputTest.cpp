#include "GuiTest.hpp"

#include "ui/Bindings.hpp"
#include "ui/Palette.hpp"
#include "ui/TextEditor.hpp"
#include "ui/TextField.hpp"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>

namespace {

using namespace ui;

TEST(TextField, TypingReportsTextAndReturn) {
  TextField field("Your instructions...");
  EXPECT_EQ(field.lineEdit()->placeholderText(), "Your instructions...");
  QSignalSpy changes(&field, &TextField::textChanged);
  QSignalSpy returns(&field, &TextField::returnPressed);
  QTest::keyClicks(field.lineEdit(), "Be brief");
  QTest::keyClick(field.lineEdit(), Qt::Key_Return);
  EXPECT_EQ(field.text(), "Be brief");
  EXPECT_EQ(changes.count(), 8);
  EXPECT_EQ(changes.last()[0].toString(), "Be brief");
  EXPECT_EQ(returns.count(), 1);
}

// A binding writes back what it read: that must not move the cursor or
// report a change.
TEST(TextField, SettingTheSameTextChangesNothing) {
  TextField field;
  field.setText("https://api.openai.com/v1");
  field.lineEdit()->setCursorPosition(5);
  QSignalSpy changes(&field, &TextField::textChanged);
  field.setText("https://api.openai.com/v1");
  EXPECT_EQ(field.lineEdit()->cursorPosition(), 5);
  EXPECT_EQ(changes.count(), 0);
  field.setText("");
  EXPECT_EQ(changes.count(), 1);
}

// What a single-line field makes of pasted text holding line breaks: the
// field's text before, where the cursor was, what was pasted, and the text
// and cursor after.
struct PastedLines {
  const char* name;
  QString before;
  int cursor;
  QString pasted;
  QString after;
  int cursorAfter;
};
void PrintTo(const PastedLines& p, std::ostream* os) { *os << p.name; }

class SingleLinePaste : public ::testing::TestWithParam<PastedLines> {};

TEST_P(SingleLinePaste, KeepsTheFieldOnOneLine) {
  const auto& p = GetParam();
  for (bool secure : {false, true}) {
    SCOPED_TRACE(secure ? "secure" : "plain");
    TextField field;
    field.setSecure(secure);
    field.setText(p.before);
    field.lineEdit()->setCursorPosition(p.cursor);
    QSignalSpy changes(&field, &TextField::textChanged);
    QGuiApplication::clipboard()->setText(p.pasted);
    field.lineEdit()->paste();
    EXPECT_EQ(field.text(), p.after);
    EXPECT_EQ(field.lineEdit()->cursorPosition(), p.cursorAfter);
    // Only the single-line text is ever reported.
    ASSERT_FALSE(changes.isEmpty());
    for (const auto& change : changes) EXPECT_EQ(change[0].toString(), p.after);
  }
}

INSTANTIATE_TEST_SUITE_P(
    TextField, SingleLinePaste,
    ::testing::Values(PastedLines{"AKeyWithItsLineBreak", "", 0, "sk-key\n", "sk-key", 6},
                      PastedLines{"AKeyWithAWindowsLineBreak", "", 0, "sk-key\r\n", "sk-key", 6},
                      PastedLines{"AnEndpointBetweenLineBreaks", "", 0, "\nhttps://llm.example/v1\n\n",
                                  "https://llm.example/v1", 22},
                      PastedLines{"InnerBreaksBecomeSpaces", "", 0, "one\ntwo\r\nthree", "one two three", 13},
                      PastedLines{"IntoTheMiddle", "XY", 1, "a\nb\n", "Xa bY", 4},
                      PastedLines{"AtTheStart", "http://old", 0, "new\u2028", "newhttp://old", 3},
                      PastedLines{"UnicodeSeparatorsInside", "", 0, "a\u2029b\u0085c\vd", "a b c d", 7},
                      PastedLines{"NoBreakAtAll", "k", 1, "ey", "key", 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TextField, TextSetFromOutsideIsShownOnOneLine) {
  TextField field;
  field.setText("sk-stored\n");
  EXPECT_EQ(field.text(), "sk-stored");
  field.setText("first\nsecond");
  EXPECT_EQ(field.text(), "first second");
}

TEST(TextField, SecureFieldHidesWhatIsTyped) {
  TextField field("Enter your API key", FieldStyle::filled(color::tertiarySystemFill(), 12, 8));
  field.setSecure(true);
  QTest::keyClicks(field.lineEdit(), "sk-123");
  EXPECT_EQ(field.text(), "sk-123");
  EXPECT_EQ(field.lineEdit()->echoMode(), QLineEdit::Password);
  EXPECT_NE(field.lineEdit()->displayText(), "sk-123");
  field.setSecure(false);
  EXPECT_EQ(field.lineEdit()->displayText(), "sk-123");
}

// The filled style puts the text 12 points inside its rounded fill.
TEST(TextField, FilledStylePadsTheTextInsideItsFill) {
  TextField field("API endpoint URL", FieldStyle::filled(color::blue(), 12, 8));
  const QImage image = gui_test::render(field, {240, 0});
  EXPECT_EQ(field.lineEdit()->geometry().topLeft(), QPoint(12, 12));
  EXPECT_EQ(field.height(), 24 + field.lineEdit()->sizeHint().height());
  EXPECT_EQ(image.pixelColor(6, field.height() / 2), color::blue());
  EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);
}

TEST(TextField, RoundedBorderDrawsAFocusRingOnlyWhileFocused) {
  TextField field("Refine instructions...");
  gui_test::showAndWait(field);
  field.clearFocus();
  const QImage unfocused = gui_test::render(field, field.size());
  field.activateWindow();
  field.lineEdit()->setFocus();
  ASSERT_TRUE(gui_test::waitUntil([&] { return field.lineEdit()->hasFocus(); }));
  const QImage focused = gui_test::render(field, field.size());
  const QColor ring = gui_test::colorOverWhite(focused, QPoint(field.width() / 2, 1));
  EXPECT_GT(ring.blue(), ring.red() + 60);
  EXPECT_EQ(gui_test::colorOverWhite(unfocused, QPoint(field.width() / 2, 1)), QColor(Qt::white));
}

TEST(TextEditor, HoldsMultiLineTextWithAPlaceholder) {
  TextEditor editor;
  editor.setPlaceholder("Paste your exported settings JSON below");
  EXPECT_EQ(editor.plainTextEdit()->placeholderText(), "Paste your exported settings JSON below");
  QSignalSpy changes(&editor, &TextEditor::textChanged);
  editor.setText("Dear Anna,\n\nThanks.");
  EXPECT_EQ(editor.text(), "Dear Anna,\n\nThanks.");
  ASSERT_GE(changes.count(), 1);
  EXPECT_EQ(changes.last()[0].toString(), "Dear Anna,\n\nThanks.");
  const auto reported = changes.count();
  editor.setText("Dear Anna,\n\nThanks.");
  EXPECT_EQ(changes.count(), reported);
  QTest::keyClicks(editor.plainTextEdit(), "!");
  EXPECT_TRUE(editor.text().contains('!'));
}

// Lines wrap at the editor's width, so it never scrolls sideways, not even
// under a line that fills it to the last pixel.
TEST(TextEditor, WrapsInsteadOfScrollingSideways) {
  const QString texts[] = {
      "Please see https://docs.example.com/document/d/1aBcDeFgHiJkLmNoPqRsTuVwXyZ0123456789/edit for the agenda.",
      "Averyveryverylongwordwithoutanyspacesatallthatgoesonandonandonandonandonandonandon end"};
  for (const QString& text : texts) {
    for (int width : {200, 314, 350, 351, 352}) {
      TextEditor editor;
      editor.setText(text);
      editor.resize(width, 150);
      gui_test::showAndWait(editor);
      EXPECT_FALSE(editor.plainTextEdit()->horizontalScrollBar()->isVisible()) << width << " " << text.toStdString();
    }
  }
}

TEST(TextEditor, StyleSetsFontColourAndBox) {
  FieldStyle style = FieldStyle::filled(color::withOpacity(color::tertiaryLabel(), 0.1), 12, 8);
  style.font = QFont("DejaVu Sans Mono");
  style.font.setPixelSize(13);
  TextEditor editor(style);
  editor.setMinimumHeight(200);
  EXPECT_EQ(editor.plainTextEdit()->font().family(), "DejaVu Sans Mono");
  const QImage image = gui_test::render(editor, {300, 200});
  EXPECT_EQ(editor.plainTextEdit()->geometry().topLeft(), QPoint(12, 12));
  EXPECT_GT(image.pixelColor(150, 6).alpha(), 0);
}

// A read-only editor shown one text after another replaces only what
// differs, and ends up holding exactly what a full replacement would.
TEST(TextEditor, AReadOnlyEditorShowsEachTextItIsGivenExactly) {
  TextEditor shown;
  shown.setReadOnly(true);
  const QString texts[] = {
      "Be brief.",
      "Be brief!",
      "Be brief, and kind.",
      "Be kind.",
      "First line\nSecond line\n\nThird",
      "First line\nSecond line changed\n\nThird",
      "Cheers \U0001F600",
      "Cheers \U0001F601",
      "One\r\nTwo\r\n",
      "",
      "Something else entirely \u2028 with a separator",
  };
  for (const QString& text : texts) {
    SCOPED_TRACE(text.toStdString());
    shown.setText(text);
    EXPECT_EQ(shown.text(), text);
    TextEditor replaced;
    replaced.setText(text);
    EXPECT_EQ(shown.plainTextEdit()->document()->toRawText(), replaced.plainTextEdit()->document()->toRawText());
  }
  // Nothing typed reaches it.
  shown.plainTextEdit()->moveCursor(QTextCursor::End);
  QTest::keyClicks(shown.plainTextEdit(), "typed");
  EXPECT_EQ(shown.text(), texts[std::size(texts) - 1]);
}

// Fitted to its text: as tall as its lines and the padding, up to the
// maximum, then scrolling; and back again when the text shrinks.
TEST(TextEditor, FittedToItsTextUpToAMaximum) {
  TextEditor editor(FieldStyle::filled(color::tertiarySystemFill(), 12, 8));
  editor.setReadOnly(true);
  editor.fitToText(120);
  editor.resize(300, editor.height());
  gui_test::showAndWait(editor);
  const qreal line = QFontMetricsF(editor.plainTextEdit()->font()).height();
  auto linesShown = [&](const QString& text) {
    editor.setText(text);
    EXPECT_TRUE(gui_test::waitUntil([&] { return editor.plainTextEdit()->viewport()->height() + 24 == editor.height(); }));
    return (editor.height() - 24) / line;
  };
  EXPECT_NEAR(linesShown("one"), 1, 0.2);
  EXPECT_NEAR(linesShown("one\ntwo\nthree"), 3, 0.3);
  EXPECT_EQ(editor.plainTextEdit()->verticalScrollBar()->maximum(), 0);
  linesShown(QString("line\n").repeated(40));
  EXPECT_EQ(editor.height(), 120);
  EXPECT_GT(editor.plainTextEdit()->verticalScrollBar()->maximum(), 0);
  EXPECT_NEAR(linesShown("one"), 1, 0.2);
}

// The scroll bar's thumb stands out from the field it scrolls, light or
// dark, and no arrow buttons take room from it.
TEST(TextEditor, TheScrollBarThumbShowsOnLightAndDarkFields) {
  for (const QColor& fill : {color::tertiarySystemFill(), color::withOpacity(color::black(), 0.3)}) {
    SCOPED_TRACE(fill.name(QColor::HexArgb).toStdString());
    TextEditor editor(FieldStyle::filled(fill, 12, 8));
    editor.setText(QString("line\n").repeated(80));
    editor.resize(300, 150);
    gui_test::showAndWait(editor);
    auto* bar = editor.plainTextEdit()->verticalScrollBar();
    ASSERT_TRUE(bar->isVisible());
    const QImage image = gui_test::render(editor, editor.size());
    const QRect track(bar->mapTo(&editor, QPoint(0, 0)), bar->size());
    const QColor field = gui_test::colorOverWhite(image, QPoint(track.left() - 6, track.center().y()));
    // The thumb sits at the top, with no arrow above it.
    const QColor thumb = gui_test::colorOverWhite(image, QPoint(track.center().x(), track.top() + 8));
    EXPECT_GT(field.lightness() - thumb.lightness(), 40) << thumb.name().toStdString() << " on " << field.name().toStdString();
    EXPECT_LE(track.width(), 10);
  }
}

}  // namespace

namespace {

// Texts that pass through the editor unchanged, given or typed after.
struct KeptText {
  const char* name;
  const char* text;
};

void PrintTo(const KeptText& t, std::ostream* os) { *os << t.name; }

class TextEditorKeeps : public ::testing::TestWithParam<KeptText> {};

TEST_P(TextEditorKeeps, WhatItWasGivenAndWhatIsTypedAfter) {
  const QString given = QString::fromUtf8(GetParam().text);
  ui::TextEditor editor;
  QSignalSpy changes(&editor, &ui::TextEditor::textChanged);
  editor.setText(given);
  EXPECT_EQ(editor.text(), given);
  ASSERT_GE(changes.count(), 1);
  EXPECT_EQ(changes.last()[0].toString(), given);
  const auto reported = changes.count();
  editor.setText(given);
  EXPECT_EQ(changes.count(), reported);  // already that text
  editor.plainTextEdit()->moveCursor(QTextCursor::End);
  QTest::keyClicks(editor.plainTextEdit(), "!");
  EXPECT_EQ(editor.text(), given + "!");
  EXPECT_EQ(changes.last()[0].toString(), given + "!");
}

INSTANTIATE_TEST_SUITE_P(TextEditor, TextEditorKeeps,
                         ::testing::Values(KeptText{"Lines", "Dear Anna,\n\nThanks.\n"},
                                           KeptText{"NoBreakSpaces", "10\u00a0km and\u00a0more"},
                                           KeptText{"LineSeparator", "first\u2028second"},
                                           KeptText{"ExportWithALineSeparator", "{\n  \"customSystemPrompt\": \"a\u2028b\"\n}"},
                                           KeptText{"Emoji", "Cheers 😀👍🏽"},
                                           KeptText{"TrailingBlanksAndTabs", "end  \t \n  "}),
                         [](const ::testing::TestParamInfo<KeptText>& info) { return std::string(info.param.name); });

// A bound field writes back what the user edits, never what it made of a
// value it was shown.
TEST(TextBinding, ShowingAValueNeverRewritesIt) {
  platform::Published<std::string> key{std::string()}, prompt{std::string()};
  ui::TextField field;
  ui::TextEditor editor;
  ui::Bindings bindings;
  bindings.text(&field, key);
  bindings.text(&editor, prompt);
  const std::string longKey(40000, 'k');  // longer than a line edit holds
  key = longKey;
  prompt = std::string("One\r\nTwo");
  EXPECT_EQ(*key, longKey);
  EXPECT_EQ(*prompt, "One\r\nTwo");
  EXPECT_EQ(editor.text(), "One\nTwo");
  // An edit writes what the widget holds.
  editor.plainTextEdit()->moveCursor(QTextCursor::End);
  QTest::keyClicks(editor.plainTextEdit(), "!");
  EXPECT_EQ(*prompt, "One\nTwo!");
  field.lineEdit()->clear();
  QTest::keyClicks(field.lineEdit(), "sk");
  EXPECT_EQ(*key, "sk");
}

// A single-line field shows a value with line breaks on one line, and the
// value becomes that line: what is saved is what is shown. A value it cannot
// show exactly for other reasons is still left alone.
TEST(TextBinding, AValueShownOnOneLineBecomesThatLine) {
  struct Case {
    const char* name;
    std::string given, kept;
  } cases[] = {
      {"trailing break", "sk-stored\r\n", "sk-stored"},
      {"inner break", "first\nsecond", "first second"},
      {"no break", "sk-plain", "sk-plain"},
      {"not UTF-8", "sk-\xff\n", "sk-\xff\n"},
      {"longer than a line", std::string(40000, 'k') + "\n", std::string(40000, 'k') + "\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    platform::Published<std::string> key{std::string()};
    ui::TextField field;
    ui::Bindings bindings;
    bindings.text(&field, key);
    key = c.given;
    EXPECT_EQ(*key, c.kept);
  }
  // Shown when the binding is made, too.
  platform::Published<std::string> key{std::string("sk-loaded\n")};
  ui::TextField field;
  ui::Bindings bindings;
  bindings.text(&field, key);
  EXPECT_EQ(field.text(), "sk-loaded");
  EXPECT_EQ(*key, "sk-loaded");
}

}  // namespace

namespace {

// A long text without a break opportunity (a pasted Base64 blob), with a
// combining accent in every unit, `bytes` long.
QString unbrokenText(qsizetype bytes) {
  const QString unit = QString::fromUtf8("QmFzZTY0e\u0301");
  return unit.repeated(bytes / unit.toUtf8().size());
}

// No block of the editor's document is long enough to hold the window up
// when it is laid out.
qsizetype longestBlock(const ui::TextEditor& editor) {
  qsizetype longest = 0;
  for (QTextBlock block = editor.plainTextEdit()->document()->begin(); block.isValid(); block = block.next())
    longest = std::max<qsizetype>(longest, block.length() - 1);
  return longest;
}

struct LongText {
  const char* name;
  qsizetype bytes;
  bool pasted;  // otherwise given, and typed into
};

void PrintTo(const LongText& t, std::ostream* os) { *os << t.name; }

class TextEditorWithALongLine : public ::testing::TestWithParam<LongText> {};

// A line of a megabyte without spaces, pasted or typed into, is held in
// short blocks, and the text is exactly what was pasted and typed: read,
// copied, undone and redone.
TEST_P(TextEditorWithALongLine, StaysQuickAndKeepsTheTextExactly) {
  const QString line = unbrokenText(GetParam().bytes);
  const QString text = "{\"customSystemPrompt\": \"" + line + "\"}\n" + line;
  ui::TextEditor editor;
  editor.resize(480, 300);
  gui_test::showAndWait(editor);
  auto* edit = editor.plainTextEdit();
  if (GetParam().pasted) {
    QGuiApplication::clipboard()->setText(text);
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
  } else {
    editor.setText(text);
  }
  EXPECT_EQ(editor.text(), text);
  EXPECT_LE(longestBlock(editor), 4096);

  // Typed in the middle of the first line and at the end of the text.
  QTextCursor cursor = edit->textCursor();
  cursor.setPosition(static_cast<int>(line.size() / 2));
  edit->setTextCursor(cursor);
  QTest::keyClicks(edit, "Ab");
  edit->moveCursor(QTextCursor::End);
  QTest::keyClicks(edit, "!");
  const qsizetype at = editor.text().indexOf("Ab");
  ASSERT_GT(at, 0);
  EXPECT_LT(at, line.size());
  EXPECT_TRUE(editor.text() == QString(text).insert(at, "Ab") + "!");
  EXPECT_LE(longestBlock(editor), 4096);

  edit->selectAll();
  edit->copy();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), editor.text());
  const QString edited = editor.text();
  edit->undo();
  edit->redo();
  EXPECT_EQ(editor.text(), edited);
}

INSTANTIATE_TEST_SUITE_P(TextEditor, TextEditorWithALongLine,
                         ::testing::Values(LongText{"Pasted256KB", 256 << 10, true}, LongText{"Pasted1MB", 1 << 20, true},
                                           LongText{"Typed256KB", 256 << 10, false}, LongText{"Typed1MB", 1 << 20, false}),
                         [](const ::testing::TestParamInfo<LongText>& info) { return std::string(info.param.name); });

// Keys at the break between two pieces of a line act on the text as they
// would anywhere else: Backspace and Delete remove a character each, and
// Return starts a line there without an empty one.
TEST(TextEditor, KeysAtTheBreakBetweenTwoPiecesActOnTheText) {
  const QString line = QString("QmFzZTY0").repeated(2500);
  ui::TextEditor editor;
  editor.setText(line);
  auto* edit = editor.plainTextEdit();
  const QTextBlock second = edit->document()->begin().next();
  ASSERT_TRUE(second.isValid());
  const qsizetype cut = second.position() - 1;  // where the second piece starts, in the text
  const qsizetype secondPiece = second.length() - 1;
  struct Key {
    const char* name;
    int documentPosition;
    Qt::Key key;
    QString expected;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
  } keys[] = {
      {"Backspace", second.position(), Qt::Key_Backspace, QString(line).remove(cut - 1, 1)},
      {"Delete", second.position() - 1, Qt::Key_Delete, QString(line).remove(cut, 1)},
      {"Return", second.position(), Qt::Key_Return, QString(line).insert(cut, u'\n')},
      // The word before, back to where the line starts; the word after, up
      // to where the next piece ends at the most.
      {"CtrlBackspace", second.position(), Qt::Key_Backspace, QString(line).remove(0, cut), Qt::ControlModifier},
      {"CtrlDelete", second.position() - 1, Qt::Key_Delete, QString(line).remove(cut, secondPiece), Qt::ControlModifier},
  };
  for (const auto& key : keys) {
    SCOPED_TRACE(key.name);
    editor.setText(line);
    QTextCursor cursor = edit->textCursor();
    cursor.setPosition(key.documentPosition);
    edit->setTextCursor(cursor);
    QTest::keyClick(edit, key.key, key.modifiers);
    EXPECT_EQ(editor.text().toStdString(), key.expected.toStdString()) << editor.text().size() << " " << key.expected.size();
    for (QTextBlock block = edit->document()->begin(); block.isValid(); block = block.next())
      EXPECT_GT(block.length(), 1) << "an empty line shows where the text has none";
  }
}

// A limited editor refuses a paste or a keystroke that would take its text
// past the limit, whole and before laying it out, and says so.
TEST(TextEditor, ALimitedEditorRefusesWhatWouldPassTheLimit) {
  ui::TextEditor editor;
  editor.limitText(10);
  QSignalSpy refusals(&editor, &ui::TextEditor::insertionRefused);
  editor.setText("12345678");
  auto* edit = editor.plainTextEdit();
  edit->moveCursor(QTextCursor::End);
  QGuiApplication::clipboard()->setText("abc");
  edit->paste();
  EXPECT_EQ(editor.text(), "12345678");
  EXPECT_EQ(refusals.count(), 1);
  QGuiApplication::clipboard()->setText("é");  // two bytes: just fits
  edit->paste();
  EXPECT_EQ(editor.text(), "12345678é");
  QTest::keyClicks(edit, "x");
  EXPECT_EQ(editor.text(), "12345678é");
  EXPECT_EQ(refusals.count(), 2);
  // In place of a selection, what is pasted may fit.
  QGuiApplication::clipboard()->setText("abc");
  edit->selectAll();
  edit->paste();
  EXPECT_EQ(editor.text(), "abc");
  EXPECT_EQ(refusals.count(), 2);
}

// Every way text enters an editor keeps to its limit: a way that puts text
// in where there is room refuses the same text where there is none.
struct Entry {
  const char* name;
  QString inserted;  // what it puts in, as the editor's text holds it
  std::function<void(QPlainTextEdit*)> enter;
};
void PrintTo(const Entry& e, std::ostream* os) { *os << e.name; }

void typeKey(QPlainTextEdit* edit, Qt::Key key, const QString& text, Qt::KeyboardModifiers modifiers = {}) {
  QTest::sendKeyEvent(QTest::Click, edit, key, text, modifiers);
}

void drop(QPlainTextEdit* edit, const QString& text) {
  QMimeData data;
  data.setText(text);
  const QPointF at = edit->cursorRect().center();
  QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, {});
  QCoreApplication::sendEvent(edit->viewport(), &enter);
  QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, {});
  QCoreApplication::sendEvent(edit->viewport(), &dropped);
}

class TextEditorEntry : public ::testing::TestWithParam<Entry> {};

TEST_P(TextEditorEntry, KeepsToTheLimit) {
  const auto& entry = GetParam();
  const qsizetype bytes = entry.inserted.toUtf8().size();
  for (const bool room : {true, false}) {
    SCOPED_TRACE(room ? "room" : "no room");
    ui::TextEditor editor;
    editor.limitText(8 + bytes - (room ? 0 : 1));
    gui_test::showAndWait(editor);
    QSignalSpy refusals(&editor, &ui::TextEditor::insertionRefused);
    editor.setText("12345678");
    auto* edit = editor.plainTextEdit();
    edit->setFocus();
    edit->moveCursor(QTextCursor::End);
    entry.enter(edit);
    EXPECT_EQ(editor.text(), room ? "12345678" + entry.inserted : QString("12345678"));
    EXPECT_EQ(refusals.count(), room ? 0 : 1);
  }
}

INSTANTIATE_TEST_SUITE_P(
    TextEditor, TextEditorEntry,
    ::testing::Values(
        Entry{"TypedLetter", "x", [](QPlainTextEdit* e) { typeKey(e, Qt::Key_X, "x"); }},
        Entry{"Return", "\n", [](QPlainTextEdit* e) { typeKey(e, Qt::Key_Return, "\r"); }},
        Entry{"ShiftReturn", QString(QChar::LineSeparator),
              [](QPlainTextEdit* e) { typeKey(e, Qt::Key_Return, "\r", Qt::ShiftModifier); }},
        Entry{"TypedEmoji", "😀", [](QPlainTextEdit* e) { typeKey(e, Qt::Key_unknown, "😀"); }},
        Entry{"TypedJoiner", "\u200d", [](QPlainTextEdit* e) { typeKey(e, Qt::Key_unknown, "\u200d"); }},
        Entry{"Paste", "pasted",
              [](QPlainTextEdit* e) {
                QGuiApplication::clipboard()->setText("pasted");
                QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
              }},
        Entry{"Drop", "dropped", [](QPlainTextEdit* e) { drop(e, "dropped"); }},
        Entry{"InputMethod", "日本",
              [](QPlainTextEdit* e) {
                QInputMethodEvent composing;
                composing.setCommitString("日本");
                QCoreApplication::sendEvent(e, &composing);
              }}),
    [](const ::testing::TestParamInfo<Entry>& info) { return std::string(info.param.name); });

// Tab and Shift+Tab move the focus on and back, as in any form; they never
// type a tab, not even where nothing else could take the focus.
TEST(TextEditor, TabMovesTheFocus) {
  QWidget form;
  auto* before = new QLineEdit(&form);
  auto* editor = new ui::TextEditor(FieldStyle::roundedBorder(), &form);
  auto* after = new QLineEdit(&form);
  auto* column = new QVBoxLayout(&form);
  for (QWidget* widget : {static_cast<QWidget*>(before), static_cast<QWidget*>(editor), static_cast<QWidget*>(after)})
    column->addWidget(widget);
  gui_test::showAndWait(form);
  form.activateWindow();
  editor->setText("Dear Anna,");
  auto* edit = editor->plainTextEdit();
  edit->setFocus(Qt::TabFocusReason);
  ASSERT_TRUE(gui_test::waitUntil([&] { return edit->hasFocus(); }));
  QTest::keyClick(edit, Qt::Key_Tab);
  EXPECT_TRUE(after->hasFocus());
  edit->setFocus(Qt::TabFocusReason);
  QTest::keyClick(edit, Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_TRUE(before->hasFocus());
  EXPECT_EQ(editor->text(), "Dear Anna,");
  ui::TextEditor alone;
  gui_test::showAndWait(alone);
  for (const auto modifiers : {Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier})
    QTest::keyClick(alone.plainTextEdit(), Qt::Key_Tab, modifiers);
  EXPECT_EQ(alone.text(), "");
}

}  // namespace
