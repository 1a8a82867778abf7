// The settings files (and the bundle's Info list) as property lists:
// whatever the bytes, a value or an error; every text and key read is UTF-8,
// and what was read writes out as XML that reads again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "foundation/PropertyList.hpp"
#include "foundation/Text.hpp"

namespace {

void requireUTF8(const platform::PropertyValue& value) {
  if (auto text = value.asString(); text && !platform::text::isValidUTF8(*text)) std::abort();
  if (auto array = value.asArray())
    for (const auto& item : *array) requireUTF8(item);
  if (auto dictionary = value.asDictionary())
    for (const auto& [key, item] : *dictionary) {
      if (!platform::text::isValidUTF8(key)) std::abort();
      requireUTF8(item);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto value = platform::plist::parse(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!value) return 0;
  requireUTF8(*value);
  if (!platform::plist::parse(platform::plist::toXML(*value))) std::abort();
  return 0;
}
