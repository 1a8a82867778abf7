// What the property-list reader accepts is written again and read back as
// itself: always in the binary form (which settings are written in), and in
// the XML form whenever that form can hold it.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "foundation/PropertyList.hpp"

namespace {

using platform::PropertyValue;

// Equal in type and value, floating-point numbers bit for bit.
bool identical(const PropertyValue& a, const PropertyValue& b) {
  if (a.asReal() && b.asReal()) return std::bit_cast<std::uint64_t>(*a.asReal()) == std::bit_cast<std::uint64_t>(*b.asReal());
  if (a.asDate() && b.asDate())
    return std::bit_cast<std::uint64_t>(a.asDate()->secondsSinceReferenceDate) ==
           std::bit_cast<std::uint64_t>(b.asDate()->secondsSinceReferenceDate);
  if (a.asArray() && b.asArray()) {
    const auto &x = *a.asArray(), &y = *b.asArray();
    if (x.size() != y.size()) return false;
    for (std::size_t i = 0; i < x.size(); ++i)
      if (!identical(x[i], y[i])) return false;
    return true;
  }
  if (a.asDictionary() && b.asDictionary()) {
    const auto &x = *a.asDictionary(), &y = *b.asDictionary();
    if (x.size() != y.size()) return false;
    for (auto i = x.begin(), j = y.begin(); i != x.end(); ++i, ++j)
      if (i->first != j->first || !identical(i->second, j->second)) return false;
    return true;
  }
  return a == b;
}

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
  if (auto xml = platform::plist::toXML(*value)) {
    auto fromXML = platform::plist::parse(*xml);
    require(fromXML.has_value() && *fromXML == *value);
  }
  return 0;
}
