#pragma once

#include <fmt/format.h>

#include <string>
#include <string_view>
#include <utility>

#include "foundation/OSLog.hpp"

// The bottom tier of the core's logging: a process-wide level, a forced-debug
// flag and one ordered writer. Lines are filtered and formatted on the
// caller's thread and written, in order, on the serial queue
// "GULLoggingClientQueue" to the system log stand-in (platform::OSLog), each
// at the place in the process's log output it took when it was logged.
namespace firebase {

// A higher number is more verbose; a line passes when its level is at most
// the current one.
enum GULLoggerLevel : int {
  kGULLoggerLevelError = 3,
  kGULLoggerLevelWarning = 4,
  kGULLoggerLevelNotice = 5,
  kGULLoggerLevelInfo = 6,
  kGULLoggerLevelDebug = 7,
};

inline constexpr const char* kGULLoggerSubsystem = "com.google.utilities.logger";

void GULLoggerInitialize();
// Turns debug output on for good (level 7), unless the build is from the App Store.
void GULLoggerForceDebug();
// Levels outside 3...7 are refused with an error line "I-COR000023".
void GULSetLoggerLevel(int level);
int GULGetLoggerLevel();
bool GULIsLoggableLevel(int level);
// The version that leads every line.
void GULLoggerRegisterVersion(const std::string& version);
platform::LogType GULLoggerLevelToOSLogType(int level);

// Whether a line of that level would be written; formatting waits for this.
bool GULWouldLog(int level, bool force);

// The one writer: the line reads "<version> - <category>[<code>] <message>".
// The message is written as given.
void GULOSLogBasic(int level, std::string_view subsystem, std::string_view category, bool force,
                   std::string_view messageCode, std::string_view message);

// Formats only when the line will be written.
template <typename... Args>
void GULOSLog(int level, std::string_view subsystem, std::string_view category, bool force,
              std::string_view messageCode, fmt::format_string<Args...> format, Args&&... args) {
  if (!GULWouldLog(level, force)) return;
  GULOSLogBasic(level, subsystem, category, force, messageCode, fmt::format(format, std::forward<Args>(args)...));
}

// Waits until every line handed over so far has been written.
void GULLoggerDrain();

// Back to the start-up state (level 5, no forced debug); for tests.
void GULLoggerResetForTesting();

}  // namespace firebase
