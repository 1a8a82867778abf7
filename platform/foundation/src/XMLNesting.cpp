#include "XMLNesting.hpp"

#include <cctype>
#include <vector>

namespace platform::plist {
namespace {

constexpr std::size_t npos = std::string_view::npos;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::size_t skipBlanks(std::string_view xml, std::size_t at) {
  while (at < xml.size() && isBlank(xml[at])) ++at;
  return at;
}

struct Name {
  std::string_view text;
  std::size_t end;  // where the name ends in the document
};

// A tag's name as a lenient parser could read it from `at` on, blanks before
// it skipped.
Name nameAt(std::string_view xml, std::size_t at) {
  at = skipBlanks(xml, at);
  std::size_t end = at;
  while (end < xml.size() && !isBlank(xml[end]) && std::string_view("/<>\"'=").find(xml[end]) == npos) ++end;
  return {xml.substr(at, end - at), end};
}

// Array and dictionary tags in any case, and names that merely begin like
// theirs, as a lenient parser could take them.
bool namesContainer(std::string_view name) {
  auto beginsWith = [&](std::string_view prefix) {
    if (name.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
      if (std::tolower(static_cast<unsigned char>(name[i])) != prefix[i]) return false;
    return true;
  };
  return beginsWith("array") || beginsWith("dict");
}

// The position just past the ">" that ends the markup starting at `start`,
// the first one outside quoted texts: the farthest end a parser could take.
// npos when a "<" comes first (a parser ending the markup earlier reads it as
// a tag), a quote is left open, or a quoted text holds the other quote (a
// parser heeding only one kind would end elsewhere).
std::size_t markupEnd(std::string_view xml, std::size_t start) {
  char quote = 0;
  for (std::size_t i = start + 1; i < xml.size(); ++i) {
    const char c = xml[i];
    if (c == '<') return npos;
    if (quote != 0) {
      if (c == quote)
        quote = 0;
      else if (c == '"' || c == '\'')
        return npos;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '>') {
      return i + 1;
    }
  }
  return npos;
}

// The container tags in a comment or CDATA section: a parser that does not
// skip it opens them.
std::size_t containerTagsIn(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t at = text.find('<'); at != npos; at = text.find('<', at + 1))
    if (namesContainer(nameAt(text, at + 1).text)) ++count;
  return count;
}

}  // namespace

bool xmlNestingFits(std::string_view xml, std::size_t maxDepth) {
  // The elements open, innermost last. A property list holds its containers
  // in the plist element and a value in an element of its own: two more.
  std::vector<std::string_view> open;
  const std::size_t maxOpen = maxDepth + 2;
  std::size_t containers = 0;  // that may be open at this point
  for (std::size_t at = xml.find('<'); at != npos; at = xml.find('<', at)) {
    const std::string_view rest = xml.substr(at);
    std::size_t end = 0;
    if (rest.starts_with("<!--") || rest.starts_with("<![CDATA[")) {
      const bool comment = rest.starts_with("<!--");
      const std::string_view terminator = comment ? "-->" : "]]>";
      const std::size_t body = at + (comment ? 4 : 9);
      const std::size_t close = xml.find(terminator, body);
      end = close == npos ? xml.size() : close + terminator.size();
      containers += containerTagsIn(xml.substr(body, end - body));
      if (containers > maxDepth) return false;
    } else if (rest.starts_with("<?") || rest.starts_with("<!")) {
      end = markupEnd(xml, at);
      if (end == npos) return false;
      const std::string_view markup = xml.substr(at, end - at);
      if (markup[1] == '?' ? !markup.ends_with("?>") : markup.find('[') != npos) return false;
    } else if (rest.starts_with("</")) {
      end = markupEnd(xml, at);
      if (end == npos) return false;
      // Only "</name>" that closes the innermost element surely closes one.
      const Name name = nameAt(xml, at + 2);
      if (skipBlanks(xml, name.end) == end - 1 && !open.empty() && open.back() == name.text) {
        if (namesContainer(name.text)) --containers;
        open.pop_back();
      }
    } else {
      end = markupEnd(xml, at);
      if (end == npos) return false;
      // Only "<name/>" is surely empty: any other tag may open an element.
      const Name name = nameAt(xml, at + 1);
      const bool empty = xml[end - 2] == '/' && skipBlanks(xml, name.end) == end - 2;
      if (!empty) {
        if (namesContainer(name.text) && ++containers > maxDepth) return false;
        if (open.size() == maxOpen) return false;
        open.push_back(name.text);
      }
    }
    at = end;
  }
  return true;
}

}  // namespace platform::plist
