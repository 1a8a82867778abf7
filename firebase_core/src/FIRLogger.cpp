#include "firebase_core/FIRLogger.hpp"

#include <algorithm>
#include <atomic>
#include <mutex>

#include "firebase_core/Version.hpp"
#include "foundation/Bundle.hpp"
#include "foundation/UserDefaults.hpp"

namespace firebase {

namespace {

std::mutex startUpMutex;
// Read without the mutex on every line, so that a line below the level costs
// no lock.
std::atomic<bool> startedUp{false};
std::atomic<bool> analyticsDebugMode{false};

bool launchArgumentsContain(const std::string& argument) {
  const auto& arguments = platform::process_info::arguments();
  return std::find(arguments.begin(), arguments.end(), argument) != arguments.end();
}

void startUp() {
  GULLoggerRegisterVersion(FIRFirebaseVersion());
  auto& defaults = platform::UserDefaults::standard();
  GULLoggerInitialize();
  if (launchArgumentsContain("-FIRDebugDisabled")) {
    defaults.remove(kFIRPersistedDebugModeKey);
  } else if (launchArgumentsContain("-FIRDebugEnabled") || defaults.boolean(kFIRPersistedDebugModeKey)) {
    defaults.set(kFIRPersistedDebugModeKey, true);
    GULLoggerForceDebug();
  }
}

}  // namespace

void FIRLoggerInitialize() {
  if (startedUp.load(std::memory_order_acquire)) return;
  std::lock_guard lock(startUpMutex);
  if (startedUp.load(std::memory_order_relaxed)) return;
  startUp();
  startedUp.store(true, std::memory_order_release);
}

void FIRSetAnalyticsDebugMode(bool enabled) {
  FIRLoggerInitialize();
  analyticsDebugMode = enabled;
}

int FIRGetLoggerLevel() {
  FIRLoggerInitialize();
  return GULGetLoggerLevel();
}

void FIRSetLoggerLevel(int level) {
  FIRLoggerInitialize();
  GULSetLoggerLevel(level);
}

bool FIRIsLoggableLevel(int level, bool analyticsComponent) {
  FIRLoggerInitialize();
  if (analyticsDebugMode && analyticsComponent) return true;
  return GULIsLoggableLevel(level);
}

namespace {
bool forcedFor(std::string_view service) { return analyticsDebugMode && service == kFIRLoggerAnalytics; }
}  // namespace

bool FIRWouldLog(int level, std::string_view service) {
  FIRLoggerInitialize();
  return GULWouldLog(level, forcedFor(service));
}

void FIRLogBasic(int level, std::string_view service, std::string_view messageCode, std::string_view message) {
  FIRLoggerInitialize();
  GULOSLogBasic(level, kFIRLoggerSubsystem, service, forcedFor(service), messageCode, message);
}

void FIRLoggerResetForTesting() {
  std::lock_guard lock(startUpMutex);
  startedUp = false;
  analyticsDebugMode = false;
  GULLoggerResetForTesting();
}

}  // namespace firebase
