#include "compose/MailExtension.hpp"

#include "compose/ComposeSessionHandler.hpp"
#include "compose/ContentBlocker.hpp"
#include "compose/MessageActionHandler.hpp"
#include "compose/MessageSecurityHandler.hpp"
#include "foundation/Console.hpp"

namespace quorbel {

MailExtension::MailExtension() { platform::console::print("🎯 MailExtension: Extension initialized"); }

std::shared_ptr<mailkit::MEComposeSessionHandler> MailExtension::handlerForComposeSession(mailkit::MEComposeSession&) {
  platform::console::print("🎯 MailExtension: Creating ComposeSessionHandler for session");
  return std::make_shared<ComposeSessionHandler>();
}

// Function-local statics: created once, on first request, even from two
// threads at a time, and kept for the life of the process.
std::shared_ptr<mailkit::MEMessageActionHandler> MailExtension::handlerForMessageActions() {
  static const auto handler = std::make_shared<MessageActionHandler>();
  return handler;
}

std::shared_ptr<mailkit::MEContentBlocker> MailExtension::handlerForContentBlocker() {
  static const auto handler = std::make_shared<ContentBlocker>();
  return handler;
}

std::shared_ptr<mailkit::MEMessageSecurityHandler> MailExtension::handlerForMessageSecurity() {
  static const auto handler = std::make_shared<MessageSecurityHandler>();
  return handler;
}

}  // namespace quorbel
