// The settings file: export and import of the user settings as JSON. Its
// members always carry the plain names, whatever the suite keys are called.
#include <fmt/format.h>
#include <fmt/ranges.h>

#include "foundation/Json.hpp"
#include "settings/SaveFailure.hpp"
#include "settings/UserSettings.hpp"
#include "shared_settings/SuiteKeys.hpp"

namespace mervo {

namespace {

namespace json = platform::json;
namespace plain = quorbel::suite_keys;

// What became of one member of an imported file.
enum class Member { absent, applied, skipped };

// Applies the member when `read` makes a value of it.
template <typename T, typename Read>
Member importMember(const json::Value& file, const char* member, platform::Published<T>& field, Read read) {
  if (!file.contains(member)) return Member::absent;
  std::optional<T> value = read(file, member);
  if (!value) return Member::skipped;
  field = *value;
  return Member::applied;
}

template <typename E>
std::optional<E> rawValueMember(const json::Value& file, const char* member) {
  auto raw = json::stringMember(file, member);
  return raw ? fromRawValue<E>(*raw) : std::nullopt;
}

// JSON true and false only: numbers are not read as Booleans.
std::optional<bool> flagMember(const json::Value& file, const char* member) { return json::boolMember(file, member); }

std::optional<std::string> textMember(const json::Value& file, const char* member) {
  return json::stringMember(file, member);
}

}  // namespace

std::string SettingsImportError::localizedDescription() const {
  switch (errorCase) {
    case Case::tooLarge:
      return fmt::format("The text is longer than a settings export can be ({} MB). Nothing was changed.",
                         UserSettings::kMaximumImportSize / (1024 * 1024));
    case Case::notAnExport: return "The text is not a settings export. Nothing was changed.";
    case Case::noUsableSettings:
      return fmt::format("None of its settings has a value that can be used ({}). Nothing was changed.",
                         fmt::join(skipped, ", "));
    case Case::notSaved: return notSavedMessage(saveFailure);
  }
  return {};
}

std::optional<std::string> UserSettings::exportSettings() const {
  json::Value file = {
      {plain::customSystemPrompt, *customSystemPrompt},
      {plain::useCustomPrompt, *useCustomPrompt},
      {plain::emailTone, rawValue(*emailTone)},
      {plain::responseLength, rawValue(*responseLength)},
      {plain::includeContext, *includeContext},
      {plain::autoSuggestReplies, *autoSuggestReplies},
  };
  // Fails, rather than throws, on a prompt that is not valid UTF-8.
  auto text = json::serializePretty(file);
  if (!text) return std::nullopt;
  return *text;
}

std::expected<SettingsImport, SettingsImportError> UserSettings::importSettings(std::string_view text) {
  using Case = SettingsImportError::Case;
  if (text.size() > kMaximumImportSize) return std::unexpected(SettingsImportError{Case::tooLarge, {}, {}});
  // The strict reader refuses text that is not UTF-8 and a top-level scalar.
  auto file = json::parse(text);
  if (!file || !file->is_object()) return std::unexpected(SettingsImportError{Case::notAnExport, {}, {}});

  // What the screen shows and the suite holds, should the suite not take the import.
  const auto before = std::make_tuple(*customSystemPrompt, *useCustomPrompt, *emailTone, *responseLength,
                                      *includeContext, *autoSuggestReplies);
  const std::pair<const char*, Member> members[] = {
      {plain::customSystemPrompt, importMember(*file, plain::customSystemPrompt, customSystemPrompt, textMember)},
      {plain::useCustomPrompt, importMember(*file, plain::useCustomPrompt, useCustomPrompt, flagMember)},
      {plain::emailTone, importMember(*file, plain::emailTone, emailTone, rawValueMember<EmailTone>)},
      {plain::responseLength, importMember(*file, plain::responseLength, responseLength, rawValueMember<ResponseLength>)},
      {plain::includeContext, importMember(*file, plain::includeContext, includeContext, flagMember)},
      {plain::autoSuggestReplies, importMember(*file, plain::autoSuggestReplies, autoSuggestReplies, flagMember)},
  };
  std::vector<std::string> skipped;
  bool applied = false;
  for (const auto& [name, outcome] : members) {
    if (outcome == Member::skipped) skipped.emplace_back(name);
    applied = applied || outcome == Member::applied;
  }
  if (!applied)
    return std::unexpected(SettingsImportError{skipped.empty() ? Case::notAnExport : Case::noUsableSettings,
                                               std::move(skipped), {}});

  saveSettings();
  if (auto failure = *saveFailure) {
    // Back to what was there, saved again so that the values waiting for the
    // suite are those the screen shows, not the refused import.
    std::tie(customSystemPrompt, useCustomPrompt, emailTone, responseLength, includeContext, autoSuggestReplies) = before;
    saveSettings();
    return std::unexpected(SettingsImportError{Case::notSaved, {}, std::move(*failure)});
  }
  return SettingsImport{std::move(skipped)};
}

}  // namespace mervo
