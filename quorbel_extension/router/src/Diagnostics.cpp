#include "Diagnostics.hpp"

#include "foundation/Text.hpp"

namespace quorbel::diagnostics {

std::string systemPromptSummary(const std::optional<std::string>& systemPrompt) {
  if (!systemPrompt) return "none";
  return fmt::format("provided ({} chars)", platform::text::characterCount(*systemPrompt));
}

std::string durationLine(double seconds) { return fmt::format("  ⏱️ Request duration: {:.2f}s", seconds); }

std::optional<std::string> printableBody(std::string_view bytes, std::size_t limit) {
  if (!platform::text::isValidUTF8(bytes)) return std::nullopt;
  return platform::text::truncated(bytes, limit);
}

}  // namespace quorbel::diagnostics
