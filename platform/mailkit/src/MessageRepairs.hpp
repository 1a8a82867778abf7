#pragma once

// Mends the shapes of mail that a MIME reader cannot take as they are, the
// way mail readers bear with them.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mailkit::repairs {

// Whether the line (without its line break) is a header field: a name of
// printable ASCII, maybe blanks, then a colon.
bool isHeaderField(std::string_view line);

// A raw message as a MIME reader can take it: its header fields, names and
// raw values in order, and apart from them its body with the MIME fields
// (Content-*, MIME-Version) before it. A MIME reader is given only the
// latter: it would read address fields as it builds the message, following
// groups nested in one another by recursion as deep as a field has colons.
struct ReadableMessage {
  std::vector<std::pair<std::string, std::string>> fields;
  std::string mimeFields;   // each on its line, then the blank line
  std::string_view body;    // in the raw message
  bool asItStands = false;  // nothing mended: a MIME reader takes the raw message to the same fields and body
  std::string mimeEntity() const { return mimeFields + std::string(body); }
};

// The raw message mended: blank lines before the header block (iPhone and
// gateway mail) and an mbox "From " line dropped; a stray line inside the
// header block dropped; the blank line after the header block put in where
// the body follows without one; of several Content-Type fields only the one
// that a reader takes kept (see readableContentType). Nothing when the data does not begin with a header field:
// then it is no mail message.
std::optional<ReadableMessage> readableMessage(std::string_view raw);

// Of the values of several Content-Type fields in one header block, the
// index of the one a reader takes: the first, unless it is no multipart
// whose delimiter occurs in the body and a later one is.
std::size_t readableContentType(const std::vector<std::string_view>& values, std::string_view body);

// The boundary that a multipart body's delimiter lines use: the first line
// "--X" followed by a MIME header field or closed later by "--X--". Nothing
// when the body has no such line.
std::optional<std::string> impliedBoundary(std::string_view content);

// The lines of a text meant for people: MIME header fields, delimiter lines
// and Base64 lines left out. They come in stretches, apart where a
// delimiter or MIME fields stood; a stretch after a Content-Type of text/html
// is HTML. A header block (fields up to a blank line, with MIME fields
// among them, or after the header block of a message part, as a forwarded
// message's own) is a stretch of its own, its fields apart from the text:
// none of its lines is text.
struct ReadableStretch {
  std::string text;
  bool isHTML = false;
  std::vector<std::pair<std::string, std::string>> headerFields;  // a header block's names and raw values
};
std::vector<ReadableStretch> readableLines(std::string_view text);

}  // namespace mailkit::repairs
