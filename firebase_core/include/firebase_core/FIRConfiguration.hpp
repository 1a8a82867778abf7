#pragma once

#include <mutex>

#include "firebase_core/FIRAnalyticsConfiguration.hpp"

namespace firebase {

// The process-wide configuration: the logger level and the analytics switch.
class FIRConfiguration {
 public:
  static FIRConfiguration& sharedInstance();

  // Levels outside 3...7 are a programming error (std::invalid_argument).
  void setLoggerLevel(int level);
  int loggerLevel();

  FIRAnalyticsConfiguration& analyticsConfiguration() const { return *analyticsConfiguration_; }
  void setAnalyticsConfiguration(FIRAnalyticsConfiguration& configuration) { analyticsConfiguration_ = &configuration; }

 private:
  FIRConfiguration() = default;
  std::mutex mutex_;
  FIRAnalyticsConfiguration* analyticsConfiguration_ = &FIRAnalyticsConfiguration::sharedInstance();
};

}  // namespace firebase
