#include "mailkit/MessageFile.hpp"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "GMime.hpp"
#include "foundation/Text.hpp"

namespace mailkit {

namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) { return std::tolower((unsigned char)x) == std::tolower((unsigned char)y); });
}

bool isASCII(std::string_view text) {
  return std::ranges::all_of(text, [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string decoded(const char* text) { return platform::text::repairUTF8(text ? text : ""); }

void appendFields(GMimeObject* object, std::vector<std::pair<std::string, std::string>>& fields) {
  GMimeHeaderList* headers = g_mime_object_get_header_list(object);
  for (int i = 0; i < g_mime_header_list_get_count(headers); ++i) {
    GMimeHeader* header = g_mime_header_list_get_header_at(headers, i);
    fields.emplace_back(decoded(g_mime_header_get_name(header)),
                        platform::text::trimWhitespaceAndNewlines(decoded(g_mime_header_get_value(header))));
  }
}

// A display name as a phrase of an address field: as it stands when it is
// made of words only, else a quoted string with its quotes and backslashes
// escaped. GMime's own quoting takes a quote inside the name for the start
// of a quoted stretch, so a name such as `a" <x@y>, b` would come out as two
// mailboxes when the field is read again.
std::string phrase(std::string_view name) {
  auto isWordCharacter = [](unsigned char c) {
    return c >= 0x80 || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::string_view(" !#$%&'*+-/=?^_`{|}~").find(static_cast<char>(c)) != std::string_view::npos;
  };
  if (std::ranges::all_of(name, isWordCharacter)) return std::string(name);
  std::string quoted = "\"";
  for (char c : name) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + '"';
}

// Each mailbox once, groups opened up, in their order.
void appendMailboxes(InternetAddressList* list, std::vector<MEEmailAddress>& addresses) {
  if (!list) return;
  for (int i = 0; i < internet_address_list_length(list); ++i) {
    InternetAddress* address = internet_address_list_get_address(list, i);
    if (INTERNET_ADDRESS_IS_GROUP(address)) {
      appendMailboxes(internet_address_group_get_members(INTERNET_ADDRESS_GROUP(address)), addresses);
      continue;
    }
    std::string mailbox = decoded(internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(address)));
    if (mailbox.empty()) continue;
    std::string name = decoded(internet_address_get_name(address));
    addresses.push_back({name.empty() ? mailbox : phrase(name) + " <" + mailbox + ">"});
  }
}

std::vector<MEEmailAddress> mailboxesOf(GMimeMessage* message, GMimeAddressType type) {
  std::vector<MEEmailAddress> addresses;
  appendMailboxes(g_mime_message_get_addresses(message, type), addresses);
  return addresses;
}

bool isMIMEEncoded(GMimeObject* body) {
  if (!body) return false;
  if (GMIME_IS_MULTIPART(body)) return true;
  if (!GMIME_IS_PART(body)) return false;
  auto encoding = g_mime_part_get_content_encoding(GMIME_PART(body));
  return encoding == GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE || encoding == GMIME_CONTENT_ENCODING_BASE64;
}

bool isAttachment(GMimeObject* object) {
  GMimeContentDisposition* disposition = g_mime_object_get_content_disposition(object);
  return disposition && g_mime_content_disposition_is_attachment(disposition);
}

void keepFirst(std::optional<std::string>& slot, std::string text) {
  if (!slot) slot = platform::text::repairUTF8(text);
}

// Walks the parts in the order they stand, without recursion: hostile mail
// may nest multiparts deeply.
void findTextParts(GMimeObject* body, std::optional<std::string>& html, std::optional<std::string>& plain) {
  std::vector<GMimeObject*> pending;
  if (body) pending.push_back(body);
  while (!pending.empty() && !(html && plain)) {
    GMimeObject* object = pending.back();
    pending.pop_back();
    if (isAttachment(object)) continue;
    if (GMIME_IS_MULTIPART(object)) {
      GMimeMultipart* multipart = GMIME_MULTIPART(object);
      int count = g_mime_multipart_get_count(multipart);
      if (count == 0) {
        if (const char* content = g_mime_multipart_get_prologue(multipart)) keepFirst(plain, content);
      }
      for (int i = count - 1; i >= 0; --i) pending.push_back(g_mime_multipart_get_part(multipart, i));
    } else if (GMIME_IS_TEXT_PART(object)) {
      GMimeContentType* type = g_mime_object_get_content_type(object);
      bool isHTML = g_mime_content_type_is_type(type, "text", "html");
      if (!isHTML && !g_mime_content_type_is_type(type, "text", "plain")) continue;
      keepFirst(isHTML ? html : plain, gmime::take(g_mime_text_part_get_text(GMIME_TEXT_PART(object))));
    }
  }
}

}  // namespace

std::expected<MessageFile, std::string> MessageFile::read(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::unexpected("Cannot read the message file " + path.string());
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return parse(std::move(bytes).str());
}

MessageFile MessageFile::parse(std::string rawData) {
  gmime::initialise();
  MessageFile file;
  file.rawData_ = std::move(rawData);
  gmime::Object<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(file.rawData_.data(), file.rawData_.size()));
  gmime::Object<GMimeParser> parser(g_mime_parser_new_with_stream(stream.get()));
  gmime::Object<GMimeMessage> message(g_mime_parser_construct_message(parser.get(), nullptr));
  if (!message) return file;
  file.readable_ = true;
  GMimeObject* body = g_mime_message_get_mime_part(message.get());
  appendFields(GMIME_OBJECT(message.get()), file.fields_);
  if (body) appendFields(body, file.fields_);  // the Content-* fields
  file.from_ = mailboxesOf(message.get(), GMIME_ADDRESS_TYPE_FROM);
  file.replyTo_ = mailboxesOf(message.get(), GMIME_ADDRESS_TYPE_REPLY_TO);
  file.to_ = mailboxesOf(message.get(), GMIME_ADDRESS_TYPE_TO);
  file.cc_ = mailboxesOf(message.get(), GMIME_ADDRESS_TYPE_CC);
  file.hasMIMEBody_ = isMIMEEncoded(body);
  findTextParts(body, file.htmlPart_, file.plainPart_);
  return file;
}

