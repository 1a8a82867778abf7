#include "BodyReader.hpp"

#include <algorithm>
#include <string_view>
#include <vector>

#include "AsciiText.hpp"
#include "MessageRepairs.hpp"
#include "mailkit/Charsets.hpp"
#include "mailkit/EncodedWords.hpp"
#include "mailkit/MessageFile.hpp"

namespace mailkit {

namespace {

// Multiparts of another kind than the one holding them are kept apart up to
// this depth; deeper ones join the multipart that holds them. Every reader of
// the parts may then walk them by recursion, and give them up the same way.
constexpr int kDeepestNesting = 32;
// A mend reads its content once more and holds a copy of it until the body
// is read. Together the mends may read this many times the body again;
// content past that is read as its readable lines, so that a message mended
// at every level costs a few copies of itself, not one for every level.
constexpr std::size_t kMendedCopiesOfTheBody = 2;
// What may be read again is never less than this, however small the body.
constexpr std::size_t kLeastReadAgain = 1 << 20;
// Messages inside messages are read where they stand, without a copy, each
// one whole, attachments included: a forward of a forward of a forward is
// read however large the attachment at its bottom, as long as the messages
// read add up to no more than this many times the body. Past that, and
// past what mends may read again for one that must be decoded or mended
// first, a message is left out with a notice in its place.
constexpr std::size_t kMessagesReadPerBody = 8;
constexpr std::string_view kMessageLeftOut = "[A forwarded message is left out here: the mail is too large to read all of it.]";

bool isAttachment(GMimeObject* object) {
  GMimeContentDisposition* disposition = g_mime_object_get_content_disposition(object);
  if (disposition) {
    const char* shown = g_mime_content_disposition_get_disposition(disposition);
    if (shown && ascii::equalsIgnoringCase(shown, "inline")) return false;
    if (g_mime_content_disposition_is_attachment(disposition)) return true;
  }
  // A named file without a disposition is a file, not the text of the
  // message.
  return GMIME_IS_PART(object) && g_mime_part_get_filename(GMIME_PART(object));
}

std::string bytesOf(GMimeStream* memoryStream) {
  GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(memoryStream));
  return std::string(reinterpret_cast<const char*>(bytes->data), bytes->len);
}

// The content of a leaf part, decoded from its transfer encoding.
std::string decodedContent(GMimePart* part) {
  GMimeDataWrapper* content = g_mime_part_get_content(part);
  if (!content) return "";
  gmime::Object<GMimeStream> memory(g_mime_stream_mem_new());
  g_mime_data_wrapper_write_to_stream(content, memory.get());
  return bytesOf(memory.get());
}

// The content of a leaf part that needs no decoding, where it stands in the
// memory GMime read it from, and the stream GMime reads it with.
struct ContentInPlace {
  std::string_view bytes;
  GMimeStream* stream;
  gint64 start;  // of the bytes in the stream
};
std::optional<ContentInPlace> contentInPlace(GMimePart* part) {
  GMimeDataWrapper* content = g_mime_part_get_content(part);
  if (!content) return std::nullopt;
  switch (g_mime_data_wrapper_get_encoding(content)) {
    case GMIME_CONTENT_ENCODING_DEFAULT:
    case GMIME_CONTENT_ENCODING_7BIT:
    case GMIME_CONTENT_ENCODING_8BIT:
    case GMIME_CONTENT_ENCODING_BINARY: break;
    default: return std::nullopt;
  }
  GMimeStream* stream = g_mime_data_wrapper_get_stream(content);
  if (!stream || !GMIME_IS_STREAM_MEM(stream)) return std::nullopt;
  GByteArray* memory = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(stream));
  g_mime_stream_reset(stream);
  const gint64 start = g_mime_stream_tell(stream);
  const gint64 length = g_mime_stream_length(stream);
  if (!memory || start < 0 || length < 0 || start + length > static_cast<gint64>(memory->len)) return std::nullopt;
  return ContentInPlace{{reinterpret_cast<const char*>(memory->data) + start, static_cast<std::size_t>(length)}, stream,
                        start};
}

