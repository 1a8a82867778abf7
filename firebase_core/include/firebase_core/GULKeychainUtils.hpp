#pragma once

#include <expected>
#include <optional>
#include <string>

#include "foundation/Error.hpp"
#include "security/KeychainItemStore.hpp"

namespace firebase {

// The three keychain calls, with their failures as errors of domain
// "com.gul.keychain.ErrorDomain", code 0, reason "<function> (<status>)".
class GULKeychainUtils {
 public:
  using Store = platform::security::KeychainItemStore;
  using Query = platform::security::KeychainItemQuery;
  using Data = platform::security::Data;

  static constexpr const char* kErrorDomain = "com.gul.keychain.ErrorDomain";

  // Absent, without an error, when there is no such item.
  static std::expected<std::optional<Data>, platform::ErrorPtr> getItem(Store& store, const Query& query);
  // Updates an existing item or adds a new one.
  static std::expected<void, platform::ErrorPtr> setItem(Store& store, const Data& data, const Query& query);
  // A missing item counts as removed.
  static std::expected<void, platform::ErrorPtr> removeItem(Store& store, const Query& query);

  static platform::ErrorPtr keychainError(const std::string& function, platform::security::OSStatus status);
};

}  // namespace firebase
