#include "foundation/Text.hpp"

#include <cstdint>
#include <cstring>
#include <memory>

#include <fmt/format.h>
#include <unicode/brkiter.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/ustring.h>
#include <unicode/utext.h>

namespace platform::text {
namespace {

constexpr char32_t kInvalid = 0xFFFFFFFF;

// Decodes the code point at s[i] and advances i; kInvalid (advancing one
// byte) for a malformed, overlong or surrogate sequence.
char32_t decode(std::string_view s, std::size_t& i) {
  auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  unsigned char b0 = byte(i);
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  int length = (b0 >= 0xC2 && b0 <= 0xDF) ? 2 : (b0 >= 0xE0 && b0 <= 0xEF) ? 3 : (b0 >= 0xF0 && b0 <= 0xF4) ? 4 : 0;
  if (length == 0 || i + length > s.size()) {
    ++i;
    return kInvalid;
  }
  char32_t cp = b0 & (0xFF >> (length + 1));
  for (int k = 1; k < length; ++k) {
    unsigned char b = byte(i + k);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return kInvalid;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  bool overlong = (length == 3 && cp < 0x800) || (length == 4 && cp < 0x10000);
  if (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return kInvalid;
  }
  i += length;
  return cp;
}

// The offset of the first byte at or after i that is not ASCII (s.size()
// when there is none). Mail is mostly ASCII: eight bytes are looked at at
// once.
std::size_t endOfASCII(std::string_view s, std::size_t i) {
  constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
  for (std::uint64_t word; i + sizeof word <= s.size(); i += sizeof word) {
    std::memcpy(&word, s.data() + i, sizeof word);
    if (word & kHighBits) break;
  }
  while (i < s.size() && static_cast<unsigned char>(s[i]) < 0x80) ++i;
  return i;
}

bool isASCII(std::string_view s) { return endOfASCII(s, 0) == s.size(); }

bool isNewline(char32_t c) { return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029; }

// Characters that act on the terminal instead of showing: C0 and C1
// controls, DEL, the line and paragraph separators and the bidirectional
// formatting characters.
bool actsOnTerminal(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F ||
         (c >= 0x2028 && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

std::string escapeOf(char32_t c) {
  switch (c) {
    case '\n': return "\\n";
    case '\r': return "\\r";
    case '\0': return "\\0";
    default: return fmt::format("\\u{{{:X}}}", static_cast<std::uint32_t>(c));
  }
}

enum class LineFeeds { escaped, kept };

std::string escapedControls(std::string_view s, LineFeeds lineFeeds) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t start = i;
    const char32_t c = decode(s, i);
    const bool endsLine = c == '\n' || (c == '\r' && i < s.size() && s[i] == '\n');
    if (c == kInvalid)
      out += "\xEF\xBF\xBD";
    else if (!actsOnTerminal(c) || c == '\t' || (endsLine && lineFeeds == LineFeeds::kept))
      out.append(s.substr(start, i - start));
    else
      out += escapeOf(c);
  }
  return out;
}

// ASCII, most of any text, is answered without asking ICU: its white space
// is the tab, the newlines and the space.
bool isWhitespaceOrNewline(char32_t c) {
  if (c < 0x80) return c == ' ' || (c >= 0x09 && c <= 0x0D);
  return isNewline(c) || u_charType(c) == U_SPACE_SEPARATOR;
}

// Grapheme-cluster boundaries of valid or invalid UTF-8 (invalid bytes are
// read as U+FFFD by ICU), as byte offsets, calling f(offset) for each boundary
// after the start until f returns false.
template <typename F>
void forEachCharacterBoundary(std::string_view s, F&& f) {
  UErrorCode status = U_ZERO_ERROR;
  thread_local std::unique_ptr<icu::BreakIterator> iterator(
      icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
  if (!iterator) return;
  UText* ut = utext_openUTF8(nullptr, s.data(), static_cast<int64_t>(s.size()), &status);
  if (U_FAILURE(status)) return;
  iterator->setText(ut, status);
  for (int32_t b = iterator->next(); b != icu::BreakIterator::DONE; b = iterator->next())
    if (!f(static_cast<std::size_t>(b))) break;
  utext_close(ut);
}

}  // namespace

bool isValidUTF8(std::string_view s) {
  for (std::size_t i = endOfASCII(s, 0); i < s.size(); i = endOfASCII(s, i))
    if (decode(s, i) == kInvalid) return false;
  return true;
}

std::string repairUTF8(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    std::size_t start = i;
    if (std::size_t ascii = endOfASCII(s, i); ascii > i) {
      out.append(s.substr(i, ascii - i));
      i = ascii;
    } else if (decode(s, i) == kInvalid)
      out += "\xEF\xBF\xBD";
    else
      out.append(s.substr(start, i - start));
  }
  return out;
}

std::size_t characterCount(std::string_view s) {
  if (isASCII(s)) {
    // Only CR LF joins two ASCII characters into one.
    std::size_t count = s.size();
    for (std::size_t i = 1; i < s.size(); ++i)
      if (s[i - 1] == '\r' && s[i] == '\n') --count;
    return count;
  }
  std::size_t count = 0;
  forEachCharacterBoundary(s, [&](std::size_t) {
    ++count;
    return true;
  });
  return count;
}

std::string prefixCharacters(std::string_view s, std::size_t n) {
  if (n == 0) return {};
  std::size_t end = s.size();
  std::size_t seen = 0;
  forEachCharacterBoundary(s, [&](std::size_t boundary) {
    if (++seen < n) return true;
    end = boundary;
    return false;
  });
  return std::string(s.substr(0, end));
}

std::string truncated(std::string_view s, std::size_t limit) {
  if (characterCount(s) <= limit) return std::string(s);
  return prefixCharacters(s, limit) + "...";
}

std::string trimWhitespaceAndNewlines(std::string_view s) {
  std::size_t begin = 0;
  while (begin < s.size()) {
    std::size_t next = begin;
    char32_t c = decode(s, next);
    if (c == kInvalid || !isWhitespaceOrNewline(c)) break;
    begin = next;
  }
  // Walk forward remembering the end of the last non-space code point.
  std::size_t end = begin;
  for (std::size_t i = begin; i < s.size();) {
    char32_t c = decode(s, i);
    if (c == kInvalid || !isWhitespaceOrNewline(c)) end = i;
  }
  return std::string(s.substr(begin, end - begin));
}

// Settled by the first code point that is not white space, without walking
// (or copying) the rest of a long text.
bool isBlank(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    char32_t c = decode(s, i);
    if (c == kInvalid || !isWhitespaceOrNewline(c)) return false;
  }
  return true;
}

std::vector<std::string> splitAtNewlines(std::string_view s) {
  std::vector<std::string> pieces;
  std::size_t start = 0;
  for (std::size_t i = 0; i < s.size();) {
    std::size_t at = i;
    char32_t c = decode(s, i);
    if (c != kInvalid && isNewline(c)) {
      pieces.emplace_back(s.substr(start, at - start));
      start = i;
    }
  }
  pieces.emplace_back(s.substr(start));
  return pieces;
}

std::vector<std::string> splitIntoLines(std::string_view s) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  auto flush = [&](std::size_t end) {
    if (end > start) lines.emplace_back(s.substr(start, end - start));
  };
  for (std::size_t i = 0; i < s.size();) {
    std::size_t at = i;
    char32_t c = decode(s, i);
    if (c == kInvalid || !isNewline(c)) continue;
    if (c == '\r' && i < s.size() && s[i] == '\n') ++i;
    flush(at);
    start = i;
  }
  flush(s.size());
  return lines;
}

