// The property-list reader behind every settings file, bundle Info list and
// options list, in both forms: whatever the bytes, a value or an error; and
// a value as `defaults read` prints it holds nothing a terminal would obey.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ShownText.hpp"
#include "foundation/PropertyList.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto value = platform::plist::parse(std::string_view(reinterpret_cast<const char*>(data), size));
  if (value) requireShowable(value->description());
  return 0;
}
