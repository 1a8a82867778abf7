#pragma once

#include <compare>
#include <string_view>

namespace sparkle {

// Orders version texts the way people read them: numbers compare as numbers
// ("1.10" is newer than "1.9"), missing trailing zeros do not count ("1.0"
// equals "1.0.0"), and a word after the numbers marks a pre-release that is
// older than the release ("1.0b2" is older than "1.0", newer than "1.0b1").
// Separators (".", "-", "_", blanks and the like) only split the parts.
std::strong_ordering compareVersions(std::string_view a, std::string_view b);

}  // namespace sparkle
