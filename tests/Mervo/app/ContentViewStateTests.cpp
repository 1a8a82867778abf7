#include <gtest/gtest.h>

#include "SettingsTestSupport.hpp"
#include "app/ContentViewState.hpp"
#include "foundation/NotificationCenter.hpp"
#include "foundation/Pasteboard.hpp"

namespace {

using mervo::ContentViewState;
using mervo::EmailTone;
using mervo::MainTab;
using mervo::UserSettings;

class ContentViewStateTest : public settings_test::SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    settings = std::make_unique<UserSettings>();
    state = std::make_unique<ContentViewState>(*settings);
    platform::Pasteboard::general().clearContents();
  }

  int countSaves(const std::function<void()>& action) {
    int saves = 0;
    auto& center = platform::NotificationCenter::defaultCenter();
    auto token = center.addObserver(UserSettings::kChangedNotification, nullptr, [&](const auto&) { ++saves; });
    action();
    center.removeObserver(token);
    return saves;
  }

  std::unique_ptr<UserSettings> settings;
  std::unique_ptr<ContentViewState> state;
};

TEST_F(ContentViewStateTest, StartsOnHomeWithNothingPresented) {
  EXPECT_EQ(*state->selectedTab, MainTab::home);
  EXPECT_FALSE(*state->showingExportSheet);
  EXPECT_FALSE(*state->showingImportSheet);
  EXPECT_FALSE(*state->showingImportAlert);
  EXPECT_FALSE(*state->showingImportResultAlert);
  EXPECT_FALSE(*state->importSuccess);
  EXPECT_TRUE(state->exportedSettings->empty());
  EXPECT_TRUE(state->importText->empty());
}

TEST_F(ContentViewStateTest, ChoosingTheShownTabChangesNothing) {
  int changes = 0;
  auto subscription = state->selectedTab.onChange([&](MainTab) { ++changes; });
  state->selectTab(MainTab::home);
  EXPECT_EQ(changes, 0);
  state->selectTab(MainTab::prompt);
  state->selectTab(MainTab::prompt);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(*state->selectedTab, MainTab::prompt);
}

TEST_F(ContentViewStateTest, ExportFillsTheSheetAndCopiesItsText) {
  settings->emailTone = EmailTone::casual;
  state->exportSettings();
  EXPECT_TRUE(*state->showingExportSheet);
  EXPECT_EQ(*state->exportedSettings, settings->exportSettings());
  state->copyExportedSettings();
  EXPECT_EQ(platform::Pasteboard::general().string(), *state->exportedSettings);
  state->dismissExportSheet();
  EXPECT_FALSE(*state->showingExportSheet);
  EXPECT_FALSE(state->exportedSettings->empty());  // kept for the next opening
}

TEST_F(ContentViewStateTest, AnEmptyExportCopiesAnEmptyText) {
  platform::Pasteboard::general().setString("before");
  state->copyExportedSettings();
  EXPECT_EQ(platform::Pasteboard::general().string(), "");
}

