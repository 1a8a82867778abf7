#include "sparkle/UpdaterConfiguration.hpp"

#include <algorithm>
#include <cmath>
#include <optional>

namespace sparkle {
namespace {

std::string infoString(const platform::Bundle& bundle, const std::string& key) {
  const auto* value = bundle.objectForInfoDictionaryKey(key);
  const auto* text = value ? value->asString() : nullptr;
  return text ? *text : std::string();
}

}  // namespace

UpdaterConfiguration UpdaterConfiguration::fromBundle(const platform::Bundle& bundle) {
  UpdaterConfiguration configuration;
  configuration.feedURL = infoString(bundle, "SUFeedURL");
  configuration.checkInterval = kDefaultCheckInterval;
  if (const auto* interval = bundle.objectForInfoDictionaryKey("SUScheduledCheckInterval")) {
    // Clamped as a real, which every number of the list fits, before it is
    // made whole; a real that is no number leaves the default.
    std::optional<double> seconds;
    if (const auto* whole = interval->asInteger()) seconds = static_cast<double>(*whole);
    else if (interval->isUnsignedInteger()) seconds = static_cast<double>(kMaximumCheckInterval.count());
    else if (const auto* real = interval->asReal(); real && !std::isnan(*real)) seconds = *real;
    if (seconds)
      configuration.checkInterval = std::chrono::seconds(static_cast<std::chrono::seconds::rep>(
          std::clamp(*seconds, static_cast<double>(kMinimumCheckInterval.count()),
                     static_cast<double>(kMaximumCheckInterval.count()))));
  }
  if (const auto* automatic = bundle.objectForInfoDictionaryKey("SUEnableAutomaticChecks"); automatic && automatic->asBool())
    configuration.automaticallyChecks = *automatic->asBool();
  configuration.hostName = infoString(bundle, "CFBundleDisplayName");
  if (configuration.hostName.empty()) configuration.hostName = infoString(bundle, "CFBundleName");
  configuration.hostVersion = infoString(bundle, "CFBundleVersion");
  configuration.hostDisplayVersion = infoString(bundle, "CFBundleShortVersionString");
  if (configuration.hostDisplayVersion.empty()) configuration.hostDisplayVersion = configuration.hostVersion;
  return configuration;
}

std::chrono::seconds delayUntilNextCheck(std::chrono::system_clock::time_point lastCheck, std::chrono::seconds interval,
                                         std::chrono::system_clock::time_point now) {
  if (lastCheck > now) return std::chrono::seconds(0);
  auto due = lastCheck + interval;
  if (due <= now) return std::chrono::seconds(0);
  return std::chrono::ceil<std::chrono::seconds>(due - now);
}

}  // namespace sparkle
