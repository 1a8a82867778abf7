#pragma once

#include <map>
#include <memory>
#include <string>

namespace platform {

// The common shape of every failure that crosses a completion: a domain and a
// code for programs, a localized description for people. Typed errors derive
// from it; platform failures (transport, JSON) use DomainError.
class Error {
 public:
  virtual ~Error() = default;
  virtual std::string domain() const = 0;
  virtual long code() const = 0;
  virtual std::string localizedDescription() const = 0;
  // Everything we know about the error, for diagnostics.
  virtual std::string debugDescription() const;
  // The user-info dictionary as printed in diagnostics.
  virtual std::string userInfoDescription() const;
};

using ErrorPtr = std::shared_ptr<const Error>;

// A plain error with a domain, a code, a description and extra user info.
class DomainError : public Error {
 public:
  DomainError(std::string domain, long code, std::string description,
              std::map<std::string, std::string> userInfo = {});
  std::string domain() const override { return domain_; }
  long code() const override { return code_; }
  std::string localizedDescription() const override { return description_; }
  std::string userInfoDescription() const override;
  const std::map<std::string, std::string>& userInfo() const { return userInfo_; }

 private:
  std::string domain_;
  long code_;
  std::string description_;
  std::map<std::string, std::string> userInfo_;
};

ErrorPtr makeError(std::string domain, long code, std::string description,
                   std::map<std::string, std::string> userInfo = {});

// The typed error behind a pointer, or null when it is of another type.
template <typename T>
const T* errorAs(const ErrorPtr& error) {
  return dynamic_cast<const T*>(error.get());
}

}  // namespace platform
