// HTML is read with gumbo and its tree walked with a stack of our own, as
// deep as the document. Gumbo 0.10.1, as Debian 12 ships it, takes quadratic
// time on deeply nested elements, on many unclosed formatting elements and on
// tags with many attributes, and frees its tree by recursion: the text is
// bounded first (BoundedHTML.hpp says how).
#include "mailkit/HTMLToPlainText.hpp"

#include <gumbo.h>

#include <charconv>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "BoundedHTML.hpp"
#include "foundation/Text.hpp"

namespace mailkit {

namespace {

enum class Role { inlineContent, block, lineBreak, listItem, orderedList, unorderedList, tableRow, tableCell,
                  preformatted, blockquote, hidden };

Role roleOf(const GumboElement& element) {
  switch (element.tag) {
    case GUMBO_TAG_HEAD: case GUMBO_TAG_TITLE: case GUMBO_TAG_SCRIPT: case GUMBO_TAG_STYLE:
    case GUMBO_TAG_TEMPLATE: case GUMBO_TAG_NOSCRIPT: case GUMBO_TAG_IFRAME: case GUMBO_TAG_NOEMBED:
    case GUMBO_TAG_NOFRAMES: case GUMBO_TAG_DATALIST: case GUMBO_TAG_DESC:
      return Role::hidden;
    case GUMBO_TAG_ADDRESS: case GUMBO_TAG_ARTICLE: case GUMBO_TAG_ASIDE: case GUMBO_TAG_CENTER:
    case GUMBO_TAG_DD: case GUMBO_TAG_DETAILS: case GUMBO_TAG_DIR: case GUMBO_TAG_DIV: case GUMBO_TAG_DL:
    case GUMBO_TAG_DT: case GUMBO_TAG_FIELDSET: case GUMBO_TAG_FIGCAPTION: case GUMBO_TAG_FIGURE:
    case GUMBO_TAG_FOOTER: case GUMBO_TAG_FORM: case GUMBO_TAG_H1: case GUMBO_TAG_H2: case GUMBO_TAG_H3:
    case GUMBO_TAG_H4: case GUMBO_TAG_H5: case GUMBO_TAG_H6: case GUMBO_TAG_HEADER: case GUMBO_TAG_HGROUP:
    case GUMBO_TAG_HR: case GUMBO_TAG_LEGEND: case GUMBO_TAG_MAIN: case GUMBO_TAG_NAV: case GUMBO_TAG_P:
    case GUMBO_TAG_SECTION: case GUMBO_TAG_SUMMARY: case GUMBO_TAG_TABLE: case GUMBO_TAG_CAPTION:
    case GUMBO_TAG_MULTICOL:
      return Role::block;
    case GUMBO_TAG_BR: return Role::lineBreak;
    case GUMBO_TAG_LI: return Role::listItem;
    case GUMBO_TAG_OL: return Role::orderedList;
    case GUMBO_TAG_UL: case GUMBO_TAG_MENU: return Role::unorderedList;
    case GUMBO_TAG_TR: return Role::tableRow;
    case GUMBO_TAG_TD: case GUMBO_TAG_TH: return Role::tableCell;
    case GUMBO_TAG_PRE: case GUMBO_TAG_LISTING: case GUMBO_TAG_XMP: case GUMBO_TAG_PLAINTEXT:
    case GUMBO_TAG_TEXTAREA:
      return Role::preformatted;
    case GUMBO_TAG_BLOCKQUOTE: return Role::blockquote;
    default: return Role::inlineContent;
  }
}

bool isHTMLSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

// Builds the plain text, collapsing white space the way a browser lays it
// out and marking each line of a blockquote.
class PlainTextWriter {
 public:
  void text(std::string_view s) {
    for (char c : s) {
      if (preformatted_ > 0) {
        if (c == '\n') {
          lineBreak();
        } else if (c != '\r') {
          put(c);
        }
      } else if (isHTMLSpace(c)) {
        pendingSpace_ = lineHasText_;
      } else {
        if (pendingSpace_) put(' ');
        put(c);
      }
    }
  }
  // A list item's marker: a word of its own, a space before the item's text.
  void marker(std::string_view s) {
    endLine();
    text(s);
    pendingSpace_ = true;
    lineHoldsOnlyMarker_ = true;
  }
  // A block starts a line of its own, except right after a list item's
  // marker, which stands on the line of the item's first block.
  void blockStart() {
    if (!lineHoldsOnlyMarker_) endLine();
  }
  void lineBreak() {
    if (!lineHasText_) startLine();
    if (!lineHasText_ && quoteDepth_ > 0) out_.pop_back();  // no blank at the end of a quoted blank line
    out_ += '\n';
    pendingSpace_ = false;
    lineHasText_ = false;
    lineHoldsOnlyMarker_ = false;
  }
  void endLine() {
    if (lineHasText_) lineBreak();
    pendingSpace_ = false;
  }
  void cellSeparator() {
    pendingSpace_ = false;
    if (lineHasText_) out_ += '\t';
  }
  void enterPreformatted() { ++preformatted_; }
  void leavePreformatted() { --preformatted_; }
  void enterQuote() {
    endLine();
    ++quoteDepth_;
  }
  void leaveQuote() {
    endLine();
    --quoteDepth_;
  }
  std::string result() const { return platform::text::trimWhitespaceAndNewlines(out_); }

