#include "QuotedServerText.hpp"

#include "foundation/Text.hpp"

namespace firebase::vertexai {
namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

// The second byte of a C1 control character (U+0080 to U+009F) after 0xC2.
bool isC1Continuation(unsigned char c) { return c >= 0x80 && c <= 0x9F; }

}  // namespace

std::string quotedServerText(std::string_view text, std::size_t maxCharacters) {
  const std::string cut = platform::text::truncated(platform::text::repairUTF8(text), maxCharacters);
  std::string quoted;
  quoted.reserve(cut.size());
  for (std::size_t i = 0; i < cut.size(); ++i) {
    const auto c = static_cast<unsigned char>(cut[i]);
    if (c == '\r') {
      quoted += '\n';
      if (i + 1 < cut.size() && cut[i + 1] == '\n') ++i;
    } else if (c == '\n' || c == '\t') {
      quoted += cut[i];
    } else if (c < 0x20 || c == 0x7F) {
      quoted += kReplacementCharacter;
    } else if (c == 0xC2 && i + 1 < cut.size() && isC1Continuation(static_cast<unsigned char>(cut[i + 1]))) {
      quoted += kReplacementCharacter;
      ++i;
    } else {
      quoted += cut[i];
    }
  }
  return quoted;
}

}  // namespace firebase::vertexai
