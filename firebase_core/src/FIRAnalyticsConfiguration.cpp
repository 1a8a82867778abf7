#include "firebase_core/FIRAnalyticsConfiguration.hpp"

#include <cstdint>

#include "foundation/NotificationCenter.hpp"
#include "foundation/UserDefaults.hpp"

namespace firebase {

namespace {
constexpr std::int64_t kMeasurementEnabled = 1;
constexpr std::int64_t kMeasurementDisabled = 2;
}  // namespace

FIRAnalyticsConfiguration& FIRAnalyticsConfiguration::sharedInstance() {
  static FIRAnalyticsConfiguration shared;
  return shared;
}

void FIRAnalyticsConfiguration::setAnalyticsCollectionEnabled(bool enabled) {
  setAnalyticsCollectionEnabled(enabled, true);
}

void FIRAnalyticsConfiguration::setAnalyticsCollectionEnabled(bool enabled, bool persistSetting) {
  if (persistSetting) {
    auto& defaults = platform::UserDefaults::standard();
    defaults.set(kFIRAPersistedConfigMeasurementEnabledStateKey, enabled ? kMeasurementEnabled : kMeasurementDisabled);
    defaults.synchronize();
  }
  postNotificationName(kFIRAnalyticsConfigurationSetEnabledNotification, enabled);
}

void FIRAnalyticsConfiguration::postNotificationName(const std::string& name, bool value) {
  if (name.empty()) return;
  platform::NotificationCenter::defaultCenter().post(platform::Notification{name, this, {{name, value}}});
}

}  // namespace firebase
