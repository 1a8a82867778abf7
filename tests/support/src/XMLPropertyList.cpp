#include "test_support/XMLPropertyList.hpp"

#include <algorithm>
#include <memory>

#include <plist/plist.h>

#include "foundation/PropertyList.hpp"

namespace test_support {
namespace {

using platform::PropertyValue;

// libplist ends the process when asked to print a text or key holding NUL.
bool holdsNUL(const PropertyValue& value) {
  if (const auto* text = value.asString()) return text->find('\0') != std::string::npos;
  if (const auto* items = value.asArray())
    return std::any_of(items->begin(), items->end(), [](const PropertyValue& item) { return holdsNUL(item); });
  if (const auto* entries = value.asDictionary())
    return std::any_of(entries->begin(), entries->end(), [](const auto& entry) {
      return entry.first.find('\0') != std::string::npos || holdsNUL(entry.second);
    });
  return false;
}

}  // namespace

std::optional<std::string> xmlPropertyList(const PropertyValue& value) {
  if (holdsNUL(value)) return std::nullopt;
  // Handed over in the binary form, which keeps every value exactly.
  auto binary = platform::plist::toBinary(value);
  if (!binary) return std::nullopt;
  plist_t raw = nullptr;
  plist_from_bin(binary->data(), static_cast<uint32_t>(binary->size()), &raw);
  if (!raw) return std::nullopt;
  const std::unique_ptr<void, decltype(&plist_free)> tree(raw, &plist_free);
  char* xml = nullptr;
  uint32_t length = 0;
  plist_to_xml(raw, &xml, &length);
  if (!xml) return std::nullopt;
  std::string out(xml, length);
  plist_to_xml_free(xml);
  // What XML cannot hold comes back changed, or not at all.
  auto reread = platform::plist::parse(out);
  if (!reread || !(*reread == value)) return std::nullopt;
  return out;
}

}  // namespace test_support