bool canonicallyEquivalent(std::string_view a, std::string_view b) {
  if (a == b) return true;
  // Invalid bytes would all read as U+FFFD and so compare equal.
  if ((isASCII(a) && isASCII(b)) || !isValidUTF8(a) || !isValidUTF8(b)) return false;
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
  if (U_FAILURE(status)) return false;
  auto normalized = [&](std::string_view s) {
    return nfd->normalize(icu::UnicodeString::fromUTF8(icu::StringPiece(s.data(), static_cast<int32_t>(s.size()))),
                          status);
  };
  const icu::UnicodeString na = normalized(a);
  const icu::UnicodeString nb = normalized(b);
  return U_SUCCESS(status) && na == nb;
}

std::string lowercased(std::string_view s) {
  if (isASCII(s)) {
    std::string out(s);
    for (char& c : out)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
  }
  icu::UnicodeString u = icu::UnicodeString::fromUTF8(icu::StringPiece(s.data(), static_cast<int32_t>(s.size())));
  u.toLower(icu::Locale::getRoot());
  std::string out;
  u.toUTF8String(out);
  return out;
}

std::string quotedListDescription(const std::vector<std::string>& items) {
  std::string out = "[";
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i) out += ", ";
    out += '"';
    for (char c : items[i]) {
      switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\0': out += "\\0"; break;
        default: out += c;
      }
    }
    out += '"';
  }
  return out + "]";
}

std::string decimalDescription(double value) {
  std::string out = fmt::format("{}", value);
  if (out.find_first_of(".eni") == std::string::npos) out += ".0";
  return out;
}

std::string escapedForLog(std::string_view s) { return escapedControls(s, LineFeeds::escaped); }

std::string escapedForTerminal(std::string_view s) { return escapedControls(s, LineFeeds::kept); }

std::string propertyListEscaped(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t start = i;
    const char32_t c = decode(s, i);
    constexpr std::string_view kEscaped = "\"\\\a\b\t\n\v\f\r", kLetters = "\"\\abtnvfr";
    if (c == kInvalid) {
      out += fmt::format("\\{:03o}", static_cast<unsigned char>(s[start]));
    } else if (const std::size_t k = c < 0x80 ? kEscaped.find(static_cast<char>(c)) : std::string_view::npos;
               k != std::string_view::npos) {
      out += '\\';
      out += kLetters[k];
    } else if (actsOnTerminal(c)) {
      out += fmt::format("\\U{:04x}", static_cast<std::uint32_t>(c));
    } else {
      out.append(s.substr(start, i - start));
    }
  }
  return out;
}

}  // namespace platform::text