 private:
  void startLine() {
    for (int level = 0; level < quoteDepth_; ++level) out_ += "> ";
  }
  void put(char c) {
    if (!lineHasText_) startLine();
    lineHasText_ = true;
    pendingSpace_ = false;
    lineHoldsOnlyMarker_ = false;
    out_ += c;
  }

  std::string out_;
  bool pendingSpace_ = false;
  bool lineHasText_ = false;
  bool lineHoldsOnlyMarker_ = false;
  int preformatted_ = 0;
  int quoteDepth_ = 0;
};

// The number an ordered list gives its first item: its start attribute, as
// HTML reads an integer, else 1.
long long firstNumber(const GumboElement& list) {
  const GumboAttribute* start = gumbo_get_attribute(&list.attributes, "start");
  if (!start) return 1;
  std::string_view value(start->value);
  while (!value.empty() && isHTMLSpace(value.front())) value.remove_prefix(1);
  if (!value.empty() && value.front() == '+') value.remove_prefix(1);
  int number = 1;
  auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
  return error == std::errc() ? number : 1;
}

// Walks the tree in document order with a stack of its own: each element is
// entered, its children are read, then it is left.
class TreeWalker {
 public:
  std::string text(const GumboNode* root) {
    steps_.push_back({root, false});
    while (!steps_.empty()) {
      Step step = steps_.back();
      steps_.pop_back();
      if (step.leaving) {
        leave(step.node->v.element);
      } else {
        visit(step.node);
      }
    }
    return writer_.result();
  }

 private:
  struct Step {
    const GumboNode* node;
    bool leaving;
  };

  void visit(const GumboNode* node) {
    switch (node->type) {
      case GUMBO_NODE_TEXT: case GUMBO_NODE_CDATA: case GUMBO_NODE_WHITESPACE:
        writer_.text(node->v.text.text);
        return;
      case GUMBO_NODE_ELEMENT: {
        if (!enter(node->v.element)) return;
        steps_.push_back({node, true});
        const GumboVector& children = node->v.element.children;
        for (unsigned i = children.length; i-- > 0;) steps_.push_back({static_cast<const GumboNode*>(children.data[i]), false});
        return;
      }
      case GUMBO_NODE_DOCUMENT: {
        const GumboVector& children = node->v.document.children;
        for (unsigned i = children.length; i-- > 0;) steps_.push_back({static_cast<const GumboNode*>(children.data[i]), false});
        return;
      }
      case GUMBO_NODE_COMMENT: case GUMBO_NODE_TEMPLATE:
        return;
    }
  }

  // Whether the element's content is read.
  bool enter(const GumboElement& element) {
    switch (roleOf(element)) {
      case Role::hidden: return false;
      case Role::inlineContent: break;
      case Role::block: writer_.blockStart(); break;
      case Role::tableRow: writer_.endLine(); break;
      case Role::lineBreak: writer_.lineBreak(); break;
      case Role::orderedList:
        writer_.endLine();
        lists_.push_back(firstNumber(element));
        break;
      case Role::unorderedList:
        writer_.endLine();
        lists_.push_back(std::nullopt);
        break;
      case Role::listItem:
        if (!lists_.empty() && lists_.back()) {
          writer_.marker(std::to_string((*lists_.back())++) + ".");
        } else {
          writer_.marker("•");
        }
        break;
      case Role::tableCell: writer_.cellSeparator(); break;
      case Role::preformatted:
        writer_.endLine();
        writer_.enterPreformatted();
        break;
      case Role::blockquote: writer_.enterQuote(); break;
    }
    return true;
  }

  void leave(const GumboElement& element) {
    switch (roleOf(element)) {
      case Role::hidden: case Role::inlineContent: case Role::lineBreak: case Role::tableCell: break;
      case Role::block: case Role::tableRow: case Role::listItem: writer_.endLine(); break;
      case Role::orderedList: case Role::unorderedList:
        writer_.endLine();
        lists_.pop_back();
        break;
      case Role::preformatted:
        writer_.leavePreformatted();
        writer_.endLine();
        break;
      case Role::blockquote: writer_.leaveQuote(); break;
    }
  }

  std::vector<Step> steps_;
  std::vector<std::optional<long long>> lists_;  // the open lists, inmost last: the next number of an ordered one
  PlainTextWriter writer_;
};

struct OutputDeleter {
  const GumboOptions* options;
  void operator()(GumboOutput* output) const { gumbo_destroy_output(options, output); }
};

}  // namespace

std::string htmlToPlainText(const std::string& html) {
  std::string repaired;
  std::string_view valid = html;
  if (!platform::text::isValidUTF8(valid)) valid = repaired = platform::text::repairUTF8(html);
  std::string bounded = boundedHTML(valid);
  GumboOptions options = kGumboDefaultOptions;
  options.max_errors = 0;  // parse errors are of no use here
  std::unique_ptr<GumboOutput, OutputDeleter> output(
      gumbo_parse_with_options(&options, bounded.data(), bounded.size()), OutputDeleter{&options});
  return output ? TreeWalker().text(output->document) : "";
}

}  // namespace mailkit
