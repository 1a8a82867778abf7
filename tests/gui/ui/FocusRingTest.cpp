#include "GuiTest.hpp"

#include "ui/ButtonStyle.hpp"
#include "ui/DisclosureGroup.hpp"
#include "ui/Palette.hpp"
#include "ui/PopUpPicker.hpp"
#include "ui/RoundedCard.hpp"
#include "ui/StyledButton.hpp"
#include "ui/Switch.hpp"
#include "ui/TextEditor.hpp"
#include "ui/TextField.hpp"

#include <QApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <functional>
#include <ostream>

#include <gtest/gtest.h>

namespace {

using namespace ui;

// A control of the kit as the screens use it, in a window of its own, after a
// field that holds the focus first.
struct FocusCase {
  const char* name;
  std::function<QWidget*(QWidget* parent)> make;
};
void PrintTo(const FocusCase& c, std::ostream* os) { *os << c.name; }

class FocusRing : public ::testing::TestWithParam<FocusCase> {};

// Tab moves the keyboard focus onto the control, and it draws a ring: its
// outline changes, its middle does not. Focus leaving takes the ring away.
TEST_P(FocusRing, IsDrawnWhereKeyboardFocusIs) {
  QWidget window;
  auto* column = new QVBoxLayout(&window);
  column->setContentsMargins(12, 12, 12, 12);
  auto* before = new StyledButton("Before", ButtonStyle::bordered(), &window);
  column->addWidget(before);
  QWidget* control = GetParam().make(&window);
  column->addWidget(control);
  window.resize(320, window.sizeHint().height());
  gui_test::showAndWait(window);
  window.activateWindow();
  before->setFocus(Qt::TabFocusReason);
  ASSERT_TRUE(gui_test::waitUntil([&] { return before->hasFocus(); }));
  const QImage unfocused = gui_test::render(*control, control->size());

  QTest::keyClick(before, Qt::Key_Tab);
  ASSERT_TRUE(control->hasFocus());
  const QImage focused = gui_test::render(*control, control->size());
  gui_test::renderToPng(*control, QString("focus-ring-") + GetParam().name, control->size());

  int changedOnTheEdge = 0;
  for (int x = 0; x < focused.width(); ++x)
    for (int y : {focused.height() / 2 - 1, focused.height() / 2, focused.height() / 2 + 1})
      if (x < 6 || x >= focused.width() - 6) changedOnTheEdge += focused.pixel(x, y) != unfocused.pixel(x, y);
  for (int y = 0; y < focused.height(); ++y)
    for (int x : {focused.width() / 2})
      if (y < 6 || y >= focused.height() - 6) changedOnTheEdge += focused.pixel(x, y) != unfocused.pixel(x, y);
  EXPECT_GE(changedOnTheEdge, 8);
  const QPoint middle(focused.width() / 2, focused.height() / 2);
  EXPECT_EQ(focused.pixel(middle), unfocused.pixel(middle));

  QTest::keyClick(control, Qt::Key_Backtab);
  ASSERT_TRUE(before->hasFocus());
  EXPECT_EQ(gui_test::render(*control, control->size()), unfocused);
}

QWidget* card(QWidget* parent) {
  auto* card = new RoundedCard({color::secondarySystemFill(), color::clear(), 1, 10, QMargins(12, 12, 12, 12)}, parent);
  card->setClickable(true);
  card->contentLayout()->addWidget(new QLabel("OpenAI", card));
  return card;
}

QWidget* tabButton(QWidget* parent) {
  ButtonStyle style = ButtonStyle::plain();
  style.background = {color::clear(), color::clear(), 0, 8, QMargins(16, 10, 16, 10)};
  style.fillsWidth = true;
  return new StyledButton("Features", style, parent);
}

INSTANTIATE_TEST_SUITE_P(
    Controls, FocusRing,
    ::testing::Values(FocusCase{"TabButton", tabButton},
                      FocusCase{"PrimaryButton", [](QWidget* p) { return new StyledButton("Save", ButtonStyle::primary(), p); }},
                      FocusCase{"SecondaryButton",
                                [](QWidget* p) { return new StyledButton("Test Connection", ButtonStyle::secondary(), p); }},
                      FocusCase{"SwitchOff", [](QWidget* p) { return new Switch(p); }},
                      FocusCase{"SwitchOn",
                                [](QWidget* p) {
                                  auto* on = new Switch(p);
                                  on->setChecked(true);
                                  return on;
                                }},
                      FocusCase{"ProviderCard", card},
                      FocusCase{"DisclosureGroup",
                                [](QWidget* p) -> QWidget* {
                                  auto* group = new DisclosureGroup("Advanced Settings", p);
                                  return group->findChild<QAbstractButton*>();
                                }},
                      // The draft box, the prompt editor and the settings window's fields:
                      // styles without a ring of their own.
                      FocusCase{"OutlinedTextEditor",
                                [](QWidget* p) {
                                  FieldStyle style = FieldStyle::roundedBorder();
                                  style.focusRing = false;
                                  return new TextEditor(style, p);
                                }},
                      FocusCase{"FilledTextEditor",
                                [](QWidget* p) { return new TextEditor(FieldStyle::filled(color::secondarySystemFill(), 12, 8), p); }},
                      FocusCase{"SettingsTextField", [](QWidget* p) { return new TextField("API Key", FieldStyle::custom(), p); }},
                      FocusCase{"PopUpPicker",
                                [](QWidget* p) {
                                  auto* picker = new PopUpPicker(p);
                                  picker->addItem("gpt-4o", "gpt-4o");
                                  return picker;
                                }}),
    [](const auto& info) { return std::string(info.param.name); });

// A button alone in an active window, without the focus, and how it looks so.
struct UnfocusedButton {
  QWidget window;
  StyledButton* button = new StyledButton("Save", ButtonStyle::primary(), &window);
  QImage plain;

