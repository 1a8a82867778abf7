#include "BodyReader.hpp"

#include <algorithm>
#include <optional>
#include <string_view>

#include "AsciiText.hpp"
#include "MessageRepairs.hpp"
#include "mailkit/Charsets.hpp"

namespace mailkit {

namespace {

constexpr int kDeepestNesting = 32;
// A mend reads its content once more and holds a copy of it while the parts
// inside are read: it counts as this many levels, so that mends nested in one
// another cost a few copies of the message, not one for every level.
constexpr int kLevelsOfAMend = 8;

bool isAttachment(GMimeObject* object) {
  GMimeContentDisposition* disposition = g_mime_object_get_content_disposition(object);
  if (disposition && g_mime_content_disposition_is_attachment(disposition)) return true;
  // A named file shown inline (as some mail programs send attachments) is
  // still a file, not the text of the message.
  return GMIME_IS_PART(object) && g_mime_part_get_filename(GMIME_PART(object));
}

// The content of a leaf part, decoded from its transfer encoding.
std::string contentBytes(GMimePart* part) {
  GMimeDataWrapper* content = g_mime_part_get_content(part);
  if (!content) return "";
  gmime::Object<GMimeStream> stream(g_mime_stream_mem_new());
  g_mime_data_wrapper_write_to_stream(content, stream.get());
  GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(stream.get()));
  return std::string(reinterpret_cast<const char*>(bytes->data), bytes->len);
}

std::string declaredCharset(GMimeObject* object) {
  const char* charset = g_mime_object_get_content_type_parameter(object, "charset");
  return charset ? charset : "";
}

bool isTextPart(GMimeObject* object) {
  GMimeContentType* type = g_mime_object_get_content_type(object);
  return GMIME_IS_TEXT_PART(object) &&
         (g_mime_content_type_is_type(type, "text", "plain") || g_mime_content_type_is_type(type, "text", "html"));
}

// The charset that a <meta> element of the HTML names, or "".
std::string metaCharset(std::string_view html) {
  for (std::size_t meta = ascii::findIgnoringCase(html, "<meta"); meta != std::string_view::npos;) {
    std::size_t tagEnd = html.find('>', meta);
    std::string_view tag = html.substr(meta, tagEnd - meta);
    meta = tagEnd == std::string_view::npos ? tagEnd : ascii::findIgnoringCase(html, "<meta", tagEnd);
    std::size_t at = ascii::findIgnoringCase(tag, "charset");
    if (at == std::string_view::npos) continue;
    at = tag.find_first_not_of(" \t\r\n", at + 7);
    if (at == std::string_view::npos || tag[at] != '=') continue;
    at = tag.find_first_not_of(" \t\r\n\"'", at + 1);
    if (at == std::string_view::npos) continue;
    std::size_t end = at;
    while (end < tag.size() && (std::isalnum(static_cast<unsigned char>(tag[end])) || std::string_view("-_.:").find(tag[end]) != std::string_view::npos))
      ++end;
    if (end > at) return std::string(tag.substr(at, end - at));
  }
  return "";
}

// The format and DelSp parameters of a text/plain part (RFC 3676).
PlainTextFormat plainTextFormat(GMimeObject* object) {
  auto is = [object](const char* name, std::string_view value) {
    const char* parameter = g_mime_object_get_content_type_parameter(object, name);
    return parameter && ascii::equalsIgnoringCase(parameter, value);
  };
  return {is("format", "flowed"), is("delsp", "yes")};
}

class BodyReader {
 public:
  std::optional<BodyPart> read(GMimeObject* object, int depth, std::string_view siblingCharset) const {
    if (depth > kDeepestNesting || isAttachment(object)) return std::nullopt;
    if (GMIME_IS_MULTIPART(object)) return readMultipart(object, depth);
    if (!isTextPart(object)) return std::nullopt;  // attached messages, pictures, calendars...
    std::string bytes = contentBytes(GMIME_PART(object));
    if (!g_mime_object_get_header(object, "Content-Type") && repairs::impliedBoundary(bytes))
      return recovered(bytes, "mixed", depth);
    bool isHTML = g_mime_content_type_is_type(g_mime_object_get_content_type(object), "text", "html");
    std::string charset = declaredCharset(object);
    if (charset.empty() && isHTML) charset = metaCharset(bytes);
    if (charset.empty()) charset = siblingCharset;
    return BodyPart{isHTML ? BodyPart::Kind::htmlText : BodyPart::Kind::plainText, textInUTF8(bytes, charset), {},
                    plainTextFormat(object)};
  }

 private:
  std::optional<BodyPart> readMultipart(GMimeObject* object, int depth) const {
    GMimeMultipart* multipart = GMIME_MULTIPART(object);
    const char* subtype = g_mime_content_type_get_media_subtype(g_mime_object_get_content_type(object));
    int count = g_mime_multipart_get_count(multipart);
    if (count == 0) {
      const char* content = g_mime_multipart_get_prologue(multipart);
      return recovered(content ? content : "", subtype ? subtype : "mixed", depth);
    }
    std::string siblingCharset;
    for (int i = 0; i < count && siblingCharset.empty(); ++i) {
      GMimeObject* part = g_mime_multipart_get_part(multipart, i);
      if (isTextPart(part)) siblingCharset = declaredCharset(part);
    }
    BodyPart body;
    body.kind = g_mime_content_type_is_type(g_mime_object_get_content_type(object), "multipart", "alternative")
                    ? BodyPart::Kind::alternatives
                    : BodyPart::Kind::sequence;
    for (int i = 0; i < count; ++i) {
      if (auto part = read(g_mime_multipart_get_part(multipart, i), depth + 1, siblingCharset))
        body.parts.push_back(std::move(*part));
    }
    return body;
  }

  // A multipart body read with the boundary its own delimiter lines use;
  // failing that, its readable lines as plain text.
  std::optional<BodyPart> recovered(std::string_view content, std::string_view subtype, int depth) const {
    if (auto boundary = repairs::impliedBoundary(content)) {
      std::string source = "Content-Type: multipart/" + std::string(subtype) + "; boundary=\"" + *boundary +
                           "\"\r\n\r\n" + std::string(content);
      gmime::Object<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(source.data(), source.size()));
      gmime::Object<GMimeParser> parser(g_mime_parser_new_with_stream(stream.get()));
      gmime::Object<GMimeObject> part(g_mime_parser_construct_part(parser.get(), gmime::parserOptions()));
      if (part && GMIME_IS_MULTIPART(part.get()) && g_mime_multipart_get_count(GMIME_MULTIPART(part.get())) > 0)
        return read(part.get(), depth + kLevelsOfAMend, "");
    }
    return BodyPart{BodyPart::Kind::plainText, textInUTF8(repairs::readableLines(content), ""), {}, {}};
  }
};

}  // namespace

BodyPart readBody(GMimeObject* body) {
  if (!body) return {};
  return BodyReader().read(body, 0, "").value_or(BodyPart{});
}

}  // namespace mailkit
