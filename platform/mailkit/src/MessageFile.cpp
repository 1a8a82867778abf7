#include "mailkit/MessageFile.hpp"

#include <algorithm>

#include "AsciiText.hpp"
#include "BodyReader.hpp"
#include "GMime.hpp"
#include "MessageRepairs.hpp"
#include "foundation/AtomicFile.hpp"
#include "foundation/Text.hpp"
#include "mailkit/Charsets.hpp"
#include "mailkit/EncodedWords.hpp"

namespace mailkit {

namespace {

bool isASCII(std::string_view text) {
  return std::ranges::all_of(text, [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string decoded(const char* text) { return platform::text::repairUTF8(text ? text : ""); }

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
    // GMime decodes only encoded words that stand apart; one glued to other
    // letters is decoded here.
    std::string name = decodedHeaderText(decoded(internet_address_get_name(address)));
    addresses.push_back({name.empty() ? mailbox : phrase(name) + " <" + mailbox + ">"});
  }
}

}  // namespace

std::expected<MessageFile, std::string> MessageFile::read(const std::filesystem::path& path) {
  auto bytes = platform::files::readWholeFile(path, kMaxFileBytes);
  if (!bytes) return std::unexpected("Cannot read the message file " + path.string() + ": " + bytes.error().reason);
  return parse(std::move(*bytes));
}

MessageFile MessageFile::parse(std::string rawData) {
  gmime::initialise();
  MessageFile file;
  file.rawData_ = std::move(rawData);
  std::optional<repairs::ReadableMessage> readable = repairs::readableMessage(file.rawData_);
  file.hasHeaderFields_ = readable.has_value();
  if (!readable) {
    file.body_ = BodyPart{BodyPart::Kind::plainText, textInUTF8(file.rawData_, ""), {}, {}};
    return file;
  }
  // Values are decoded here when they are asked for: GMime's own decoding of
  // encoded words stops after a padded Base64 word.
  file.fields_ = std::move(readable->fields);
  const std::string entity = readable->mimeEntity();
  gmime::Object<GMimeObject> body = gmime::parsedEntity(entity);
  file.headerCharset_ = textPartCharset(body.get());
  file.body_ = readBody(body.get(), entity.size());
  return file;
}

std::optional<std::string> MessageFile::header(std::string_view name) const {
  for (const auto& [field, value] : fields_)
    if (ascii::equalsIgnoringCase(field, name)) return decodedHeaderText(value, headerCharset_);
  return std::nullopt;
}

std::vector<MEEmailAddress> MessageFile::addresses(std::string_view name) const {
  std::vector<MEEmailAddress> addresses;
  for (const auto& [field, value] : fields_) {
    if (!ascii::equalsIgnoringCase(field, name)) continue;
    auto more = parseAddressList(value, headerCharset_);
    addresses.insert(addresses.end(), more.begin(), more.end());
  }
  return addresses;
}

std::string MessageFile::bodyText() const { return readableBodyText(body_, BodyPart::Kind::plainText); }

MEMessage MessageFile::message() const {
  MEMessage message;
  message.subject = header("Subject").value_or("");
  message.toAddresses = addresses("To");
  message.ccAddresses = addresses("Cc");
  message.rawData = rawData_;
  return message;
}

MEMessage MessageFile::replyDraft() const {
  MEMessage draft;
  draft.subject = replySubject(header("Subject").value_or(""));
  draft.toAddresses = addresses("Reply-To");
  if (draft.toAddresses.empty()) draft.toAddresses = addresses("From");
  return draft;
}

namespace {

// The address field as GMime can read it. People type ";" between addresses
// as often as ","; to GMime a ";" only ends a group, and what follows a
// stray one is lost. Outside a group, and outside quoted strings, comments,
// angle brackets and domain literals, it becomes a ",". Groups do not nest,
// but GMime reads a group inside a group, by recursion as deep as the field
// has colons: the name of such a group is left out, its members join the
// group around it.
std::string withGroupSeparatorsMended(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  bool quoted = false, inGroup = false;
  int comment = 0, angle = 0, literal = 0;
  std::size_t entryStart = 0;  // where the list's current entry begins in `out`
  for (std::size_t i = 0; i < field.size(); ++i) {
    char c = field[i];
    if (quoted || comment > 0) {
      if (c == '\\' && i + 1 < field.size()) {
        out += c;
        c = field[++i];
      } else if (quoted) {
        quoted = c != '"';
      } else if (c == '(' || c == ')') {
        comment += c == '(' ? 1 : -1;
      }
      out += c;
      continue;
    }
    const bool structural = angle == 0 && literal == 0;
    switch (c) {
      case '"': quoted = true; break;
      case '(': comment = 1; break;
      case '<': ++angle; break;
      case '>': angle = std::max(0, angle - 1); break;
      case '[': ++literal; break;
      case ']': literal = std::max(0, literal - 1); break;
      case ':':
        if (structural && inGroup) {
          out.resize(entryStart);
          continue;
        }
        if (structural) inGroup = true;
        break;
      case ';':
        if (structural && !inGroup) c = ',';
        if (structural) inGroup = false;
        break;
      default: break;
    }
    out += c;
    if (structural && (c == ':' || c == ';' || c == ',')) entryStart = out.size();
  }
  return out;
}

}  // namespace

std::vector<MEEmailAddress> parseAddressList(std::string_view field, std::string_view eightBitCharset) {
  gmime::initialise();
  std::vector<MEEmailAddress> addresses;
  std::string readable = withGroupSeparatorsMended(withEncodedWordsJoined(field, eightBitCharset));
  gmime::Object<InternetAddressList> list(internet_address_list_parse(gmime::parserOptions(), readable.c_str()));
  appendMailboxes(list.get(), addresses);
  return addresses;
}

std::string encodedAddress(const MEEmailAddress& address) {
  if (isASCII(address.rawString)) return address.rawString;
  gmime::initialise();
  gmime::Object<InternetAddressList> list(
      internet_address_list_parse(gmime::parserOptions(), address.rawString.c_str()));
  if (!list || internet_address_list_length(list.get()) == 0) return address.rawString;
  return gmime::take(internet_address_list_to_string(list.get(), nullptr, TRUE));
}

std::string encodedHeaderText(std::string_view text) {
  if (isASCII(text)) return std::string(text);
  gmime::initialise();
  return gmime::take(g_mime_utils_header_encode_text(nullptr, std::string(text).c_str(), nullptr));
}

std::string replySubject(std::string_view subject) {
  if (ascii::startsWithIgnoringCase(subject, "re:")) return std::string(subject);
  return "Re: " + std::string(subject);
}

}  // namespace mailkit
