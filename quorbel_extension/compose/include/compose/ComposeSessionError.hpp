#pragma once

#include <string>

#include "foundation/Error.hpp"

namespace quorbel {

// Why a compose window may not send its message.
class ComposeSessionError : public platform::Error {
 public:
  enum class Case { invalidRecipientDomain };

  static platform::ErrorPtr invalidRecipientDomain();

  Case errorCase() const { return Case::invalidRecipientDomain; }
  std::string domain() const override { return "ComposeSessionError"; }
  long code() const override { return 0; }
  std::string localizedDescription() const override;
};

// Recipients at this domain are refused.
inline constexpr const char* kBarredRecipientDomain = "example.com";

// True when the raw address text ends with "@" and the barred domain, exactly
// (no trimming, no parsing, case-sensitive).
bool isBarredRecipient(const std::string& rawAddress);

}  // namespace quorbel
