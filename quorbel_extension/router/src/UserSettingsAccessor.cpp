#include "router/UserSettingsAccessor.hpp"

#include "ProcessWide.hpp"
#include "foundation/Console.hpp"
#include "foundation/Text.hpp"
#include "router/ExtensionConfig.hpp"
#include "router/SystemPromptTexts.hpp"

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
  bool useCustom = userDefaults_->boolean(useCustomPromptKey);
  std::string custom = userDefaults_->string(customSystemPromptKey).value_or("");
  if (useCustom && !platform::text::isBlank(custom)) return custom;
  return buildSystemPrompt();
}

std::string UserSettingsAccessor::buildSystemPrompt() {
  std::string_view tone = prompt_texts::toneText(userDefaults_->string(emailToneKey).value_or("professional"));
  if (tone.empty()) tone = prompt_texts::toneText("professional");
  std::string_view length = prompt_texts::lengthText(userDefaults_->string(responseLengthKey).value_or("medium"));
  if (length.empty()) length = prompt_texts::lengthText("medium");

  std::string prompt(prompt_texts::defaultSystemPrompt);
  prompt += prompt_texts::toneHeader;
  prompt += tone;
  prompt += prompt_texts::lengthHeader;
  prompt += length;
  prompt += prompt_texts::contextSection;
  return prompt;
}

}  // namespace quorbel
