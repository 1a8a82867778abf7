#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "foundation/LogOutput.hpp"

namespace platform {

enum class LogType { debug, info, defaultLevel, error, fault };

// A structured log handle: lines go to standard error, tagged with the
// subsystem and category, as the system log would show them. Standard error
// shows each message as a diagnostic line (DiagnosticText.hpp): addresses'
// user information masked, control characters and line breaks escaped.
// Lines go through the process's one log output (LogOutput.hpp), so they
// keep their order with the console's.
class OSLog {
 public:
  OSLog(std::string subsystem, std::string category);
  void log(LogType type, std::string_view message) const;
  // A message logged earlier, at the place it took then in the output.
  void log(LogType type, std::string_view message, log_output::Place place) const;
  const std::string& subsystem() const { return subsystem_; }
  const std::string& category() const { return category_; }

 private:
  std::function<void()> lineWriter(LogType type, std::string_view message) const;

  std::string subsystem_;
  std::string category_;
};

namespace oslog {
// Routes the messages, as they were logged, elsewhere (tests read them);
// empty restores standard error.
void setSink(std::function<void(const OSLog& log, LogType type, std::string_view message)> sink);
}  // namespace oslog

}  // namespace platform
