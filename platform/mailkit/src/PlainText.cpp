#include "mailkit/PlainText.hpp"

#include <algorithm>
#include <optional>

#include "foundation/Text.hpp"

namespace mailkit {

namespace {

// One line of flowed text taken apart: its quote depth, and its content
// without the quote marks and without the space that stuffing added.
struct FlowedLine {
  std::size_t depth = 0;
  std::string_view content;

  bool isSignatureSeparator() const { return content == "-- "; }
  bool isSoftBroken() const { return !content.empty() && content.back() == ' ' && !isSignatureSeparator(); }
};

FlowedLine flowedLine(std::string_view line) {
  FlowedLine result;
  while (result.depth < line.size() && line[result.depth] == '>') ++result.depth;
  result.content = line.substr(result.depth);
  if (!result.content.empty() && result.content.front() == ' ') result.content.remove_prefix(1);
  return result;
}

// The text's lines one after another, each without its line break (CR LF,
// LF or a lone CR); a line break at the very end starts no further line.
class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {}

  bool atEnd() const { return at_ >= text_.size(); }
  bool endsWithLineBreak() const { return !text_.empty() && (text_.back() == '\n' || text_.back() == '\r'); }
  std::string_view next() {
    std::size_t end = std::min(text_.find('\n', at_), text_.size());
    std::size_t cr = text_.substr(0, end).find('\r', at_);
    if (cr != std::string_view::npos) end = cr;
    std::string_view line = text_.substr(at_, end - at_);
    at_ = end + (text_.substr(end, 2) == "\r\n" ? 2 : 1);
    return line;
  }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
};

// Every CR LF and lone CR becomes LF; nothing else changes.
std::string fixedText(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  std::size_t from = 0;
  for (std::size_t cr = text.find('\r'); cr != std::string_view::npos; cr = text.find('\r', from)) {
    result.append(text.substr(from, cr - from));
    result += '\n';
    from = cr + (text.substr(cr, 2) == "\r\n" ? 2 : 1);
  }
  result.append(text.substr(from));
  return result;
}

std::string flowedText(std::string_view text, bool deleteSpace) {
  std::string result;
  result.reserve(text.size());
  LineReader lines(text);
  std::optional<FlowedLine> line;
  if (!lines.atEnd()) line = flowedLine(lines.next());
  bool continuing = false;  // the previous line was soft-broken into this one
  while (line) {
    std::optional<FlowedLine> next;
    if (!lines.atEnd()) next = flowedLine(lines.next());
    if (!continuing) {
      for (std::size_t level = 0; level < line->depth; ++level) result += "> ";
      if (line->depth > 0 && line->content.empty()) result.pop_back();  // no blank at the end of a quoted blank line
    }
    // A soft break joins this line to the next only within one quote depth
    // and never into a signature separator.
    bool joinsNext = line->isSoftBroken() && next && next->depth == line->depth && !next->isSignatureSeparator();
    std::string_view content = line->content;
    if (line->isSoftBroken() && (deleteSpace || !joinsNext)) content.remove_suffix(1);
    result += content;
    if (!joinsNext && (next || lines.endsWithLineBreak())) result += '\n';
    continuing = joinsNext;
    line = next;
  }
  return result;
}

}  // namespace

std::string readPlainText(std::string_view text, PlainTextFormat format) {
  std::string repaired;
  if (!platform::text::isValidUTF8(text)) text = repaired = platform::text::repairUTF8(text);
  return format.flowed ? flowedText(text, format.deleteSpace) : fixedText(text);
}

}  // namespace mailkit
