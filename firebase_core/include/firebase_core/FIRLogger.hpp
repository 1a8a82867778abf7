#pragma once

#include <string_view>
#include <utility>

#include "firebase_core/GULLogger.hpp"

// The core's logging: GULLogger with the subsystem "com.google.firebase", the
// core version leading every line, and the debug switch read once from the
// launch arguments ("-FIRDebugEnabled" turns debug output on and keeps it on
// through later launches, "-FIRDebugDisabled" turns it off again).
//
// Services are categories such as "[FirebaseCore]" or "[FirebaseVertexAI]";
// message codes look like "I-COR000035" and are passed through unchecked.
namespace firebase {

inline constexpr const char* kFIRLoggerSubsystem = "com.google.firebase";
inline constexpr const char* kFIRLoggerCore = "[FirebaseCore]";
inline constexpr const char* kFIRLoggerAnalytics = "[FirebaseAnalytics]";
// Standard user defaults, BOOL.
inline constexpr const char* kFIRPersistedDebugModeKey = "/google/firebase/debug_mode";

void FIRLoggerInitialize();
void FIRSetAnalyticsDebugMode(bool enabled);
int FIRGetLoggerLevel();
void FIRSetLoggerLevel(int level);
bool FIRIsLoggableLevel(int level, bool analyticsComponent);

// Writes one line of a service; the message is written as given, with no
// format processing (what the Vertex AI client's logger calls).
void FIRLogBasic(int level, std::string_view service, std::string_view messageCode, std::string_view message);

// Whether FIRLogBasic would write a line of that level for the service.
bool FIRWouldLog(int level, std::string_view service);

// Formats only when the line will be written.
template <typename... Args>
void FIRLog(int level, std::string_view service, std::string_view messageCode, fmt::format_string<Args...> format,
            Args&&... args) {
  if (!FIRWouldLog(level, service)) return;
  FIRLogBasic(level, service, messageCode, fmt::format(format, std::forward<Args>(args)...));
}

// Runs the start-up again on next use; for tests of the debug switch.
void FIRLoggerResetForTesting();

}  // namespace firebase
