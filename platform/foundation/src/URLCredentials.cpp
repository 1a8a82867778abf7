#include "foundation/URLCredentials.hpp"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace platform {
namespace {

constexpr std::size_t npos = std::string_view::npos;

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isSchemeCharacter(char c) { return isLetter(c) || isDigit(c) || c == '+' || c == '-' || c == '.'; }
// Ends an unbroken run of text: a blank, a line break or another control.
bool isBreak(char c) { return static_cast<unsigned char>(c) <= 0x20 || c == 0x7F; }
// Not a backslash: libcurl reads one as part of the user information.
bool isPathStart(char c) { return c == '/' || c == '?' || c == '#'; }
bool isAt(char c) { return c == '@'; }
bool isColon(char c) { return c == ':'; }
bool isNotDigit(char c) { return !isDigit(c); }
bool isClosingBracket(char c) { return c == ']'; }
// Hexadecimal digits, ":" and "." (for "::ffff:1.2.3.4").
bool isNotIPv6Character(char c) {
  return !isDigit(c) && !((c | 0x20) >= 'a' && (c | 0x20) <= 'f') && c != ':' && c != '.';
}
bool isWordBoundary(char c) { return isBreak(c) || std::string_view("'\"()<>[]{},;=`").find(c) != npos; }

// Schemes that take an authority even without "//" after the colon.
bool takesAuthorityWithoutSlashes(std::string_view scheme) {
  constexpr std::array<std::string_view, 5> kSchemes{"http", "https", "ws", "wss", "ftp"};
  return std::any_of(kSchemes.begin(), kSchemes.end(), [&](std::string_view known) {
    return known.size() == scheme.size() &&
           std::equal(known.begin(), known.end(), scheme.begin(), [](char a, char b) { return a == (b | 0x20); });
  });
}

// Where the authority begins when the colon at `colon` ends a scheme
// ("http:", "http:/", "http://", "x://"); npos otherwise. A scheme may begin
// with a digit here, as libcurl reads it.
std::size_t authorityAfter(std::string_view text, std::size_t colon) {
  std::size_t schemeStart = colon;
  while (schemeStart > 0 && isSchemeCharacter(text[schemeStart - 1])) --schemeStart;
  if (schemeStart == colon) return npos;
  std::size_t start = colon + 1;
  while (start < text.size() && text[start] == '/') ++start;
  if (start > colon + 1 || takesAuthorityWithoutSlashes(text.substr(schemeStart, colon - schemeStart))) return start;
  return npos;
}

// The first position at or after a given one holding a character of a kind
// (or the text's end). Asked with positions that never decrease, it reads
// each character once, which keeps masking linear however many addresses a
// text holds.
class Finder {
 public:
  Finder(std::string_view text, bool (*matches)(char)) : text_(text), matches_(matches) {}
  std::size_t from(std::size_t start) {
    position_ = std::max(position_, start);
    while (position_ < text_.size() && !matches_(text_[position_])) ++position_;
    return position_;
  }

 private:
  std::string_view text_;
  bool (*matches_)(char);
  std::size_t position_ = 0;
};

// The last position before a given end holding a character of a kind, npos
// when none; asked with ends that never decrease.
class LastFinder {
 public:
  LastFinder(std::string_view text, bool (*matches)(char)) : text_(text), matches_(matches) {}
  std::size_t before(std::size_t end) {
    for (; scanned_ < end; ++scanned_)
      if (matches_(text_[scanned_])) last_ = scanned_;
    return last_;
  }

 private:
  std::string_view text_;
  bool (*matches_)(char);
  std::size_t scanned_ = 0;
  std::size_t last_ = npos;
};

struct Span {
  std::size_t from;
  std::size_t to;
};

// The user information of the addresses whose authorities begin at the given
// positions (ascending). It ends at the last "@" before the path when a host
// and port follow that "@"; failing that, for "name:password" whose password
// holds a "/", at the first "@" after it up to a blank or a line break; and
// for a password holding a blank or a line break, at the last "@" before the
// next address (`regionEnd`): after the break, a "/", "?" or quote may still
// be the password's, so only the next address bounds it.
class AuthorityReader {
 public:
  explicit AuthorityReader(std::string_view text) : text_(text) {}

