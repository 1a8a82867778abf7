#pragma once

#include "mailkit/Handlers.hpp"

namespace quorbel {

// The extension's principal object: a new handler for every compose window,
// one shared handler each for message actions, content blocking and message
// security.
class MailExtension : public mailkit::MEExtension {
 public:
  MailExtension();
  std::shared_ptr<mailkit::MEComposeSessionHandler> handlerForComposeSession(mailkit::MEComposeSession& session) override;
  std::shared_ptr<mailkit::MEMessageActionHandler> handlerForMessageActions() override;
  std::shared_ptr<mailkit::MEContentBlocker> handlerForContentBlocker() override;
  std::shared_ptr<mailkit::MEMessageSecurityHandler> handlerForMessageSecurity() override;
};

}  // namespace quorbel
