#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include "CompositionDoubles.hpp"
#include "GuiTest.hpp"
#include "MailSamples.hpp"
#include "compose/ComposeSessionViewController.hpp"
#include "compose_views/ExtensionViews.hpp"
#include "compose_views/MailPopoverView.hpp"
#include "compose_views/ModePanels.hpp"
#include "compose_views/ResizeHandleView.hpp"
#include "foundation/UserDefaults.hpp"
#include "qtbridge/QtMainQueue.hpp"
#include "mailkit/ReplySession.hpp"
#include "mailkit_window/ComposeWindow.hpp"
#include "test_support/TempDir.hpp"
#include "ui/AlertDialog.hpp"

namespace {

using namespace mailkit;

using MakeController = std::function<std::shared_ptr<MEExtensionViewController>()>;

// An extension that answers Mail and does nothing else: the window is what
// is looked at here.
struct QuietHandler : MEComposeSessionHandler {
  explicit QuietHandler(const MakeController& makeController) : makeController(makeController) {}
  void mailComposeSessionDidBegin(MEComposeSession&) override {}
  void mailComposeSessionDidEnd(MEComposeSession&) override {}
  std::shared_ptr<MEExtensionViewController> viewControllerForSession(MEComposeSession&) override {
    return makeController ? makeController() : std::make_shared<MEExtensionViewController>();
  }
  void annotateAddresses(MEComposeSession&, std::function<void(AddressAnnotations)> done) override { done({}); }
  void canSendMessage(MEComposeSession&, std::function<void(platform::ErrorPtr)> done) override { done(nullptr); }
  HeaderFields additionalHeadersForSession(MEComposeSession&) override { return {}; }
  const MakeController& makeController;  // the extension's, as it is when the popover opens
};

struct QuietExtension : MEExtension {
  std::shared_ptr<MEComposeSessionHandler> handlerForComposeSession(MEComposeSession&) override {
    return std::make_shared<QuietHandler>(makeController);
  }
  std::shared_ptr<MEMessageActionHandler> handlerForMessageActions() override { return nullptr; }
  std::shared_ptr<MEContentBlocker> handlerForContentBlocker() override { return nullptr; }
  std::shared_ptr<MEMessageSecurityHandler> handlerForMessageSecurity() override { return nullptr; }
  MakeController makeController;  // a plain controller when empty
};

std::unique_ptr<ComposeWindow> windowAnswering(const std::string& message, const test_support::TempDir& folder) {
  static QuietExtension extension;
  auto session = ReplySession::open(extension, folder.write("original.eml", message));
  return std::make_unique<ComposeWindow>(std::move(*session), nullptr, std::nullopt);
}

TEST(ComposeWindow, ShowsDecodedSubjectNamesAndQuotedText) {
  test_support::TempDir folder;
  auto window = windowAnswering(mail_samples::kAlternativeQuotedPrintable, folder);
  EXPECT_EQ(window->windowTitle(), "Re: Grüße aus München");
  EXPECT_EQ(window->toField()->text(), "Jörg Müller <joerg@example.de>");
  EXPECT_TRUE(window->bodyEditor()->toPlainText().contains(
      "Jörg Müller <joerg@example.de> wrote:\n> Hallo Sam,\n> \n> können wir uns am Freitag"))
      << window->bodyEditor()->toPlainText().toStdString();
}

// A sender's name or subject whose encoded words hold a line break: the
// window shows each on its one line, and nothing of them reads as a quoted
// line of the original.
TEST(ComposeWindow, LineBreaksInEncodedWordsStayOnTheirLine) {
  test_support::TempDir folder;
  auto window = windowAnswering(mail_samples::crlf("From: =?UTF-8?Q?Bob=0A=3E_I_will_pay_double?= <bob@example.org>\n"
                                                   "Subject: =?UTF-8?Q?Invoice=0D=0ABcc:_all@example.org?=\n\n"
                                                   "Please pay by Friday.\n"),
                                folder);
  EXPECT_EQ(window->subjectField()->text().toStdString(), "Re: Invoice  Bcc: all@example.org");
  EXPECT_EQ(window->bodyEditor()->toPlainText().toStdString(),
            "\n\nBob > I will pay double <bob@example.org> wrote:\n> Please pay by Friday.\n> ");
}

// An HTML-only message shows the text a browser shows, not its markup.
TEST(ComposeWindow, AnHTMLOnlyMessageShowsItsText) {
  test_support::TempDir folder;
  auto window = windowAnswering(mail_samples::crlf("From: dana@example.org\nSubject: Lunch\nContent-Type: text/html\n\n"
                                                   "<p>Lunch &amp; a walk?</p><blockquote>Friday?</blockquote>\n"),
                                folder);
  EXPECT_EQ(window->bodyEditor()->toPlainText().toStdString(),
            "\n\ndana@example.org wrote:\n> Lunch & a walk?\n> > Friday?");
}

class EncodedWordsWindowTest : public ::testing::TestWithParam<mail_samples::EncodedWordsForm> {};

TEST_P(EncodedWordsWindowTest, ShowsTheWholeSubjectAndSender) {
  const auto& form = GetParam();
  test_support::TempDir folder;
  auto window = windowAnswering(mail_samples::messageWithEncodedWords(form), folder);
  EXPECT_EQ(window->windowTitle().toStdString(), "Re: " + form.subject);
  EXPECT_EQ(window->subjectField()->text().toStdString(), "Re: " + form.subject);
  EXPECT_EQ(window->toField()->text().toStdString(), form.replyTo);
  std::string body = window->bodyEditor()->toPlainText().toStdString();
  EXPECT_NE(body.find("\n" + form.from + " wrote:\n> See you there."), std::string::npos) << body;
}

INSTANTIATE_TEST_SUITE_P(Forms, EncodedWordsWindowTest, ::testing::ValuesIn(mail_samples::kEncodedWordsForms),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ComposeWindow, RecipientsTypedWithSemicolonsAllGoOut) {
  test_support::TempDir folder;
  static QuietExtension extension;
  auto session = ReplySession::open(extension, folder.write("original.eml", mail_samples::kAlternativeQuotedPrintable));
  auto out = folder.path() / "sent.eml";
  ComposeWindow window(std::move(*session), nullptr, out);
  window.toField()->setText("Jörg Müller <joerg@example.de>; sam@example.org");
  window.send();
  std::vector<std::string> sent;
  for (const auto& address : MessageFile::parse(test_support::readFile(out)).message().toAddresses)
    sent.push_back(address.rawString);
  EXPECT_EQ(sent, (std::vector<std::string>{"Jörg Müller <joerg@example.de>", "sam@example.org"}));
}

TEST(ComposeWindow, QuotesABase64BodyDecoded) {
  test_support::TempDir folder;
  auto window = windowAnswering(mail_samples::kBase64Latin1, folder);
  EXPECT_EQ(window->windowTitle(), "Re: Reunião");
  EXPECT_TRUE(window->bodyEditor()->toPlainText().contains("> a reunião é às 15h na sala Açores."))
      << window->bodyEditor()->toPlainText().toStdString();
}

constexpr QSize kViewSize{120, 80};

// The window as a person uses it: shown, its popover a small view of its own.
class ComposeWindowPopoverTest : public ::testing::Test {
 protected:

