#include "compose/ComposeSessionError.hpp"

#include <memory>

namespace quorbel {

platform::ErrorPtr ComposeSessionError::invalidRecipientDomain() { return std::make_shared<ComposeSessionError>(); }

std::string ComposeSessionError::localizedDescription() const {
  return std::string(kBarredRecipientDomain) + " is not a valid recipient domain";
}

bool isBarredRecipient(const std::string& rawAddress) {
  return rawAddress.ends_with(std::string("@") + kBarredRecipientDomain);
}

}  // namespace quorbel
