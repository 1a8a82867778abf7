#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "security/KeychainItemStore.hpp"

// The content of FileKeychainItemStore's file: one JSON object,
// {"items": [{"service", "account", "accessGroup" (only when set), "data"}]},
// each value a text, the data as lowercase hexadecimal.
namespace platform::security {

using KeychainItems = std::map<KeychainItemQuery, Data>;

// The items, or nothing when the text is not such a document. Linear in the
// length of the text.
std::optional<KeychainItems> decodeKeychainItems(std::string_view text);

// The document, or nothing when a service, account or access group is not
// valid UTF-8 (it would not read back as itself).
std::optional<std::string> encodeKeychainItems(const KeychainItems& items);

}  // namespace platform::security
