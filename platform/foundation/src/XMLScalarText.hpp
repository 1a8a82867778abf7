#pragma once

#include <expected>
#include <string>
#include <string_view>

#include "foundation/PropertyValue.hpp"

// The texts of an XML property list's numbers, dates and data, read exactly
// or not at all: each answers the value the text gives, or why it gives none
// (the reason completes a sentence naming the value: "... lies beyond 64
// bits"). Blanks around a text do not count.
namespace platform::plist::xml {

// Decimal, or hexadecimal after "0x", with or without a sign; leading zeros
// are decimal. From -2^63 to 2^64 - 1.
std::expected<PropertyValue, std::string> integerOfText(std::string_view text);

// A decimal number ("0.5", "-1e10", ".5"), or "nan", "inf" or "infinity"
// with or without a sign. A number beyond what a double holds (1e400,
// 1e-400) is refused rather than taken as infinity or zero.
std::expected<PropertyValue, std::string> realOfText(std::string_view text);

// "YYYY-MM-DDTHH:MM:SSZ", in UTC, naming a moment that exists in the years 1
// to 9999 (no 30 February, no 24:00, no leap second).
std::expected<PropertyValue, std::string> dateOfText(std::string_view text);

// Base64 in the form that writers give it (the unused bits of the last
// character zero, "=" padding to a multiple of four), blanks anywhere.
std::expected<PropertyValue, std::string> dataOfText(std::string_view text);

}  // namespace platform::plist::xml
