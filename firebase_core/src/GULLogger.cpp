#include "firebase_core/GULLogger.hpp"

#include <atomic>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>

#include "firebase_core/GULAppEnvironmentUtil.hpp"
#include "foundation/Dispatch.hpp"

namespace firebase {

namespace {

struct LoggerState {
  std::atomic<int> level{kGULLoggerLevelNotice};
  std::atomic<bool> forcedDebug{false};
  std::mutex versionMutex;
  std::string version;
  platform::DispatchQueue queue{"GULLoggingClientQueue"};
  // Touched only on the queue.
  std::map<std::string, std::map<std::string, std::unique_ptr<platform::OSLog>>> logs;
};

LoggerState& state() {
  // Never destroyed, since lines may be logged while the process exits; the
  // lines still queued at a normal exit are written first.
  static LoggerState* shared = [] {
    auto* created = new LoggerState();
    std::atexit([] { state().queue.sync([] {}); });
    return created;
  }();
  return *shared;
}

}  // namespace

void GULLoggerInitialize() { state(); }

void GULLoggerForceDebug() {
  if (GULAppEnvironmentUtil::isFromAppStore()) return;
  state().forcedDebug = true;
  state().level = kGULLoggerLevelDebug;
}

void GULSetLoggerLevel(int level) {
  if (level < kGULLoggerLevelError || level > kGULLoggerLevelDebug) {
    GULOSLog(kGULLoggerLevelError, kGULLoggerSubsystem, "[GULLogger]", true, "I-COR000023", "Invalid logger level, {}",
             level);
    return;
  }
  if (level >= kGULLoggerLevelNotice && GULAppEnvironmentUtil::isFromAppStore()) return;
  state().level = level;
}

int GULGetLoggerLevel() { return state().level; }

bool GULIsLoggableLevel(int level) { return state().forcedDebug || level <= state().level; }

void GULLoggerRegisterVersion(const std::string& version) {
  std::lock_guard lock(state().versionMutex);
  state().version = version;
}

platform::LogType GULLoggerLevelToOSLogType(int level) {
  switch (level) {
    case kGULLoggerLevelWarning:
    case kGULLoggerLevelNotice:
      return platform::LogType::defaultLevel;
    case kGULLoggerLevelInfo:
      return platform::LogType::info;
    case kGULLoggerLevelDebug:
      return platform::LogType::debug;
    default:
      return platform::LogType::error;
  }
}

bool GULWouldLog(int level, bool force) { return force || GULIsLoggableLevel(level); }

void GULOSLogBasic(int level, std::string_view subsystem, std::string_view category, bool force,
                   std::string_view messageCode, std::string_view message) {
  if (!GULWouldLog(level, force)) return;
  LoggerState& shared = state();
  std::string version;
  {
    std::lock_guard lock(shared.versionMutex);
    version = shared.version;
  }
  std::string line = fmt::format("{} - {}[{}] {}", version, category, messageCode, message);
  // Written later, on the queue, but in its place among the console's lines:
  // a failure's own last line is not overtaken by a line logged before it.
  shared.queue.async([&shared, subsystem = std::string(subsystem), category = std::string(category),
                      line = std::move(line), type = GULLoggerLevelToOSLogType(level),
                      place = platform::log_output::reserve()] {
    auto& log = shared.logs[subsystem][category];
    if (!log) log = std::make_unique<platform::OSLog>(subsystem, category);
    log->log(type, line, place);
  });
}

void GULLoggerDrain() {
  state().queue.sync([] {});
}

void GULLoggerResetForTesting() {
  state().level = kGULLoggerLevelNotice;
  state().forcedDebug = false;
}

}  // namespace firebase
