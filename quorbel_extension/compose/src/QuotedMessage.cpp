#include "compose/QuotedMessage.hpp"

#include "compose/HTMLToPlainText.hpp"
#include "foundation/Text.hpp"
#include "mailkit/MessageFile.hpp"
#include "router/ExtensionConfig.hpp"

namespace quorbel {

namespace {

constexpr std::size_t kLargestUnseparatedMessage = 5000;
constexpr const char* kUndecodable = "[Original message rawData is nil or could not be decoded to UTF-8]";

// The body that follows the blank line at `start`. A MIME body is handed
// over decoded, since Base64 or quoted-printable text means nothing to the
// model: its first HTML part, else its first plain part, else nothing (an
// attachment is never quoted). Any other body is taken as it stands.
std::string bodyAfter(const std::string& raw, std::size_t start) {
  auto message = mailkit::MessageFile::parse(raw);
  if (!message.hasMIMEBody()) return raw.substr(start);
  return message.htmlPart().or_else([&] { return message.plainPart(); }).value_or("");
}

std::string messageBody(const mailkit::MEComposeContext& context, const platform::OSLog& logger) {
  if (!context.originalMessage) return "[No original message to quote.]";
  const auto& raw = context.originalMessage->rawData;
  if (!raw) return kUndecodable;
  // A MIME body names the charset of each part, so an 8-bit part in another
  // charset is decoded with it rather than refused with the whole message.
  const bool utf8 = platform::text::isValidUTF8(*raw);
  if (!utf8 && !mailkit::MessageFile::parse(*raw).hasMIMEBody()) return kUndecodable;
  if (ExtensionConfig::isDebugLoggingEnabled())
    logger.log(platform::LogType::defaultLevel, "Original Quoted HTML: " + *raw);
  for (std::string_view separator : {"\r\n\r\n", "\n\n"}) {
    if (auto found = raw->find(separator); found != std::string::npos) return bodyAfter(*raw, found + separator.size());
  }
  if (!utf8) return kUndecodable;
  if (platform::text::characterCount(*raw) <= kLargestUnseparatedMessage) return *raw;
  return "[Could not reliably isolate message body. Raw data too large.]";
}

}  // namespace

std::string quotedMessageText(const mailkit::MEComposeContext& context, const platform::OSLog& logger) {
  return htmlToPlainText(messageBody(context, logger));
}

}  // namespace quorbel
