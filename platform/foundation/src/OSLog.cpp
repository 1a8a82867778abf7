#include "foundation/OSLog.hpp"

#include <cstdio>
#include <mutex>

#include <fmt/format.h>

#include "foundation/DiagnosticText.hpp"

namespace platform {
namespace {
std::mutex& logMutex() {
  static std::mutex m;
  return m;
}
auto& sinkSlot() {
  static std::function<void(const OSLog&, LogType, std::string_view)> sink;
  return sink;
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

void OSLog::log(LogType type, std::string_view message) const {
  std::lock_guard lock(logMutex());
  if (auto& sink = sinkSlot()) {
    sink(*this, type, message);
    return;
  }
  auto line = fmt::format("[{}:{}] <{}> {}\n", subsystem_, category_, typeName(type), diagnosticText(message));
  std::fwrite(line.data(), 1, line.size(), stderr);
}

namespace oslog {
void setSink(std::function<void(const OSLog& log, LogType type, std::string_view message)> sink) {
  std::lock_guard lock(logMutex());
  sinkSlot() = std::move(sink);
}
}  // namespace oslog

}  // namespace platform
