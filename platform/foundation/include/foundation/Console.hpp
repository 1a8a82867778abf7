#pragma once

#include <functional>
#include <string_view>

namespace platform::console {

// Writes one line (a line feed is added) to standard output, whole even when
// several threads print at once and in its order among every log line of
// the process (LogOutput.hpp), as a diagnostic line: addresses' user
// information masked and control characters escaped (DiagnosticText.hpp).
void print(std::string_view line);

// Routes printed lines elsewhere, as they would have been written (tests read
// them); an empty function restores standard output.
void setSink(std::function<void(std::string_view line)> sink);

}  // namespace platform::console
