#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include "MervoGuiTest.hpp"
#include "app_views/AIPromptTab.hpp"
#include "app_views/ToggleRow.hpp"
#include "foundation/NotificationCenter.hpp"
#include "router/SystemPromptTexts.hpp"
#include "ui/TextEditor.hpp"

namespace {

using mervo::UserSettings;
using mervo::views::AIPromptTab;

class AIPromptTabTest : public mervo_gui_test::MervoGuiTest {
 protected:
  void SetUp() override {
    MervoGuiTest::SetUp();
    saves = 0;
    token = platform::NotificationCenter::defaultCenter().addObserver(UserSettings::kChangedNotification, nullptr,
                                                                       [this](const auto&) { ++saves; });
    tab = std::make_unique<AIPromptTab>(*userSettings);
    tab->resize(640, 800);
    gui_test::showAndWait(*tab);
  }
  void TearDown() override {
    tab.reset();
    platform::NotificationCenter::defaultCenter().removeObserver(token);
    MervoGuiTest::TearDown();
  }

  void toggle() { QTest::mouseClick(tab->customPromptRow()->toggle(), Qt::LeftButton); }
  QString preview() const { return tab->activePrompt()->text(); }
  static std::optional<std::string> storedPrompt() {
    rereadStoresFromDisk();
    return suite().string("customSystemPrompt");
  }

