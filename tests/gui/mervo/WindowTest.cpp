#include <QApplication>
#include <QMenu>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include "MervoGuiTest.hpp"
#include "app_views/AIPromptTab.hpp"
#include "app_views/ContentView.hpp"
#include "app_views/FeaturesContentView.hpp"
#include "app_views/HomeTab.hpp"
#include "app_views/MainWindow.hpp"
#include "sparkle/Updater.hpp"
#include "ui/FieldBox.hpp"
#include "ui/FocusRing.hpp"
#include "ui/Palette.hpp"
#include "ui/StyledButton.hpp"

namespace {

using mervo::MainTab;
using mervo::views::ContentView;

struct SilentDriver : sparkle::UserDriver {
  void showUpdateFound(const sparkle::AppcastItem&, const sparkle::UpdaterConfiguration&) override {}
  void showUpdateNotFound(const sparkle::UpdaterConfiguration&) override {}
  void showUpdaterError(const platform::ErrorPtr&) override {}
};

class WindowTest : public mervo_gui_test::MervoGuiTest {
 protected:
  void SetUp() override {
    MervoGuiTest::SetUp();
    view = std::make_unique<ContentView>(environment());
    view->resize(800, 600);
    gui_test::showAndWait(*view);
  }

  void clickTab(MainTab tab) { QTest::mouseClick(view->tabButton(tab), Qt::LeftButton); }

  // The colour behind a tab button's title, as drawn.
  QColor tabBackground(MainTab tab) {
    auto* button = view->tabButton(tab);
    const QImage image = gui_test::render(*button, button->size());
    return gui_test::colorOverWhite(image, QPoint(button->width() - 6, button->height() / 2));
  }

  std::vector<MainTab> highlighted() {
    std::vector<MainTab> tabs;
    for (MainTab tab : mervo::allCases<MainTab>())
      if (tabBackground(tab) == ui::color::accent()) tabs.push_back(tab);
    return tabs;
  }

