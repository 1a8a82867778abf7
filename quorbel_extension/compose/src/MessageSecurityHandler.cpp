#include "compose/MessageSecurityHandler.hpp"

#include "compose/BundleResource.hpp"

namespace quorbel {

void MessageSecurityHandler::getEncodingStatusForMessage(
    const mailkit::MEMessage&, const mailkit::MEComposeContext&,
    std::function<void(mailkit::MEOutgoingMessageEncodingStatus)> completion) {
  completion(mailkit::MEOutgoingMessageEncodingStatus{false, false, nullptr, {}});
}

void MessageSecurityHandler::encodeMessage(const mailkit::MEMessage&, const mailkit::MEComposeContext&,
                                           std::function<void(mailkit::MEMessageEncodingResult)> completion) {
  completion(mailkit::MEMessageEncodingResult{});
}

std::optional<mailkit::MEDecodedMessage> MessageSecurityHandler::decodedMessageForMessageData(const std::string&) {
  return std::nullopt;
}

std::shared_ptr<mailkit::MEExtensionViewController> MessageSecurityHandler::extensionViewControllerForMessageSigners(
    const mailkit::MEMessageContext&) {
  return std::make_shared<MessageSecurityViewController>();
}

std::shared_ptr<mailkit::MEExtensionViewController> MessageSecurityHandler::extensionViewControllerForMessageContext(
    const mailkit::MEMessageContext&) {
  return nullptr;
}

void MessageSecurityHandler::primaryActionClickedForMessageContext(
    const mailkit::MEMessageContext&, std::function<void(std::shared_ptr<mailkit::MEExtensionViewController>)> completion) {
  completion(nullptr);
}

void MessageSecurityViewController::loadView() {
  text_ = readBundleResource("MessageSecurityViewController", "txt").value_or("");
}

}  // namespace quorbel
