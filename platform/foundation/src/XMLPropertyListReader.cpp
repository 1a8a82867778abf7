#include <unicode/utf8.h>

#include <charconv>
#include <cstdint>
#include <optional>
#include <vector>

#include "XMLPropertyList.hpp"
#include "XMLScalarText.hpp"
#include "foundation/Text.hpp"

namespace platform::plist::xml {
namespace {

using Refusal = std::unexpected<std::string>;
constexpr std::size_t npos = std::string_view::npos;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

struct Tag {
  enum class Kind { opening, closing, empty };  // <name ...>, </name>, <name .../>
  std::string_view name;
  Kind kind;
};

// A recursive descent over the markup. The recursion goes as deep as the
// nesting, which is bounded before each level is entered.
class Reader {
 public:
  Reader(std::string_view text, std::size_t maxValues, std::size_t maxDepth)
      : text_(text), maxValues_(maxValues), maxDepth_(maxDepth) {}

  std::expected<PropertyValue, std::string> document() {
    // Some editors save UTF-8 with a byte-order mark, which XML allows
    // before the document.
    if (text_.starts_with("\xEF\xBB\xBF")) at_ = 3;
    if (auto prolog = skipProlog(); !prolog) return Refusal(prolog.error());
    auto root = nextTag();
    if (!root) return Refusal(root.error());
    std::expected<PropertyValue, std::string> result;
    if (root->name == "plist") {
      if (root->kind != Tag::Kind::opening) return Refusal("the plist element holds no value");
      auto inner = nextTag();
      if (!inner) return Refusal(inner.error());
      result = value(*inner, 1);
      if (!result) return result;
      auto end = nextTag();
      if (!end) return Refusal(end.error());
      if (end->kind != Tag::Kind::closing || end->name != "plist")
        return Refusal("the plist element holds more than one value");
    } else {
      result = value(*root, 1);
      if (!result) return result;
    }
    if (auto rest = skipMisc(); !rest) return Refusal(rest.error());
    if (at_ != text_.size()) return Refusal("something follows the property list");
    return result;
  }

 private:
  std::expected<PropertyValue, std::string> value(const Tag& tag, std::size_t depth) {
    if (tag.kind == Tag::Kind::closing) return Refusal("a closing tag stands where a value belongs");
    if (depth > maxDepth_) return Refusal("it nests deeper than " + std::to_string(maxDepth_) + " levels");
    if (auto counted = countValue(); !counted) return Refusal(counted.error());
    if (tag.name == "dict") return dictionary(tag.kind == Tag::Kind::empty, depth);
    if (tag.name == "array") return array(tag.kind == Tag::Kind::empty, depth);
    using Interpretation = std::expected<PropertyValue, std::string> (*)(std::string_view);
    Interpretation interpret = tag.name == "integer" ? &integerOfText
                               : tag.name == "real"  ? &realOfText
                               : tag.name == "date"  ? &dateOfText
                               : tag.name == "data"  ? &dataOfText
                                                     : nullptr;
    const bool isBoolean = tag.name == "true" || tag.name == "false";
    if (!interpret && !isBoolean && tag.name != "string")
      return Refusal("an element named \"" + std::string(tag.name.substr(0, 40)) + "\" is not a value");
    auto content = textOf(tag);
    if (!content) return Refusal(content.error());
    if (tag.name == "string") return PropertyValue(std::move(*content));
    if (isBoolean) {
      for (char c : *content)
        if (!isBlank(c)) return Refusal("a Boolean " + where() + " holds text");
      return PropertyValue(tag.name == "true");
    }
    auto interpreted = interpret(*content);
    if (!interpreted) return Refusal("the " + std::string(tag.name) + " " + where() + " " + interpreted.error());
    return interpreted;
  }

  std::expected<PropertyValue, std::string> array(bool empty, std::size_t depth) {
    PropertyValue::Array items;
    while (!empty) {
      auto tag = nextInside("array");
      if (!tag) return Refusal(tag.error());
      if (!*tag) break;
      auto item = value(**tag, depth + 1);
      if (!item) return item;
      items.push_back(std::move(*item));
    }
    return PropertyValue(std::move(items));
  }

