// The settings file: export and import of the user settings as JSON. Its
// members always carry the plain names, whatever the suite keys are called.
#include "foundation/Json.hpp"
#include "settings/UserSettings.hpp"

namespace mervo {

namespace {

template <typename E>
void importRawValue(const platform::json::Value& file, std::string_view member, platform::Published<E>& field) {
  if (auto raw = platform::json::stringMember(file, member))
    if (auto value = fromRawValue<E>(*raw)) field = *value;
}

void importString(const platform::json::Value& file, std::string_view member, platform::Published<std::string>& field) {
  if (auto value = platform::json::stringMember(file, member)) field = *value;
}

// JSON true and false only: numbers are not read as Booleans.
void importFlag(const platform::json::Value& file, std::string_view member, platform::Published<bool>& field) {
  if (auto value = platform::json::boolMember(file, member)) field = *value;
}

}  // namespace

std::optional<std::string> UserSettings::exportSettings() const {
  platform::json::Value file = {
      {"customSystemPrompt", *customSystemPrompt},
      {"useCustomPrompt", *useCustomPrompt},
      {"emailTone", rawValue(*emailTone)},
      {"responseLength", rawValue(*responseLength)},
      {"includeContext", *includeContext},
      {"autoSuggestReplies", *autoSuggestReplies},
  };
  // Fails, rather than throws, on a prompt that is not valid UTF-8.
  auto text = platform::json::serializePretty(file);
  if (!text) return std::nullopt;
  return *text;
}

bool UserSettings::importSettings(std::string_view text) {
  // The strict reader refuses text that is not UTF-8 and a top-level scalar.
  auto file = platform::json::parse(text);
  if (!file || !file->is_object()) return false;

  importString(*file, "customSystemPrompt", customSystemPrompt);
  importFlag(*file, "useCustomPrompt", useCustomPrompt);
  importRawValue(*file, "emailTone", emailTone);
  importRawValue(*file, "responseLength", responseLength);
  importFlag(*file, "includeContext", includeContext);
  importFlag(*file, "autoSuggestReplies", autoSuggestReplies);
  saveSettings();
  return true;
}

}  // namespace mervo
