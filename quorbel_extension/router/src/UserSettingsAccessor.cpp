#include "router/UserSettingsAccessor.hpp"

#include "ProcessWide.hpp"
#include "foundation/Console.hpp"
#include "foundation/FileStamp.hpp"
#include "foundation/Text.hpp"
#include "router/ExtensionConfig.hpp"
#include "shared_settings/SuiteKeys.hpp"
#include "shared_settings/SystemPromptTexts.hpp"

namespace quorbel {

namespace {
ProcessWide<UserSettingsAccessor>& sharedAccessor() {
  static auto* accessor = new ProcessWide<UserSettingsAccessor>();
  return *accessor;
}
}  // namespace

UserSettingsAccessor& UserSettingsAccessor::shared() {
  return sharedAccessor().get([] { return new UserSettingsAccessor(); });
}

void UserSettingsAccessor::resetForTesting() { sharedAccessor().resetForTesting(); }

// The prompt settings live in the suite the settings application writes, the
// one named by APP_GROUP_ID, so a renamed suite keeps the user's prompt.
UserSettingsAccessor::UserSettingsAccessor() : appGroupID_(ExtensionConfig::appGroupID()) {
  suite_ = platform::UserDefaults::suite(appGroupID_);
  if (suite_) {
    userDefaults_ = suite_.get();
    platform::console::print("✅ Successfully initialized UserDefaults with app group: " + appGroupID_);
  } else {
    userDefaults_ = &platform::UserDefaults::standard();
    platform::console::print("⚠️ Failed to initialize UserDefaults with app group: " + appGroupID_ +
                             ", falling back to standard UserDefaults");
  }
}

std::string UserSettingsAccessor::effectiveSystemPrompt() {
  platform::files::ReadOnceScope oneReading;  // one look at the suite for all its keys
  bool useCustom = userDefaults_->boolean(suite_keys::useCustomPrompt);
  std::string custom = userDefaults_->string(suite_keys::customSystemPrompt).value_or("");
  if (useCustom && !platform::text::isBlank(custom)) return custom;
  return buildSystemPrompt();
}

std::string UserSettingsAccessor::buildSystemPrompt() {
  std::string_view tone = prompt_texts::toneText(userDefaults_->string(suite_keys::emailTone).value_or(suite_defaults::emailTone));
  if (tone.empty()) tone = prompt_texts::toneText(suite_defaults::emailTone);
  std::string_view length = prompt_texts::lengthText(userDefaults_->string(suite_keys::responseLength).value_or(suite_defaults::responseLength));
  if (length.empty()) length = prompt_texts::lengthText(suite_defaults::responseLength);

  std::string prompt(prompt_texts::defaultSystemPrompt);
  prompt += prompt_texts::toneHeader;
  prompt += tone;
  prompt += prompt_texts::lengthHeader;
  prompt += length;
  prompt += prompt_texts::contextSection;
  return prompt;
}

}  // namespace quorbel
