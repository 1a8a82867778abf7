#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "foundation/NotificationCenter.hpp"
#include "shared_settings/SystemPromptTexts.hpp"
#include "SettingsTestSupport.hpp"
#include "settings/UserSettings.hpp"

using mervo::EmailTone;
using mervo::ResponseLength;
using mervo::UserSettings;
using settings_test::SettingsTest;

namespace {

// Counts "userSettingsChanged" while alive.
class ChangeCounter {
 public:
  ChangeCounter()
      : token_(platform::NotificationCenter::defaultCenter().addObserver(UserSettings::kChangedNotification, nullptr,
                                                                          [this](const auto&) { ++count; })) {}
  ~ChangeCounter() { platform::NotificationCenter::defaultCenter().removeObserver(token_); }
  int count = 0;

 private:
  platform::NotificationCenter::Token token_;
};

class UserSettingsTest : public SettingsTest {};

}  // namespace

TEST_F(UserSettingsTest, FirstStartShowsTheDefaultPromptAssembledWithContext) {
  UserSettings settings;
  EXPECT_EQ(*settings.customSystemPrompt, settings.defaultSystemPrompt);
  EXPECT_FALSE(*settings.useCustomPrompt);
  EXPECT_EQ(*settings.emailTone, EmailTone::professional);
  EXPECT_EQ(*settings.responseLength, ResponseLength::medium);
  EXPECT_TRUE(*settings.includeContext);
  EXPECT_TRUE(*settings.autoSuggestReplies);

  auto prompt = settings.effectiveSystemPrompt();
  EXPECT_EQ(prompt.size(), 781u);  // ASCII only, so bytes are characters
  EXPECT_TRUE(prompt.starts_with(settings.defaultSystemPrompt));
  EXPECT_TRUE(prompt.ends_with(quorbel::prompt_texts::contextSection));
  // The default prompt is only shown, not stored, until the next save.
  EXPECT_FALSE(suite().object("customSystemPrompt"));
}

TEST_F(UserSettingsTest, EffectivePromptPicksTheCustomPromptOnlyWhenItIsOnAndNotBlank) {
  UserSettings settings;
  settings.emailTone = EmailTone::casual;
  settings.responseLength = ResponseLength::long_;
  const auto assembled = settings.buildSystemPrompt();
  EXPECT_NE(assembled.find(quorbel::prompt_texts::toneText("casual")), std::string::npos);

  struct Case {
    bool useCustom;
    std::string prompt;
    std::string expected;
  } cases[] = {
      {true, "  Be brief.\n", "  Be brief.\n"},  // kept with its blanks
      {true, " \n\t ", assembled},
      {false, "Be brief.", assembled},
  };
  for (const auto& c : cases) {
    settings.useCustomPrompt = c.useCustom;
    settings.customSystemPrompt = c.prompt;
    EXPECT_EQ(settings.effectiveSystemPrompt(), c.expected) << c.prompt;
  }

  settings.includeContext = false;
  EXPECT_TRUE(settings.buildSystemPrompt().ends_with(quorbel::prompt_texts::lengthText("long")));
}

TEST_F(UserSettingsTest, LoadingKeepsTheCurrentValueForStoredValuesItCannotUse) {
  suite().set("emailTone", "Formal");          // not a raw value: case matters
  suite().set("responseLength", 3);            // not a string
  suite().set("includeContext", "no");         // not a Boolean: reads as true
  suite().set("autoSuggestReplies", false);
  suite().set("useCustomPrompt", "YES");       // the store's Boolean reading
  suite().set("customSystemPrompt", "Mine");
  UserSettings settings;
  EXPECT_EQ(*settings.emailTone, EmailTone::professional);
  EXPECT_EQ(*settings.responseLength, ResponseLength::medium);
  EXPECT_TRUE(*settings.includeContext);
  EXPECT_FALSE(*settings.autoSuggestReplies);
  EXPECT_TRUE(*settings.useCustomPrompt);
  EXPECT_EQ(*settings.customSystemPrompt, "Mine");
}

TEST_F(UserSettingsTest, SaveWritesAllSixToTheSuiteAndAnnouncesIt) {
  UserSettings settings;
  ChangeCounter changes;
  settings.customSystemPrompt = "Mine";
  settings.useCustomPrompt = true;
  settings.emailTone = EmailTone::formal;
  settings.responseLength = ResponseLength::short_;
  settings.includeContext = false;
  settings.autoSuggestReplies = false;
  EXPECT_EQ(changes.count, 0);  // assignments alone save nothing
  EXPECT_FALSE(suite().object("emailTone"));

  settings.saveSettings();
  EXPECT_EQ(changes.count, 1);
  rereadStoresFromDisk();
  auto& stored = suite();
  EXPECT_EQ(stored.object("customSystemPrompt"), platform::PropertyValue("Mine"));
  EXPECT_EQ(stored.object("useCustomPrompt"), platform::PropertyValue(true));
  EXPECT_EQ(stored.object("emailTone"), platform::PropertyValue("formal"));
  EXPECT_EQ(stored.object("responseLength"), platform::PropertyValue("short"));
  EXPECT_EQ(stored.object("includeContext"), platform::PropertyValue(false));
  EXPECT_EQ(stored.object("autoSuggestReplies"), platform::PropertyValue(false));

  UserSettings reloaded;
  EXPECT_EQ(*reloaded.emailTone, EmailTone::formal);
  EXPECT_EQ(*reloaded.responseLength, ResponseLength::short_);
  EXPECT_FALSE(*reloaded.includeContext);
}

