#include "compose/QuotedMessage.hpp"

#include "foundation/Text.hpp"
#include "mailkit/MessageFile.hpp"
#include "router/ExtensionConfig.hpp"

namespace quorbel {

namespace {

constexpr std::size_t kLargestTextWithoutHeaders = 5000;

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
  // Of alternatives the HTML: the most faithful form of the original.
  std::string quoted = mailkit::readableBodyText(message.body(), mailkit::BodyPart::Kind::htmlText);
  // Said in the quote, as for the other originals that cannot be read: the
  // model is told, and the draft is still written.
  return !quoted.empty() ? quoted : "[The original message has no text that could be read.]";
}

}  // namespace quorbel
