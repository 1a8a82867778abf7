#include "settings/UserSettings.hpp"

#include "foundation/NotificationCenter.hpp"
#include "foundation/Text.hpp"
#include "shared_settings/SuiteKeys.hpp"
#include "shared_settings/SystemPromptTexts.hpp"

namespace mervo {

namespace {

// The suite keys are deployment values themselves: each can be renamed, and
// then the extension, which always uses the plain names, no longer finds it.
struct StorageKeys {
  std::string customSystemPrompt, useCustomPrompt, emailTone, responseLength, includeContext, autoSuggestReplies;
};

StorageKeys storageKeys(const EnvironmentConfig& env) {
  namespace plain = quorbel::suite_keys;
  return {
      env.value("CUSTOM_SYSTEM_PROMPT_KEY", plain::customSystemPrompt),
      env.value("USE_CUSTOM_PROMPT_KEY", plain::useCustomPrompt),
      env.value("EMAIL_TONE_KEY", plain::emailTone),
      env.value("RESPONSE_LENGTH_KEY", plain::responseLength),
      env.value("INCLUDE_CONTEXT_KEY", plain::includeContext),
      env.value("AUTO_SUGGEST_REPLIES_KEY", plain::autoSuggestReplies),
  };
}

// A stored Boolean; true when absent or of another type.
bool storedFlag(platform::UserDefaults& store, const std::string& key) {
  auto stored = store.object(key);
  return stored && stored->isBool() ? *stored->asBool() : true;
}

// Sets the field when the store holds one of its raw values; otherwise the
// field keeps what it has.
template <typename E>
void loadRawValue(platform::UserDefaults& store, const std::string& key, platform::Published<E>& field) {
  auto stored = store.object(key);
  if (!stored || !stored->isString()) return;
  if (auto value = fromRawValue<E>(*stored->asString())) field = *value;
}

}  // namespace

UserSettings& UserSettings::shared() {
  static UserSettings instance;
  return instance;
}

UserSettings::UserSettings(EnvironmentConfig& envConfig)
    : defaultSystemPrompt(quorbel::prompt_texts::defaultSystemPrompt), envConfig_(envConfig) {
  loadSettings();
  ensureDefaultPrompt();
}

std::expected<std::shared_ptr<platform::UserDefaults>, platform::ErrorPtr> UserSettings::openSharedSuite() const {
  return platform::UserDefaults::openSuite(envConfig_.appGroupID());
}

void UserSettings::loadSettings() {
  // The standard defaults stand in for a suite that cannot be opened.
  auto suite = openSharedSuite();
  if (!suite) loadFailure = suite.error()->localizedDescription();
  auto& store = suite ? **suite : platform::UserDefaults::standard();
  auto keys = storageKeys(envConfig_);
  customSystemPrompt = store.string(keys.customSystemPrompt).value_or("");
  useCustomPrompt = store.boolean(keys.useCustomPrompt);
  includeContext = storedFlag(store, keys.includeContext);
  autoSuggestReplies = storedFlag(store, keys.autoSuggestReplies);
  loadRawValue(store, keys.emailTone, emailTone);
  loadRawValue(store, keys.responseLength, responseLength);
}

void UserSettings::ensureDefaultPrompt() {
  // Shown in the editor, stored only by the next save.
  if (customSystemPrompt->empty()) customSystemPrompt = defaultSystemPrompt;
}

std::string UserSettings::effectiveSystemPrompt() const {
  if (*useCustomPrompt && !platform::text::isBlank(*customSystemPrompt)) return *customSystemPrompt;
  return buildSystemPrompt();
}

std::string UserSettings::buildSystemPrompt() const {
  namespace texts = quorbel::prompt_texts;
  std::string prompt = defaultSystemPrompt;
  prompt += texts::toneHeader;
  prompt += texts::toneText(rawValue(*emailTone));
  prompt += texts::lengthHeader;
  prompt += texts::lengthText(rawValue(*responseLength));
  if (*includeContext) prompt += texts::contextSection;
  return prompt;
}

void UserSettings::saveSettings() {
  // Written to the standard defaults when the suite cannot be opened, and
  // still a failure: the compose assistant never reads them there.
  auto suite = openSharedSuite();
  auto& store = suite ? **suite : platform::UserDefaults::standard();
  auto keys = storageKeys(envConfig_);
  store.set(keys.customSystemPrompt, *customSystemPrompt);
  store.set(keys.useCustomPrompt, *useCustomPrompt);
  store.set(keys.emailTone, std::string(rawValue(*emailTone)));
  store.set(keys.responseLength, std::string(rawValue(*responseLength)));
  store.set(keys.includeContext, *includeContext);
  store.set(keys.autoSuggestReplies, *autoSuggestReplies);
  auto written = store.writeChanges();
  if (!suite)
    saveFailure = suite.error()->localizedDescription();
  else if (!written)
    saveFailure = written.error()->localizedDescription();
  else
    saveFailure = std::nullopt;
  if (!saveFailure->has_value()) loadFailure = std::nullopt;  // the suite now holds what is shown
  platform::NotificationCenter::defaultCenter().post(kChangedNotification);
}

}  // namespace mervo
