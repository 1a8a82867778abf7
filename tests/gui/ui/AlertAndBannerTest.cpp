#include "GuiTest.hpp"

#include "ui/AlertDialog.hpp"
#include "ui/ConfirmationBanner.hpp"
#include "ui/Palette.hpp"
#include "ui/StyledButton.hpp"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

namespace {

using namespace ui;
using namespace std::chrono_literals;
using Role = AlertDialog::Role;

struct LeaveTabAlert {
  AlertDialog alert{"Unsaved Changes",
                    "You have a generated draft. Leaving this tab will discard the current draft. Do you want to continue?"};
  int leave = alert.addButton("Leave Tab", Role::destructive);
  int cancel = alert.addButton("Cancel", Role::cancel);
  QSignalSpy clicked{&alert, &AlertDialog::buttonClicked};
  LeaveTabAlert() {
    alert.open();
    (void)QTest::qWaitForWindowExposed(&alert);
  }
};

TEST(AlertDialog, ShowsTitleMessageAndButtonsWithCancelFirst) {
  LeaveTabAlert a;
  EXPECT_NE(gui_test::findByText(a.alert, "Unsaved Changes"), nullptr);
  EXPECT_NE(gui_test::findByText(a.alert, "Cancel"), nullptr);
  EXPECT_LT(a.alert.button(a.cancel)->x(), a.alert.button(a.leave)->x());
  EXPECT_EQ(a.alert.button(a.leave)->buttonStyle().textColor, color::red());
  EXPECT_EQ(a.alert.button(a.cancel)->width(), a.alert.button(a.leave)->width());
}

TEST(AlertDialog, PressingAButtonReportsItAndCloses) {
  for (const bool leave : {true, false}) {
    LeaveTabAlert a;
    const int index = leave ? a.leave : a.cancel;
    QTest::mouseClick(a.alert.button(index), Qt::LeftButton);
    ASSERT_EQ(a.clicked.count(), 1);
    EXPECT_EQ(a.clicked[0][0].toInt(), index);
    EXPECT_EQ(a.alert.clickedIndex(), index);
    EXPECT_FALSE(a.alert.isVisible());
    EXPECT_EQ(a.alert.result(), leave ? QDialog::Accepted : QDialog::Rejected);
  }
}

// Neither key may destroy the draft: Escape cancels, and Return does too
// when the only other button is destructive.
TEST(AlertDialog, KeysNeverPressTheDestructiveButton) {
  for (const auto key : {Qt::Key_Escape, Qt::Key_Return}) {
    LeaveTabAlert a;
    QTest::keyClick(&a.alert, key);
    ASSERT_EQ(a.clicked.count(), 1);
    EXPECT_EQ(a.clicked[0][0].toInt(), a.cancel);
  }
}

// The keyboard starts on the button Return presses, so that Space never
// presses a destructive one unasked, and Tab goes along the row as drawn
// (cancel first), whatever order the buttons came in.
struct AlertButtons {
  const char* name;
  std::vector<std::pair<QString, Role>> buttons;
  QString focused;
  QString afterTab;
};
void PrintTo(const AlertButtons& c, std::ostream* os) { *os << c.name; }

class AlertDialogKeyboard : public ::testing::TestWithParam<AlertButtons> {};

TEST_P(AlertDialogKeyboard, StartsOnTheDefaultButtonAndTabsAlongTheRow) {
  AlertDialog alert("Title", "Message");
  for (const auto& [text, role] : GetParam().buttons) alert.addButton(text, role);
  QSignalSpy clicked(&alert, &AlertDialog::buttonClicked);
  alert.open();
  ASSERT_TRUE(gui_test::waitUntil([&] { return QApplication::activeWindow() == &alert; }));
  auto focusedText = [] {
    auto* button = qobject_cast<QAbstractButton*>(QApplication::focusWidget());
    return button ? button->text() : QString("no button");
  };
  EXPECT_EQ(focusedText(), GetParam().focused);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(focusedText(), GetParam().afterTab);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
  ASSERT_EQ(clicked.count(), 1);
  EXPECT_EQ(alert.button(clicked[0][0].toInt())->text(), GetParam().focused);
}

INSTANTIATE_TEST_SUITE_P(
    AlertDialog, AlertDialogKeyboard,
    ::testing::Values(AlertButtons{"UnsavedChanges", {{"Leave Tab", Role::destructive}, {"Cancel", Role::cancel}},
                                   "Cancel", "Leave Tab"},
                      AlertButtons{"SaveCancelDontSave",
                                   {{"Save", Role::plain}, {"Cancel", Role::cancel}, {"Don't Save", Role::destructive}},
                                   "Save", "Don't Save"}),
    [](const ::testing::TestParamInfo<AlertButtons>& info) { return std::string(info.param.name); });

TEST(AlertDialog, ReturnPressesThePlainButtonAndALoneButtonAnswersEscape) {
  AlertDialog import("Import Settings", "This will replace your current settings. Are you sure?");
  const int cancel = import.addButton("Cancel", Role::cancel);
  const int confirm = import.addButton("Import");
  QSignalSpy clicked(&import, &AlertDialog::buttonClicked);
  import.open();
  QTest::keyClick(&import, Qt::Key_Return);
  EXPECT_EQ(clicked.last()[0].toInt(), confirm);
  import.open();
  QTest::keyClick(&import, Qt::Key_Escape);
  EXPECT_EQ(clicked.last()[0].toInt(), cancel);

  AlertDialog notice("Connection Test", "❌ Connection failed!");
  const int ok = notice.addButton("OK");
  QSignalSpy noticed(&notice, &AlertDialog::buttonClicked);
  notice.open();
  QTest::keyClick(&notice, Qt::Key_Escape);
  ASSERT_EQ(noticed.count(), 1);
  EXPECT_EQ(noticed[0][0].toInt(), ok);
}

// However an alert closes, the window it opened from is active again with
// the focus where it was (or on the control named for it), and the alert
// opened centred over that window.
struct AlertClose {
  const char* name;
  std::function<void(AlertDialog& alert)> close;
  bool chosenControl = false;
};
void PrintTo(const AlertClose& c, std::ostream* os) { *os << c.name; }

class AlertDialogClose : public ::testing::TestWithParam<AlertClose> {};

TEST_P(AlertDialogClose, GivesItsWindowTheKeyboardBack) {
  QWidget owner;
  auto* column = new QVBoxLayout(&owner);
  auto* control = new QLineEdit(&owner);
  auto* chosen = new QLineEdit(&owner);
  column->addWidget(control);
  column->addWidget(chosen);
  owner.setGeometry(QRect(QPoint(60, 50), QSize(300, 200)));
  gui_test::showAndWait(owner);
  control->setFocus();
  ASSERT_TRUE(gui_test::waitUntil([&] { return QApplication::activeWindow() == &owner && control->hasFocus(); }));
  // Another window, such as one a window manager might activate instead.
  QWidget other;
  other.setGeometry(QRect(QPoint(400, 300), QSize(100, 80)));
  gui_test::showAndWait(other);

  AlertDialog alert("Import Settings", "This will replace your current settings. Are you sure?", &owner);
  alert.addButton("Cancel", Role::cancel);
  alert.addButton("Import");
  if (GetParam().chosenControl) alert.returnFocusTo(chosen);
  alert.open();
  ASSERT_TRUE(gui_test::waitUntil([&] { return QApplication::activeWindow() == &alert; }));
  EXPECT_LE((alert.frameGeometry().center() - owner.frameGeometry().center()).manhattanLength(), 2)
      << alert.x() << "," << alert.y() << " over " << owner.x() << "," << owner.y();
  GetParam().close(alert);
  QWidget* expected = GetParam().chosenControl ? chosen : control;
  EXPECT_TRUE(gui_test::waitUntil([&] { return QApplication::activeWindow() == &owner && expected->hasFocus(); }))
      << (QApplication::focusWidget() ? QApplication::focusWidget()->metaObject()->className() : "no focus");
}

INSTANTIATE_TEST_SUITE_P(
    AlertDialog, AlertDialogClose,
    ::testing::Values(AlertClose{"Escape", [](AlertDialog& alert) { QTest::keyClick(&alert, Qt::Key_Escape); }},
                      AlertClose{"Return", [](AlertDialog& alert) { QTest::keyClick(&alert, Qt::Key_Return); }},
                      AlertClose{"Button", [](AlertDialog& alert) { QTest::mouseClick(alert.button(1), Qt::LeftButton); }},
                      AlertClose{"CloseButton", [](AlertDialog& alert) { alert.close(); }},
                      AlertClose{"ReturnToAChosenControl",
                                 [](AlertDialog& alert) { QTest::keyClick(&alert, Qt::Key_Return); }, true}),
    [](const ::testing::TestParamInfo<AlertClose>& info) { return std::string(info.param.name); });

// Over a window at the screen's edge, the alert stays on the screen.
TEST(AlertDialog, StaysOnTheScreen) {
  QWidget owner;
  const QRect room = owner.screen()->availableGeometry();
  owner.setGeometry(QRect(room.bottomRight() - QPoint(40, 30), QSize(200, 150)));
  gui_test::showAndWait(owner);
  AlertDialog alert("Mervo", "Version 1.0 (1)", &owner);
  alert.addButton("OK");
  alert.open();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&alert));
  EXPECT_TRUE(room.contains(alert.frameGeometry())) << alert.x() << "," << alert.y();
}

