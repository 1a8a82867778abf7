#pragma once

#include <string>

#include "foundation/OSLog.hpp"
#include "mailkit/Message.hpp"

namespace quorbel {

// The plain text of the message being answered, read as a mail reader reads
// it: every text part decoded from its transfer encoding and its charset; a
// plain text part quoted as its lines (format=flowed joined as RFC 3676
// says), an HTML part as a browser shows it, its blockquotes marked "> ". Of alternatives the most faithful
// one that has text is quoted, HTML before plain; of a mixed or related
// multipart every text part in turn, a blank line between them. Attachments
// and attached messages are never quoted, nor are header fields, MIME
// boundaries or Base64. Data without header fields is no mail message: it is
// quoted whole, or, past 5000 characters, replaced by a bracketed notice, as
// are a missing original and missing raw data. The raw message is private
// mail, so it is logged only while debug logging is on.
std::string quotedMessageText(const mailkit::MEComposeContext& context, const platform::OSLog& logger);

}  // namespace quorbel
