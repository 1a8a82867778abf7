#pragma once

#include <optional>
#include <string>
#include <vector>

#include "foundation/Error.hpp"
#include "mailkit/Address.hpp"

namespace mailkit {

// Whether an outgoing message can be signed and encrypted.
struct MEOutgoingMessageEncodingStatus {
  bool canSign = false;
  bool canEncrypt = false;
  platform::ErrorPtr securityError;
  std::vector<MEEmailAddress> addressesFailingEncryption;
};

// An outgoing message after signing and encryption.
struct MEMessageEncodingResult {
  std::optional<std::string> encodedMessage;
  platform::ErrorPtr signingError;
  platform::ErrorPtr encryptionError;
};

// A received message after decoding, with what Mail shows about its signers.
struct MEDecodedMessage {
  std::string rawData;
};

// The message a security view is about.
struct MEMessageContext {
  std::string messageID;
};

}  // namespace mailkit