TEST_F(UserSettingsTest, RenamedKeysMoveTheSuiteEntryButNotTheFileMember) {
  setEnv("EMAIL_TONE_KEY", "tone");
  UserSettings settings;
  settings.emailTone = EmailTone::friendly;
  settings.saveSettings();
  EXPECT_EQ(suite().object("tone"), platform::PropertyValue("friendly"));
  EXPECT_FALSE(suite().object("emailTone"));
  EXPECT_EQ(*UserSettings().emailTone, EmailTone::friendly);
  EXPECT_NE(settings.exportSettings()->find("\"emailTone\": \"friendly\""), std::string::npos);
}

// The standard defaults stand in for a suite that cannot be opened, but the
// compose assistant never reads them there: the save says it did not land.
TEST_F(UserSettingsTest, TheStandardDefaultsStandInWhenTheSuiteCannotBeOpened) {
  setEnv("APP_GROUP_ID", "../escape");  // not a usable suite name
  UserSettings settings;
  settings.emailTone = EmailTone::casual;
  settings.saveSettings();
  EXPECT_EQ(standard().object("emailTone"), platform::PropertyValue("casual"));
  EXPECT_EQ(*UserSettings().emailTone, EmailTone::casual);
  ASSERT_TRUE(*settings.saveFailure);
  EXPECT_NE(settings.saveFailure.get()->find("\"../escape\" is not usable"), std::string::npos) << settings.saveFailure.get().value_or("");
}

TEST_F(UserSettingsTest, ASaveTheSuiteFileDidNotTakeSaysWhyUntilOneDoes) {
  const auto suiteFile = platform::UserDefaults::fileForDomain(settings_test::kSuiteName);
  UserSettings settings;
  suite();
  std::filesystem::create_directories(suiteFile.parent_path());
  { std::ofstream(suiteFile) << "<plist><dict><key>emailTone</dict></plist>"; }
  ChangeCounter changes;
  settings.useCustomPrompt = true;
  settings.saveSettings();
  ASSERT_TRUE(*settings.saveFailure);
  EXPECT_NE(settings.saveFailure.get()->find(suiteFile.string()), std::string::npos) << settings.saveFailure.get().value_or("");
  EXPECT_EQ(changes.count, 1);

  std::filesystem::remove(suiteFile);
  settings.saveSettings();
  EXPECT_EQ(*settings.saveFailure, std::nullopt);
  rereadStoresFromDisk();
  EXPECT_EQ(suite().object("useCustomPrompt"), platform::PropertyValue(true));
}

TEST_F(UserSettingsTest, ExportThenImportIsAnIdentity) {
  UserSettings settings;
  settings.customSystemPrompt = "Line one\n\"quoted\" \u00e9\u4e2d";
  settings.useCustomPrompt = true;
  settings.emailTone = EmailTone::casual;
  settings.responseLength = ResponseLength::long_;
  settings.includeContext = false;
  settings.autoSuggestReplies = false;
  auto text = settings.exportSettings();
  ASSERT_TRUE(text);

  UserSettings other;
  auto imported = other.importSettings(*text);
  ASSERT_TRUE(imported);
  EXPECT_TRUE(imported->skipped.empty());
  EXPECT_EQ(*other.customSystemPrompt, *settings.customSystemPrompt);
  EXPECT_EQ(*other.useCustomPrompt, true);
  EXPECT_EQ(*other.emailTone, EmailTone::casual);
  EXPECT_EQ(*other.responseLength, ResponseLength::long_);
  EXPECT_EQ(*other.includeContext, false);
  EXPECT_EQ(*other.autoSuggestReplies, false);
  EXPECT_EQ(other.exportSettings(), text);
}

