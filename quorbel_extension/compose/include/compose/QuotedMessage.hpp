#pragma once

#include <string>

#include "foundation/OSLog.hpp"
#include "mailkit/Message.hpp"

namespace quorbel {

// The plain text of the message being answered: the raw message decoded as
// UTF-8, cut after its first blank line (CRLF before LF), converted from HTML
// once. For a MIME body (multipart, quoted-printable or base64) the text
// after the blank line is its first HTML part, else its first plain part,
// decoded to UTF-8. A missing original, undecodable bytes, or more than 5000
// characters without a blank line give a bracketed notice instead. The raw
// message is private mail, so it is logged only while debug logging is on.
std::string quotedMessageText(const mailkit::MEComposeContext& context, const platform::OSLog& logger);

}  // namespace quorbel