  std::expected<PropertyValue, std::string> dictionary(bool empty, std::size_t depth) {
    PropertyValue::Dictionary entries;
    while (!empty) {
      auto tag = nextInside("dict");
      if (!tag) return Refusal(tag.error());
      if (!*tag) break;
      if ((*tag)->name != "key") return Refusal("a dictionary holds a value without a key");
      if (auto counted = countValue(); !counted) return Refusal(counted.error());
      auto key = textOf(**tag);
      if (!key) return Refusal(key.error());
      auto valueTag = nextTag();
      if (!valueTag) return Refusal(valueTag.error());
      keys_.push_back(*key);
      auto entryValue = value(*valueTag, depth + 1);
      keys_.pop_back();
      if (!entryValue) return entryValue;
      entries.insert_or_assign(std::move(*key), std::move(*entryValue));
    }
    return PropertyValue(std::move(entries));
  }

  // The next element inside an array or dictionary; nothing at the
  // container's own closing tag.
  std::expected<std::optional<Tag>, std::string> nextInside(std::string_view container) {
    auto tag = nextTag();
    if (!tag) return Refusal(tag.error());
    if (tag->kind != Tag::Kind::closing) return *tag;
    if (tag->name != container) return Refusal("a " + std::string(container) + " element is closed as another one");
    return std::nullopt;
  }

  std::expected<void, std::string> countValue() {
    if (++values_ > maxValues_) return Refusal("it holds more than " + std::to_string(maxValues_) + " values");
    return {};
  }

  // Where the value being read stands, for messages.
  std::string where() const {
    if (keys_.empty()) return "outside any dictionary";
    return "under the key \"" + text::repairUTF8(keys_.back()) + "\"";
  }

  // The XML declaration, comments, processing instructions and a document
  // type before the root element.
  std::expected<void, std::string> skipProlog() {
    for (;;) {
      if (auto misc = skipMisc(); !misc) return misc;
      if (!text_.substr(at_).starts_with("<!DOCTYPE")) return {};
      // Quoted texts may hold ">"; an internal subset would declare entities
      // and elements of its own, which this reader does not take.
      char quote = 0;
      std::size_t i = at_ + 9;
      for (; i < text_.size(); ++i) {
        const char c = text_[i];
        if (quote != 0) {
          if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
          quote = c;
        } else if (c == '[') {
          return Refusal("the document type declares entities or elements of its own");
        } else if (c == '>') {
          break;
        }
      }
      if (i == text_.size()) return Refusal("the document type declaration is not closed");
      at_ = i + 1;
    }
  }

  // Blanks, comments and processing instructions, which mean nothing
  // between elements.
  std::expected<void, std::string> skipMisc() {
    for (;;) {
      while (at_ < text_.size() && isBlank(text_[at_])) ++at_;
      const std::string_view rest = text_.substr(at_);
      if (rest.starts_with("<!--")) {
        if (auto skipped = skipPast("-->", at_ + 4, "a comment"); !skipped) return skipped;
      } else if (rest.starts_with("<?")) {
        if (auto skipped = skipPast("?>", at_ + 2, "a processing instruction"); !skipped) return skipped;
      } else {
        return {};
      }
    }
  }

  std::expected<void, std::string> skipPast(std::string_view terminator, std::size_t from, std::string_view what) {
    const std::size_t end = text_.find(terminator, from);
    if (end == npos) return Refusal(std::string(what) + " is not closed");
    at_ = end + terminator.size();
    return {};
  }

  // The next tag, after what means nothing between elements; text there
  // belongs to no value.
  std::expected<Tag, std::string> nextTag() {
    if (auto misc = skipMisc(); !misc) return Refusal(misc.error());
    if (at_ == text_.size()) return Refusal("the property list ends inside an element");
    if (text_[at_] != '<') return Refusal("text stands outside any value");
    return tag();
  }

  // The tag at the cursor, which is at its "<". Attributes are allowed and
  // mean nothing; quoted texts may hold ">".
  std::expected<Tag, std::string> tag() {
    const bool closing = text_.substr(at_).starts_with("</");
    std::size_t i = at_ + (closing ? 2 : 1);
    const std::size_t nameStart = i;
    while (i < text_.size() && !isBlank(text_[i]) && text_[i] != '/' && text_[i] != '>' && text_[i] != '<') ++i;
    const std::string_view name = text_.substr(nameStart, i - nameStart);
    if (name.empty() || name.starts_with('!')) return Refusal("markup that is no element stands where a value belongs");
    char quote = 0;
    for (; i < text_.size(); ++i) {
      const char c = text_[i];
      if (quote != 0) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        if (closing) break;
        quote = c;
      } else if (c == '<') {
        break;
      } else if (c == '>') {
        at_ = i + 1;
        return Tag{name, closing ? Tag::Kind::closing : Tag::Kind::opening};
      } else if (c == '/' && !closing && i + 1 < text_.size() && text_[i + 1] == '>') {
        at_ = i + 2;
        return Tag{name, Tag::Kind::empty};
      } else if (closing && !isBlank(c)) {
        break;
      }
    }
    return Refusal("a tag is not closed");
  }

