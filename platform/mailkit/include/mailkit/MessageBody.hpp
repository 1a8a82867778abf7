#pragma once

#include <string>
#include <vector>

#include "mailkit/PlainText.hpp"

namespace mailkit {

// What there is to read in a message body: its text parts, decoded to UTF-8,
// the multiparts that hold them and the messages inside it (forwarded,
// returned, of a digest), in the order they stand. Attachments, attached
// messages among them, and content of other types are left out.
struct BodyPart {
  enum class Kind {
    plainText,
    htmlText,
    alternatives,  // one content in several forms, the most faithful last
    sequence,      // every other multipart: mixed, related, signed, report...
    message,       // a message inside the message: `text` its header block, `parts` its body
  };
  Kind kind = Kind::sequence;
  std::string text;             // of a text part
  std::vector<BodyPart> parts;  // of a multipart
  PlainTextFormat format;       // of a plain text part: its format and DelSp parameters
};

// What a person reads of a text part: plain text as its lines, HTML as a
// browser shows it.
std::string readableText(const BodyPart& textPart);

// What a person reads of a whole body, what the quote and the compose window
// both show of it: every text part that is not blank, in order, a blank line
// between them, a message inside it as its header block and its text; of alternatives the most faithful with text of the
// `preferred` kind (plainText or htmlText), else any with text. Empty when
// no part has text.
std::string readableBodyText(const BodyPart& body, BodyPart::Kind preferred);

}  // namespace mailkit
