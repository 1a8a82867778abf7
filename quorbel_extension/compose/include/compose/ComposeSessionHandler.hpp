#pragma once

#include "foundation/OSLog.hpp"
#include "mailkit/Handlers.hpp"

namespace quorbel {

// Serves one compose window: the assistant's view controller, the recipient
// check and the extra header. The first handler of the process configures
// the built-in service's default app.
class ComposeSessionHandler : public mailkit::MEComposeSessionHandler {
 public:
  ComposeSessionHandler();

  void mailComposeSessionDidBegin(mailkit::MEComposeSession& session) override;
  void mailComposeSessionDidEnd(mailkit::MEComposeSession& session) override;
  std::shared_ptr<mailkit::MEExtensionViewController> viewControllerForSession(
      mailkit::MEComposeSession& session) override;
  // Marks every barred recipient, on the main queue after returning.
  void annotateAddresses(mailkit::MEComposeSession& session,
                         std::function<void(mailkit::AddressAnnotations)> completion) override;
  // Refuses the first barred recipient; synchronous.
  void canSendMessage(mailkit::MEComposeSession& session, std::function<void(platform::ErrorPtr)> completion) override;
  mailkit::HeaderFields additionalHeadersForSession(mailkit::MEComposeSession& session) override;

  const platform::OSLog& logger() const { return logger_; }

 private:
  platform::OSLog logger_;
};

}  // namespace quorbel