  UnfocusedButton() {
    (new QVBoxLayout(&window))->addWidget(button);
    gui_test::showAndWait(window);
    window.activateWindow();
    button->clearFocus();
    plain = gui_test::render(*button, button->size());
  }
  bool showsRing() const { return gui_test::render(*button, button->size()) != plain; }
};

// Focus given by a click or by the window's activation draws no ring, as on
// the platform; the keyboard's does.
TEST(KeyboardFocus, OnlyFocusMovedByTheKeyboardShowsTheRing) {
  UnfocusedButton b;
  auto* button = b.button;
  struct Move {
    Qt::FocusReason reason;
    bool ring;
  } moves[] = {{Qt::MouseFocusReason, false}, {Qt::TabFocusReason, true}, {Qt::ActiveWindowFocusReason, false},
               {Qt::BacktabFocusReason, true}, {Qt::OtherFocusReason, false}, {Qt::ShortcutFocusReason, true}};
  for (const auto& move : moves) {
    SCOPED_TRACE(move.reason);
    button->clearFocus();
    button->setFocus(move.reason);
    ASSERT_TRUE(button->hasFocus());
    EXPECT_EQ(b.showsRing(), move.ring);
  }
}

// The window activated after a key shows the ring (an alert answered with
// Return hands the focus back); once the program was left, what activates it
// again may be a click it never saw, and shows none.
TEST(KeyboardFocus, ActivationAfterTheProgramWasLeftShowsNoRing) {
  UnfocusedButton b;
  auto* button = b.button;
  for (const bool programLeft : {false, true}) {
    SCOPED_TRACE(programLeft ? "program left" : "program kept");
    QTest::keyClick(&b.window, Qt::Key_Shift);
    if (programLeft) {
      QEvent deactivated(QEvent::ApplicationDeactivate);
      QCoreApplication::sendEvent(qApp, &deactivated);
    }
    button->clearFocus();
    button->setFocus(Qt::ActiveWindowFocusReason);
    EXPECT_EQ(b.showsRing(), !programLeft);
  }
}

// A card is a button for the keyboard too: Space and Return press it.
TEST(KeyboardFocus, AFocusedCardIsPressedWithSpaceOrReturn) {
  QWidget window;
  auto* pressed = static_cast<RoundedCard*>(card(&window));
  QSignalSpy clicks(pressed, &RoundedCard::clicked);
  QTest::keyClick(pressed, Qt::Key_Space);
  QTest::keyClick(pressed, Qt::Key_Return);
  QTest::keyClick(pressed, Qt::Key_A);
  EXPECT_EQ(clicks.count(), 2);
  EXPECT_EQ(pressed->focusPolicy(), Qt::TabFocus);
}

// A click presses a button without taking the focus from the field being
// typed in, as on the platform; Tab still reaches it.
TEST(KeyboardFocus, AClickLeavesTheFocusWhereItWas) {
  QWidget window;
  auto* column = new QVBoxLayout(&window);
  auto* field = new QLabel("field", &window);
  field->setFocusPolicy(Qt::StrongFocus);
  auto* button = new StyledButton("Draft", ButtonStyle::borderedProminent(), &window);
  column->addWidget(field);
  column->addWidget(button);
  gui_test::showAndWait(window);
  window.activateWindow();
  field->setFocus();
  ASSERT_TRUE(gui_test::waitUntil([&] { return field->hasFocus(); }));
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_TRUE(field->hasFocus());
}

}  // namespace
