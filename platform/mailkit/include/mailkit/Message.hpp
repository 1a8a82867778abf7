#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "mailkit/Address.hpp"

namespace mailkit {

// A mail message as the extension sees it.
struct MEMessage {
  std::string subject;
  std::vector<MEEmailAddress> toAddresses;
  std::vector<MEEmailAddress> ccAddresses;
  std::vector<MEEmailAddress> bccAddresses;
  // The complete message as it was received, headers and body; absent for a
  // message that is still being written.
  std::optional<std::string> rawData;

  // To, Cc and Bcc, in that order.
  std::vector<MEEmailAddress> allRecipientAddresses() const;
};

// Why a compose window was opened: for a reply, the message being answered.
struct MEComposeContext {
  std::shared_ptr<const MEMessage> originalMessage;
};

// One compose window. Mail updates `mailMessage` as the user edits the
// recipients and the subject.
class MEComposeSession {
 public:
  MEComposeSession(MEMessage mailMessage, MEComposeContext composeContext)
      : mailMessage_(std::move(mailMessage)), composeContext_(std::move(composeContext)) {}

  const MEMessage& mailMessage() const { return mailMessage_; }
  void setMailMessage(MEMessage message) { mailMessage_ = std::move(message); }
  const MEComposeContext& composeContext() const { return composeContext_; }

 private:
  MEMessage mailMessage_;
  MEComposeContext composeContext_;
};

}  // namespace mailkit
