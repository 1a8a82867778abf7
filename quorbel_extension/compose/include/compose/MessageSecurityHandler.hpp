#pragma once

#include <string>

#include "mailkit/Handlers.hpp"

namespace quorbel {

// Answers Mail's signing and encryption questions: the extension does
// neither, and never reports an error.
class MessageSecurityHandler : public mailkit::MEMessageSecurityHandler {
 public:
  void getEncodingStatusForMessage(const mailkit::MEMessage& message, const mailkit::MEComposeContext& composeContext,
                                   std::function<void(mailkit::MEOutgoingMessageEncodingStatus)> completion) override;
  void encodeMessage(const mailkit::MEMessage& message, const mailkit::MEComposeContext& composeContext,
                     std::function<void(mailkit::MEMessageEncodingResult)> completion) override;
  std::optional<mailkit::MEDecodedMessage> decodedMessageForMessageData(const std::string& data) override;
  std::shared_ptr<mailkit::MEExtensionViewController> extensionViewControllerForMessageSigners(
      const mailkit::MEMessageContext& context) override;
  std::shared_ptr<mailkit::MEExtensionViewController> extensionViewControllerForMessageContext(
      const mailkit::MEMessageContext& context) override;
  void primaryActionClickedForMessageContext(
      const mailkit::MEMessageContext& context,
      std::function<void(std::shared_ptr<mailkit::MEExtensionViewController>)> completion) override;
};

// The signers view: shows the bundle's "MessageSecurityViewController.txt".
class MessageSecurityViewController : public mailkit::MEExtensionViewController {
 public:
  void loadView() override;
  // What the view shows; empty until loaded or when the resource is missing.
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

}  // namespace quorbel
