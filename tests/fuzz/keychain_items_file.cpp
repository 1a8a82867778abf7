// The keychain items file: any text gives the items or is refused as
// damaged, and the items written again read back as themselves.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "security/KeychainItemsFile.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto items = platform::security::decodeKeychainItems(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!items) return 0;
  auto text = platform::security::encodeKeychainItems(*items);
  if (!text || platform::security::decodeKeychainItems(*text) != items) std::abort();
  return 0;
}
