#include "sparkle/VersionComparator.hpp"

#include <cctype>
#include <string>
#include <vector>

namespace sparkle {
namespace {

struct Part {
  bool isNumber;
  std::string text;  // a number without its leading zeros, or a lowercased word
};

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }

std::vector<Part> partsOf(std::string_view version) {
  std::vector<Part> parts;
  for (std::size_t i = 0; i < version.size();) {
    std::size_t start = i;
    if (isDigit(version[i])) {
      while (i < version.size() && isDigit(version[i])) ++i;
      auto digits = version.substr(start, i - start);
      while (digits.size() > 1 && digits.front() == '0') digits.remove_prefix(1);
      parts.push_back({true, std::string(digits)});
    } else if (isLetter(version[i])) {
      while (i < version.size() && isLetter(version[i])) ++i;
      std::string word(version.substr(start, i - start));
      for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      parts.push_back({false, std::move(word)});
    } else {
      ++i;  // a separator
    }
  }
  return parts;
}

// Numbers of any length, compared without converting them.
std::strong_ordering compareNumbers(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return a.size() <=> b.size();
  return a <=> b;
}

// What the parts left over on the longer side make of it: a non-zero number
// makes it newer, a word (a pre-release) older; zeros alone change nothing.
std::strong_ordering rest(const std::vector<Part>& parts, std::size_t from) {
  for (std::size_t i = from; i < parts.size(); ++i) {
    if (!parts[i].isNumber) return std::strong_ordering::less;
    if (parts[i].text != "0") return std::strong_ordering::greater;
  }
  return std::strong_ordering::equal;
}

}  // namespace

std::strong_ordering compareVersions(std::string_view a, std::string_view b) {
  const auto left = partsOf(a);
  const auto right = partsOf(b);
  const std::size_t common = std::min(left.size(), right.size());
  for (std::size_t i = 0; i < common; ++i) {
    const auto& x = left[i];
    const auto& y = right[i];
    if (x.isNumber != y.isNumber) return x.isNumber ? std::strong_ordering::greater : std::strong_ordering::less;
    auto order = x.isNumber ? compareNumbers(x.text, y.text) : x.text <=> y.text;
    if (order != 0) return order;
  }
  if (left.size() > common) return rest(left, common);
  if (right.size() > common) return 0 <=> rest(right, common);
  return std::strong_ordering::equal;
}

}  // namespace sparkle
