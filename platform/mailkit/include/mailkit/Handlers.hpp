#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "foundation/Error.hpp"
#include "mailkit/Address.hpp"
#include "mailkit/MEExtensionViewController.hpp"
#include "mailkit/Message.hpp"
#include "mailkit/MessageAction.hpp"
#include "mailkit/Security.hpp"

namespace mailkit {

using AddressAnnotations = std::map<MEEmailAddress, MEAddressAnnotation>;
using HeaderFields = std::map<std::string, std::vector<std::string>>;

// Serves one compose window.
class MEComposeSessionHandler {
 public:
  virtual ~MEComposeSessionHandler() = default;
  virtual void mailComposeSessionDidBegin(MEComposeSession& session) = 0;
  virtual void mailComposeSessionDidEnd(MEComposeSession& session) = 0;
  virtual std::shared_ptr<MEExtensionViewController> viewControllerForSession(MEComposeSession& session) = 0;
  virtual void annotateAddresses(MEComposeSession& session, std::function<void(AddressAnnotations)> completion) = 0;
  // Completes with no error when the message may be sent.
  virtual void canSendMessage(MEComposeSession& session, std::function<void(platform::ErrorPtr)> completion) = 0;
  virtual HeaderFields additionalHeadersForSession(MEComposeSession& session) = 0;
};

// Decides what happens to incoming messages.
class MEMessageActionHandler {
 public:
  virtual ~MEMessageActionHandler() = default;
  virtual void decideActionForMessage(const MEMessage& message,
                                      std::function<void(std::optional<MEMessageActionDecision>)> completion) = 0;
};

// Supplies content-blocking rules for message bodies.
class MEContentBlocker {
 public:
  virtual ~MEContentBlocker() = default;
  virtual std::string contentRulesJSON() = 0;
};

// Signs, encrypts and decodes messages.
class MEMessageSecurityHandler {
 public:
  virtual ~MEMessageSecurityHandler() = default;
  virtual void getEncodingStatusForMessage(const MEMessage& message, const MEComposeContext& composeContext,
                                           std::function<void(MEOutgoingMessageEncodingStatus)> completion) = 0;
  virtual void encodeMessage(const MEMessage& message, const MEComposeContext& composeContext,
                             std::function<void(MEMessageEncodingResult)> completion) = 0;
  virtual std::optional<MEDecodedMessage> decodedMessageForMessageData(const std::string& data) = 0;
  virtual std::shared_ptr<MEExtensionViewController> extensionViewControllerForMessageSigners(
      const MEMessageContext& context) = 0;
  virtual std::shared_ptr<MEExtensionViewController> extensionViewControllerForMessageContext(
      const MEMessageContext& context) = 0;
  virtual void primaryActionClickedForMessageContext(
      const MEMessageContext& context, std::function<void(std::shared_ptr<MEExtensionViewController>)> completion) = 0;
};

// The extension's principal object, which Mail asks for its handlers.
class MEExtension {
 public:
  virtual ~MEExtension() = default;
  virtual std::shared_ptr<MEComposeSessionHandler> handlerForComposeSession(MEComposeSession& session) = 0;
  virtual std::shared_ptr<MEMessageActionHandler> handlerForMessageActions() = 0;
  virtual std::shared_ptr<MEContentBlocker> handlerForContentBlocker() = 0;
  virtual std::shared_ptr<MEMessageSecurityHandler> handlerForMessageSecurity() = 0;
};

}  // namespace mailkit
