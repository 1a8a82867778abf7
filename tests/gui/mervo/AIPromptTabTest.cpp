#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "MervoGuiTest.hpp"
#include "app_views/AIPromptTab.hpp"
#include "app_views/ToggleRow.hpp"
#include "foundation/NotificationCenter.hpp"
#include "shared_settings/SystemPromptTexts.hpp"
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
    promptInForce = std::make_unique<mervo::PromptInForce>(*userSettings);
    tab = std::make_unique<AIPromptTab>(*userSettings, *promptInForce);
    tab->resize(640, 800);
    gui_test::showAndWait(*tab);
  }
  void TearDown() override {
    tab.reset();
    promptInForce.reset();
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
  std::unique_ptr<mervo::PromptInForce> promptInForce;
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

// A keyboard user moving on with Tab leaves the prompt, which every change
// would save, as it was: Tab goes on to the preview, Shift+Tab back to the
// switch.
TEST_F(AIPromptTabTest, TabInThePromptMovesOnAndChangesNothing) {
  userSettings->customSystemPrompt = std::string("Be brief.");
  toggle();
  const int before = saves;
  tab->activateWindow();
  auto* edit = tab->editor()->plainTextEdit();
  edit->setFocus(Qt::TabFocusReason);
  ASSERT_TRUE(gui_test::waitUntil([&] { return edit->hasFocus(); }));
  QTest::keyClick(edit, Qt::Key_Tab);
  EXPECT_TRUE(tab->activePrompt()->plainTextEdit()->hasFocus());
  edit->setFocus(Qt::TabFocusReason);
  QTest::keyClick(edit, Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_TRUE(tab->customPromptRow()->toggle()->hasFocus());
  EXPECT_EQ(saves, before);
  EXPECT_EQ(storedPrompt(), "Be brief.");
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

// The preview is as tall as its text whenever the text changes, up to 200
// points; a longer text scrolls inside it, and a shorter one shrinks it again.
TEST_F(AIPromptTabTest, ThePreviewFollowsItsTextsHeight) {
  toggle();
  std::string sixtyLines;
  for (int i = 0; i < 60; ++i) sixtyLines += "Line " + std::to_string(i) + "\n";
  auto* preview = tab->activePrompt();
  auto* shown = preview->plainTextEdit();
  const qreal lineHeight = QFontMetricsF(shown->font()).height();
  struct Step {
    const char* name;
    std::string prompt;
    int lines;  // 0: more than fit
  } steps[] = {
      {"one line", "Be brief.", 1},
      {"three lines", "Be brief.\nBe kind.\nSign as Sam.", 3},
      {"sixty lines", sixtyLines, 0},
      {"one line again", "Be brief.", 1},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.name);
    userSettings->customSystemPrompt = step.prompt;
    // Settled once the text inside fills the box, within its padding of 12.
    ASSERT_TRUE(gui_test::waitUntil([&] { return shown->viewport()->height() + 24 == preview->height(); }));
    if (step.lines == 0) {
      EXPECT_EQ(preview->height(), 200);
      EXPECT_GT(shown->verticalScrollBar()->maximum(), 0);
    } else {
      // The text and the padding of 12 above and below it, nothing more.
      EXPECT_NEAR(preview->height(), 24 + step.lines * lineHeight, step.lines + 1);
      EXPECT_EQ(shown->verticalScrollBar()->maximum(), 0);
    }
  }
  EXPECT_GE(tab->editor()->height(), 200);
}

// The height follows the width too: a narrower preview wraps the text onto
// more lines and grows. The assembled default prompt (781 characters) takes
// the whole 200 points and scrolls.
TEST_F(AIPromptTabTest, ThePreviewFollowsItsWidth) {
  auto* preview = tab->activePrompt();
  EXPECT_EQ(preview->height(), 200);
  EXPECT_GT(preview->plainTextEdit()->verticalScrollBar()->maximum(), 0);

  toggle();
  userSettings->customSystemPrompt = std::string(
      "Answer in the language of the message you reply to. Keep to what the quoted message says, thank the sender "
      "for writing, and offer one next step. Sign every reply as the team, never as yourself.");
  const int margins = tab->width() - preview->width();
  int previous = 0;
  for (int width : {900, 640, 420}) {
    SCOPED_TRACE(width);
    tab->resize(width, 800);
    // Settled once the text inside fills the box, within its padding of 12.
    ASSERT_TRUE(gui_test::waitUntil([&] {
      return preview->width() == width - margins &&
             preview->plainTextEdit()->viewport()->height() + 24 == preview->height();
    }));
    EXPECT_EQ(preview->plainTextEdit()->verticalScrollBar()->maximum(), 0);
    EXPECT_GT(preview->height(), previous);
    previous = preview->height();
  }
  EXPECT_LT(previous, 200);
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
  EXPECT_EQ(tab->activePrompt()->plainTextEdit()->blockCount(), 3);
  EXPECT_EQ(tab->editor()->text(), "One\nTwo\n");
}

// A word wider than the preview (a long address) is not cut off: it wraps
// onto further lines, and the preview grows to show them all.
TEST_F(AIPromptTabTest, ALongWordInThePromptCanBeSeenWhole) {
  toggle();
  const std::string prompt = "Link to https://example.com/" + std::string(300, 'x') + " when asked.";
  userSettings->customSystemPrompt = prompt;
  auto* preview = tab->activePrompt();
  auto* shown = preview->plainTextEdit();
  EXPECT_EQ(shown->verticalScrollBar()->maximum(), 0);
  EXPECT_FALSE(shown->horizontalScrollBar()->isVisible());
  EXPECT_GT(preview->height(), 24 + 2 * QFontMetricsF(shown->font()).height());
  EXPECT_LE(preview->height(), 200);
  EXPECT_EQ(preview->text().toStdString(), prompt);
}

// Every change is saved at once; one that did not reach the shared suite
// says so under the editor, until a save does.
TEST_F(AIPromptTabTest, AChangeTheSuiteDidNotTakeSaysSoUntilASaveDoes) {
  EXPECT_FALSE(tab->saveFailureNotice()->isVisible());
  const auto file = platform::UserDefaults::fileForDomain(settings_test::kSuiteName);
  suite();
  { std::ofstream(file) << "not a property list"; }
  toggle();
  auto* notice = tab->saveFailureNotice();
  EXPECT_TRUE(notice->isVisible());
  EXPECT_TRUE(notice->text().startsWith("The settings could not be saved, so the compose assistant still uses the "
                                        "previous ones. The settings file "))
      << notice->text().toStdString();
  EXPECT_EQ(test_support::readFile(file), "not a property list");

  std::filesystem::remove(file);
  tab->editor()->plainTextEdit()->moveCursor(QTextCursor::End);
  QTest::keyClicks(tab->editor()->plainTextEdit(), "!");
  EXPECT_FALSE(notice->isVisible());
  EXPECT_TRUE(storedPrompt()->ends_with("!"));
}

// Stored settings that cannot be read at the start are not shown, and the
// tab says they are left as they are, until a save reaches the suite.
TEST_F(AIPromptTabTest, StoredSettingsThatCannotBeReadAreSaidToBeLeftAsTheyAre) {
  const auto file = platform::UserDefaults::fileForDomain(settings_test::kSuiteName);
  std::filesystem::create_directories(file.parent_path());
  { std::ofstream(file) << "not a property list"; }
  tab.reset();
  promptInForce.reset();
  platform::UserDefaults::resetForTesting();
  userSettings = std::make_unique<UserSettings>();
  promptInForce = std::make_unique<mervo::PromptInForce>(*userSettings);
  tab = std::make_unique<AIPromptTab>(*userSettings, *promptInForce);
  gui_test::showAndWait(*tab);
  auto* notice = tab->saveFailureNotice();
  EXPECT_TRUE(notice->isVisible());
  EXPECT_TRUE(notice->text().startsWith("The stored settings could not be read and are left as they are. The "
                                        "settings file " + QString::fromStdString(file.string())))
      << notice->text().toStdString();
  EXPECT_EQ(test_support::readFile(file), "not a property list");

  std::filesystem::remove(file);
  toggle();
  EXPECT_FALSE(notice->isVisible());
}

}  // namespace

namespace {

// After a save the suite did not take, the preview shows the prompt the
// assistant still uses, not the one typed; also when the tab is shown anew.
// The next save that lands brings it up to date.
TEST_F(AIPromptTabTest, AfterAFailedSaveThePreviewShowsThePromptInForce) {
  toggle();
  userSettings->customSystemPrompt = std::string("Kept");
  ASSERT_EQ(preview(), "Kept");
  const auto file = platform::UserDefaults::fileForDomain(settings_test::kSuiteName);
  { std::ofstream(file) << "not a property list"; }
  auto* edit = tab->editor()->plainTextEdit();
  edit->moveCursor(QTextCursor::End);
  QTest::keyClicks(edit, "X");
  EXPECT_TRUE(tab->saveFailureNotice()->isVisible());
  EXPECT_EQ(tab->editor()->text(), "KeptX");
  EXPECT_EQ(preview(), "Kept");
  tab = std::make_unique<AIPromptTab>(*userSettings, *promptInForce);
  EXPECT_EQ(tab->activePrompt()->text(), "Kept");

  std::filesystem::remove(file);
  tab->editor()->plainTextEdit()->moveCursor(QTextCursor::End);
  QTest::keyClicks(tab->editor()->plainTextEdit(), "Y");
  EXPECT_EQ(tab->activePrompt()->text(), "KeptXY");
}

struct LongPrompt {
  const char* name;
  qsizetype bytes;
  bool pasted;  // otherwise stored before, and typed into
};

void PrintTo(const LongPrompt& p, std::ostream* os) { *os << p.name; }

class AIPromptTabWithALongPrompt : public AIPromptTabTest, public ::testing::WithParamInterface<LongPrompt> {};

// A prompt that is one line without a break opportunity (a pasted Base64
// blob) is edited as quickly as any: held in short blocks in the editor
// and the preview, and stored byte for byte as pasted and typed.
TEST_P(AIPromptTabWithALongPrompt, IsStoredExactlyAndLaidOutInShortBlocks) {
  const std::string blob = QString("QmFzZTY0").repeated(GetParam().bytes / 8).toStdString();
  toggle();
  auto* edit = tab->editor()->plainTextEdit();
  if (GetParam().pasted) {
    QGuiApplication::clipboard()->setText(QString::fromStdString(blob));
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
  } else {
    userSettings->customSystemPrompt = blob;
  }
  edit->moveCursor(QTextCursor::End);
  QTest::keyClicks(edit, "!");
  EXPECT_TRUE(storedPrompt() == blob + "!");
  EXPECT_TRUE(preview().toStdString() == blob + "!");
  for (auto* shown : {tab->editor(), tab->activePrompt()})
    for (QTextBlock block = shown->plainTextEdit()->document()->begin(); block.isValid(); block = block.next())
      ASSERT_LE(block.length(), 4097);
}

INSTANTIATE_TEST_SUITE_P(AIPromptTab, AIPromptTabWithALongPrompt,
                         ::testing::Values(LongPrompt{"Pasted256KB", 256 << 10, true}, LongPrompt{"Pasted1MB", 1 << 20, true},
                                           LongPrompt{"Typed256KB", 256 << 10, false}, LongPrompt{"Typed1MB", 1 << 20, false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