  static void SetUpTestSuite() { platform::qtbridge::installMainQueueDriver(); }

  void SetUp() override {
    test_support::resetDefaults();  // the popover's stored size
    auto session = ReplySession::open(extension, folder.write("original.eml", mail_samples::kAlternativeQuotedPrintable));
    auto view = [this](MEExtensionViewController&, QWidget* parent) -> QWidget* {
      auto* field = new QLineEdit(parent);
      field->setFixedSize(viewSize);
      return field;
    };
    window = std::make_unique<ComposeWindow>(std::move(*session), view, folder.path() / "sent.eml");
    window->resize(360, 240);  // room to move it about a screen of 400 by 300 at twice the scale
    window->move(room().topLeft() + QPoint(20, 20));
    gui_test::showAndWait(*window);
  }

  QRect room() const { return QApplication::primaryScreen()->availableGeometry(); }
  QRect button() const {
    return QRect(window->extensionButton()->mapToGlobal(QPoint(0, 0)), window->extensionButton()->size());
  }
  bool isOpen() const { return window->popover() && window->popover()->isVisible(); }

  QWidget& openPopover() {
    window->toggleExtensionPopover();
    EXPECT_TRUE(gui_test::waitUntil([&] { return isOpen() && QApplication::activeWindow() == window->popover(); }));
    return *window->popover();
  }
  // What closes the popover deletes it when the event loop next runs.
  void deliverDeletions() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

