#include "BoundedHTML.hpp"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace mailkit {

namespace {

// Real mail nests a few dozen elements; a thousand <div>s in one another
// already cost gumbo a noticeable pause.
constexpr std::size_t kDeepestNesting = 256;
constexpr std::size_t kMostAttributes = 64;

using Names = std::unordered_set<std::string_view>;

const Names kFormatting{"a", "b", "big", "code", "em", "font", "i", "nobr", "s", "small", "strike", "strong", "tt", "u"};
// Elements that never hold others, and those a sibling or their parent's end
// closes, so that they add at most one level to an element counted anyway.
const Names kNeverNesting{"area", "base", "basefont", "bgsound", "br", "col", "embed", "frame", "hr", "img", "input",
                          "keygen", "link", "meta", "param", "source", "track", "wbr", "p", "li", "dt", "dd", "option",
                          "optgroup", "tr", "td", "th", "thead", "tbody", "tfoot", "rb", "rt", "rp", "rtc", "colgroup",
                          "caption", "html", "head", "body"};
// Elements whose content is text up to their end tag (in HTML, not in SVG or MathML).
const Names kRawText{"script", "style", "xmp", "iframe", "noembed", "noframes", "textarea", "title", "plaintext"};
// Elements that an end tag of an element outside them does not close.
const Names kScopeBoundaries{"applet", "table", "marquee", "object", "template", "svg", "math", "mi", "mo", "mn", "ms",
                             "mtext", "annotation-xml", "foreignobject", "desc", "title"};
// Elements that stop an end tag of an ordinary element that stands outside
// them; their own end tags stop only at the boundaries of their scope.
const Names kSpecial{"applet", "table", "marquee", "object", "template", "address", "article", "aside", "blockquote", "button", "center", "details", "dir", "div", "dl",
                     "fieldset", "figcaption", "figure", "footer", "form", "frameset", "h1", "h2", "h3", "h4", "h5",
                     "h6", "header", "hgroup", "listing", "main", "menu", "nav", "noscript", "ol", "pre", "search",
                     "section", "select", "summary", "ul", "script", "style", "xmp", "iframe", "noembed",
                     "noframes", "textarea", "plaintext"};
const Names kHeadings{"h1", "h2", "h3", "h4", "h5", "h6"};

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r'; }
bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool startsWith(std::string_view text, std::size_t at, std::string_view prefix) {
  return text.substr(at, prefix.size()) == prefix;
}

// Where a comment that starts at `at` ("<!--") ends, as HTML ends it.
std::size_t commentEnd(std::string_view html, std::size_t at) {
  if (startsWith(html, at + 4, ">")) return at + 5;
  if (startsWith(html, at + 4, "->")) return at + 6;
  for (std::size_t dashes = html.find("--", at + 4); dashes != std::string_view::npos;
       dashes = html.find("--", dashes + 1)) {
    if (startsWith(html, dashes + 2, ">")) return dashes + 3;
    if (startsWith(html, dashes + 2, "!>")) return dashes + 4;
  }
  return html.size();
}

// Where the end tag "</name" of raw text starting at `from` begins; the end
// of the text when it never comes.
std::size_t findRawTextEnd(std::string_view html, std::size_t from, std::string_view name) {
  for (std::size_t at = html.find("</", from); at != std::string_view::npos; at = html.find("</", at + 2)) {
    std::size_t after = at + 2 + name.size();
    if (after > html.size()) break;
    bool same = std::ranges::equal(html.substr(at + 2, name.size()), name,
                                   [](char a, char b) { return lower(a) == b; });
    if (same && (after == html.size() || isSpace(html[after]) || html[after] == '/' || html[after] == '>'))
      return at;
  }
  return html.size();
}

// The searches the scan repeats, each answered from where the last one
// found its text: an unclosed script, CDATA section or SVG style seen again
// and again must not send each search to the end of the text.
class Searches {
 public:
  explicit Searches(std::string_view html) : html_(html) {}

