#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include <fmt/format.h>

#include "foundation/Console.hpp"
#include "router/ExtensionConfig.hpp"

namespace quorbel::diagnostics {

// The router's console lines are written only while debug logging is on,
// and the switch is read at every line so it can be flipped at run time.
inline bool enabled() { return ExtensionConfig::isDebugLoggingEnabled(); }

inline void debug(std::string_view line) {
  if (enabled()) platform::console::print(line);
}

template <typename... Args>
void debug(fmt::format_string<Args...> format, Args&&... args) {
  if (enabled()) platform::console::print(fmt::format(format, std::forward<Args>(args)...));
}

inline const char* boolText(bool value) { return value ? "true" : "false"; }

// "provided (N chars)" or "none".
std::string systemPromptSummary(const std::optional<std::string>& systemPrompt);

// How long a step took, as the console shows it: "  ⏱️ Request duration: 0.12s".
std::string durationLine(double seconds);

// A body's text cut to the limit, or nothing when the bytes are not UTF-8.
std::optional<std::string> printableBody(std::string_view bytes, std::size_t limit);

}  // namespace quorbel::diagnostics
