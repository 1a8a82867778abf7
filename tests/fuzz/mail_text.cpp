// Header text and charsets over any bytes: the input's first line names a
// charset, the rest is text in it; the whole input is also read as a header
// field. Whatever they hold, every text handed on is UTF-8, and the text
// decoded from a charset holds no NULs.
#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/Text.hpp"
#include "mailkit/Charsets.hpp"
#include "mailkit/EncodedWords.hpp"

namespace {

void requireUTF8(const std::string& text) {
  if (!platform::text::isValidUTF8(text)) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::size_t lineEnd = bytes.find('\n');
  std::string charset = bytes.substr(0, lineEnd);
  std::string text = lineEnd == std::string::npos ? "" : bytes.substr(lineEnd + 1);
  std::string decoded = mailkit::textInUTF8(text, charset);
  requireUTF8(decoded);
  if (decoded.find('\0') != std::string::npos) __builtin_trap();

  requireUTF8(mailkit::decodedHeaderText(bytes));
  requireUTF8(mailkit::withEncodedWordsJoined(bytes));
  return 0;
}
