// What the property-list reader accepts is written again and read back as
// itself: always in the binary form (which settings are written in), and in
// the XML form whenever that form can hold it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "foundation/PropertyList.hpp"
#include "test_support/IdenticalValues.hpp"
#include "test_support/XMLPropertyList.hpp"

namespace {

using test_support::identical;

void require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto value = platform::plist::parse(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!value) return 0;
  auto binary = platform::plist::toBinary(*value);
  require(binary.has_value());
  auto reread = platform::plist::parse(*binary);
  require(reread.has_value() && identical(*reread, *value));
  if (auto xml = test_support::xmlPropertyList(*value)) {
    auto fromXML = platform::plist::parse(*xml);
    require(fromXML.has_value() && *fromXML == *value);
  }
  return 0;
}
