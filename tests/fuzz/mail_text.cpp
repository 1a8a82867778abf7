// Header text, charsets and body text over any bytes: the input's first line
// names a charset, the rest is text in it; the whole input is also read as a
// header field, as plain text (fixed and flowed) and as HTML. Whatever they
// hold, every text handed on is UTF-8, and the text decoded from a charset
// and the text read of HTML hold no NULs.
#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/Text.hpp"
#include "mailkit/Charsets.hpp"
#include "mailkit/EncodedWords.hpp"
#include "mailkit/HTMLToPlainText.hpp"
#include "mailkit/PlainText.hpp"

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

  requireUTF8(mailkit::readPlainText(bytes));
  requireUTF8(mailkit::readPlainText(bytes, {.flowed = true, .deleteSpace = (size % 2) == 1}));
  std::string html = mailkit::htmlToPlainText(bytes);
  requireUTF8(html);
  if (html.find('\0') != std::string::npos) __builtin_trap();
  return 0;
}