std::optional<std::string> MessageFile::header(std::string_view name) const {
  for (const auto& [field, value] : fields_)
    if (equalsIgnoringCase(field, name)) return value;
  return std::nullopt;
}

std::string MessageFile::bodyText() const {
  if (!readable_) return platform::text::repairUTF8(rawData_);
  return plainPart_.or_else([&] { return htmlPart_; }).value_or("");
}

MEMessage MessageFile::message() const {
  MEMessage message;
  message.subject = header("Subject").value_or("");
  message.toAddresses = to_;
  message.ccAddresses = cc_;
  message.rawData = rawData_;
  return message;
}

MEMessage MessageFile::replyDraft() const {
  MEMessage draft;
  draft.subject = replySubject(header("Subject").value_or(""));
  draft.toAddresses = replyTo_.empty() ? from_ : replyTo_;
  return draft;
}

namespace {

// People type ";" between addresses as often as ","; to GMime a ";" only
// ends a group, and what follows a stray one is lost. Outside a group, and
// outside quoted strings, comments, angle brackets and domain literals, it
// becomes a ",".
std::string withSemicolonsAsCommas(std::string_view field) {
  std::string out(field);
  bool quoted = false, inGroup = false;
  int comment = 0, angle = 0, literal = 0;
  for (std::size_t i = 0; i < out.size(); ++i) {
    char& c = out[i];
    if (quoted) {
      if (c == '\\') ++i;
      else if (c == '"') quoted = false;
      continue;
    }
    if (comment > 0) {
      if (c == '\\') ++i;
      else if (c == '(') ++comment;
      else if (c == ')') --comment;
      continue;
    }
    switch (c) {
      case '"': quoted = true; break;
      case '(': comment = 1; break;
      case '<': ++angle; break;
      case '>': angle = std::max(0, angle - 1); break;
      case '[': ++literal; break;
      case ']': literal = std::max(0, literal - 1); break;
      case ':':
        if (angle == 0 && literal == 0) inGroup = true;
        break;
      case ';':
        if (angle == 0 && literal == 0) {
          if (!inGroup) c = ',';
          inGroup = false;
        }
        break;
      default: break;
    }
  }
  return out;
}

}  // namespace

std::vector<MEEmailAddress> parseAddressList(std::string_view field) {
  gmime::initialise();
  std::vector<MEEmailAddress> addresses;
  gmime::Object<InternetAddressList> list(internet_address_list_parse(nullptr, withSemicolonsAsCommas(field).c_str()));
  appendMailboxes(list.get(), addresses);
  return addresses;
}

std::string encodedAddress(const MEEmailAddress& address) {
  if (isASCII(address.rawString)) return address.rawString;
  gmime::initialise();
  gmime::Object<InternetAddressList> list(internet_address_list_parse(nullptr, address.rawString.c_str()));
  if (!list || internet_address_list_length(list.get()) == 0) return address.rawString;
  return gmime::take(internet_address_list_to_string(list.get(), nullptr, TRUE));
}

std::string encodedHeaderText(std::string_view text) {
  if (isASCII(text)) return std::string(text);
  gmime::initialise();
  return gmime::take(g_mime_utils_header_encode_text(nullptr, std::string(text).c_str(), nullptr));
}

std::string replySubject(std::string_view subject) {
  if (subject.size() >= 3 && equalsIgnoringCase(subject.substr(0, 3), "re:")) return std::string(subject);
  return "Re: " + std::string(subject);
}

}  // namespace mailkit