// The content of a leaf part as it stands in the message, still encoded.
std::string rawContent(GMimePart* part) {
  GMimeDataWrapper* content = g_mime_part_get_content(part);
  GMimeStream* raw = content ? g_mime_data_wrapper_get_stream(content) : nullptr;
  if (!raw) return "";
  gmime::Object<GMimeStream> memory(g_mime_stream_mem_new());
  g_mime_stream_reset(raw);
  g_mime_stream_write_to_stream(raw, memory.get());
  g_mime_stream_reset(raw);
  return bytesOf(memory.get());
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

// The value of each Content-Type field of a part, in order.
std::vector<std::string> contentTypeValues(GMimeObject* object) {
  std::vector<std::string> values;
  GMimeHeaderList* headers = g_mime_object_get_header_list(object);
  for (int i = 0; i < g_mime_header_list_get_count(headers); ++i) {
    GMimeHeader* header = g_mime_header_list_get_header_at(headers, i);
    const char* raw = g_mime_header_get_raw_value(header);
    if (ascii::equalsIgnoringCase(g_mime_header_get_name(header), "Content-Type")) values.push_back(raw ? raw : "");
  }
  return values;
}

// The content of a part as it stands in the message: a leaf's still encoded,
// a multipart's with its delimiters.
std::string contentAsItStands(GMimeObject* object) {
  if (GMIME_IS_PART(object)) return rawContent(GMIME_PART(object));
  gmime::Object<GMimeStream> memory(g_mime_stream_mem_new());
  g_mime_object_write_content_to_stream(object, nullptr, memory.get());
  return bytesOf(memory.get());
}

// Whether GMime read the part with this Content-Type value.
bool isReadAs(GMimeObject* object, const std::string& value) {
  gmime::Object<GMimeContentType> type(g_mime_content_type_parse(gmime::parserOptions(), value.c_str()));
  GMimeContentType* read = g_mime_object_get_content_type(object);
  if (!type || !read) return false;
  auto same = [](const char* a, const char* b) { return ascii::equalsIgnoringCase(a ? a : "", b ? b : ""); };
  return same(g_mime_content_type_get_media_type(type.get()), g_mime_content_type_get_media_type(read)) &&
         same(g_mime_content_type_get_media_subtype(type.get()), g_mime_content_type_get_media_subtype(read)) &&
         same(g_mime_content_type_get_parameter(type.get(), "boundary"), g_mime_content_type_get_parameter(read, "boundary"));
}

// The header block of a message inside the message, as a reader shows it
// above the message: its From, Date, Subject and To, decoded, raw 8-bit text
// in the charset of its text part. Trace fields are never shown.
std::string headerBlock(const std::vector<std::pair<std::string, std::string>>& fields, std::string_view charset) {
  std::string block;
  for (std::string_view name : {"From", "Date", "Subject", "To"}) {
    auto field = std::ranges::find_if(fields, [&](const auto& f) { return ascii::equalsIgnoringCase(f.first, name); });
    if (field == fields.end()) continue;
    std::string value;
    if (name == "From" || name == "To") {
      for (const auto& address : parseAddressList(field->second, charset))
        value += (value.empty() ? "" : ", ") + address.rawString;
    } else {
      value = decodedHeaderText(field->second, charset);
    }
    if (value.empty()) continue;
    if (!block.empty()) block += '\n';
    block += std::string(name) + ": " + value;
  }
  return block;
}

// The format and DelSp parameters of a text/plain part (RFC 3676).
PlainTextFormat plainTextFormat(GMimeObject* object) {
  auto is = [object](const char* name, std::string_view value) {
    const char* parameter = g_mime_object_get_content_type_parameter(object, name);
    return parameter && ascii::equalsIgnoringCase(parameter, value);
  };
  return {is("format", "flowed"), is("delsp", "yes")};
}

// Reads a GMime tree with a stack of its own: GMime builds trees as deep as
// 1024 levels, and hands a multipart deeper than that over unread, its
// content as its prologue, which is mended like any multipart whose
// boundary never occurs.
class BodyReader {
 public:
  explicit BodyReader(std::size_t bodySize)
      : mendBudget_(std::max(kMendedCopiesOfTheBody * bodySize, kLeastReadAgain)),
        messageBudget_(std::max(kMessagesReadPerBody * bodySize, kLeastReadAgain)) {}

  // The messages read in place are read from the streams of the ones that
  // hold them, each stream holding the one it is read from: freed deepest
  // first, none frees a chain of them by recursion.
  ~BodyReader() {
    while (!mended_.empty()) mended_.pop_back();
  }

  BodyPart read(GMimeObject* body) {
    BodyPart top;  // holds the body's part, if it has one to read
    visit(body, {&top, 0, false}, "");
    while (!open_.empty()) {
      Pending& pending = open_.back();
      if (pending.next == kWhole) {
        const Pending whole = std::move(pending);
        open_.pop_back();
        visit(whole.object, whole.holder, whole.siblingCharset);
        continue;
      }
      if (pending.next == g_mime_multipart_get_count(GMIME_MULTIPART(pending.object))) {
        open_.pop_back();
        continue;
      }
      GMimeObject* part = g_mime_multipart_get_part(GMIME_MULTIPART(pending.object), pending.next++);
      const Holder holder = pending.holder;
      const std::string siblingCharset = pending.siblingCharset;  // visit() may open another multipart
      visit(part, holder, siblingCharset);
    }
    return top.parts.empty() ? BodyPart{} : std::move(top.parts.front());
  }

 private:
  // Where the parts read go: a multipart of the body, or the top.
  struct Holder {
    BodyPart* part;
    int depth;
    bool isMultipart;
  };
  // What is still to be read: the parts of a multipart, in turn, from the
  // next one on; or a part as a whole.
  static constexpr int kWhole = -1;
  struct Pending {
    GMimeObject* object;
    int next;
    Holder holder;
    std::string siblingCharset;
  };

  void visit(GMimeObject* object, Holder holder, std::string_view siblingCharset) {
    if (isAttachment(object)) return;
    object = asAReaderReadsIt(object, holder);
    if (!object) return;
    if (GMIME_IS_MULTIPART(object)) return openMultipart(object, holder);
    if (gmime::isMessage(object)) return readMessage(GMIME_PART(object), holder);
    if (!isTextPart(object)) return;  // pictures, calendars, opaque S/MIME...
    if (!g_mime_object_get_header(object, "Content-Type")) {
      // A multipart by its delimiter lines: whatever transfer encoding the
      // part names is not the one of the parts inside.
      std::string raw = rawContent(GMIME_PART(object));
      if (repairs::impliedBoundary(raw)) return mend(raw, "mixed", holder);
    }
    std::string bytes = decodedContent(GMIME_PART(object));
    bool isHTML = g_mime_content_type_is_type(g_mime_object_get_content_type(object), "text", "html");
    std::string ownCharset = isHTML ? metaCharset(bytes) : "";
    std::string charset = declaredCharset(object);
    if (charset.empty()) charset = ownCharset;
    if (charset.empty()) charset = siblingCharset;
    holder.part->parts.push_back(BodyPart{isHTML ? BodyPart::Kind::htmlText : BodyPart::Kind::plainText,
                                          textInUTF8(bytes, charset, ownCharset), {}, plainTextFormat(object)});
  }

  // A part with several Content-Type fields as a reader reads it, with the
  // first unless only another fits the body, where GMime took another (it
  // takes the last): the part itself, or the part read again. Null when
  // what may be read again does not allow it and a multipart is read as its
  // readable lines instead.
  GMimeObject* asAReaderReadsIt(GMimeObject* object, Holder holder) {
    const std::vector<std::string> values = contentTypeValues(object);
    if (values.size() < 2 ||
        std::ranges::all_of(values, [object](const std::string& value) { return isReadAs(object, value); }))
      return object;
    // A multipart whose delimiters GMime found fits its body: read with the
    // first field, it is read as a reader reads it. Else its content holds
    // every part inside it, and is written out only while what may be read
    // again allows it: once it does not, nothing more is, so that the parts
    // nested in it are not written out again and again.
    const bool isReadMultipart = GMIME_IS_MULTIPART(object) && g_mime_multipart_get_count(GMIME_MULTIPART(object)) > 0;
    if (isReadMultipart && (isReadAs(object, values.front()) || mendBudget_ == 0)) return object;
    const std::string content = contentAsItStands(object);
    if (isReadMultipart && !readAgain(content.size())) {
      mendBudget_ = 0;
      return object;
    }
    const std::size_t chosen = repairs::readableContentType({values.begin(), values.end()}, content);
    if (isReadAs(object, values[chosen])) return object;
    if (!isReadMultipart && !readAgain(content.size())) {
      readLines(content, holder);
      return nullptr;
    }
    std::string source;
    GMimeHeaderList* headers = g_mime_object_get_header_list(object);
    for (int i = 0, type = 0; i < g_mime_header_list_get_count(headers); ++i) {
      GMimeHeader* header = g_mime_header_list_get_header_at(headers, i);
      const char* name = g_mime_header_get_name(header);
      if (ascii::equalsIgnoringCase(name, "Content-Type") && type++ != static_cast<int>(chosen)) continue;
      const char* raw = g_mime_header_get_raw_value(header);
      source += std::string(name) + ":" + (raw ? raw : "");
      if (!source.ends_with('\n')) source += "\r\n";
    }
    source += "\r\n" + content;
    gmime::Object<GMimeObject> part = gmime::parsedEntity(source);
    if (!part) return object;
    mended_.push_back(std::move(part));
    return mended_.back().get();
  }

  // Whether content this long may be read once more; if so, it is counted.
  bool readAgain(std::size_t size) {
    if (size > mendBudget_) return false;
    mendBudget_ -= size;
    return true;
  }

  // A message inside the message (forwarded, returned, of a digest), read
  // as the message itself is: its header block, then its body in place.
  // Past the deepest nesting the message joins the part that holds it.
  void readMessage(GMimePart* part, Holder holder) {
    const std::optional<ContentInPlace> inPlace = contentInPlace(part);
    const std::string decoded = inPlace ? "" : decodedContent(part);
    const std::string_view content = inPlace ? inPlace->bytes : decoded;
    std::optional<repairs::ReadableMessage> message = repairs::readableMessage(content);
    if (!message) {
      holder.part->parts.push_back(BodyPart{BodyPart::Kind::plainText, textInUTF8(content, ""), {}, {}});
      return;
    }
    gmime::Object<GMimeObject> body;
    if (inPlace && message->asItStands && content.size() <= messageBudget_) {
      messageBudget_ -= content.size();
      const gint64 start = inPlace->start;
      gmime::Object<GMimeStream> entity(
          g_mime_stream_substream(inPlace->stream, start, start + static_cast<gint64>(content.size())));
      body = gmime::parsedEntity(entity.get());
    } else if (!(inPlace && message->asItStands) && readAgain(content.size())) {
      body = gmime::parsedEntity(message->mimeEntity());
    } else {
      holder.part->parts.push_back(BodyPart{BodyPart::Kind::plainText, std::string(kMessageLeftOut), {}, {}});
      return;
    }
    BodyPart read{BodyPart::Kind::message, headerBlock(message->fields, textPartCharset(body.get())), {}, {}};
    Holder inner = holder;
    if (holder.depth < kDeepestNesting) {
      holder.part->parts.push_back(std::move(read));
      inner = {&holder.part->parts.back(), holder.depth + 1, true};
    } else {
      holder.part->parts.push_back(BodyPart{BodyPart::Kind::plainText, std::move(read.text), {}, {}});
    }
    if (!body) return;
    mended_.push_back(std::move(body));
    open_.push_back({mended_.back().get(), kWhole, inner, ""});
  }

  void openMultipart(GMimeObject* object, Holder holder) {
    GMimeMultipart* multipart = GMIME_MULTIPART(object);
    int count = g_mime_multipart_get_count(multipart);
    if (count == 0) {
      const char* subtype = g_mime_content_type_get_media_subtype(g_mime_object_get_content_type(object));
      const char* content = g_mime_multipart_get_prologue(multipart);
      return mend(content ? content : "", subtype ? subtype : "mixed", holder);
    }
    std::string siblingCharset;
    for (int i = 0; i < count && siblingCharset.empty(); ++i) {
      GMimeObject* part = g_mime_multipart_get_part(multipart, i);
      if (isTextPart(part)) siblingCharset = declaredCharset(part);
    }
    const auto kind = g_mime_content_type_is_type(g_mime_object_get_content_type(object), "multipart", "alternative")
                          ? BodyPart::Kind::alternatives
                          : BodyPart::Kind::sequence;
    // Alternatives inside alternatives are forms of one content, in the
    // same order; a sequence inside a sequence is read in turn all the same.
    Holder inner = holder;
    if (!holder.isMultipart || (holder.part->kind != kind && holder.depth < kDeepestNesting)) {
      holder.part->parts.push_back(BodyPart{kind, "", {}, {}});
      inner = {&holder.part->parts.back(), holder.depth + 1, true};
    }
    open_.push_back({object, 0, inner, std::move(siblingCharset)});
  }

  // A multipart body read with the boundary its own delimiter lines use;
  // failing that, its readable lines.
  void mend(std::string_view content, std::string_view subtype, Holder holder) {
    if (content.size() <= mendBudget_) {
      if (auto boundary = repairs::impliedBoundary(content)) {
        mendBudget_ -= content.size();
        std::string source = "Content-Type: multipart/" + std::string(subtype) + "; boundary=\"" + *boundary +
                             "\"\r\n\r\n" + std::string(content);
        gmime::Object<GMimeObject> part = gmime::parsedEntity(source);
        if (part && GMIME_IS_MULTIPART(part.get()) && g_mime_multipart_get_count(GMIME_MULTIPART(part.get())) > 0) {
          mended_.push_back(std::move(part));
          return openMultipart(mended_.back().get(), holder);
        }
      }
    }
    readLines(content, holder);
  }

  // The readable lines of MIME content, plain or HTML as the fields before
  // them say.
  void readLines(std::string_view content, Holder holder) {
    std::vector<repairs::ReadableStretch> stretches = repairs::readableLines(content);
    BodyPart lines{BodyPart::Kind::sequence, "", {}, {}};
    for (auto& stretch : stretches) {
      if (!stretch.headerFields.empty()) {
        // Of a forwarded message's header block only what a reader shows above it.
        std::string block = headerBlock(stretch.headerFields, "");
        if (!block.empty()) lines.parts.push_back(BodyPart{BodyPart::Kind::plainText, std::move(block), {}, {}});
        continue;
      }
      lines.parts.push_back(BodyPart{stretch.isHTML ? BodyPart::Kind::htmlText : BodyPart::Kind::plainText,
                                     textInUTF8(stretch.text, ""), {}, {}});
    }
    if (lines.parts.size() == 1) return holder.part->parts.push_back(std::move(lines.parts.front()));
    holder.part->parts.push_back(std::move(lines));
  }

  std::vector<Pending> open_;
  std::vector<gmime::Object<GMimeObject>> mended_;  // read again or in place, kept while their parts are read
  std::size_t mendBudget_;
  std::size_t messageBudget_;  // what messages inside the message may still read in place
};

}  // namespace

