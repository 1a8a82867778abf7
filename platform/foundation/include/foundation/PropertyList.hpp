#pragma once

#include <cstddef>
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

// What a property list may hold. No settings file, bundle Info list or
// options list comes near these; beyond them a file is refused as soon as
// that is known, before it costs time or memory.
inline constexpr std::size_t kMaxFileBytes = 32 * 1024 * 1024;
// Values, dictionary keys counted, once shared objects are expanded.
inline constexpr std::size_t kMaxValues = 100'000;
// Levels of nesting; a value alone is one level.
inline constexpr std::size_t kMaxDepth = 256;

// Reads an XML or binary property list (the format is detected). Whatever the
// bytes hold, the answer is a value or a format error: files beyond the
// limits above, texts that are not valid Unicode, types settings never hold,
// and values the text does not give exactly (an integer beyond 64 bits,
// "12abc", a date in the year 99999, data that is not Base64) are refused,
// the last ones naming the key they stand under.
std::expected<PropertyValue, ErrorPtr> parse(std::string_view bytes);
// parse on a file's content; a file that cannot be read gives a file error
// whose description names the file and the cause. Special files (a FIFO, a
// device) and files larger than kMaxFileBytes are refused unread.
std::expected<PropertyValue, ErrorPtr> readFile(const std::filesystem::path& path);

// The binary form keeps every value exactly; it fails only on a text (or a
// dictionary key) that is not valid UTF-8, and on a list beyond the limits
// above, which parse would refuse.
std::expected<std::string, ErrorPtr> toBinary(const PropertyValue& value);

}  // namespace platform::plist