  std::optional<Span> userInformation(std::size_t start, std::size_t regionEnd) {
    const std::size_t runEnd = breaks_.from(start);
    const std::size_t pathStart = std::min(pathStarts_.from(start), runEnd);
    std::optional<Span> beforePath;
    if (std::size_t at = lastAts_.before(pathStart); at != npos && at >= start) {
      // In "user:p@ss:w/rd@host" no host and port follow the first "@": the
      // password goes on past the "/".
      if (pathStart == runEnd || isHostAndPort(at + 1, pathStart)) return span(start, at);
      beforePath = span(start, at);
    } else if (isIPv6Host(start, pathStart)) {
      return std::nullopt;  // its colons hold no password
    }
    const std::size_t colon = colons_.from(start);
    if (colon >= pathStart || isPort(colon, pathStart)) return beforePath;
    if (pathStart < runEnd) {
      if (const std::size_t at = atsAfterPath_.from(pathStart); at < runEnd) return span(start, at);
    }
    if (runEnd == text_.size()) return beforePath;
    const std::size_t at = regionAts_.before(std::max(regionEnd, runEnd));
    return at != npos && at > runEnd ? span(start, at) : beforePath;
  }

  // Where the next address after a position begins, asked with positions
  // that never decrease.
  std::size_t regionEndAfter(const std::vector<std::size_t>& starts, std::size_t position) {
    while (nextStart_ < starts.size() && starts[nextStart_] <= position) ++nextStart_;
    return nextStart_ < starts.size() ? starts[nextStart_] : text_.size();
  }
  std::size_t runEndFrom(std::size_t start) { return breaks_.from(start); }

 private:
  static std::optional<Span> span(std::size_t from, std::size_t to) {
    return from < to ? std::optional<Span>(Span{from, to}) : std::nullopt;
  }
  // "host:8080": digits up to the path.
  bool isPort(std::size_t colon, std::size_t pathStart) {
    return colon + 1 < pathStart && notDigits_.from(colon + 1) >= pathStart;
  }
  // "[::1]" or "[::1]:8080" from the start to the path: an IPv6 address,
  // which holds nothing another address could begin in.
  bool isIPv6Host(std::size_t start, std::size_t pathStart) {
    if (start >= pathStart || text_[start] != '[') return false;
    const std::size_t close = closingBrackets_.from(start);
    if (close >= pathStart || notIPv6Characters_.from(start + 1) < close) return false;
    if (close + 1 == pathStart) return true;
    return text_[close + 1] == ':' && notDigitsAfterBrackets_.from(close + 2) >= pathStart;
  }
  // Whether the text from `from` to the path is a host with no port or a
  // port of digits ("host", "host:8080", "[::1]:8080"). Addresses asking
  // for the same `from` share one "@" and one path; ranges asked for anew
  // never overlap, so each character is looked at once.
  bool isHostAndPort(std::size_t from, std::size_t pathStart) {
    if (from == hostFrom_) return hostIsValid_;
    std::string_view host = text_.substr(from, pathStart - from);
    if (host.starts_with('[')) host.remove_prefix(std::min(host.find(']'), host.size()));
    const std::size_t colon = host.find(':');
    hostFrom_ = from;
    hostIsValid_ = colon == npos || std::all_of(host.begin() + colon + 1, host.end(), isDigit);
    return hostIsValid_;
  }

  std::string_view text_;
  Finder breaks_{text_, isBreak};
  Finder pathStarts_{text_, isPathStart};
  LastFinder lastAts_{text_, isAt};
  Finder colons_{text_, isColon};
  Finder notDigits_{text_, isNotDigit};
  Finder atsAfterPath_{text_, isAt};
  LastFinder regionAts_{text_, isAt};
  Finder closingBrackets_{text_, isClosingBracket};
  Finder notIPv6Characters_{text_, isNotIPv6Character};
  Finder notDigitsAfterBrackets_{text_, isNotDigit};
  std::size_t hostFrom_ = npos;
  bool hostIsValid_ = false;
  std::size_t nextStart_ = 0;
};

std::vector<Span> userInformationAfterSchemes(std::string_view text) {
  std::vector<std::size_t> starts;
  for (std::size_t colon = text.find(':'); colon != npos; colon = text.find(':', colon + 1))
    if (const std::size_t start = authorityAfter(text, colon); start != npos) starts.push_back(start);
  std::vector<Span> spans;
  AuthorityReader reader(text);
  for (const std::size_t start : starts) {
    const std::size_t regionEnd = reader.regionEndAfter(starts, reader.runEndFrom(start));
    if (auto span = reader.userInformation(start, regionEnd)) spans.push_back(*span);
  }
  return spans;
}

// "name:password@host" typed without a scheme, a word of its own.
std::vector<Span> userInformationOfWords(std::string_view text) {
  std::vector<Span> spans;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = start;
    while (end < text.size() && !isWordBoundary(text[end])) ++end;
    const std::string_view word = text.substr(start, end - start);
    const std::size_t colon = word.find(':');
    const bool hasScheme = colon != npos && authorityAfter(text, start + colon) != npos;
    if (colon != npos && !hasScheme) {
      const std::size_t pathStart = std::min(word.find_first_of("/?#"), word.size());
      const std::size_t at = word.substr(0, pathStart).rfind('@');
      if (at != npos && colon < at) spans.push_back({start, start + at});
    }
    start = end + 1;
  }
  return spans;
}

