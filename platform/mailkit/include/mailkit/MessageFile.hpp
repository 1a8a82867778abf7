#pragma once

#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "mailkit/Message.hpp"

namespace mailkit {

// A raw RFC 5322 message as read from a file, read with GMime: its header
// fields (unfolded, encoded words decoded), its MIME structure and its
// untouched bytes. Every text it hands out is UTF-8; whatever cannot be
// decoded becomes U+FFFD.
class MessageFile {
 public:
  static std::expected<MessageFile, std::string> read(const std::filesystem::path& path);
  static MessageFile parse(std::string rawData);

  // The first field of that name (case-insensitive), decoded and trimmed.
  std::optional<std::string> header(std::string_view name) const;
  const std::string& rawData() const { return rawData_; }

  // True when the body is MIME-encoded: a multipart Content-Type, or a
  // quoted-printable or base64 Content-Transfer-Encoding.
  bool hasMIMEBody() const { return hasMIMEBody_; }
  // The first part of type text/html or text/plain that is not an
  // attachment, in the order the parts stand, decoded from its transfer
  // encoding and charset. A charset that cannot be converted keeps the bytes
  // that are UTF-8 already. A multipart whose boundary never occurs counts as
  // one text/plain part holding its content. Parts of attached messages are
  // not looked at.
  const std::optional<std::string>& htmlPart() const { return htmlPart_; }
  const std::optional<std::string>& plainPart() const { return plainPart_; }
  // What a person reads of the body: the plain part, else the HTML part; a
  // message without a single header field is all body.
  std::string bodyText() const;

  // The message as received, raw bytes included.
  MEMessage message() const;
  // A new message answering this one: to the Reply-To (or From) addresses,
  // with the subject given "Re: " once.
  MEMessage replyDraft() const;

 private:
  std::vector<std::pair<std::string, std::string>> fields_;
  std::vector<MEEmailAddress> from_, replyTo_, to_, cc_;
  std::string rawData_;
  bool hasMIMEBody_ = false;
  bool readable_ = false;
  std::optional<std::string> htmlPart_;
  std::optional<std::string> plainPart_;
};

// The mailboxes of an address-list field, each as "Name <address>" (the name
// decoded and quoted where it must be) or as the bare address; the members
// of a group stand in its place. A ";" outside a group separates addresses
// as a "," does. What is not an address at all is dropped.
std::vector<MEEmailAddress> parseAddressList(std::string_view field);

// An address-list entry ready for a header field: entries in ASCII stay as
// they are; others get their names as encoded words.
std::string encodedAddress(const MEEmailAddress& address);

// Unstructured header text ready for a header field: ASCII stays as it is;
// other words become encoded words.
std::string encodedHeaderText(std::string_view text);

// "Re: " + subject, unless the subject already starts with "Re:" in any case.
std::string replySubject(std::string_view subject);

}  // namespace mailkit
