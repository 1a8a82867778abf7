#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "foundation/UserDefaults.hpp"
#include "observable/Published.hpp"
#include "settings/EmailTone.hpp"
#include "settings/EnvironmentConfig.hpp"
#include "settings/ResponseLength.hpp"

namespace mervo {

// The user's prompt settings, kept in the shared suite where the extension
// reads them. Assigning a field only notifies observers; nothing reaches the
// suite until saveSettings(). All use is on the main thread.
class UserSettings {
 public:
  static UserSettings& shared();

  // Loads the stored settings and fills an empty prompt with the default one;
  // saves nothing.
  explicit UserSettings(EnvironmentConfig& envConfig = EnvironmentConfig::shared());
  UserSettings(const UserSettings&) = delete;
  UserSettings& operator=(const UserSettings&) = delete;

  platform::Published<std::string> customSystemPrompt{std::string()};
  platform::Published<bool> useCustomPrompt{false};
  platform::Published<EmailTone> emailTone{EmailTone::professional};
  platform::Published<ResponseLength> responseLength{ResponseLength::medium};
  platform::Published<bool> includeContext{true};
  platform::Published<bool> autoSuggestReplies{true};

  const std::string defaultSystemPrompt;

  // The custom prompt (untrimmed) when it is switched on and not blank,
  // otherwise buildSystemPrompt().
  std::string effectiveSystemPrompt() const;
  // Default prompt, tone and length sections, and the context section only
  // when includeContext is on.
  std::string buildSystemPrompt() const;

  // Writes the six settings, synchronises and posts kChangedNotification.
  void saveSettings();
  // Whether the last save reached the store: one whose file cannot be read or
  // written keeps the values pending for the next save.
  bool settingsStored() const { return settingsStored_; }

  // The settings file: one JSON object with the six settings under their plain
  // names. Nothing when it cannot be written (a prompt that is not UTF-8).
  std::optional<std::string> exportSettings() const;
  // Applies the members of a settings file that are present and valid, then
  // saves. False, with nothing changed, when the text is not a JSON object.
  bool importSettings(std::string_view text);

  static constexpr const char* kChangedNotification = "userSettingsChanged";

 private:
  void loadSettings();
  void ensureDefaultPrompt();
  // The shared suite, or the standard defaults when it cannot be opened.
  std::shared_ptr<platform::UserDefaults> settingsStore() const;

  EnvironmentConfig& envConfig_;
  bool settingsStored_ = true;
};

}  // namespace mervo
