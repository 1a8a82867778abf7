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

// A raw RFC 5322 message as read from a file: its header fields, unfolded,
// and the untouched bytes. Only what Mail needs to open a reply is read;
// transfer encodings and MIME parts are left alone.
class MessageFile {
 public:
  static std::expected<MessageFile, std::string> read(const std::filesystem::path& path);
  static MessageFile parse(std::string rawData);

  // The first field of that name (case-insensitive), unfolded and trimmed.
  std::optional<std::string> header(std::string_view name) const;
  const std::string& rawData() const { return rawData_; }
  // Everything after the blank line that ends the header fields.
  std::string body() const;

  // The message as received, raw bytes included.
  MEMessage message() const;
  // A new message answering this one: to the Reply-To (or From) addresses,
  // with the subject given "Re: " once.
  MEMessage replyDraft() const;

 private:
  std::vector<std::pair<std::string, std::string>> fields_;
  std::string rawData_;
};

// Splits an address-list field at the commas that stand outside quotes,
// angle brackets and comments; each entry is trimmed, empty ones are dropped.
std::vector<MEEmailAddress> parseAddressList(std::string_view field);

// "Re: " + subject, unless the subject already starts with "Re:" in any case.
std::string replySubject(std::string_view subject);

}  // namespace mailkit
