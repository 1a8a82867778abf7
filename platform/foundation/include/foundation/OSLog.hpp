#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace platform {

enum class LogType { debug, info, defaultLevel, error, fault };

// A structured log handle: lines go to standard error, tagged with the
// subsystem and category, as the system log would show them. Standard error
// shows each message as a diagnostic line (DiagnosticText.hpp): addresses'
// user information masked, control characters and line breaks escaped.
class OSLog {
 public:
  OSLog(std::string subsystem, std::string category);
  void log(LogType type, std::string_view message) const;
  const std::string& subsystem() const { return subsystem_; }
  const std::string& category() const { return category_; }

 private:
  std::string subsystem_;
  std::string category_;
};

namespace oslog {
// Routes the messages, as they were logged, elsewhere (tests read them);
// empty restores standard error.
void setSink(std::function<void(const OSLog& log, LogType type, std::string_view message)> sink);
}  // namespace oslog

}  // namespace platform
