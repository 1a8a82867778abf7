// The property-list reader behind every settings file, bundle Info list and
// options list, in both forms: whatever the bytes, a value or an error.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "foundation/PropertyList.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  (void)platform::plist::parse(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
