#include "mailkit/Message.hpp"

namespace mailkit {

std::vector<MEEmailAddress> MEMessage::allRecipientAddresses() const {
  std::vector<MEEmailAddress> all = toAddresses;
  all.insert(all.end(), ccAddresses.begin(), ccAddresses.end());
  all.insert(all.end(), bccAddresses.begin(), bccAddresses.end());
  return all;
}

}  // namespace mailkit