  int saves = 0;
  platform::NotificationCenter::Token token = 0;
  std::unique_ptr<AIPromptTab> tab;
};

TEST_F(AIPromptTabTest, AFreshInstallationShowsTheDefaultPromptAndHidesTheEditor) {
  EXPECT_FALSE(tab->editorSection()->isVisible());
  EXPECT_EQ(tab->editor()->text().toStdString(), userSettings->defaultSystemPrompt);
  EXPECT_EQ(preview().toStdString(), userSettings->buildSystemPrompt());
  EXPECT_EQ(saves, 0);  // showing the tab saves nothing
}

TEST_F(AIPromptTabTest, TheSwitchSavesAtOnceEitherWay) {
  toggle();
  EXPECT_TRUE(*userSettings->useCustomPrompt);
  EXPECT_TRUE(tab->editorSection()->isVisible());
  EXPECT_EQ(saves, 1);
  rereadStoresFromDisk();
  EXPECT_TRUE(suite().boolean("useCustomPrompt"));
  // Untouched, the editor's default prompt alone is in force.
  EXPECT_EQ(preview().toStdString(), userSettings->defaultSystemPrompt);
  toggle();
  EXPECT_EQ(saves, 2);
  EXPECT_FALSE(tab->editorSection()->isVisible());
  rereadStoresFromDisk();
  EXPECT_FALSE(suite().boolean("useCustomPrompt"));
}

TEST_F(AIPromptTabTest, EveryKeystrokeSavesAndThePreviewFollows) {
  toggle();
  tab->editor()->plainTextEdit()->selectAll();
  QTest::keyClick(tab->editor()->plainTextEdit(), Qt::Key_Delete);
  const int afterClearing = saves;
  QTest::keyClicks(tab->editor()->plainTextEdit(), " Be brief. ");
  EXPECT_EQ(saves - afterClearing, 11);
  EXPECT_EQ(storedPrompt(), " Be brief. ");
  // A prompt with blanks around it is in force exactly as written.
  EXPECT_EQ(preview(), " Be brief. ");
}

TEST_F(AIPromptTabTest, ABlankPromptLeavesTheAssembledOneInForce) {
  toggle();
  userSettings->customSystemPrompt = std::string("  \n \t");
  EXPECT_EQ(preview().toStdString(), userSettings->buildSystemPrompt());
  EXPECT_EQ(storedPrompt(), "  \n \t");
  userSettings->includeContext = false;
  EXPECT_EQ(preview().toStdString(), userSettings->buildSystemPrompt());
  EXPECT_FALSE(preview().endsWith(QString::fromUtf8(quorbel::prompt_texts::contextSection)));
}

TEST_F(AIPromptTabTest, ThePreviewFollowsTheSettingsTheDefaultPromptUses) {
  userSettings->emailTone = mervo::EmailTone::casual;
  EXPECT_EQ(preview().toStdString(), userSettings->buildSystemPrompt());
  userSettings->responseLength = mervo::ResponseLength::short_;
  EXPECT_EQ(preview().toStdString(), userSettings->buildSystemPrompt());
}

TEST_F(AIPromptTabTest, TurningTheSwitchOffKeepsTheText) {
  toggle();
  userSettings->customSystemPrompt = std::string("Write like a pirate.");
  toggle();
  EXPECT_EQ(storedPrompt(), "Write like a pirate.");
  toggle();
  EXPECT_EQ(tab->editor()->text(), "Write like a pirate.");
  EXPECT_EQ(preview(), "Write like a pirate.");
}

TEST_F(AIPromptTabTest, ALongPromptScrollsInsideThePreview) {
  toggle();
  std::string lines;
  for (int i = 0; i < 60; ++i) lines += "Line " + std::to_string(i) + "\n";
  userSettings->customSystemPrompt = lines;
  QCoreApplication::processEvents();
  auto* scroller = tab->activePromptScroller();
  EXPECT_LE(scroller->height(), 200);
  EXPECT_GT(scroller->verticalScrollBar()->maximum(), 0);
  EXPECT_GE(tab->editor()->height(), 200);
}

// Typing into a prompt changes only what is typed: its no-break spaces and
// line separators stay what they were.
TEST_F(AIPromptTabTest, TypingKeepsTheRestOfThePromptAsItWas) {
  const std::string prompt = "Sign as Dr.\u00a0Lee.\u2028Keep it short.";
  userSettings->customSystemPrompt = prompt;
  toggle();
  tab->editor()->plainTextEdit()->moveCursor(QTextCursor::End);
  QTest::keyClicks(tab->editor()->plainTextEdit(), "!");
  EXPECT_EQ(*userSettings->customSystemPrompt, prompt + "!");
  EXPECT_EQ(storedPrompt(), prompt + "!");
  EXPECT_EQ(preview().toStdString(), prompt + "!");
}

// A prompt imported while the tab shows it is kept as imported, though the
// editor holds its line breaks as "\n" alone.
TEST_F(AIPromptTabTest, APromptImportedWhileShownIsKeptAsImported) {
  ASSERT_TRUE(userSettings->importSettings(R"({"customSystemPrompt": "One\r\nTwo\r\n", "useCustomPrompt": true})"));
  EXPECT_EQ(*userSettings->customSystemPrompt, "One\r\nTwo\r\n");
  EXPECT_EQ(storedPrompt(), "One\r\nTwo\r\n");
  EXPECT_EQ(preview(), "One\r\nTwo\r\n");
  EXPECT_EQ(tab->editor()->text(), "One\nTwo\n");
}

// A word wider than the preview (a long address) is not cut off: the
// preview scrolls to the side to show it, and grows by that scroll bar.
TEST_F(AIPromptTabTest, ALongWordInThePromptCanBeSeenWhole) {
  toggle();
  userSettings->customSystemPrompt = "Link to https://example.com/" + std::string(300, 'x') + " when asked.";
  auto* scroller = tab->activePromptScroller();
  auto* text = tab->activePrompt();
  // The layout settles through posted events.
  gui_test::waitUntil([&] { return scroller->widget()->width() >= scroller->widget()->minimumSizeHint().width(); });
  EXPECT_GE(text->width(), text->minimumSizeHint().width());  // not squeezed under the word
  // Its end is in reach of the scroll bar to the side, and the bar shows.
  auto* bar = scroller->horizontalScrollBar();
  const QPoint textEnd = text->mapTo(scroller->widget(), QPoint(text->width(), 0));
  EXPECT_LE(textEnd.x(), scroller->viewport()->width() + bar->maximum());
  EXPECT_TRUE(bar->isVisible());
  // The three lines still fit above that bar.
  EXPECT_FALSE(scroller->verticalScrollBar()->isVisible());
  EXPECT_LE(scroller->height(), 200);
}

}  // namespace
