#include <gtest/gtest.h>

#include "foundation/NotificationCenter.hpp"
#include "router/SystemPromptTexts.hpp"
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

TEST_F(UserSettingsTest, TheStandardDefaultsStandInWhenTheSuiteCannotBeOpened) {
  setEnv("APP_GROUP_ID", "../escape");  // not a usable suite name
  UserSettings settings;
  settings.emailTone = EmailTone::casual;
  settings.saveSettings();
  EXPECT_EQ(standard().object("emailTone"), platform::PropertyValue("casual"));
  EXPECT_EQ(*UserSettings().emailTone, EmailTone::casual);
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
  ASSERT_TRUE(other.importSettings(*text));
  EXPECT_EQ(*other.customSystemPrompt, *settings.customSystemPrompt);
  EXPECT_EQ(*other.useCustomPrompt, true);
  EXPECT_EQ(*other.emailTone, EmailTone::casual);
  EXPECT_EQ(*other.responseLength, ResponseLength::long_);
  EXPECT_EQ(*other.includeContext, false);
  EXPECT_EQ(*other.autoSuggestReplies, false);
  EXPECT_EQ(other.exportSettings(), text);
}

TEST_F(UserSettingsTest, ImportAppliesWhatIsValidAndRefusesWhatIsNotAnObject) {
  struct Case {
    const char* name;
    std::string text;
    bool accepted;
    EmailTone tone;
    bool useCustomPrompt;
    std::string prompt;
  } cases[] = {
      {"not JSON", "tone: casual", false, EmailTone::professional, false, "Start"},
      {"top-level array", "[]", false, EmailTone::professional, false, "Start"},
      {"top-level scalar", "\"casual\"", false, EmailTone::professional, false, "Start"},
      {"not UTF-8", "{\"customSystemPrompt\": \"\xff\"}", false, EmailTone::professional, false, "Start"},
      {"empty object", "{}", true, EmailTone::professional, false, "Start"},
      {"wrong types", R"({"useCustomPrompt": "true", "emailTone": 1, "customSystemPrompt": 5, "includeContext": 1})",
       true, EmailTone::professional, false, "Start"},
      {"unknown tone and length", R"({"emailTone": "Casual", "responseLength": "huge"})", true,
       EmailTone::professional, false, "Start"},
      {"unknown members", R"({"theme": "dark", "emailTone": "casual"})", true, EmailTone::casual, false, "Start"},
      {"all valid", R"({"emailTone": "formal", "useCustomPrompt": true, "customSystemPrompt": "New"})", true,
       EmailTone::formal, true, "New"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test_support::resetDefaults();
    UserSettings settings;
    settings.customSystemPrompt = "Start";
    ChangeCounter changes;

    EXPECT_EQ(settings.importSettings(c.text), c.accepted);
    EXPECT_EQ(*settings.emailTone, c.tone);
    EXPECT_EQ(*settings.useCustomPrompt, c.useCustomPrompt);
    EXPECT_EQ(*settings.customSystemPrompt, c.prompt);
    EXPECT_TRUE(*settings.includeContext);
    // Accepted: saved and announced once. Refused: nothing stored, nothing posted.
    EXPECT_EQ(changes.count, c.accepted ? 1 : 0);
    EXPECT_EQ(suite().object("customSystemPrompt").has_value(), c.accepted);
  }
}

TEST_F(UserSettingsTest, ExportOfAPromptThatIsNotUTF8FailsCleanly) {
  UserSettings settings;
  settings.customSystemPrompt = std::string("broken \xc3\x28 text");
  EXPECT_EQ(settings.exportSettings(), std::nullopt);
  settings.customSystemPrompt = "fine";
  EXPECT_TRUE(settings.exportSettings());
}
