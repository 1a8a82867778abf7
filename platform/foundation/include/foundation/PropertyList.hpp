#pragma once

#include <expected>
#include <filesystem>
#include <string>
#include <string_view>

#include "foundation/Error.hpp"
#include "foundation/PropertyValue.hpp"

namespace platform::plist {

inline constexpr const char* kErrorDomain = "PropertyListErrorDomain";
// Codes of the errors: as the platform numbers its file and format errors.
inline constexpr long kFileReadUnknownCode = 256;
inline constexpr long kFileReadNoPermissionCode = 257;
inline constexpr long kFileReadNoSuchFileCode = 260;
inline constexpr long kFormatCode = 3840;

// Reads an XML or binary property list (the format is detected). Whatever the
// bytes hold, the answer is a value or a format error: files nesting deeper
// than 256 levels or expanding into more than a million values, texts that
// are not valid Unicode and types settings never hold are refused.
std::expected<PropertyValue, ErrorPtr> parse(std::string_view bytes);
// parse on a file's content; a file that cannot be read gives a file error
// whose description names the file and the cause.
std::expected<PropertyValue, ErrorPtr> readFile(const std::filesystem::path& path);

// The binary form keeps every value exactly; it fails only on a text (or a
// dictionary key) that is not valid UTF-8.
std::expected<std::string, ErrorPtr> toBinary(const PropertyValue& value);
// The XML form, for files people read (bundle Info lists). It fails, rather
// than change a value, on what XML cannot hold: texts with NUL characters,
// dates with fractions of a second, NaN.
std::expected<std::string, ErrorPtr> toXML(const PropertyValue& value);

}  // namespace platform::plist