TEST_F(UserSettingsTest, ImportAppliesWhatIsValidNamesWhatItPassedOverAndRefusesWhatIsNoExport) {
  using Case = mervo::SettingsImportError::Case;
  using Names = std::vector<std::string>;
  struct ImportCase {
    const char* name;
    std::string text;
    std::optional<Case> refused;  // applied when absent
    Names skipped;
    EmailTone tone;
    bool useCustomPrompt;
    std::string prompt;
  } cases[] = {
      {"not JSON", "tone: casual", Case::notAnExport, {}, EmailTone::professional, false, "Start"},
      {"top-level array", "[]", Case::notAnExport, {}, EmailTone::professional, false, "Start"},
      {"top-level scalar", "\"casual\"", Case::notAnExport, {}, EmailTone::professional, false, "Start"},
      {"not UTF-8", "{\"customSystemPrompt\": \"\xff\"}", Case::notAnExport, {}, EmailTone::professional, false, "Start"},
      {"empty object", "{}", Case::notAnExport, {}, EmailTone::professional, false, "Start"},
      {"none of the export's members", R"({"foo": 1})", Case::notAnExport, {}, EmailTone::professional, false, "Start"},
      {"only wrong types", R"({"useCustomPrompt": "true", "emailTone": 1, "customSystemPrompt": 5, "includeContext": 1})",
       Case::noUsableSettings, Names{"customSystemPrompt", "useCustomPrompt", "emailTone", "includeContext"},
       EmailTone::professional, false, "Start"},
      {"only unknown tone and length", R"({"emailTone": "Casual", "responseLength": "huge"})", Case::noUsableSettings,
       Names{"emailTone", "responseLength"}, EmailTone::professional, false, "Start"},
      {"the prompt, and the rest of wrong types",
       R"({"customSystemPrompt": "New", "useCustomPrompt": null, "emailTone": ["casual"], "responseLength": true,
           "includeContext": "yes", "autoSuggestReplies": 0})",
       std::nullopt, Names{"useCustomPrompt", "emailTone", "responseLength", "includeContext", "autoSuggestReplies"},
       EmailTone::professional, false, "New"},
      {"unknown members beside a valid one", R"({"theme": "dark", "emailTone": "casual"})", std::nullopt, {},
       EmailTone::casual, false, "Start"},
      {"all valid", R"({"emailTone": "formal", "useCustomPrompt": true, "customSystemPrompt": "New"})", std::nullopt, {},
       EmailTone::formal, true, "New"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test_support::resetDefaults();
    UserSettings settings;
    settings.customSystemPrompt = "Start";
    ChangeCounter changes;

    auto imported = settings.importSettings(c.text);
    ASSERT_EQ(imported.has_value(), !c.refused);
    EXPECT_EQ(imported ? imported->skipped : imported.error().skipped, c.skipped);
    if (c.refused) {
      EXPECT_EQ(imported.error().errorCase, *c.refused);
    }
    EXPECT_EQ(*settings.emailTone, c.tone);
    EXPECT_EQ(*settings.useCustomPrompt, c.useCustomPrompt);
    EXPECT_EQ(*settings.customSystemPrompt, c.prompt);
    EXPECT_TRUE(*settings.includeContext);
    // Applied: saved and announced once. Refused: nothing stored, nothing posted.
    EXPECT_EQ(changes.count, c.refused ? 0 : 1);
    EXPECT_EQ(suite().object("customSystemPrompt").has_value(), !c.refused);
  }
}

TEST_F(UserSettingsTest, ATextLongerThanAnyExportIsRefusedUnread) {
  UserSettings settings;
  std::string text = R"({"emailTone": "casual", "customSystemPrompt": ")";
  text.append(UserSettings::kMaximumImportSize, 'a');
  text += "\"}";
  auto imported = settings.importSettings(text);
  ASSERT_FALSE(imported);
  EXPECT_EQ(imported.error().errorCase, mervo::SettingsImportError::Case::tooLarge);
  EXPECT_EQ(*settings.emailTone, EmailTone::professional);
}

// An import the suite does not take changes nothing: the fields return to
// what they held, and those values, not the import's, wait for the next
// save that lands.
TEST_F(UserSettingsTest, AnImportTheSuiteDidNotTakeLeavesTheSettingsAsTheyWere) {
  const auto suiteFile = platform::UserDefaults::fileForDomain(settings_test::kSuiteName);
  UserSettings settings;
  settings.customSystemPrompt = "Kept";
  settings.saveSettings();
  ASSERT_EQ(*settings.saveFailure, std::nullopt);
  { std::ofstream(suiteFile) << "not a property list"; }

  auto imported = settings.importSettings(R"({"customSystemPrompt": "Imported", "emailTone": "casual"})");
  ASSERT_FALSE(imported);
  EXPECT_EQ(imported.error().errorCase, mervo::SettingsImportError::Case::notSaved);
  EXPECT_NE(imported.error().localizedDescription().find(suiteFile.string()), std::string::npos)
      << imported.error().localizedDescription();
  EXPECT_EQ(*settings.customSystemPrompt, "Kept");
  EXPECT_EQ(*settings.emailTone, EmailTone::professional);
  EXPECT_EQ(test_support::readFile(suiteFile), "not a property list");

  std::filesystem::remove(suiteFile);
  ASSERT_TRUE(suite().synchronize());
  rereadStoresFromDisk();
  EXPECT_EQ(suite().string("customSystemPrompt"), "Kept");
  EXPECT_EQ(suite().string("emailTone"), "professional");
}

TEST_F(UserSettingsTest, ExportOfAPromptThatIsNotUTF8FailsCleanly) {
  UserSettings settings;
  settings.customSystemPrompt = std::string("broken \xc3\x28 text");
  EXPECT_EQ(settings.exportSettings(), std::nullopt);
  settings.customSystemPrompt = "fine";
  EXPECT_TRUE(settings.exportSettings());
}
