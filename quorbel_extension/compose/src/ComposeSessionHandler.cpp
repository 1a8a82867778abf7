#include "compose/ComposeSessionHandler.hpp"

#include "compose/ComposeSessionError.hpp"
#include "compose/ComposeSessionViewController.hpp"
#include "compose/QuotedMessage.hpp"
#include "foundation/Console.hpp"
#include "foundation/Dispatch.hpp"
#include "firebase_core/FIRApp.hpp"
#include "firebase_core/FIRException.hpp"

namespace quorbel {

ComposeSessionHandler::ComposeSessionHandler() : logger_("com.holdrin.quorbel.extension", "ComposeSessionHandler") {
  if (firebase::FIRApp::defaultApp()) {
    logger_.log(platform::LogType::defaultLevel, "ℹ️ Firebase already configured, skipping configuration.");
    return;
  }
  // Without an options list the built-in service stays unconfigured; the
  // other providers work all the same, so the failure is only logged.
  try {
    firebase::FIRApp::configure();
  } catch (const firebase::FIRException& e) {
    logger_.log(platform::LogType::error, "❌ Firebase could not be configured: " + e.reason());
    return;
  }
  logger_.log(platform::LogType::defaultLevel, "✅ Firebase configured in ComposeSessionHandler.");
}

void ComposeSessionHandler::mailComposeSessionDidBegin(mailkit::MEComposeSession&) {}

void ComposeSessionHandler::mailComposeSessionDidEnd(mailkit::MEComposeSession&) {}

std::shared_ptr<mailkit::MEExtensionViewController> ComposeSessionHandler::viewControllerForSession(
    mailkit::MEComposeSession& session) {
  platform::console::print("🎯 ComposeSessionHandler: Creating ComposeSessionViewController");
  auto controller = std::make_shared<ComposeSessionViewController>();
  controller->quotedEmailContent = quotedMessageText(session.composeContext(), logger_);
  return controller;
}

void ComposeSessionHandler::annotateAddresses(mailkit::MEComposeSession& session,
                                              std::function<void(mailkit::AddressAnnotations)> completion) {
  auto recipients = session.mailMessage().allRecipientAddresses();
  platform::DispatchQueue::main().async([recipients = std::move(recipients), completion = std::move(completion)] {
    mailkit::AddressAnnotations annotations;
    for (const auto& address : recipients) {
      if (isBarredRecipient(address.rawString))
        annotations.insert_or_assign(
            address, mailkit::MEAddressAnnotation::error(std::string(kBarredRecipientDomain) + " is not a valid domain"));
    }
    completion(std::move(annotations));
  });
}

void ComposeSessionHandler::canSendMessage(mailkit::MEComposeSession& session,
                                           std::function<void(platform::ErrorPtr)> completion) {
  for (const auto& address : session.mailMessage().allRecipientAddresses()) {
    if (isBarredRecipient(address.rawString)) return completion(ComposeSessionError::invalidRecipientDomain());
  }
  completion(nullptr);
}

mailkit::HeaderFields ComposeSessionHandler::additionalHeadersForSession(mailkit::MEComposeSession&) {
  return {{"X-CustomHeader", {"This ia a custom header."}}};
}

}  // namespace quorbel
