#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

#include "LoopbackSetup.hpp"
#include "MervoGuiTest.hpp"
#include "RunningProgram.hpp"
#include "app_views/AIPromptTab.hpp"
#include "app_views/ContentView.hpp"
#include "app_views/SettingsSheets.hpp"
#include "app_views/ToggleRow.hpp"
#include "test_support/LoopbackServer.hpp"
#include "ui/StyledButton.hpp"
#include "ui/TextEditor.hpp"

namespace {

using mervo::views::ContentView;
using test_support::LoopbackServer;

class MervoEndToEndTest : public mervo_gui_test::MervoGuiTest {
 protected:
  // The six user settings as the shared suite holds them.
  static platform::PropertyValue::Dictionary storedUserSettings() {
    platform::PropertyValue::Dictionary stored;
    for (const char* key : {"customSystemPrompt", "useCustomPrompt", "emailTone", "responseLength", "includeContext",
                            "autoSuggestReplies"})
      if (auto value = suite().object(key)) stored[key] = *value;
    return stored;
  }
};

// What Mervo saves is what the compose assistant's very next request carries.
TEST_F(MervoEndToEndTest, APromptEditedInTheTabIsInTheAssistantsNextRequest) {
  LoopbackServer server;
  server.reply(compose_test::chatReply("Dear Dana, yes."));
  compose_test::useOpenAIServer(server);
  test_support::TempDir folder;
  const auto message = folder.write("invite.eml", "From: Dana <dana@example.org>\r\nSubject: Offsite\r\n\r\n<p>Join us?</p>");

  ContentView view(environment());
  gui_test::showAndWait(view);
  QTest::mouseClick(view.tabButton(mervo::MainTab::prompt), Qt::LeftButton);
  auto* tab = view.tabContent()->findChild<mervo::views::AIPromptTab*>();
  ASSERT_NE(tab, nullptr);
  QTest::mouseClick(tab->customPromptRow()->toggle(), Qt::LeftButton);
  auto* edit = tab->editor()->plainTextEdit();
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Delete);
  QTest::keyClicks(edit, "You are a pirate. Answer in pirate speak.");

  mervo_test::RunningProgram assistant(QUORBEL_EXTENSION, {"reply", message.string(), "--mode", "write"});
  ASSERT_EQ(assistant.exitStatus(), 0) << assistant.err();
  EXPECT_EQ(assistant.out(), "Dear Dana, yes.\n");
  ASSERT_EQ(server.requestCount(), 1u);
  const auto prompt = compose_test::promptOf(server.lastRequest());
  EXPECT_TRUE(prompt.starts_with("You are a pirate. Answer in pirate speak.")) << prompt;
  EXPECT_EQ(prompt.find("Tone Instructions:"), std::string::npos);
}

// Exported on one machine (settings folder) and imported on another, the
// settings come out the same.
TEST_F(MervoEndToEndTest, AnExportImportedElsewhereGivesTheSameSettings) {
  userSettings->customSystemPrompt = std::string("Sign as Sam.");
  userSettings->useCustomPrompt = true;
  userSettings->emailTone = mervo::EmailTone::friendly;
  userSettings->responseLength = mervo::ResponseLength::long_;
  userSettings->includeContext = false;
  userSettings->autoSuggestReplies = false;
  userSettings->saveSettings();
  std::string exported;
  {
    ContentView view(environment());
    gui_test::showAndWait(view);
    view.state().exportSettings();
    QTest::mouseClick(view.exportSheet()->copyButton(), Qt::LeftButton);
    exported = platform::Pasteboard::general().string().value_or("");
  }
  ASSERT_FALSE(exported.empty());
  const auto original = storedUserSettings();
  ASSERT_EQ(original.size(), 6u);

  test_support::TempDir otherMachine;
  test_support::ScopedEnv configHome("XDG_CONFIG_HOME", otherMachine.path().string());
  platform::UserDefaults::resetForTesting();
  mervo::UserSettings elsewhere;
  EXPECT_EQ(*elsewhere.emailTone, mervo::EmailTone::professional);
  mervo::views::ContentView view({store->viewContext(), elsewhere, *featureManager, *llmConfig, *llmService});
  gui_test::showAndWait(view);
  view.state().openImportSheet();
  ASSERT_TRUE(gui_test::waitUntil([&] { return view.importSheet() != nullptr; }));
  view.importSheet()->editor()->plainTextEdit()->setPlainText(QString::fromStdString(exported));
  QTest::mouseClick(view.importSheet()->importButton(), Qt::LeftButton);
  ASSERT_TRUE(gui_test::waitUntil([&] { return view.importAlert() != nullptr; }));
  QTest::mouseClick(qobject_cast<QAbstractButton*>(gui_test::findByText(*view.importAlert(), "Import")), Qt::LeftButton);
  ASSERT_TRUE(gui_test::waitUntil([&] { return !view.importSheet(); }));

  platform::UserDefaults::resetForTesting();
  EXPECT_EQ(storedUserSettings(), original);
  EXPECT_EQ(elsewhere.exportSettings(), exported);
  platform::UserDefaults::resetForTesting();
}

}  // namespace
