// The mail reader and the quoted-message rule over any bytes: whatever a
// message file holds, reading it answers, every text handed on (header
// fields, addresses, body parts, the quoted text) is UTF-8 without NULs, and
// every mailbox reads back as one mailbox, as the compose window reads what
// it shows.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "compose/QuotedMessage.hpp"
#include "foundation/Text.hpp"
#include "mailkit/MessageFile.hpp"

namespace {

void requireUTF8(const std::string& text) {
  if (!platform::text::isValidUTF8(text)) __builtin_trap();
}

void requireReadableText(const std::string& text) {
  requireUTF8(text);
  if (text.find('\0') != std::string::npos) __builtin_trap();
}

void requireOneMailbox(const mailkit::MEEmailAddress& address) {
  requireUTF8(address.rawString);
  if (mailkit::parseAddressList(address.rawString).size() != 1) __builtin_trap();
}

void requireReadableParts(const mailkit::BodyPart& part) {
  requireReadableText(part.text);
  for (const auto& inner : part.parts) requireReadableParts(inner);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  auto file = mailkit::MessageFile::parse(bytes);
  requireReadableParts(file.body());
  requireUTF8(file.bodyText());
  requireUTF8(file.header("Subject").value_or(""));
  requireUTF8(file.header("From").value_or(""));
  for (const auto& address : file.replyDraft().toAddresses) {
    requireOneMailbox(address);
    requireUTF8(mailkit::encodedAddress(address));
  }
  for (const auto& address : mailkit::parseAddressList(bytes)) requireOneMailbox(address);

  static const platform::OSLog logger("com.holdrin.quorbel.extension", "ComposeSessionHandler");
  mailkit::MEComposeContext context{std::make_shared<const mailkit::MEMessage>(file.message())};
  requireReadableText(quorbel::quotedMessageText(context, logger));
  return 0;
}
