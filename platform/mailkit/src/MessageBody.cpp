#include "mailkit/MessageBody.hpp"

#include <algorithm>
#include <iterator>
#include <ranges>

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include "foundation/Text.hpp"
#include "mailkit/HTMLToPlainText.hpp"

namespace mailkit {

namespace {

// A text the body is read as, plain already, and the kind of part it came from.
struct ReadPiece {
  std::string text;
  BodyPart::Kind kind;
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

// What a body part gives, in order: a text part what a person reads of it,
// unless that is blank; a message its header block, then its body; a
// sequence every part in turn; alternatives the most
// faithful one that gives text of the preferred kind, else the most faithful
// that gives any text.
std::vector<ReadPiece> readPieces(const BodyPart& part, BodyPart::Kind preferred) {
  using Kind = BodyPart::Kind;
  std::vector<ReadPiece> pieces;
  switch (part.kind) {
    case Kind::plainText:
    case Kind::htmlText: {
      std::string text = readableText(part);
      if (hasText(text)) pieces.push_back({std::move(text), part.kind});
      break;
    }
    case Kind::message:
      if (hasText(part.text)) pieces.push_back({part.text, Kind::plainText});
      [[fallthrough]];
    case Kind::sequence:
      for (const auto& inner : part.parts) std::ranges::move(readPieces(inner, preferred), std::back_inserter(pieces));
      break;
    case Kind::alternatives:
      // The most faithful stands last: looked at first, and the others only
      // while none of the preferred kind with text is found.
      for (const auto& alternative : std::views::reverse(part.parts)) {
        auto candidate = readPieces(alternative, preferred);
        if (std::ranges::any_of(candidate, [&](const ReadPiece& piece) { return piece.kind == preferred; }))
          return candidate;
        if (pieces.empty()) pieces = std::move(candidate);
      }
      break;
  }
  return pieces;
}

}  // namespace

std::string readableText(const BodyPart& textPart) {
  return textPart.kind == BodyPart::Kind::htmlText ? htmlToPlainText(textPart.text)
                                                   : readPlainText(textPart.text, textPart.format);
}

std::string readableBodyText(const BodyPart& body, BodyPart::Kind preferred) {
  auto pieces = readPieces(body, preferred);
  if (pieces.size() == 1) return std::move(pieces.front().text);
  // Several with a blank line between them.
  std::string text;
  for (const auto& piece : pieces) {
    if (!text.empty()) text += "\n\n";
    text += platform::text::trimWhitespaceAndNewlines(piece.text);
  }
  return text;
}

}  // namespace mailkit
