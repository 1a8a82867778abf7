#pragma once

#include <functional>
#include <string_view>

namespace platform::console {

// Writes one line (a line feed is added) to standard output, whole even when
// several threads print at once.
void print(std::string_view line);

// Routes printed lines elsewhere (tests read them); an empty function restores
// standard output.
void setSink(std::function<void(std::string_view line)> sink);

}  // namespace platform::console