// Every line of a message is shown: a wrapped message is given its height at
// the alert's width, and one taller than the alert may grow scrolls inside it.
struct AlertMessage {
  const char* name;
  int repeats;  // times the sentence is said
  bool longWord = false;  // one word wider than the alert, first
};

void PrintTo(const AlertMessage& m, std::ostream* os) { *os << m.name; }

class AlertDialogMessage : public ::testing::TestWithParam<AlertMessage> {};

TEST_P(AlertDialogMessage, IsShownWhole) {
  QString message = "\u2705 Connection successful!\n\nResponse:";
  if (GetParam().longWord) message += " " + QString(80, '-');
  for (int i = 0; i < GetParam().repeats; ++i) message += " Connection successful! How can I help you today?";
  AlertDialog alert("Connection Test", message);
  alert.addButton("OK");
  alert.open();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&alert));
  QLabel* label = alert.messageLabel();
  EXPECT_GE(label->height(), label->heightForWidth(label->width()));
  EXPECT_LE(alert.height(), 560);
  // The whole label can be brought into the alert's view.
  const QRect shown = QRect(label->mapTo(&alert, QPoint(0, 0)), label->size()).intersected(alert.rect());
  auto* scroller = qobject_cast<QAbstractScrollArea*>(label->parentWidget() ? label->parentWidget()->parentWidget() : nullptr);
  const int reachable = shown.height() + (scroller ? scroller->verticalScrollBar()->maximum() : 0);
  EXPECT_GE(reachable, label->height());
  EXPECT_LT(alert.button(0)->geometry().bottom(), alert.height());
  // The lines wrap inside the alert, not past its edge, and no word is wider
  // than the lines (it would be cut off at both ends).
  EXPECT_LE(label->mapTo(&alert, QPoint(label->width(), 0)).x(), alert.width());
  EXPECT_LE(label->minimumSizeHint().width(), label->width());
}

