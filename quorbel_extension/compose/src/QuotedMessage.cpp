#include "compose/QuotedMessage.hpp"

#include "compose/HTMLToPlainText.hpp"
#include "foundation/Text.hpp"
#include "router/ExtensionConfig.hpp"

namespace quorbel {

namespace {

constexpr std::size_t kLargestUnseparatedMessage = 5000;

std::string messageBody(const mailkit::MEComposeContext& context, const platform::OSLog& logger) {
  if (!context.originalMessage) return "[No original message to quote.]";
  const auto& raw = context.originalMessage->rawData;
  if (!raw || !platform::text::isValidUTF8(*raw))
    return "[Original message rawData is nil or could not be decoded to UTF-8]";
  if (ExtensionConfig::isDebugLoggingEnabled())
    logger.log(platform::LogType::defaultLevel, "Original Quoted HTML: " + *raw);
  for (std::string_view separator : {"\r\n\r\n", "\n\n"}) {
    if (auto found = raw->find(separator); found != std::string::npos) return raw->substr(found + separator.size());
  }
  if (platform::text::characterCount(*raw) <= kLargestUnseparatedMessage) return *raw;
  return "[Could not reliably isolate message body. Raw data too large.]";
}

}  // namespace

std::string quotedMessageText(const mailkit::MEComposeContext& context, const platform::OSLog& logger) {
  return htmlToPlainText(messageBody(context, logger));
}

}  // namespace quorbel
