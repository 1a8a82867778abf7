#include "compose/HTMLToPlainText.hpp"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "foundation/Text.hpp"

namespace quorbel {

namespace {

enum class ElementKind { inlineElement, block, lineBreak, listItem, tableCell, preformatted, hiddenText };

const std::unordered_map<std::string_view, ElementKind>& knownElements() {
  using enum ElementKind;
  static const std::unordered_map<std::string_view, ElementKind> elements{
      {"a", inlineElement}, {"abbr", inlineElement}, {"b", inlineElement}, {"big", inlineElement},
      {"cite", inlineElement}, {"code", inlineElement}, {"del", inlineElement}, {"em", inlineElement},
      {"font", inlineElement}, {"i", inlineElement}, {"img", inlineElement}, {"ins", inlineElement},
      {"kbd", inlineElement}, {"label", inlineElement}, {"mark", inlineElement}, {"q", inlineElement},
      {"s", inlineElement}, {"small", inlineElement}, {"span", inlineElement}, {"strike", inlineElement},
      {"strong", inlineElement}, {"sub", inlineElement}, {"sup", inlineElement}, {"tt", inlineElement},
      {"u", inlineElement}, {"wbr", inlineElement}, {"html", inlineElement}, {"head", inlineElement},
      {"body", inlineElement}, {"meta", inlineElement}, {"link", inlineElement}, {"base", inlineElement},
      {"tbody", inlineElement}, {"thead", inlineElement}, {"tfoot", inlineElement}, {"col", inlineElement},
      {"colgroup", inlineElement}, {"o:p", inlineElement},
      {"address", block}, {"article", block}, {"aside", block}, {"blockquote", block}, {"caption", block},
      {"center", block}, {"dd", block}, {"div", block}, {"dl", block}, {"dt", block}, {"figcaption", block},
      {"figure", block}, {"footer", block}, {"form", block}, {"h1", block}, {"h2", block}, {"h3", block},
      {"h4", block}, {"h5", block}, {"h6", block}, {"header", block}, {"hr", block}, {"main", block},
      {"nav", block}, {"ol", block}, {"p", block}, {"section", block}, {"table", block}, {"tr", block},
      {"ul", block},
      {"br", lineBreak}, {"li", listItem}, {"td", tableCell}, {"th", tableCell}, {"pre", preformatted},
      {"script", hiddenText}, {"style", hiddenText}, {"title", hiddenText}, {"template", hiddenText},
      {"noscript", hiddenText},
  };
  return elements;
}

const std::unordered_map<std::string_view, char32_t>& namedCharacters() {
  static const std::unordered_map<std::string_view, char32_t> entities{
      {"amp", U'&'}, {"lt", U'<'}, {"gt", U'>'}, {"quot", U'"'}, {"apos", U'\''}, {"nbsp", 0xA0},
      {"copy", 0xA9}, {"reg", 0xAE}, {"trade", 0x2122}, {"hellip", 0x2026}, {"mdash", 0x2014},
      {"ndash", 0x2013}, {"lsquo", 0x2018}, {"rsquo", 0x2019}, {"sbquo", 0x201A}, {"ldquo", 0x201C},
      {"rdquo", 0x201D}, {"bdquo", 0x201E}, {"laquo", 0xAB}, {"raquo", 0xBB}, {"bull", 0x2022},
      {"middot", 0xB7}, {"euro", 0x20AC}, {"pound", 0xA3}, {"yen", 0xA5}, {"cent", 0xA2}, {"sect", 0xA7},
      {"para", 0xB6}, {"deg", 0xB0}, {"plusmn", 0xB1}, {"times", 0xD7}, {"divide", 0xF7}, {"frac12", 0xBD},
      {"frac14", 0xBC}, {"frac34", 0xBE}, {"iexcl", 0xA1}, {"iquest", 0xBF}, {"shy", 0xAD}, {"ensp", 0x2002},
      {"emsp", 0x2003}, {"thinsp", 0x2009}, {"zwnj", 0x200C}, {"zwj", 0x200D}, {"auml", 0xE4}, {"ouml", 0xF6},
      {"uuml", 0xFC}, {"Auml", 0xC4}, {"Ouml", 0xD6}, {"Uuml", 0xDC}, {"szlig", 0xDF}, {"aacute", 0xE1},
      {"agrave", 0xE0}, {"acirc", 0xE2}, {"eacute", 0xE9}, {"egrave", 0xE8}, {"ecirc", 0xEA}, {"iacute", 0xED},
      {"oacute", 0xF3}, {"uacute", 0xFA}, {"ccedil", 0xE7}, {"ntilde", 0xF1}, {"Eacute", 0xC9},
  };
  return entities;
}

void appendUTF8(std::string& out, char32_t c) {
  if (c == 0 || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

bool isHTMLSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }
bool isASCIIAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isNameChar(char c) { return isASCIIAlpha(c) || (c >= '0' && c <= '9') || c == '-' || c == ':'; }

std::string asciiLowercased(std::string_view s) {
  std::string lower(s);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower;
}

// Where "</name" starts (any letter case) at or after `from`; the end of the
// text when it never comes.
std::size_t findEndTag(std::string_view html, std::size_t from, const std::string& name) {
  for (std::size_t pos = html.find("</", from); pos != std::string_view::npos; pos = html.find("</", pos + 2))
    if (asciiLowercased(html.substr(pos + 2, name.size())) == name) return pos;
  return html.size();
}

struct Tag {
  std::string name;  // lowercased
  bool closing = false;
  ElementKind kind;
  std::size_t attributes = 0;  // where the text after the name begins
  std::size_t end = 0;         // one past the '>'
};

// The name of a known element's tag starting at `pos` (which holds '<'), or
// nothing when the text there does not begin one.
std::optional<Tag> readTagName(std::string_view html, std::size_t pos) {
  std::size_t i = pos + 1;
  Tag tag;
  if (i < html.size() && html[i] == '/') {
    tag.closing = true;
    ++i;
  }
  std::size_t nameStart = i;
  if (i >= html.size() || !isASCIIAlpha(html[i])) return std::nullopt;
  while (i < html.size() && isNameChar(html[i])) ++i;
  if (i >= html.size() || !(isHTMLSpace(html[i]) || html[i] == '>' || html[i] == '/')) return std::nullopt;
  tag.name = asciiLowercased(html.substr(nameStart, i - nameStart));
  auto known = knownElements().find(tag.name);
  if (known == knownElements().end()) return std::nullopt;
  tag.kind = known->second;
  tag.attributes = i;
  return tag;
}

// Where each tag of the text ends: the first '>' after its name that no quote
// hides. Found for all tags in one pass from the end of the text, so that a
// text full of unclosed tags and quotes takes no longer than a tidy one.
class TagEnds {
 public:
  explicit TagEnds(std::string_view html) {
    for (std::size_t pos = html.find('<'); pos != std::string_view::npos; pos = html.find('<', pos + 1))
      if (auto tag = readTagName(html, pos)) attributes_.push_back(tag->attributes);
    closers_.resize(attributes_.size(), std::string_view::npos);
    // Going backwards, `reach` is where a scan outside quotes that starts
    // just after the current position finds its '>'; for each quote
    // character, where it next occurs and where the scan reaches after it.
    struct Quote {
      std::size_t next = std::string_view::npos;
      std::size_t reachAfter = std::string_view::npos;
    };
    Quote doubleQuote, singleQuote;
    std::size_t reach = std::string_view::npos;
    std::size_t pending = attributes_.size();
    for (std::size_t pos = html.size(); pos-- > 0;) {
      char c = html[pos];
      std::size_t here = reach;
      if (c == '>') {
        here = pos;
      } else if (c == '"' || c == '\'') {
        Quote& quote = c == '"' ? doubleQuote : singleQuote;
        here = quote.next == std::string_view::npos ? std::string_view::npos : quote.reachAfter;
        quote = {pos, reach};
      }
      reach = here;
      if (pending > 0 && attributes_[pending - 1] == pos) closers_[--pending] = here;
    }
  }

  // The '>' of the tag whose name ends at `attributes`; nothing when no '>'
  // outside quotes follows.
  std::optional<std::size_t> closer(std::size_t attributes) const {
    auto found = std::lower_bound(attributes_.begin(), attributes_.end(), attributes);
    if (found == attributes_.end() || *found != attributes) return std::nullopt;
    std::size_t closer = closers_[found - attributes_.begin()];
    if (closer == std::string_view::npos) return std::nullopt;
    return closer;
  }

 private:
  std::vector<std::size_t> attributes_;  // ascending
  std::vector<std::size_t> closers_;     // for each of them
};

// A tag of a known element starting at `pos` (which holds '<'), or nothing
// when the text there is not one (a tag never closed is not one either).
std::optional<Tag> readTag(std::string_view html, std::size_t pos, const TagEnds& ends) {
  auto tag = readTagName(html, pos);
  if (!tag) return std::nullopt;
  auto closer = ends.closer(tag->attributes);
  if (!closer) return std::nullopt;
  tag->end = *closer + 1;
  return tag;
}

// A character reference starting at `pos` (which holds '&'): the decoded
// character and the position after the ';'.
std::optional<std::pair<char32_t, std::size_t>> readCharacterReference(std::string_view html, std::size_t pos) {
  // References are short: look no further than that for the ';'.
  std::size_t semicolon = html.substr(0, pos + 13).find(';', pos + 1);
  if (semicolon == std::string_view::npos) return std::nullopt;
  std::string_view body = html.substr(pos + 1, semicolon - pos - 1);
  if (body.size() >= 2 && body[0] == '#') {
    bool hex = body[1] == 'x' || body[1] == 'X';
    std::string_view digits = body.substr(hex ? 2 : 1);
    if (digits.empty()) return std::nullopt;
    char32_t value = 0;
    for (char c : digits) {
      int digit = (c >= '0' && c <= '9') ? c - '0'
                  : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                  : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
      if (digit < 0) return std::nullopt;
      value = std::min<char32_t>(value * (hex ? 16 : 10) + digit, 0x110000);
    }
    return std::pair{value, semicolon + 1};
  }
  auto named = namedCharacters().find(body);
  if (named == namedCharacters().end()) return std::nullopt;
  return std::pair{named->second, semicolon + 1};
}

bool containsHTMLElement(std::string_view text, const TagEnds& ends) {
  for (std::size_t pos = text.find('<'); pos != std::string_view::npos; pos = text.find('<', pos + 1))
    if (readTag(text, pos, ends)) return true;
  return false;
}

// Builds the plain text, collapsing white space the way a browser lays it out.
class PlainTextWriter {
 public:
  void text(std::string_view s) {
    for (char c : s) character(c);
  }
  void character(char c) {
    if (preformatted_ > 0) {
      if (c == '\r') return;
      out_ += c;
      pendingSpace_ = false;
      return;
    }
    if (isHTMLSpace(c)) {
      pendingSpace_ = !atLineStart();
      return;
    }
    if (pendingSpace_) out_ += ' ';
    pendingSpace_ = false;
    out_ += c;
  }
  void decoded(char32_t c) {
    std::string bytes;
    appendUTF8(bytes, c);
    if (bytes.size() == 1) return character(bytes[0]);
    if (pendingSpace_) out_ += ' ';
    pendingSpace_ = false;
    out_ += bytes;
  }
  void lineBreak() {
    pendingSpace_ = false;
    out_ += '\n';
  }
  void endLine() {
    pendingSpace_ = false;
    if (!atLineStart()) out_ += '\n';
  }
  void cellSeparator() {
    pendingSpace_ = false;
    if (!atLineStart()) out_ += '\t';
  }
  void enterPreformatted() { ++preformatted_; }
  void leavePreformatted() { preformatted_ = std::max(0, preformatted_ - 1); }
  std::string result() const { return platform::text::trimWhitespaceAndNewlines(out_); }

 private:
  bool atLineStart() const { return out_.empty() || out_.back() == '\n'; }
  std::string out_;
  bool pendingSpace_ = false;
  int preformatted_ = 0;
};

std::string convert(std::string_view html, const TagEnds& ends) {
  PlainTextWriter writer;
  std::size_t pos = 0;
  while (pos < html.size()) {
    char c = html[pos];
    if (c == '<' && html.substr(pos, 4) == "<!--") {
      std::size_t end = html.find("-->", pos + 4);
      pos = end == std::string_view::npos ? html.size() : end + 3;
      continue;
    }
    if (c == '<' && pos + 1 < html.size() && (html[pos + 1] == '!' || html[pos + 1] == '?')) {
      std::size_t end = html.find('>', pos);
      pos = end == std::string_view::npos ? html.size() : end + 1;
      continue;
    }
    if (c == '<') {
      if (auto tag = readTag(html, pos, ends)) {
        pos = tag->end;
        switch (tag->kind) {
          case ElementKind::inlineElement: break;
          case ElementKind::block: writer.endLine(); break;
          case ElementKind::lineBreak: writer.lineBreak(); break;
          case ElementKind::listItem:
            writer.endLine();
            if (!tag->closing) writer.text("• ");
            break;
          case ElementKind::tableCell:
            if (!tag->closing) writer.cellSeparator();
            break;
          case ElementKind::preformatted:
            writer.endLine();
            tag->closing ? writer.leavePreformatted() : writer.enterPreformatted();
            break;
          case ElementKind::hiddenText:
            if (!tag->closing) {
              // Raw text up to the matching end tag, whatever it contains.
              pos = findEndTag(html, pos, tag->name);
            }
            break;
        }
        continue;
      }
    }
    if (c == '&') {
      if (auto reference = readCharacterReference(html, pos)) {
        writer.decoded(reference->first);
        pos = reference->second;
        continue;
      }
    }
    writer.character(c);
    ++pos;
  }
  return writer.result();
}

}  // namespace

std::string htmlToPlainText(const std::string& text) {
  std::string valid = platform::text::repairUTF8(text);
  TagEnds ends(valid);
  if (!containsHTMLElement(valid, ends)) return valid;
  return convert(valid, ends);
}

}  // namespace quorbel
