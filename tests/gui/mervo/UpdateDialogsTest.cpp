#include <QAbstractButton>
#include <QCoreApplication>
#include <QMenu>
#include <QTextBrowser>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include "FeedText.hpp"
#include "MervoGuiTest.hpp"
#include "app_views/MainWindow.hpp"
#include "sparkle/SparkleError.hpp"
#include "sparkle/Updater.hpp"
#include "sparkle_ui/StandardUserDriver.hpp"
#include "test_support/LoopbackServer.hpp"

namespace {

using sparkle_ui::StandardUserDriver;
using test_support::LoopbackServer;

class UpdateDialogsTest : public mervo_gui_test::MervoGuiTest {
 protected:
  void TearDown() override {
    delete driver->currentDialog();  // a window of its own: it would outlive the test
    MervoGuiTest::TearDown();
  }

  sparkle::UpdaterConfiguration host() const {
    sparkle::UpdaterConfiguration c;
    c.feedURL = server.baseURL() + "/appcast.xml";
    c.hostName = "Mervo";
    c.hostVersion = "1.9";
    c.hostDisplayVersion = "1.9";
    return c;
  }

  // Checks the way "Check for Updates…" does and waits for the dialog.
  QDialog* checkFromTheMenu(sparkle::Updater& updater) {
    mervo::views::MainWindow window(environment(), updater);
    window.applicationMenu()->actions().at(1)->trigger();
    EXPECT_TRUE(gui_test::waitUntil([&] { return driver->currentDialog() != nullptr; }));
    return driver->currentDialog();
  }

  LoopbackServer server;
  std::shared_ptr<StandardUserDriver> driver = std::make_shared<StandardUserDriver>();
};

TEST_F(UpdateDialogsTest, UpToDate) {
  server.reply({200, sparkle_test::feed(sparkle_test::release("1.9")), "application/rss+xml", {}});
  sparkle::Updater updater(host(), driver);
  auto* dialog = checkFromTheMenu(updater);
  ASSERT_NE(dialog, nullptr);
  EXPECT_NE(gui_test::findByText(*dialog, "Mervo is up to date"), nullptr);
  EXPECT_NE(gui_test::findByText(*dialog, "Version 1.9 is the newest version available."), nullptr);
}

TEST_F(UpdateDialogsTest, ANewerReleaseWithItsNotesOpensItsPageInTheBrowser) {
  server.reply({200, sparkle_test::feed(sparkle_test::release("1.10", "<p>Faster <b>drafts</b><img src=\"file:///etc/passwd\"></p>")),
                "application/rss+xml", {}});
  sparkle::Updater updater(host(), driver);
  auto* dialog = checkFromTheMenu(updater);
  ASSERT_NE(dialog, nullptr);
  EXPECT_NE(gui_test::findByText(*dialog, "A new version of Mervo is available"), nullptr);
  auto* notes = dialog->findChild<QTextBrowser*>();
  ASSERT_NE(notes, nullptr);
  EXPECT_TRUE(notes->toPlainText().contains("Faster drafts"));
  EXPECT_FALSE(notes->openLinks());
  auto* open = qobject_cast<QAbstractButton*>(gui_test::findByText(*dialog, "Open Download Page"));
  ASSERT_NE(open, nullptr);
  QTest::mouseClick(open, Qt::LeftButton);
  ASSERT_EQ(openedURLs.size(), 1u);
  EXPECT_EQ(openedURLs[0], QUrl("https://quorbel.example/releases/1.10"));
  EXPECT_TRUE(gui_test::waitUntil([&] { return driver->currentDialog() == nullptr; }));
}

// The check Mervo starts by itself opens its notice in front of the window,
// attached to it, as every other dialog of the window is.
TEST_F(UpdateDialogsTest, TheScheduledChecksNoticeOpensOnTheWindow) {
  server.reply({200, sparkle_test::feed(sparkle_test::release("1.10")), "application/rss+xml", {}});
  sparkle::Updater updater(host(), driver);
  mervo::views::MainWindow window(environment(), updater);
  gui_test::showAndWait(window);
  driver->setHostWindow(&window);
  updater.checkForUpdatesInBackground();
  ASSERT_TRUE(gui_test::waitUntil([&] { return driver->currentDialog() && driver->currentDialog()->isVisible(); }));
  auto* dialog = driver->currentDialog();
  EXPECT_EQ(dialog->parentWidget(), &window);
  EXPECT_EQ(dialog->windowHandle()->transientParent(), window.windowHandle());
  EXPECT_TRUE(gui_test::waitUntil([&] { return dialog->isActiveWindow(); }));
}

TEST_F(UpdateDialogsTest, AFailureIsShownWithItsReason) {
  server.reply({200, sparkle_test::nestedFeed(10000), "application/rss+xml", {}});
  sparkle::Updater updater(host(), driver);
  auto* dialog = checkFromTheMenu(updater);
  ASSERT_NE(dialog, nullptr);
  EXPECT_NE(gui_test::findByText(*dialog, "Update Check Failed"), nullptr);
  EXPECT_NE(gui_test::findByText(*dialog, "The update feed is nested more than 32 elements deep and was not read."),
            nullptr);
}

// The menu item is never disabled: chosen during a scheduled check it joins
// that check, whose outcome the user then sees.
TEST_F(UpdateDialogsTest, ChoosingTheCommandDuringAScheduledCheckStillChecks) {
  LoopbackServer::Reply slow{200, sparkle_test::feed(sparkle_test::release("1.9")), "application/rss+xml", {}};
  slow.delay = std::chrono::seconds(2);  // the menu is chosen long before the feed comes
  server.reply(slow);
  sparkle::Updater updater(host(), driver);
  updater.checkForUpdatesInBackground();
  ASSERT_TRUE(updater.sessionInProgress());
  auto* dialog = checkFromTheMenu(updater);
  ASSERT_NE(dialog, nullptr);
  EXPECT_NE(gui_test::findByText(*dialog, "Mervo is up to date"), nullptr);
  EXPECT_EQ(server.requestCount(), 1u);
}

// A scheduled check due months after the last one (a long interval in the
// Info list) still sets the event loop's timer, rather than one the loop
// refuses, which would leave the check undone for as long as Mervo runs.
TEST_F(UpdateDialogsTest, AScheduledCheckMonthsAwayIsStillTimed) {
  static std::vector<QString> warnings;
  warnings.clear();
  const auto previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& message) {
    warnings.push_back(message);
  });
  auto c = host();
  c.checkInterval = std::chrono::hours(24 * 90);
  standard().set(sparkle::Updater::kLastCheckTimeKey,
                 platform::PropertyValue::Date::fromTimePoint(std::chrono::system_clock::now()));
  {
    sparkle::Updater updater(c, driver);
    updater.startUpdater();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_FALSE(updater.sessionInProgress());
  }
  qInstallMessageHandler(previous);
  EXPECT_TRUE(warnings.empty()) << warnings.front().toStdString();
  EXPECT_EQ(server.requestCount(), 0u);
}

}  // namespace
