#include <chrono>
#include <ctime>

#include <fmt/chrono.h>

#include "foundation/UserDefaults.hpp"
#include "router/ExtensionConfig.hpp"

namespace quorbel {
namespace {
constexpr std::size_t kKeptLines = 20;
constexpr const char* kDebugLogsKey = "extension_debug_logs";
}  // namespace

void logExtensionDebug(const std::string& message) {
  auto suite = platform::UserDefaults::suite(ExtensionConfig::value("APP_GROUP_ID", "group.tesvarin.quorbel"));
  platform::UserDefaults& defaults = suite ? *suite : platform::UserDefaults::standard();

  // In UTC, as the line says: fmt formats a bare time point in local time.
  std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::string line = fmt::format("[{:%Y-%m-%d %H:%M:%S} +0000] {}", fmt::gmtime(now), message);

  auto lines = defaults.stringArray(kDebugLogsKey).value_or(std::vector<std::string>{});
  lines.push_back(std::move(line));
  if (lines.size() > kKeptLines) lines.erase(lines.begin(), lines.end() - kKeptLines);

  platform::PropertyValue::Array stored(lines.begin(), lines.end());
  defaults.set(kDebugLogsKey, std::move(stored));
  defaults.synchronize();
}

}  // namespace quorbel
