#include "foundation/Console.hpp"

#include <cstdio>
#include <mutex>
#include <string>

#include "foundation/DiagnosticText.hpp"

namespace platform::console {
namespace {
std::mutex& consoleMutex() {
  static std::mutex m;
  return m;
}
std::function<void(std::string_view)>& sinkSlot() {
  static std::function<void(std::string_view)> sink;
  return sink;
}
}  // namespace

void print(std::string_view line) {
  std::string out = diagnosticText(line);
  std::lock_guard lock(consoleMutex());
  if (auto& sink = sinkSlot()) {
    sink(out);
    return;
  }
  out += '\n';
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fflush(stdout);
}

void setSink(std::function<void(std::string_view line)> sink) {
  std::lock_guard lock(consoleMutex());
  sinkSlot() = std::move(sink);
}

}  // namespace platform::console
