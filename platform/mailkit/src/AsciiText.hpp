#pragma once

// Comparisons of the ASCII names mail is made of (header fields, charsets,
// tags), in any letter case.

#include <algorithm>
#include <cctype>
#include <string_view>

namespace mailkit::ascii {

inline bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

inline bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && equalsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

// Where `word` first occurs in `text` at or after `from`.
inline std::size_t findIgnoringCase(std::string_view text, std::string_view word, std::size_t from = 0) {
  for (std::size_t at = from; at + word.size() <= text.size(); ++at)
    if (startsWithIgnoringCase(text.substr(at), word)) return at;
  return std::string_view::npos;
}

}  // namespace mailkit::ascii
