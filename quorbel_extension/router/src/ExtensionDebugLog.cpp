#include <chrono>
#include <ctime>

#include <fmt/chrono.h>

#include "foundation/UserDefaults.hpp"
#include "router/ExtensionConfig.hpp"
#include "shared_settings/SuiteKeys.hpp"

namespace quorbel {
namespace {
constexpr std::size_t kKeptLines = 20;
}  // namespace

void logExtensionDebug(const std::string& message) {
  auto suite = platform::UserDefaults::suite(ExtensionConfig::value("APP_GROUP_ID", suite_defaults::appGroupID));
  platform::UserDefaults& defaults = suite ? *suite : platform::UserDefaults::standard();

  // In UTC, as the line says: fmt formats a bare time point in local time.
  std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::string line = fmt::format("[{:%Y-%m-%d %H:%M:%S} +0000] {}", fmt::gmtime(now), message);

  auto lines = defaults.stringArray(suite_keys::extensionDebugLogs).value_or(std::vector<std::string>{});
  lines.push_back(std::move(line));
  if (lines.size() > kKeptLines) lines.erase(lines.begin(), lines.end() - kKeptLines);

  platform::PropertyValue::Array stored(lines.begin(), lines.end());
  defaults.set(suite_keys::extensionDebugLogs, std::move(stored));
  // A debug line need not outlive a crash; the rest of the file does, and
  // the write never risks it.
  defaults.synchronize(platform::files::Durability::mayRevertOnCrash);
}

}  // namespace quorbel