  std::size_t rawTextEnd(std::size_t from, const std::string& name) {
    return cached(rawTextEnds_[name], from, [&] { return findRawTextEnd(html_, from, name); });
  }
  std::size_t text(std::size_t from, std::string_view what) {
    return cached(texts_[std::string(what)], from, [&] { return std::min(html_.find(what, from), html_.size()); });
  }

 private:
  struct Found {
    bool searched = false;
    std::size_t at = 0;
  };
  // A text found at or after an earlier start is the first one after any
  // later start up to it too.
  template <typename Search>
  std::size_t cached(Found& found, std::size_t from, Search search) {
    if (!found.searched || found.at < from) found = {true, search()};
    return found.at;
  }

  std::string_view html_;
  std::unordered_map<std::string, Found> rawTextEnds_, texts_;
};

struct Tag {
  std::string name;  // lowercased
  bool closing = false;
  std::size_t begin = 0, end = 0;                // the whole tag, its '>' included
  std::size_t attributesBegin = 0, closer = 0;   // after the name; at the '>'
  std::size_t attributes = 0;
};

// The tag whose name starts at `nameStart`, read as HTML's tokenizer reads
// it: quoted attribute values hide a '>'. Its end is 0 when the text ends
// inside it (the parser drops such a tag).
Tag readTag(std::string_view html, std::size_t begin, std::size_t nameStart, bool closing) {
  Tag tag;
  tag.begin = begin;
  tag.closing = closing;
  std::size_t at = nameStart;
  while (at < html.size() && !isSpace(html[at]) && html[at] != '/' && html[at] != '>') tag.name += lower(html[at++]);
  tag.attributesBegin = at;
  enum class State { between, name, value } state = State::between;
  for (; at < html.size(); ++at) {
    char c = html[at];
    if (c == '>') {
      tag.closer = at;
      tag.end = at + 1;
      return tag;
    }
    if (state == State::value) {
      if (isSpace(c)) continue;
      if (c == '"' || c == '\'') {
        at = html.find(c, at + 1);
        if (at == std::string_view::npos) return tag;
        state = State::between;
        continue;
      }
      state = State::name;  // an unquoted value reads on like a name
      continue;
    }
    if (isSpace(c) || c == '/') {
      state = State::between;
    } else if (state == State::name && c == '=') {
      state = State::value;
    } else if (state == State::between) {
      ++tag.attributes;
      state = State::name;
    }
  }
  return tag;
}

// The elements open at each point of the text, as gumbo's parser would have
// them open or more: only end tags that surely close an element close one.
class OpenElements {
 public:
  bool full() const { return names_.size() >= kDeepestNesting; }
  bool inForeignContent() const { return foreign_ > 0; }

  void open(const std::string& name) {
    names_.push_back(name);
    if (isForeignRoot(name)) ++foreign_;
  }

  void close(const std::string& name) {
    if (kNeverNesting.contains(name) || kFormatting.contains(name)) return;
    bool heading = kHeadings.contains(name);
    auto matches = [&](const std::string& open) { return heading ? kHeadings.contains(open) : open == name; };
    // An end tag of an ordinary element stops at special elements; that of a
    // special one at the boundaries of its scope.
    const Names& barriers = kSpecial.contains(name) ? kScopeBoundaries : kSpecial;
    for (std::size_t i = names_.size(); i-- > 0;) {
      if (matches(names_[i])) {
        // A form's end tag takes the form off the stack and leaves what it holds open.
        if (name == "form") return erase(i, i + 1);
        return erase(i, names_.size());
      }
      if (barriers.contains(names_[i]) || kScopeBoundaries.contains(names_[i])) return;
    }
  }

 private:
  static bool isForeignRoot(std::string_view name) { return name == "svg" || name == "math"; }

