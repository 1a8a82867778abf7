#include "foundation/Error.hpp"

#include <fmt/format.h>

namespace platform {

std::string Error::debugDescription() const {
  return fmt::format("Error Domain={} Code={} \"{}\" UserInfo={}", domain(), code(), localizedDescription(),
                     userInfoDescription());
}

std::string Error::userInfoDescription() const {
  return fmt::format("{{NSLocalizedDescription={}}}", localizedDescription());
}

DomainError::DomainError(std::string domain, long code, std::string description,
                         std::map<std::string, std::string> userInfo)
    : domain_(std::move(domain)), code_(code), description_(std::move(description)), userInfo_(std::move(userInfo)) {}

std::string DomainError::userInfoDescription() const {
  std::string out = "{";
  for (const auto& [key, value] : userInfo_) out += fmt::format("{}={}, ", key, value);
  out += fmt::format("NSLocalizedDescription={}}}", description_);
  return out;
}

ErrorPtr makeError(std::string domain, long code, std::string description,
                   std::map<std::string, std::string> userInfo) {
  return std::make_shared<DomainError>(std::move(domain), code, std::move(description), std::move(userInfo));
}

}  // namespace platform