  std::unique_ptr<ContentView> view;
};

// Tab walks the tab buttons, and the one with the keyboard focus wears the
// focus ring: its edge shows the accent where it showed the sidebar before.
TEST_F(WindowTest, TheKeyboardFocusIsShownOnTheTabButtons) {
  view->activateWindow();
  view->tabButton(MainTab::home)->setFocus(Qt::TabFocusReason);
  ASSERT_TRUE(gui_test::waitUntil([&] { return view->tabButton(MainTab::home)->hasFocus(); }));
  auto* features = view->tabButton(MainTab::features);
  auto edge = [&] {
    const QImage image = gui_test::render(*features, features->size());
    return gui_test::colorOverWhite(image, QPoint(1, features->height() / 2));
  };
  const QColor unfocused = edge();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  ASSERT_TRUE(features->hasFocus());
  const QColor ring = edge();
  EXPECT_GT(ring.blue(), ring.red() + 40) << ring.name().toStdString();
  EXPECT_NE(ring, unfocused);
  QTest::keyClick(features, Qt::Key_Backtab);
  EXPECT_EQ(edge(), unfocused);
  // Space presses the focused tab button.
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  QTest::keyClick(features, Qt::Key_Space);
  EXPECT_EQ(*view->state().selectedTab, MainTab::features);
}

// The widget's own drawing, without its children: what it shows of its
// focus. A field's box draws the ring of the editor it holds.
QImage ownDrawing(QWidget* widget) {
  QWidget* drawn = qobject_cast<ui::FieldBox*>(widget->parentWidget()) ? widget->parentWidget() : widget;
  QImage image(drawn->size(), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  drawn->render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground);
  return image;
}

// A field that takes typing shows its focus with its caret (which blinks,
// so it is not looked at here).
bool takesTyping(QWidget* widget) {
  if (auto* line = qobject_cast<QLineEdit*>(widget)) return !line->isReadOnly();
  if (auto* text = qobject_cast<QPlainTextEdit*>(widget)) return !text->isReadOnly();
  return false;
}

// On every tab, each place Tab takes the keyboard focus to shows it has it:
// nothing takes the focus unseen, so the next Tab never seems to do nothing.
TEST_F(WindowTest, EveryPlaceTabReachesShowsTheFocus) {
  llmConfig->switchProvider(mervo::LLMProvider::openai);
  view->resize(800, 1600);  // the whole of every tab on screen
  view->activateWindow();
  for (MainTab tab : mervo::allCases<MainTab>()) {
    SCOPED_TRACE(std::string(mervo::rawValue(tab)));
    view->state().selectTab(tab);
    auto* home = view->tabButton(MainTab::home);
    home->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(gui_test::waitUntil([&] { return home->hasFocus(); }));
    // Round the whole chain, back to where it began.
    QTest::keyClick(home, Qt::Key_Tab);
    int stops = 0;
    for (; stops < 40; ++stops) {
      QWidget* focused = QApplication::focusWidget();
      ASSERT_NE(focused, nullptr);
      // Laid out: the new tab's layouts settle over several passes.
      ASSERT_TRUE(gui_test::waitUntil([&] { return !focused->size().isEmpty(); }));
      const QImage withFocus = ownDrawing(focused);
      QTest::keyClick(focused, Qt::Key_Tab);
      if (!takesTyping(focused)) {
        EXPECT_NE(withFocus, ownDrawing(focused))
            << focused->metaObject()->className() << " in " << focused->parentWidget()->metaObject()->className();
      }
      if (focused == home) break;
    }
    EXPECT_LT(stops, 40);
  }
}

// A tab chosen with the mouse takes the focus from the one Tab had reached,
// without a ring: no ring stays on a tab no longer chosen, and the next Tab
// goes on from the chosen one.
TEST_F(WindowTest, TheFocusFollowsATabChosenWithTheMouse) {
  view->activateWindow();
  auto* home = view->tabButton(MainTab::home);
  auto* features = view->tabButton(MainTab::features);
  features->setFocus(Qt::TabFocusReason);
  ASSERT_TRUE(gui_test::waitUntil([&] { return features->hasFocus(); }));
  QTest::keyClick(features, Qt::Key_Backtab, Qt::ShiftModifier);
  ASSERT_TRUE(ui::showsFocusRing(*home));
  clickTab(MainTab::prompt);
  for (MainTab tab : mervo::allCases<MainTab>()) EXPECT_FALSE(ui::showsFocusRing(*view->tabButton(tab)));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_TRUE(ui::showsFocusRing(*view->tabButton(MainTab::apiConfig)));
}

// Each tab opens at its top, wherever the one before had been scrolled to.
TEST_F(WindowTest, ANewlyChosenTabOpensAtItsTop) {
  llmConfig->switchProvider(mervo::LLMProvider::openai);
  auto* bar = view->scrollArea()->verticalScrollBar();
  clickTab(MainTab::apiConfig);
  for (MainTab tab : {MainTab::features, MainTab::apiConfig}) {
    SCOPED_TRACE(std::string(mervo::rawValue(tab)));
    ASSERT_TRUE(gui_test::waitUntil([&] { return bar->maximum() > 0; }));
    bar->setValue(bar->maximum());
    clickTab(tab);
    ASSERT_TRUE(gui_test::waitUntil([&] { return bar->maximum() > 0; }));
    EXPECT_EQ(bar->value(), 0);
  }
}

TEST_F(WindowTest, CannotBeMadeSmallerThan800By400) {
  EXPECT_EQ(view->minimumSize(), QSize(800, 400));
  view->resize(500, 300);
  EXPECT_EQ(view->size(), QSize(800, 400));
  view->resize(1200, 900);
  EXPECT_EQ(view->size(), QSize(1200, 900));
}

TEST_F(WindowTest, ExactlyOneTabIsHighlightedStartingWithHome) {
  EXPECT_EQ(highlighted(), std::vector{MainTab::home});
  EXPECT_NE(dynamic_cast<mervo::views::HomeTab*>(view->tabContent()->findChild<mervo::views::HomeTab*>()), nullptr);
  for (MainTab tab : {MainTab::features, MainTab::prompt, MainTab::apiConfig, MainTab::home}) {
    SCOPED_TRACE(std::string(mervo::rawValue(tab)));
    clickTab(tab);
    EXPECT_EQ(*view->state().selectedTab, tab);
    EXPECT_EQ(highlighted(), std::vector{tab});
    EXPECT_TRUE(view->isHighlighted(tab));
  }
}

TEST_F(WindowTest, TabButtonsShowTheirSymbolsAndTitlesInOrder) {
  int previousTop = -1;
  for (MainTab tab : mervo::allCases<MainTab>()) {
    auto* button = view->tabButton(tab);
    EXPECT_EQ(button->text().toStdString(), mervo::rawValue(tab));
    EXPECT_GT(button->y(), previousTop);
    previousTop = button->y();
    // White on the accent when chosen, secondary otherwise.
    EXPECT_EQ(button->buttonStyle().textColor, tab == MainTab::home ? ui::color::white() : ui::color::secondaryLabel());
    EXPECT_EQ(button->width(), 220 - 2 * 12);
  }
}

TEST_F(WindowTest, EachChoiceBuildsTheTabAfreshAndTheSameChoiceChangesNothing) {
  clickTab(MainTab::prompt);
  QPointer<QWidget> first = view->tabContent();
  ASSERT_NE(first->findChild<mervo::views::AIPromptTab*>(), nullptr);
  clickTab(MainTab::prompt);
  EXPECT_EQ(view->tabContent(), first.data());
  clickTab(MainTab::features);
  EXPECT_TRUE(first.isNull());
  EXPECT_NE(dynamic_cast<mervo::views::FeaturesContentView*>(view->tabContent()), nullptr);
  clickTab(MainTab::prompt);
  EXPECT_NE(view->tabContent(), nullptr);
  EXPECT_NE(view->tabContent()->findChild<mervo::views::AIPromptTab*>(), nullptr);
}

TEST_F(WindowTest, SettingsSurviveSwitchingTabs) {
  clickTab(MainTab::prompt);
  userSettings->customSystemPrompt = std::string("Answer in verse.");
  clickTab(MainTab::home);
  clickTab(MainTab::prompt);
  auto* tab = view->tabContent()->findChild<mervo::views::AIPromptTab*>();
  ASSERT_NE(tab, nullptr);
  EXPECT_EQ(tab->editor()->text(), "Answer in verse.");
}

TEST_F(WindowTest, TheWindowFetchesTheStoresItemsOldestFirst) {
  auto& context = store->viewContext();
  for (int seconds : {30, 10, 20}) context.insertNewObject<mervo::Item>("Item")->setTimestamp(coredata::Date(std::chrono::seconds(seconds)));
  ASSERT_TRUE(context.save());
  ContentView another(environment());
  ASSERT_EQ(another.items().size(), 3u);
  EXPECT_EQ(another.items()[0]->timestamp(), coredata::Date(std::chrono::seconds(10)));
  EXPECT_EQ(another.items()[2]->timestamp(), coredata::Date(std::chrono::seconds(30)));
}

// Whether the window lies within its screen's available area as far as its
// minimum size lets it: its frame within the area on each side where it
// fits, else its title bar, and its content's leading edge, on the area.
bool liesOnTheScreen(const QWidget& window) {
  const QRect area = window.screen()->availableGeometry();
  const QRect frame = window.frameGeometry();
  const QRect content = window.geometry();
  const bool across = frame.width() <= area.width() ? frame.left() >= area.left() && frame.right() <= area.right()
                                                     : content.left() == area.left() &&
                                                           content.width() == std::max(area.width(), window.minimumWidth());
  const bool down = frame.height() <= area.height()
                        ? frame.top() >= area.top() && frame.bottom() <= area.bottom()
                        : frame.top() == area.top() && content.height() == window.minimumHeight();
  return across && down;
}

std::string describe(const QWidget& window) {
  const auto rect = [](const QRect& r) {
    return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) + "x" +
           std::to_string(r.height());
  };
  return "frame " + rect(window.frameGeometry()) + " on " + rect(window.screen()->availableGeometry());
}

