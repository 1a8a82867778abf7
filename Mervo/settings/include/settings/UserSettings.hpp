#pragma once

#include <cstddef>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/UserDefaults.hpp"
#include "observable/Published.hpp"
#include "settings/EmailTone.hpp"
#include "settings/EnvironmentConfig.hpp"
#include "settings/ResponseLength.hpp"

namespace mervo {

// An import that was applied: the members it passed over because their values
// could not be used (a type other than the export's, a tone or length that
// names none), in the export's order.
struct SettingsImport {
  std::vector<std::string> skipped;
};

// An import that changed nothing, and why.
struct SettingsImportError {
  enum class Case {
    tooLarge,          // longer than any settings export
    notAnExport,       // not a JSON object holding any of the export's members
    noUsableSettings,  // every member it holds was passed over (`skipped`)
    notSaved,          // the shared suite did not take it (`saveFailure`)
  };
  Case errorCase;
  std::vector<std::string> skipped;
  std::string saveFailure;

  std::string localizedDescription() const;
};

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
  // Why the last save did not reach the shared suite (it could not be opened,
  // or its file not written: the values then wait for the next save); nothing
  // after a save that did. The compose assistant reads only the suite.
  platform::Published<std::optional<std::string>> saveFailure{std::nullopt};
  // Why the stored settings could not be read at the start (the shared suite
  // could not be opened: the fields then come from the program's own
  // defaults, and the suite's file is left as it is); nothing once a save
  // has reached the suite.
  platform::Published<std::optional<std::string>> loadFailure{std::nullopt};

  // The settings file: one JSON object with the six settings under their plain
  // names. Nothing when it cannot be written (a prompt that is not UTF-8).
  std::optional<std::string> exportSettings() const;
  // Applies the members of a settings file that are present and valid, then
  // saves. Changes nothing, and says why, when the text is no settings export,
  // none of its members can be used, or the shared suite does not take it.
  std::expected<SettingsImport, SettingsImportError> importSettings(std::string_view text);

  static constexpr const char* kChangedNotification = "userSettingsChanged";
  // Far above any export (a prompt of a few megabytes), and far below what
  // would hold the window up.
  static constexpr std::size_t kMaximumImportSize = 8 * 1024 * 1024;

 private:
  void loadSettings();
  void ensureDefaultPrompt();
  // The shared suite, or why it cannot be opened.
  std::expected<std::shared_ptr<platform::UserDefaults>, platform::ErrorPtr> openSharedSuite() const;

  EnvironmentConfig& envConfig_;
};

}  // namespace mervo
