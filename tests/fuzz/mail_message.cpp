// The mail reader and the quoted-message rule over any bytes: whatever a
// message file holds, reading it answers, and every text handed on (header
// fields, addresses, body parts, the quoted text) is UTF-8.
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  auto file = mailkit::MessageFile::parse(bytes);
  requireUTF8(file.bodyText());
  requireUTF8(file.header("Subject").value_or(""));
  for (const auto& address : file.replyDraft().toAddresses) requireUTF8(mailkit::encodedAddress(address));
  for (const auto& address : mailkit::parseAddressList(bytes)) requireUTF8(address.rawString);

  static const platform::OSLog logger("com.holdrin.quorbel.extension", "ComposeSessionHandler");
  mailkit::MEComposeContext context{std::make_shared<const mailkit::MEMessage>(file.message())};
  requireUTF8(quorbel::quotedMessageText(context, logger));
  return 0;
}
