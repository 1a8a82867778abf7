#include "compose/QuotedMessage.hpp"

#include <algorithm>
#include <ranges>
#include <vector>

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include "foundation/Text.hpp"
#include "mailkit/MessageFile.hpp"
#include "router/ExtensionConfig.hpp"

namespace quorbel {

namespace {

constexpr std::size_t kLargestTextWithoutHeaders = 5000;

// A text the quote is made of, plain already, and whether it was HTML.
struct QuotedPiece {
  std::string text;
  bool fromHTML = false;
};

// Whether the text holds anything but white space; it stops at the first
// character that is not, where a trim would walk the whole text.
bool hasText(std::string_view text) {
  const auto length = static_cast<int32_t>(std::min<std::size_t>(text.size(), INT32_MAX));
  for (int32_t at = 0; at < length;) {
    UChar32 c;
    U8_NEXT(text.data(), at, length, c);
    if (c < 0 || !u_isUWhiteSpace(c)) return true;
  }
  return false;
}

// What a body part gives the quote, in order: a text part what a person
// reads of it, unless that is blank; a sequence every part in turn; alternatives the most
// faithful one that gives any text, HTML before plain.
std::vector<QuotedPiece> quotedPieces(const mailkit::BodyPart& part) {
  using Kind = mailkit::BodyPart::Kind;
  std::vector<QuotedPiece> pieces;
  switch (part.kind) {
    case Kind::plainText:
    case Kind::htmlText: {
      std::string text = mailkit::readableText(part);
      if (hasText(text)) pieces.push_back({std::move(text), part.kind == Kind::htmlText});
      break;
    }
    case Kind::sequence:
      for (const auto& inner : part.parts) std::ranges::move(quotedPieces(inner), std::back_inserter(pieces));
      break;
    case Kind::alternatives:
      // The most faithful stands last: looked at first, and the others only
      // while no HTML with text is found.
      for (const auto& alternative : std::views::reverse(part.parts)) {
        auto candidate = quotedPieces(alternative);
        if (std::ranges::any_of(candidate, &QuotedPiece::fromHTML)) return candidate;
        if (pieces.empty()) pieces = std::move(candidate);
      }
      break;
  }
  return pieces;
}

// One piece as it is; several with a blank line between them.
std::string joined(const std::vector<QuotedPiece>& pieces) {
  if (pieces.size() == 1) return pieces.front().text;
  std::string text;
  for (const auto& piece : pieces) {
    if (!text.empty()) text += "\n\n";
    text += platform::text::trimWhitespaceAndNewlines(piece.text);
  }
  return text;
}

}  // namespace

std::string quotedMessageText(const mailkit::MEComposeContext& context, const platform::OSLog& logger) {
  if (!context.originalMessage) return "[No original message to quote.]";
  const auto& raw = context.originalMessage->rawData;
  if (!raw) return "[Original message rawData is nil or could not be decoded to UTF-8]";
  if (ExtensionConfig::isDebugLoggingEnabled())
    logger.log(platform::LogType::defaultLevel, "Original Quoted HTML: " + *raw);
  auto message = mailkit::MessageFile::parse(*raw);
  // Data that is no mail message has no body to isolate; a short text is
  // taken whole, a long one would only bury the prompt.
  if (!message.hasHeaderFields() && platform::text::characterCount(message.body().text) > kLargestTextWithoutHeaders)
    return "[Could not reliably isolate message body. Raw data too large.]";
  std::string quoted = joined(quotedPieces(message.body()));
  // Said in the quote, as for the other originals that cannot be read: the
  // model is told, and the draft is still written.
  return hasText(quoted) ? quoted : "[The original message has no text that could be read.]";
}

}  // namespace quorbel
