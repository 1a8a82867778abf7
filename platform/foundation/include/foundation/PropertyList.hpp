#pragma once

#include <expected>
#include <filesystem>
#include <string>
#include <string_view>

#include "foundation/Error.hpp"
#include "foundation/PropertyValue.hpp"

namespace platform::plist {

inline constexpr const char* kErrorDomain = "PropertyListErrorDomain";

// Reads an XML or binary property list (the format is detected).
std::expected<PropertyValue, ErrorPtr> parse(std::string_view bytes);
std::expected<PropertyValue, ErrorPtr> readFile(const std::filesystem::path& path);

std::string toXML(const PropertyValue& value);
std::string toBinary(const PropertyValue& value);

}  // namespace platform::plist