  // The text of a value or key element; empty for "<name/>".
  std::expected<std::string, std::string> textOf(const Tag& tag) {
    if (tag.kind == Tag::Kind::empty) return std::string();
    return characterData(tag.name);
  }

  // The text of an element up to its closing tag: references and CDATA
  // sections decoded, comments and processing instructions left out. An
  // element inside is refused: property-list texts hold none.
  std::expected<std::string, std::string> characterData(std::string_view element) {
    std::string content;
    for (;;) {
      const std::size_t next = text_.find_first_of("<&", at_);
      if (next == npos) return Refusal("the " + std::string(element) + " element is not closed");
      content.append(text_.substr(at_, next - at_));
      at_ = next;
      const std::string_view rest = text_.substr(at_);
      if (rest.starts_with('&')) {
        if (auto reference = appendReference(content); !reference) return Refusal(reference.error());
      } else if (rest.starts_with("<![CDATA[")) {
        const std::size_t end = text_.find("]]>", at_ + 9);
        if (end == npos) return Refusal("a CDATA section is not closed");
        content.append(text_.substr(at_ + 9, end - at_ - 9));
        at_ = end + 3;
      } else if (rest.starts_with("<!--")) {
        if (auto skipped = skipPast("-->", at_ + 4, "a comment"); !skipped) return Refusal(skipped.error());
      } else if (rest.starts_with("<?")) {
        if (auto skipped = skipPast("?>", at_ + 2, "a processing instruction"); !skipped)
          return Refusal(skipped.error());
      } else {
        auto end = tag();
        if (!end) return Refusal(end.error());
        if (end->kind != Tag::Kind::closing || end->name != element)
          return Refusal("the " + std::string(element) + " element holds another element");
        return content;
      }
    }
  }

  // The entity or character reference at the cursor ("&amp;", "&#233;",
  // "&#xE9;"), appended as the text it stands for.
  std::expected<void, std::string> appendReference(std::string& content) {
    const std::size_t semicolon = text_.find(';', at_);
    // The longest reference is "&#x10FFFF;" or "&#1114111;".
    if (semicolon == npos || semicolon - at_ > 10) return Refusal("a \"&\" begins no reference");
    const std::string_view name = text_.substr(at_ + 1, semicolon - at_ - 1);
    at_ = semicolon + 1;
    static constexpr std::pair<std::string_view, char> kEntities[] = {
        {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};
    for (const auto& [entity, character] : kEntities) {
      if (name == entity) {
        content += character;
        return {};
      }
    }
    if (!name.starts_with('#')) return Refusal("an entity other than the five of XML is used");
    const bool hexadecimal = name.starts_with("#x");
    const std::string_view digits = name.substr(hexadecimal ? 2 : 1);
    std::uint32_t codePoint = 0;
    const auto [stop, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), codePoint, hexadecimal ? 16 : 10);
    // NUL is no XML character; surrogates are no characters at all.
    if (error != std::errc() || stop != digits.data() + digits.size() || digits.empty() || codePoint == 0 ||
        codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
      return Refusal("a character reference names no character");
    char encoded[U8_MAX_LENGTH];
    std::int32_t length = 0;
    U8_APPEND_UNSAFE(encoded, length, static_cast<UChar32>(codePoint));
    content.append(encoded, static_cast<std::size_t>(length));
    return {};
  }

  std::string_view text_;
  std::size_t at_ = 0;
  const std::size_t maxValues_;
  const std::size_t maxDepth_;
  std::size_t values_ = 0;
  std::vector<std::string> keys_;  // of the dictionary entries being read, innermost last
};

}  // namespace

std::expected<PropertyValue, std::string> read(std::string_view text, std::size_t maxValues, std::size_t maxDepth) {
  return Reader(text, maxValues, maxDepth).document();
}

}  // namespace platform::plist::xml
