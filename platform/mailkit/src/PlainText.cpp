#include "mailkit/PlainText.hpp"

#include <vector>

#include "foundation/Text.hpp"

namespace mailkit {

namespace {

// The lines of the text, each without its line break; a text that ends in a
// line break has no empty last line, and tells so.
struct Lines {
  std::vector<std::string_view> lines;
  bool endsWithLineBreak = false;
};

Lines splitLines(std::string_view text) {
  Lines result;
  std::size_t start = 0;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] != '\r' && text[at] != '\n') continue;
    result.lines.push_back(text.substr(start, at - start));
    if (text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n') ++at;
    start = at + 1;
  }
  result.endsWithLineBreak = start == text.size() && !result.lines.empty();
  if (start < text.size()) result.lines.push_back(text.substr(start));
  return result;
}

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

std::string fixedText(const Lines& lines) {
  std::string text;
  for (std::size_t i = 0; i < lines.lines.size(); ++i) {
    if (i > 0) text += '\n';
    text += lines.lines[i];
  }
  if (lines.endsWithLineBreak) text += '\n';
  return text;
}

std::string flowedText(const Lines& lines, bool deleteSpace) {
  std::string text;
  bool continuing = false;  // the previous line was soft-broken into this one
  for (std::size_t i = 0; i < lines.lines.size(); ++i) {
    FlowedLine line = flowedLine(lines.lines[i]);
    if (!continuing) {
      if (i > 0) text += '\n';
      for (std::size_t level = 0; level < line.depth; ++level) text += "> ";
      if (line.depth > 0 && line.content.empty()) text.pop_back();  // no blank at the end of a quoted blank line
    }
    // A soft break joins this line to the next only within one quote depth
    // and never into a signature separator.
    bool joinsNext = false;
    if (line.isSoftBroken() && i + 1 < lines.lines.size()) {
      FlowedLine next = flowedLine(lines.lines[i + 1]);
      joinsNext = next.depth == line.depth && !next.isSignatureSeparator();
    }
    std::string_view content = line.content;
    if (line.isSoftBroken() && (deleteSpace || !joinsNext)) content.remove_suffix(1);
    text += content;
    continuing = joinsNext;
  }
  if (lines.endsWithLineBreak) text += '\n';
  return text;
}

}  // namespace

std::string readPlainText(std::string_view text, PlainTextFormat format) {
  std::string valid = platform::text::repairUTF8(text);
  Lines lines = splitLines(valid);
  return format.flowed ? flowedText(lines, format.deleteSpace) : fixedText(lines);
}

}  // namespace mailkit
