#pragma once

#include <cstddef>
#include <expected>
#include <string>
#include <string_view>

#include "foundation/PropertyValue.hpp"

// Our own reader and writer of binary property lists. Every value a
// PropertyValue can hold survives a write and a read exactly: texts with NUL
// characters, dates of any year with their fractions of a second, and the
// whole unsigned 64-bit range. Debian 12's libplist (2.2) cannot: it keeps a
// date as 32-bit seconds and microseconds (the years 1933 to 2069), cannot
// tell a negative integer from one above 2^63, ends the process on a text
// holding NUL, and copies a shared object for every reference to it.
namespace platform::plist::binary {

// The value, or why the bytes are refused (the reason is for diagnostics).
// Files that would expand into more than maxNodes values or nest deeper than
// maxDepth are refused, as are texts that are not valid Unicode and types a
// PropertyValue cannot hold (UIDs, sets, null).
std::expected<PropertyValue, std::string> read(std::string_view bytes, std::size_t maxNodes, std::size_t maxDepth);

// The encoded file, or why the value cannot be written: a text, or a
// dictionary key, that is not valid UTF-8.
std::expected<std::string, std::string> write(const PropertyValue& value);

}  // namespace platform::plist::binary
