#include "firebase_core/GULKeychainUtils.hpp"

#include <fmt/format.h>

namespace firebase {

using platform::security::errSecItemNotFound;
using platform::security::errSecSuccess;

platform::ErrorPtr GULKeychainUtils::keychainError(const std::string& function, platform::security::OSStatus status) {
  const std::string reason = fmt::format("{} ({})", function, status);
  return platform::makeError(kErrorDomain, 0, reason, {{"NSLocalizedFailureReason", reason}});
}

std::expected<std::optional<GULKeychainUtils::Data>, platform::ErrorPtr> GULKeychainUtils::getItem(Store& store,
                                                                                                   const Query& query) {
  Data data;
  const auto status = store.copyMatching(query, data);
  if (status == errSecSuccess) return data;
  if (status == errSecItemNotFound) return std::nullopt;
  return std::unexpected(keychainError("SecItemCopyMatching", status));
}

std::expected<void, platform::ErrorPtr> GULKeychainUtils::setItem(Store& store, const Data& data, const Query& query) {
  auto existing = getItem(store, query);
  if (!existing) return std::unexpected(existing.error());
  if (*existing) {
    const auto status = store.update(query, data);
    if (status != errSecSuccess) return std::unexpected(keychainError("SecItemUpdate", status));
  } else {
    const auto status = store.add(query, data);
    if (status != errSecSuccess) return std::unexpected(keychainError("SecItemAdd", status));
  }
  return {};
}

std::expected<void, platform::ErrorPtr> GULKeychainUtils::removeItem(Store& store, const Query& query) {
  const auto status = store.remove(query);
  if (status == errSecSuccess || status == errSecItemNotFound) return {};
  return std::unexpected(keychainError("SecItemDelete", status));
}

}  // namespace firebase
