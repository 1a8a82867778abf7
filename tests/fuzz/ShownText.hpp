#pragma once

#include <cstddef>
#include <cstdlib>
#include <string_view>

#include "foundation/Text.hpp"

// What a person reads of an error is valid UTF-8 and holds no control
// character that a terminal would obey (line breaks and tabs aside), whatever
// the server sent; anything else is a finding.
inline void requireShowable(std::string_view text) {
  if (!platform::text::isValidUTF8(text)) std::abort();
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    const bool c0 = c < 0x20 && c != '\n' && c != '\t';
    const bool c1 = c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                    static_cast<unsigned char>(text[i + 1]) <= 0x9F;
    if (c0 || c == 0x7F || c1) std::abort();
  }
}