  void erase(std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i)
      if (isForeignRoot(names_[i])) --foreign_;
    names_.erase(names_.begin() + static_cast<std::ptrdiff_t>(from), names_.begin() + static_cast<std::ptrdiff_t>(to));
  }

  std::vector<std::string> names_;
  std::size_t foreign_ = 0;
};

}  // namespace

std::string boundedHTML(std::string_view html) {
  std::vector<std::pair<std::size_t, std::size_t>> cuts;  // in order, none overlapping
  OpenElements open;
  Searches searches(html);
  // Up to here end tags may be text to the parser (in a script or a CDATA
  // section, say): they close nothing, start tags are still counted.
  std::size_t endTagsUncertainUntil = 0;
  std::size_t at = 0;
  while ((at = html.find('<', at)) != std::string_view::npos) {
    bool uncertain = at < endTagsUncertainUntil;
    if (startsWith(html, at, "<!--")) {
      // Where "<!--" may be text, what follows it may be markup.
      at = uncertain ? at + 4 : commentEnd(html, at);
      continue;
    }
    if (startsWith(html, at, "<![CDATA[") && open.inForeignContent()) {
      endTagsUncertainUntil = std::max(endTagsUncertainUntil, searches.text(at, "]]>"));
      at += 9;
      continue;
    }
    bool closing = startsWith(html, at, "</");
    std::size_t nameStart = at + (closing ? 2 : 1);
    if (nameStart >= html.size() || !isAlpha(html[nameStart])) {
      // A bogus comment runs to the next '>'; a lone '<' is text.
      bool bogus = closing || startsWith(html, at, "<!") || startsWith(html, at, "<?");
      at = bogus ? std::min(html.find('>', at), html.size()) : at + 1;
      continue;
    }
    auto tag = readTag(html, at, nameStart, closing);
    if (tag.end == 0) {
      // Dropped by the parser, but after a time that grows with the square of
      // its attributes. Where it may be text, it goes only when it is that long.
      if (!uncertain || tag.attributes > kMostAttributes) cuts.emplace_back(tag.begin, html.size());
      break;
    }
    at = tag.end;
    if (kFormatting.contains(tag.name)) {
      cuts.emplace_back(tag.begin, tag.end);
      continue;
    }
    if (tag.closing) {
      if (!uncertain) open.close(tag.name);
      continue;
    }
    if (tag.attributes > 0 && (tag.attributes > kMostAttributes || tag.name == "html" || tag.name == "body"))
      cuts.emplace_back(tag.attributesBegin, tag.closer);
    if (kNeverNesting.contains(tag.name)) continue;
    if (kRawText.contains(tag.name) && !open.inForeignContent()) {
      std::size_t end = tag.name == "plaintext" ? html.size() : searches.rawTextEnd(at, tag.name);
      std::size_t escape = tag.name == "script" ? searches.text(at, "<!--") : html.size();
      if (escape >= end) {
        at = end;
        continue;
      }
      // An escaped script ends only at a "</script" after its "-->", maybe later.
      std::size_t escapeEnd = searches.text(escape + 4, "-->");
      endTagsUncertainUntil = std::max(endTagsUncertainUntil, searches.rawTextEnd(escapeEnd, "script"));
      continue;
    }
    if (kRawText.contains(tag.name))  // in SVG or MathML, or in HTML they broke out to
      endTagsUncertainUntil = std::max(endTagsUncertainUntil, searches.rawTextEnd(at, tag.name));
    if (open.full()) {
      if (!cuts.empty() && cuts.back().first == tag.attributesBegin) cuts.pop_back();
      cuts.emplace_back(tag.begin, tag.end);
      continue;
    }
    open.open(tag.name);
  }
  if (cuts.empty()) return std::string(html);
  std::string bounded;
  bounded.reserve(html.size());
  std::size_t from = 0;
  for (const auto& [begin, end] : cuts) {
    bounded.append(html.substr(from, begin - from));
    from = end;
  }
  bounded.append(html.substr(from));
  return bounded;
}

}  // namespace mailkit
