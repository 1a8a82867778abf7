#include "compose/QuotedMessage.hpp"

#include <algorithm>
#include <vector>

#include "compose/HTMLToPlainText.hpp"
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

// What a body part gives the quote, in order: a text part its plain text,
// unless that is blank; a sequence every part in turn; alternatives the most
// faithful one that gives any text, HTML before plain.
std::vector<QuotedPiece> quotedPieces(const mailkit::BodyPart& part) {
  using Kind = mailkit::BodyPart::Kind;
  std::vector<QuotedPiece> pieces;
  switch (part.kind) {
    case Kind::plainText:
    case Kind::htmlText: {
      std::string text = htmlToPlainText(part.text);
      if (!platform::text::isBlank(text)) pieces.push_back({std::move(text), part.kind == Kind::htmlText});
      break;
    }
    case Kind::sequence:
      for (const auto& inner : part.parts) std::ranges::move(quotedPieces(inner), std::back_inserter(pieces));
      break;
    case Kind::alternatives: {
      bool chosenIsHTML = false;
      for (const auto& alternative : part.parts) {
        auto candidate = quotedPieces(alternative);
        bool isHTML = std::ranges::any_of(candidate, &QuotedPiece::fromHTML);
        if (candidate.empty() || (chosenIsHTML && !isHTML)) continue;
        pieces = std::move(candidate);
        chosenIsHTML = isHTML;
      }
      break;
    }
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
  return joined(quotedPieces(message.body()));
}

}  // namespace quorbel
