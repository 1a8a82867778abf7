#pragma once

#include <string>

namespace firebase {

// The analytics collection switch. Nothing in this system collects
// analytics; the switch is kept and announced for the libraries that would.
class FIRAnalyticsConfiguration {
 public:
  static FIRAnalyticsConfiguration& sharedInstance();

  // Persists 1 (enabled) or 2 (disabled) in standard user defaults.
  void setAnalyticsCollectionEnabled(bool enabled);
  void setAnalyticsCollectionEnabled(bool enabled, bool persistSetting);

 private:
  FIRAnalyticsConfiguration() = default;
  void postNotificationName(const std::string& name, bool value);
};

inline constexpr const char* kFIRAnalyticsConfigurationSetEnabledNotification =
    "FIRAnalyticsConfigurationSetEnabledNotification";
inline constexpr const char* kFIRAPersistedConfigMeasurementEnabledStateKey =
    "/google/measurement/measurement_enabled_state";

}  // namespace firebase