int hexValue(char c) {
  if (isDigit(c)) return c - '0';
  if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f') return (c | 0x20) - 'a' + 10;
  return -1;
}

// The value of `digits` hexadecimal digits at `at`, or -1.
int hexNumber(std::string_view text, std::size_t at, std::size_t digits) {
  if (at + digits > text.size()) return -1;
  int value = 0;
  for (std::size_t i = at; i < at + digits; ++i) {
    const int digit = hexValue(text[i]);
    if (digit < 0) return -1;
    value = value * 16 + digit;
  }
  return value;
}

// A text read through one layer of the escapes an address takes inside a
// reply body or a query (JSON's "\/", "\u003a", "\n", "\\", and "%3A"),
// with where in the original text each of its characters began, and the
// original's end after the last.
struct Unescaped {
  std::string text;
  std::vector<std::size_t> origin;
};

std::optional<Unescaped> unescapedOnce(std::string_view text, const std::vector<std::size_t>& origin) {
  Unescaped out;
  out.text.reserve(text.size());
  out.origin.reserve(text.size() + 1);
  bool changed = false;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t length = 1;
    char c = text[i];
    if (c == '\\' && i + 1 < text.size()) {
      constexpr std::string_view kEscaped = "/\\\"'nrtbf", kMeant = "/\\\"'\n\r\t\b\f";
      const std::size_t kind = kEscaped.find(text[i + 1]);
      if (kind != npos) {
        c = kMeant[kind];
        length = 2;
      } else if (const int code = text[i + 1] == 'u' ? hexNumber(text, i + 2, 4) : -1; code >= 0 && code < 0x80) {
        c = static_cast<char>(code);
        length = 6;
      }
    } else if (const int code = c == '%' ? hexNumber(text, i + 1, 2) : -1; code >= 0) {
      c = static_cast<char>(code);
      length = 3;
    }
    changed |= length > 1;
    out.text += c;
    out.origin.push_back(origin[i]);
    i += length;
  }
  out.origin.push_back(origin[text.size()]);
  if (!changed) return std::nullopt;
  return out;
}

std::vector<Span> userInformationIn(std::string_view text) {
  std::vector<Span> spans = userInformationAfterSchemes(text);
  std::vector<Span> words = userInformationOfWords(text);
  spans.insert(spans.end(), words.begin(), words.end());
  return spans;
}

// Escapes nest (a JSON text quoted in another); this many layers are read.
constexpr int kEscapeLayers = 4;

}  // namespace

std::string withURLCredentialsMasked(std::string_view text) {
  std::vector<Span> spans = userInformationIn(text);
  // The same address written with escapes is found in the text read through
  // them, and masked where its escaped form stands.
  std::optional<Unescaped> layer;
  if (text.find_first_of("\\%") != npos) {
    std::vector<std::size_t> identity(text.size() + 1);
    for (std::size_t i = 0; i <= text.size(); ++i) identity[i] = i;
    layer = unescapedOnce(text, identity);
  }
  for (int depth = 1; layer; ++depth) {
    for (const Span& span : userInformationIn(layer->text))
      spans.push_back({layer->origin[span.from], layer->origin[span.to]});
    layer = depth < kEscapeLayers ? unescapedOnce(layer->text, layer->origin) : std::nullopt;
  }
  std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.from < b.from; });
  // Spans that overlap or touch are masked as one, so that no "******" is
  // left to read as user information of its own.
  std::vector<Span> masked;
  for (const Span& span : spans) {
    if (!masked.empty() && span.from <= masked.back().to) masked.back().to = std::max(masked.back().to, span.to);
    else masked.push_back(span);
  }
  std::string out;
  out.reserve(text.size());
  std::size_t copied = 0;
  for (const Span& span : masked) {
    out.append(text.substr(copied, span.from - copied));
    out += "***";
    copied = span.to;
  }
  out.append(text.substr(copied));
  return out;
}

}  // namespace platform