namespace {

// The charset a text part is read in: the declared one; for HTML whose
// label is missing or reads it poorly, the one its <meta> names.
std::string charsetReadIn(GMimeObject* textPart) {
  std::string declared = declaredCharset(textPart);
  if (!g_mime_content_type_is_type(g_mime_object_get_content_type(textPart), "text", "html")) return declared;
  const std::string html = decodedContent(GMIME_PART(textPart));
  std::string meta = metaCharset(html);
  if (meta.empty() || (!declared.empty() && readsWell(html, declared))) return declared;
  return meta;
}

}  // namespace

std::string textPartCharset(GMimeObject* body) {
  if (!body) return "";
  if (isTextPart(body)) return charsetReadIn(body);
  std::string charset;
  GMimePartIter* parts = g_mime_part_iter_new(body);
  for (bool more = g_mime_part_iter_is_valid(parts); more && charset.empty(); more = g_mime_part_iter_next(parts)) {
    GMimeObject* part = g_mime_part_iter_get_current(parts);
    if (isTextPart(part) && !isAttachment(part)) charset = charsetReadIn(part);
  }
  g_mime_part_iter_free(parts);
  return charset;
}

BodyPart readBody(GMimeObject* body, std::size_t bodySize) {
  if (!body) return {};
  return BodyReader(bodySize).read(body);
}

}  // namespace mailkit
