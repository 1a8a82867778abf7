#include "shared_settings/DeploymentValues.hpp"

#include <map>
#include <mutex>

#include "foundation/AtomicFile.hpp"
#include "foundation/Bundle.hpp"
#include "foundation/FileStamp.hpp"
#include "foundation/Text.hpp"

namespace quorbel::deployment {
namespace {

std::string stripQuotesAtEnds(std::string_view value) {
  auto isQuote = [](char c) { return c == '"' || c == '\''; };
  while (!value.empty() && isQuote(value.front())) value.remove_prefix(1);
  while (!value.empty() && isQuote(value.back())) value.remove_suffix(1);
  return std::string(value);
}

// The bundle's ".env" as last read, and the answers already looked up in it.
// A request looks up a dozen values, most of them several times (the debug
// switch at nearly every line), so the file is read once and then only
// looked at, until it changes.
class DotEnvResource {
 public:
  std::optional<std::string> value(const std::string& key) {
    std::lock_guard lock(mutex_);
    refreshIfChanged();
    if (auto known = answers_.find(key); known != answers_.end()) return known->second;
    std::optional<std::string> answer = text_ ? dotEnvValue(*text_, key) : std::nullopt;
    answers_.emplace(key, answer);
    return answer;
  }

 private:
  void refreshIfChanged() {
    if (!stampCheck_.due()) return;
    // Tests and installed layouts may point the main bundle elsewhere.
    auto path = platform::Bundle::main().resourcePath() / ".env";
    // Looked at before it is read: a change while it is read shows at the
    // next lookup.
    auto stamp = platform::files::stampOf(path);
    if (path == path_ && stamp == stamp_ && stamp.isReliable()) return;
    path_ = std::move(path);
    stamp_ = stamp;
    answers_.clear();
    auto read = platform::files::readWholeFile(path_, kMaximumDotEnvBytes);
    text_ = read ? std::optional<std::string>(std::move(*read)) : std::nullopt;
  }

  std::mutex mutex_;
  std::filesystem::path path_;
  platform::files::FileStamp stamp_;
  platform::files::ScopedStampCheck stampCheck_;
  std::optional<std::string> text_;
  std::map<std::string, std::optional<std::string>, std::less<>> answers_;
};

DotEnvResource& dotEnvResource() {
  static auto* resource = new DotEnvResource();  // never destroyed: lookups may come late at exit
  return *resource;
}

}  // namespace

std::string value(const std::string& key, const std::string& defaultValue) {
  if (auto fromEnvironment = platform::process_info::environmentValue(key); fromEnvironment && !fromEnvironment->empty())
    return *fromEnvironment;
  if (auto fromFile = dotEnvResourceValue(key); fromFile && !fromFile->empty()) return *fromFile;
  return defaultValue;
}

std::optional<std::string> dotEnvResourceValue(const std::string& key) { return dotEnvResource().value(key); }

std::optional<std::string> dotEnvValue(std::string_view text, const std::string& key) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  if (!platform::text::isValidUTF8(text)) return std::nullopt;
  const std::string prefix = key + "=";
  for (const auto& rawLine : platform::text::splitAtNewlines(text)) {
    std::string line = platform::text::trimWhitespaceAndNewlines(rawLine);
    // The first matching line decides, even when its value is empty.
    if (line.starts_with(prefix)) return stripQuotesAtEnds(std::string_view(line).substr(prefix.size()));
  }
  return std::nullopt;
}

bool isDebugLoggingEnabled() {
  std::string setting = value("DEBUG_LOGGING", "false");
  return platform::text::lowercased(setting) == "true" || setting == "1";
}

}  // namespace quorbel::deployment