TEST_F(ContentViewStateTest, ImportNeedsAVisibleCharacter) {
  struct Case {
    const char* text;
    bool enabled;
  } cases[] = {{"", false}, {"   \n\t \n", false}, {"\u00a0\u2028", false}, {" { ", true}, {"x", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    state->importText = std::string(c.text);
    EXPECT_EQ(state->canImport(), c.enabled);
    state->showingImportAlert = false;
    state->requestImport();
    EXPECT_EQ(*state->showingImportAlert, c.enabled);
  }
}

TEST_F(ContentViewStateTest, CancelClosesAndEmptiesTheImportSheet) {
  state->openImportSheet();
  state->importText = std::string("{\"emailTone\": \"casual\"}");
  std::vector<std::pair<bool, std::string>> seen;
  auto subscription = state->showingImportSheet.onChange([&](bool shown) { seen.emplace_back(shown, *state->importText); });
  state->cancelImportSheet();
  EXPECT_FALSE(*state->showingImportSheet);
  EXPECT_TRUE(state->importText->empty());
  // The sheet closes first, then the text goes.
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_FALSE(seen[0].second.empty());
  state->openImportSheet();
  EXPECT_TRUE(state->importText->empty());
}

TEST_F(ContentViewStateTest, ConfirmingAValidExportAppliesItAndClosesTheSheet) {
  settings->emailTone = EmailTone::formal;
  auto exported = settings->exportSettings();
  ASSERT_TRUE(exported);
  settings->emailTone = EmailTone::friendly;
  state->openImportSheet();
  state->importText = *exported;
  state->requestImport();
  EXPECT_EQ(countSaves([&] { state->confirmImport(); }), 1);
  EXPECT_TRUE(*state->importSuccess);
  EXPECT_FALSE(*state->showingImportAlert);
  EXPECT_FALSE(*state->showingImportSheet);
  EXPECT_FALSE(*state->showingImportResultAlert);
  EXPECT_EQ(*settings->emailTone, EmailTone::formal);
  rereadStoresFromDisk();
  EXPECT_EQ(suite().string("emailTone"), "formal");
}

// A failed import used to pass silently; now it says so and keeps the sheet.
TEST_F(ContentViewStateTest, ConfirmingTextThatIsNoExportChangesNothingAndSaysSo) {
  for (const char* text : {"not json at all", "[1, 2]", "\"customSystemPrompt\"", "{}", "{\"foo\": 1}"}) {
    SCOPED_TRACE(text);
    state->showingImportResultAlert = false;
    state->openImportSheet();
    state->importText = std::string(text);
    state->requestImport();
    EXPECT_EQ(countSaves([&] { state->confirmImport(); }), 0);
    EXPECT_FALSE(*state->importSuccess);
    EXPECT_TRUE(*state->showingImportResultAlert);
    EXPECT_EQ(state->importResultTitle, "Import Failed");
    EXPECT_EQ(state->importResultMessage, "The text is not a settings export. Nothing was changed.");
    EXPECT_TRUE(*state->showingImportSheet);
    EXPECT_EQ(*state->importText, text);
    EXPECT_EQ(*settings->emailTone, EmailTone::professional);
    EXPECT_FALSE(suite().object("emailTone"));
  }
}

// An export whose tone, length and switches have the wrong types is applied
// for its prompt, and the result names what it passed over.
TEST_F(ContentViewStateTest, AnImportThatPassedOverMembersNamesThem) {
  state->openImportSheet();
  state->importText = std::string(
      R"({"customSystemPrompt": "Be brief.", "emailTone": 3, "responseLength": "tiny", "includeContext": "no"})");
  state->requestImport();
  EXPECT_EQ(countSaves([&] { state->confirmImport(); }), 1);
  EXPECT_TRUE(*state->importSuccess);
  EXPECT_FALSE(*state->showingImportSheet);
  EXPECT_TRUE(*state->showingImportResultAlert);
  EXPECT_EQ(state->importResultTitle, "Settings Imported");
  EXPECT_EQ(state->importResultMessage,
            "Not imported, as their values are not valid: emailTone, responseLength, includeContext. The other settings "
            "were applied.");
  EXPECT_EQ(*settings->customSystemPrompt, "Be brief.");
}

TEST_F(ContentViewStateTest, AnImportWithNothingUsableNamesWhatItFound) {
  state->importText = std::string(R"({"useCustomPrompt": "yes", "emailTone": "Casual"})");
  EXPECT_EQ(countSaves([&] { state->confirmImport(); }), 0);
  EXPECT_FALSE(*state->importSuccess);
  EXPECT_EQ(state->importResultTitle, "Import Failed");
  EXPECT_EQ(state->importResultMessage,
            "None of its settings has a value that can be used (useCustomPrompt, emailTone). Nothing was changed.");
}

}  // namespace