  // A window whose popover is the assistant's own, answering through `service`.
  quorbel::views::MailPopoverView& openAssistant() {
    extension.makeController = [this] { return std::make_shared<quorbel::ComposeSessionViewController>(service); };
    auto session = ReplySession::open(extension, folder.path() / "original.eml");
    window = std::make_unique<ComposeWindow>(std::move(*session), &quorbel::views::makeExtensionView, std::nullopt);
    gui_test::showAndWait(*window);
    auto* view = openPopover().findChild<quorbel::views::MailPopoverView*>();
    EXPECT_NE(view, nullptr);
    return *view;
  }

  QuietExtension extension;
  test_support::TempDir folder;
  std::unique_ptr<ComposeWindow> window;
  QSize viewSize = kViewSize;
  std::shared_ptr<compose_test::RecordingLLMService> service = std::make_shared<compose_test::RecordingLLMService>();
};

// Where the window goes after the popover has opened, as a window manager
// places it, or as a person drags it.
struct PlacementCase {
  const char* name;
  std::function<QPoint(QRect room)> windowAt;
  std::function<QPoint(QRect button, QRect room)> popoverAt;
};
void PrintTo(const PlacementCase& c, std::ostream* os) { *os << c.name; }

class PopoverPlacementTest : public ComposeWindowPopoverTest, public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(PopoverPlacementTest, HangsFromItsButtonWhereverTheWindowGoes) {
  QWidget& popover = openPopover();
  window->move(GetParam().windowAt(room()));
  const QPoint expected = GetParam().popoverAt(button(), room());
  EXPECT_TRUE(gui_test::waitUntil([&] { return popover.pos() == expected; }));
  EXPECT_EQ(popover.pos(), expected) << "button " << button().x() << "," << button().y();
  EXPECT_EQ(popover.size(), kViewSize);
}

INSTANTIATE_TEST_SUITE_P(
    Places, PopoverPlacementTest,
    ::testing::Values(
        PlacementCase{"BelowTheButton", [](QRect room) { return room.topLeft() + QPoint(30, 10); },
                      [](QRect button, QRect) { return button.bottomLeft() + QPoint(0, 1); }},
        PlacementCase{"AboveWhereTheScreenEndsBelow",
                      [](QRect room) { return QPoint(room.left() + 30, room.bottom() - 60); },
                      [](QRect button, QRect) { return button.topLeft() - QPoint(0, kViewSize.height()); }},
        PlacementCase{"WithinTheScreensRightEdge",
                      [](QRect room) { return QPoint(room.right() - 30, room.top() + 10); },
                      [](QRect button, QRect room) {
                        return QPoint(room.right() + 1 - kViewSize.width(), button.bottom() + 1);
                      }}),
    [](const auto& info) { return std::string(info.param.name); });

// What closes the popover, and what leaves it open.
struct DismissCase {
  const char* name;
  std::function<void(ComposeWindow& window, QWidget& popover)> act;
  bool staysOpen;
};
void PrintTo(const DismissCase& c, std::ostream* os) { *os << c.name; }

void waitUntilClosed(QWidget& popover) {
  const QPointer<QWidget> shown(&popover);  // deleted once it has closed
  gui_test::waitUntil([&] { return !shown || !shown->isVisible(); });
}

class PopoverDismissTest : public ComposeWindowPopoverTest, public ::testing::WithParamInterface<DismissCase> {};

TEST_P(PopoverDismissTest, ClosesAsAPopoverDoes) {
  std::weak_ptr<MEExtensionViewController> controller;
  extension.makeController = [&controller] {
    auto made = std::make_shared<MEExtensionViewController>();
    controller = made;
    return made;
  };
  QWidget& popover = openPopover();
  GetParam().act(*window, popover);
  deliverDeletions();
  EXPECT_EQ(isOpen(), GetParam().staysOpen);
  EXPECT_EQ(controller.expired(), !GetParam().staysOpen);  // its state goes with it
  if (GetParam().staysOpen) return;
  // The button opens it again.
  QTest::mouseClick(window->extensionButton(), Qt::LeftButton);
  EXPECT_TRUE(isOpen());
}

INSTANTIATE_TEST_SUITE_P(
    Actions, PopoverDismissTest,
    ::testing::Values(
        DismissCase{"Escape", [](ComposeWindow&, QWidget& popover) { QTest::keyClick(popover.focusWidget(), Qt::Key_Escape); },
                    false},
        DismissCase{"PressInTheBody",
                    [](ComposeWindow& window, QWidget&) {
                      QTest::mouseClick(window.bodyEditor()->viewport(), Qt::LeftButton);
                    },
                    false},
        DismissCase{"PressOnTheSubject",
                    [](ComposeWindow& window, QWidget&) { QTest::mouseClick(window.subjectField(), Qt::LeftButton); },
                    false},
        DismissCase{"PressOnItsButton",
                    [](ComposeWindow& window, QWidget&) {
                      QTest::mouseClick(window.extensionButton(), Qt::LeftButton);
                    },
                    false},
        // As a press in another program's window, or on the desktop, makes the
        // compose window lose the activation.
        DismissCase{"AnotherWindowBecomesActive",
                    [](ComposeWindow&, QWidget& popover) {
                      auto other = std::make_unique<QWidget>();
                      other->resize(100, 60);
                      gui_test::showAndWait(*other);
                      other->activateWindow();
                      waitUntilClosed(popover);
                    },
                    false},
        // As Alt+Tab makes it: keys would go into the mail under the popover.
        DismissCase{"TheComposeWindowBecomesActive",
                    [](ComposeWindow& window, QWidget& popover) {
                      window.activateWindow();
                      waitUntilClosed(popover);
                    },
                    false},
        DismissCase{"PressInside",
                    [](ComposeWindow&, QWidget& popover) { QTest::mouseClick(popover.focusWidget(), Qt::LeftButton); },
                    true},
        DismissCase{"TypingInside",
                    [](ComposeWindow&, QWidget& popover) { QTest::keyClicks(popover.focusWidget(), "yes"); }, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ComposeWindowPopoverTest, TabLeavesTheBodyForSendAndTheAssistant) {
  EXPECT_TRUE(gui_test::waitUntil([&] { return window->toField()->hasFocus(); }))  // where a reply starts
      << (QApplication::focusWidget() ? QApplication::focusWidget()->metaObject()->className() : "nothing");
  window->bodyEditor()->setFocus();
  ASSERT_TRUE(gui_test::waitUntil([&] { return window->bodyEditor()->hasFocus(); }));
  const QString body = window->bodyEditor()->toPlainText();
  std::vector<QWidget*> stops;
  for (int i = 0; i < 3; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    stops.push_back(QApplication::focusWidget());
  }
  EXPECT_EQ(stops, (std::vector<QWidget*>{window->sendButton(), window->extensionButton(), window->toField()}));
  EXPECT_EQ(window->bodyEditor()->toPlainText(), body);  // no tab character typed
  EXPECT_TRUE(window->sendButton()->toolTip().endsWith("(Ctrl+Return)")) << window->sendButton()->toolTip().toStdString();
  EXPECT_TRUE(window->extensionButton()->toolTip().endsWith("(Alt+Q)"))
      << window->extensionButton()->toolTip().toStdString();
}

// Keys that send or open the assistant, and where they are pressed.
struct KeyCase {
  const char* name;
  std::function<QWidget*(ComposeWindow& window)> focus;
  Qt::Key key;
  Qt::KeyboardModifiers modifiers;
  bool sends;
  bool opens;
};
void PrintTo(const KeyCase& c, std::ostream* os) { *os << c.name; }

class ComposeWindowKeyTest : public ComposeWindowPopoverTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(ComposeWindowKeyTest, SendsOrOpensTheAssistant) {
  QWidget* focus = GetParam().focus(*window);
  focus->setFocus();
  ASSERT_TRUE(gui_test::waitUntil([&] { return focus->hasFocus(); }));
  QTest::keyClick(focus, GetParam().key, GetParam().modifiers);
  const auto sent = folder.path() / "sent.eml";
  // What a key does not do shows in the checks that follow the wait for what it does.
  gui_test::waitUntil([&] { return std::filesystem::exists(sent) == GetParam().sends && isOpen() == GetParam().opens; });
  EXPECT_EQ(std::filesystem::exists(sent), GetParam().sends);
  EXPECT_EQ(isOpen(), GetParam().opens);
}

QWidget* body(ComposeWindow& window) { return window.bodyEditor(); }
QWidget* sendButton(ComposeWindow& window) { return window.sendButton(); }
QWidget* extensionButton(ComposeWindow& window) { return window.extensionButton(); }
QWidget* insideThePopover(ComposeWindow& window) {
  window.toggleExtensionPopover();
  return window.popover()->findChild<QLineEdit*>();
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ComposeWindowKeyTest,
    ::testing::Values(KeyCase{"CtrlReturnInTheBody", body, Qt::Key_Return, Qt::ControlModifier, true, false},
                      KeyCase{"CtrlEnterInTheBody", body, Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier,
                              true, false},
                      KeyCase{"SpaceOnSend", sendButton, Qt::Key_Space, Qt::NoModifier, true, false},
                      KeyCase{"AltQInTheBody", body, Qt::Key_Q, Qt::AltModifier, false, true},
                      KeyCase{"SpaceOnQuorbel", extensionButton, Qt::Key_Space, Qt::NoModifier, false, true},
                      // Keys typed in the popover are the popover's.
                      KeyCase{"CtrlReturnInThePopover", insideThePopover, Qt::Key_Return, Qt::ControlModifier, false,
                              true}),
    [](const auto& info) { return std::string(info.param.name); });

// The assistant's own popover, closed while a request is out.
TEST_F(ComposeWindowPopoverTest, EscapeMidRequestKeepsTheSizeAndDropsTheLateAnswer) {
  auto* view = &openAssistant();
  view->popover().resizeDragChanged(40, 30);
  view->popover().resizeDragEnded();
  ASSERT_TRUE(gui_test::waitUntil([&] { return window->popover()->size() == QSize(490, 580); }))
      << window->popover()->width() << "x" << window->popover()->height();
  QTest::mouseClick(view->writePanel()->draftButton(), Qt::LeftButton);
  ASSERT_EQ(service->requests.size(), 1u);

  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  deliverDeletions();
  ASSERT_EQ(window->popover(), nullptr);
  service->answer(0, std::string("Dear Dana"));
  QCoreApplication::processEvents();

  view = openPopover().findChild<quorbel::views::MailPopoverView*>();
  EXPECT_EQ(window->popover()->size(), QSize(490, 580));
  EXPECT_EQ(view->popover().currentDraft.get(), "");
}

// However the popover's "Unsaved Changes" alert closes, the popover is the
// active window again with the focus on the mode control that opened the
// alert: what is typed next goes there, not into the mail, and Escape then
// closes the popover.
struct AlertCloseCase {
  const char* name;
  std::function<void(ui::AlertDialog& alert)> close;
  quorbel::EditorMode modeAfter;
};
void PrintTo(const AlertCloseCase& c, std::ostream* os) { *os << c.name; }

class PopoverAlertTest : public ComposeWindowPopoverTest, public ::testing::WithParamInterface<AlertCloseCase> {};

TEST_P(PopoverAlertTest, GivesTheKeyboardBackToTheModeControl) {
  auto& view = openAssistant();
  QTest::mouseClick(view.writePanel()->draftButton(), Qt::LeftButton);
  service->answer(0, std::string("Dear Dana"));
  ASSERT_TRUE(gui_test::waitUntil([&] { return view.popover().hasGeneratedDraft.get(); }));
  auto* modes = view.modePicker();
  modes->setFocus(Qt::TabFocusReason);
  QTest::keyClick(modes, Qt::Key_Right);  // "AI Agent"
  ASSERT_TRUE(gui_test::waitUntil([&] {
    return view.modeChangeAlert() && QApplication::activeWindow() == view.modeChangeAlert();
  }));
  GetParam().close(*view.modeChangeAlert());
  EXPECT_TRUE(gui_test::waitUntil([&] { return QApplication::activeWindow() == window->popover() && modes->hasFocus(); }))
      << (QApplication::activeWindow() ? QApplication::activeWindow()->metaObject()->className() : "no window")
      << " is active";
  EXPECT_EQ(view.popover().currentMode.get(), GetParam().modeAfter);

  const QString body = window->bodyEditor()->toPlainText();
  QTest::keyClicks(QApplication::focusWidget(), "abc");
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  deliverDeletions();
  EXPECT_FALSE(isOpen());
  EXPECT_EQ(window->bodyEditor()->toPlainText(), body);
}

INSTANTIATE_TEST_SUITE_P(
    Closes, PopoverAlertTest,
    ::testing::Values(
        AlertCloseCase{"Escape", [](ui::AlertDialog& alert) { QTest::keyClick(&alert, Qt::Key_Escape); },
                       quorbel::EditorMode::write},
        AlertCloseCase{"Return", [](ui::AlertDialog& alert) { QTest::keyClick(&alert, Qt::Key_Return); },
                       quorbel::EditorMode::write},
        AlertCloseCase{"Cancel", [](ui::AlertDialog& alert) { QTest::mouseClick(alert.button(1), Qt::LeftButton); },
                       quorbel::EditorMode::write},
        AlertCloseCase{"LeaveTab", [](ui::AlertDialog& alert) { QTest::mouseClick(alert.button(0), Qt::LeftButton); },
                       quorbel::EditorMode::aiAgent},
        AlertCloseCase{"CloseButton", [](ui::AlertDialog& alert) { alert.close(); }, quorbel::EditorMode::write}),
    [](const auto& info) { return std::string(info.param.name); });

// A popover that fits neither below nor above its button is moved onto the
// screen, and shortened when it is taller than the screen's room; the compose
// window opens within that room too (at twice the scale the offscreen screen
// is smaller than the window's own size).
struct FitCase {
  const char* name;
  int heightOverRoom;  // the view's height less the room's
  bool shortened;
};
void PrintTo(const FitCase& c, std::ostream* os) { *os << c.name; }

class PopoverFitTest : public ComposeWindowPopoverTest, public ::testing::WithParamInterface<FitCase> {};

TEST_P(PopoverFitTest, LiesOnTheScreen) {
  viewSize = QSize(kViewSize.width(), room().height() + GetParam().heightOverRoom);
  window->move(room().left() + 20, room().center().y() - 40);  // the button half way down
  QWidget& popover = openPopover();
  EXPECT_TRUE(room().contains(popover.geometry()))
      << popover.x() << "," << popover.y() << " " << popover.width() << "x" << popover.height();
  EXPECT_EQ(popover.height(), GetParam().shortened ? room().height() : viewSize.height());
}

INSTANTIATE_TEST_SUITE_P(Fits, PopoverFitTest,
                         ::testing::Values(FitCase{"NeitherBelowNorAbove", -40, false},
                                           FitCase{"TallerThanTheScreen", 100, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ComposeWindowOnScreen, OpensWithinTheAvailableArea) {
  test_support::TempDir folder;
  auto window = windowAnswering(mail_samples::kAlternativeQuotedPrintable, folder);
  gui_test::showAndWait(*window);
  const QRect room = window->screen()->availableGeometry();
  EXPECT_TRUE(gui_test::waitUntil([&] { return room.contains(window->frameGeometry()); }))
      << window->width() << "x" << window->height() << " in " << room.width() << "x" << room.height();
}

// The assistant's popover at its own size (450 by 550), on whatever screen
// the test runs on (CTest runs it on one of 1600 by 1000 at twice the scale).
TEST_F(ComposeWindowPopoverTest, TheAssistantsPopoverLiesOnTheScreen) {
  auto& view = openAssistant();
  QWidget& popover = *window->popover();
  EXPECT_TRUE(room().contains(popover.geometry()))
      << popover.x() << "," << popover.y() << " " << popover.width() << "x" << popover.height();
  EXPECT_EQ(popover.height(), std::min(550, room().height()));
  EXPECT_TRUE(popover.rect().contains(view.resizeHandle()->geometry()));  // within reach
  EXPECT_EQ(view.popover().currentHeight.get(), 550);  // kept for a larger screen
}

// Shortened to the screen, the popover resizes from the height it shows, its
// top left corner staying put: the grip follows the pointer from the first
// point, and the size dragged to is stored.
TEST_F(ComposeWindowPopoverTest, AShortenedPopoverResizesFromTheHeightItShows) {
  auto& defaults = platform::UserDefaults::standard();
  defaults.set("preferredPopoverHeightKey", 4096.0);  // the tallest it opens at, taller than any test screen
  auto& view = openAssistant();
  QWidget& popover = *window->popover();
  const QRect shown = popover.geometry();
  const int up = 100;
  ASSERT_TRUE(shown.height() - up >= 300 && shown.height() - up <= 768) << shown.height();  // within the bounds
  gui_test::drag(*view.resizeHandle(), QPoint(0, -up));
  const QRect expected = shown.adjusted(0, 0, 0, -up);
  EXPECT_TRUE(gui_test::waitUntil([&] { return popover.geometry() == expected; }))
      << popover.y() << " " << popover.height() << " for " << expected.y() << " " << expected.height();
  EXPECT_EQ(defaults.doubleValue("preferredPopoverHeightKey"), expected.height());
}

}  // namespace
