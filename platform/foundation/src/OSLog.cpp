#include "foundation/OSLog.hpp"

#include <fmt/format.h>

#include "foundation/DiagnosticText.hpp"

namespace platform {
namespace {
// Read and replaced only by lines of the log output, one at a time.
auto& sinkSlot() {
  static auto* sink = new std::function<void(const OSLog&, LogType, std::string_view)>();
  return *sink;
}
const char* typeName(LogType type) {
  switch (type) {
    case LogType::debug: return "Debug";
    case LogType::info: return "Info";
    case LogType::defaultLevel: return "Default";
    case LogType::error: return "Error";
    case LogType::fault: return "Fault";
  }
  return "Default";
}
}  // namespace

OSLog::OSLog(std::string subsystem, std::string category)
    : subsystem_(std::move(subsystem)), category_(std::move(category)) {}

std::function<void()> OSLog::lineWriter(LogType type, std::string_view message) const {
  return [log = *this, type, message = std::string(message)] {
    if (auto& sink = sinkSlot()) {
      sink(log, type, message);
      return;
    }
    log_output::writeLine(log_output::Stream::standardError,
                          fmt::format("[{}:{}] <{}> {}", log.subsystem_, log.category_, typeName(type),
                                      diagnosticText(message)));
  };
}

void OSLog::log(LogType type, std::string_view message) const { log_output::writeNext(lineWriter(type, message)); }

void OSLog::log(LogType type, std::string_view message, log_output::Place place) const {
  log_output::writeAt(place, lineWriter(type, message));
}

namespace oslog {
// In the order of the lines, as the console's sink.
void setSink(std::function<void(const OSLog& log, LogType type, std::string_view message)> sink) {
  log_output::writeNext([sink = std::move(sink)]() mutable { sinkSlot() = std::move(sink); });
}
}  // namespace oslog

}  // namespace platform
