#pragma once

#include <cstddef>
#include <expected>
#include <string>
#include <string_view>

#include "foundation/PropertyValue.hpp"

// Our own reader of XML property lists, so that what a file says is what is
// read: every value exactly, or the file refused with the reason. Debian 12's
// libplist (2.2) reads "-9223372036854775809" as INT64_MAX, "12abc" as 12,
// "010" as 8, the year 99999 as 9998 and "@@@@" as empty data, and the next
// write would store what it read.
namespace platform::plist::xml {

// The value of a property list, or why it is refused (the reason is for
// messages). The reader goes by bytes: that the text is UTF-8 without NUL
// characters is for the caller to check. Refused are: markup that is not
// a property list, a document type with declarations of its own, numbers,
// dates and data their text does not give exactly (naming the key they stand
// under), and files holding more than maxValues values (each dictionary key
// counted) or nesting deeper than maxDepth levels, both as soon as the
// reader gets there. A key given twice in one dictionary keeps its last value.
std::expected<PropertyValue, std::string> read(std::string_view text, std::size_t maxValues, std::size_t maxDepth);

}  // namespace platform::plist::xml
