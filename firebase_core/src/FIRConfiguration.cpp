#include "firebase_core/FIRConfiguration.hpp"

#include <fmt/format.h>

#include <stdexcept>

#include "firebase_core/FIRLogger.hpp"

namespace firebase {

FIRConfiguration& FIRConfiguration::sharedInstance() {
  static FIRConfiguration shared;
  return shared;
}

void FIRConfiguration::setLoggerLevel(int level) {
  if (level < kGULLoggerLevelError || level > kGULLoggerLevelDebug) {
    throw std::invalid_argument(fmt::format("Invalid logger level, {}", level));
  }
  std::lock_guard lock(mutex_);
  FIRSetLoggerLevel(level);
}

int FIRConfiguration::loggerLevel() {
  std::lock_guard lock(mutex_);
  return FIRGetLoggerLevel();
}

}  // namespace firebase
