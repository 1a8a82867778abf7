#pragma once

#include <cstddef>
#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "mailkit/Message.hpp"
#include "mailkit/MessageBody.hpp"

namespace mailkit {

// A raw RFC 5322 message as read from a file: its header fields (unfolded,
// encoded words decoded, raw 8-bit text read as UTF-8 when it is valid
// UTF-8, else in the charset of the message's text part), what there is to read in its body (its MIME
// structure read with GMime), and its untouched bytes. Every text it hands out is UTF-8. Shapes of
// mail that GMime cannot take as they are (blank lines before the headers, a
// missing blank line after them, several Content-Type fields, delimiters
// that do not match the boundary) are mended before it reads them.
class MessageFile {
 public:
  // Far more than any mail server takes: what is larger is no message.
  static constexpr std::size_t kMaxFileBytes = 64 * 1024 * 1024;

  // The message in a regular file of at most kMaxFileBytes; anything else (a
  // FIFO, a device, a folder, a larger file) fails without waiting or reading
  // on, with "Cannot read the message file …: " and the reason.
  static std::expected<MessageFile, std::string> read(const std::filesystem::path& path);
  static MessageFile parse(std::string rawData);

  // The first field of that name (case-insensitive), decoded and trimmed.
  std::optional<std::string> header(std::string_view name) const;
  const std::string& rawData() const { return rawData_; }

  // False when the data does not begin with a header field: it is no mail
  // message, and its whole text is the body, one plain text part.
  bool hasHeaderFields() const { return hasHeaderFields_; }
  const BodyPart& body() const { return body_; }
  // What the compose window quotes of the body: every inline text part, as
  // the assistant's quote reads them, but of alternatives the plain one, as
  // a reply in plain text quotes it (see readableBodyText).
  std::string bodyText() const;

  // The message as received, raw bytes included.
  MEMessage message() const;
  // A new message answering this one: to the Reply-To (or From) addresses,
  // with the subject given "Re: " once.
  MEMessage replyDraft() const;

 private:
  // The mailboxes of every field of that name, in order.
  std::vector<MEEmailAddress> addresses(std::string_view field) const;

  std::vector<std::pair<std::string, std::string>> fields_;  // names and raw values
  std::string headerCharset_;  // of raw 8-bit text in the fields: the one the message's text part declares
  std::string rawData_;
  bool hasHeaderFields_ = false;
  BodyPart body_;
};

// The mailboxes of an address-list field, each as "Name <address>" (the name
// decoded and quoted where it must be) or as the bare address; the members
// of a group stand in its place. A ";" outside a group separates addresses
// as a "," does. What is not an address at all is dropped. Raw 8-bit text
// that is not UTF-8 is read in `eightBitCharset`, if given.
std::vector<MEEmailAddress> parseAddressList(std::string_view field, std::string_view eightBitCharset = {});

// An address-list entry ready for a header field: entries in ASCII stay as
// they are; others get their names as encoded words.
std::string encodedAddress(const MEEmailAddress& address);

// Unstructured header text ready for a header field: ASCII stays as it is;
// other words become encoded words.
std::string encodedHeaderText(std::string_view text);

// "Re: " + subject, unless the subject already starts with "Re:" in any case.
std::string replySubject(std::string_view subject);

}  // namespace mailkit