INSTANTIATE_TEST_SUITE_P(AlertDialog, AlertDialogMessage,
                         ::testing::Values(AlertMessage{"OneLine", 0}, AlertMessage{"AFewLines", 1},
                                           AlertMessage{"AParagraph", 6}, AlertMessage{"LongerThanTheAlertGrows", 60},
                                           AlertMessage{"ShortWithAWordWiderThanTheAlert", 0, true},
                                           AlertMessage{"LongWithAWordWiderThanTheAlert", 60, true}),
                         [](const ::testing::TestParamInfo<AlertMessage>& info) { return std::string(info.param.name); });

TEST(ConfirmationBanner, FlashShowsThenHides) {
  QWidget host;
  auto* banner = new ConfirmationBanner("Copied to Clipboard!", &host);
  new QHBoxLayout(&host);
  host.layout()->addWidget(banner);
  gui_test::showAndWait(host);
  EXPECT_FALSE(banner->isVisible());
  banner->flash(150ms);
  EXPECT_TRUE(banner->isVisible());
  EXPECT_TRUE(gui_test::waitUntil([&] { return !banner->isVisible(); }));
}

// A second flash doesn't cancel the first one's hiding.
TEST(ConfirmationBanner, AnEarlierFlashStillHidesALaterOne) {
  QWidget host;
  auto* banner = new ConfirmationBanner("Copied to Clipboard!", &host);
  gui_test::showAndWait(host);
  banner->flash(200ms);
  // Far longer than any wait, and given before the first flash can end
  // (no event runs between the two): only the first flash can hide it.
  banner->flash(std::chrono::minutes(10));
  EXPECT_TRUE(gui_test::waitUntil([&] { return !banner->isVisible(); }));
}

}  // namespace