// The window and its sheets open within the screen (run again on a screen
// of 1600 by 1000 pixels at twice the scale, where the window as made is
// 1600 by 1242 pixels).
TEST_F(WindowTest, TheWindowAndItsSheetsOpenOnTheScreen) {
  sparkle::Updater updater(sparkle::UpdaterConfiguration{}, std::make_shared<SilentDriver>());
  mervo::views::MainWindow window(environment(), updater);
  gui_test::showAndWait(window);
  EXPECT_TRUE(gui_test::waitUntil([&] { return liesOnTheScreen(window); })) << describe(window);
  auto& state = window.contentView()->state();
  state.exportSettings();
  state.openImportSheet();
  for (QWidget* sheet : {static_cast<QWidget*>(window.contentView()->exportSheet()),
                         static_cast<QWidget*>(window.contentView()->importSheet())}) {
    ASSERT_NE(sheet, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(sheet));
    EXPECT_TRUE(gui_test::waitUntil([&] { return liesOnTheScreen(*sheet); })) << describe(*sheet);
  }
}

TEST_F(WindowTest, MenusPutCheckForUpdatesRightAfterAboutAndTheSheetsInFile) {
  sparkle::Updater updater(sparkle::UpdaterConfiguration{}, std::make_shared<SilentDriver>());
  mervo::views::MainWindow window(environment(), updater);
  const auto actions = window.applicationMenu()->actions();
  ASSERT_GE(actions.size(), 2);
  EXPECT_EQ(actions[0]->text(), "About Mervo");
  EXPECT_EQ(actions[1]->text(), QString::fromUtf8("Check for Updates\u2026"));
  EXPECT_TRUE(actions[1]->isEnabled());
  const auto file = window.fileMenu()->actions();
  ASSERT_GE(file.size(), 2);
  EXPECT_EQ(file[0]->text(), QString::fromUtf8("Export Settings\u2026"));
  EXPECT_EQ(file[1]->text(), QString::fromUtf8("Import Settings\u2026"));
  file[1]->trigger();
  EXPECT_TRUE(*window.contentView()->state().showingImportSheet);
  EXPECT_NE(window.contentView()->importSheet(), nullptr);
}

}  // namespace
