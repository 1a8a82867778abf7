#include "security/KeychainItemStore.hpp"

namespace platform::security {

OSStatus InMemoryKeychainItemStore::copyMatching(const KeychainItemQuery& query, Data& data) {
  std::lock_guard lock(mutex_);
  if (forcedStatus_) return *forcedStatus_;
  auto it = items_.find(query);
  if (it == items_.end()) return errSecItemNotFound;
  data = it->second;
  return errSecSuccess;
}

OSStatus InMemoryKeychainItemStore::add(const KeychainItemQuery& query, const Data& data) {
  std::lock_guard lock(mutex_);
  if (forcedStatus_) return *forcedStatus_;
  return items_.emplace(query, data).second ? errSecSuccess : errSecDuplicateItem;
}

OSStatus InMemoryKeychainItemStore::update(const KeychainItemQuery& query, const Data& data) {
  std::lock_guard lock(mutex_);
  if (forcedStatus_) return *forcedStatus_;
  auto it = items_.find(query);
  if (it == items_.end()) return errSecItemNotFound;
  it->second = data;
  return errSecSuccess;
}

OSStatus InMemoryKeychainItemStore::remove(const KeychainItemQuery& query) {
  std::lock_guard lock(mutex_);
  if (forcedStatus_) return *forcedStatus_;
  return items_.erase(query) == 1 ? errSecSuccess : errSecItemNotFound;
}

void InMemoryKeychainItemStore::setForcedStatus(std::optional<OSStatus> status) {
  std::lock_guard lock(mutex_);
  forcedStatus_ = status;
}

std::size_t InMemoryKeychainItemStore::itemCount() {
  std::lock_guard lock(mutex_);
  return items_.size();
}

}  // namespace platform::security
