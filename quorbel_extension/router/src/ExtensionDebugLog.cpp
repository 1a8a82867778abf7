#include <algorithm>
#include <chrono>
#include <ctime>

#include <fmt/chrono.h>

#include "foundation/OSLog.hpp"
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

  // Read, appended to and written under the domain's lock: sessions that log
  // at the same time keep each other's lines.
  auto appended = defaults.update(suite_keys::extensionDebugLogs, [&](std::optional<platform::PropertyValue> stored) {
    platform::PropertyValue::Array lines;
    if (stored && stored->isArray() && std::ranges::all_of(*stored->asArray(), &platform::PropertyValue::isString))
      lines = *stored->asArray();
    lines.emplace_back(std::move(line));
    if (lines.size() > kKeptLines) lines.erase(lines.begin(), lines.end() - kKeptLines);
    return platform::PropertyValue(std::move(lines));
  }, platform::files::Durability::mayRevertOnCrash);  // a debug line need not outlive a crash
  if (!appended)
    platform::OSLog("com.holdrin.quorbel.extension", "ExtensionDebugLog")
        .log(platform::LogType::error, "Debug line not kept: " + appended.error()->localizedDescription());
}

}  // namespace quorbel
