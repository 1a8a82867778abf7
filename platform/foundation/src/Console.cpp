#include "foundation/Console.hpp"

#include <string>

#include "foundation/DiagnosticText.hpp"
#include "foundation/LogOutput.hpp"

namespace platform::console {
namespace {
// Read and replaced only by lines of the log output, one at a time.
std::function<void(std::string_view)>& sinkSlot() {
  static auto* sink = new std::function<void(std::string_view)>();
  return *sink;
}
}  // namespace

void print(std::string_view line) {
  log_output::writeNext([out = diagnosticText(line)] {
    if (auto& sink = sinkSlot())
      sink(out);
    else
      log_output::writeLine(log_output::Stream::standardOutput, out);
  });
}

// In the order of the lines: those printed before go where lines went then.
void setSink(std::function<void(std::string_view line)> sink) {
  log_output::writeNext([sink = std::move(sink)]() mutable { sinkSlot() = std::move(sink); });
}

}  // namespace platform::console
