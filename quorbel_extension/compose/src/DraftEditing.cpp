#include "compose/DraftEditing.hpp"

#include <algorithm>
#include <vector>

namespace quorbel {

namespace {

// Besides CR LF and CR, the characters a plain-text editor holds as a line
// break: the paragraph separator, and the two noncharacters Qt's documents
// use to mark frames (U+FDD0, U+FDD1).
constexpr std::string_view kLineBreakCharacters[] = {"\xE2\x80\xA9", "\xEF\xB7\x90", "\xEF\xB7\x91"};

// The length of the line break at the start of `text`, or 0.
std::size_t lineBreakLength(std::string_view text) {
  if (text.starts_with("\r\n")) return 2;
  if (text.starts_with('\r')) return 1;
  for (std::string_view character : kLineBreakCharacters)
    if (text.starts_with(character)) return character.size();
  return 0;
}

// The editor's text, and for each of its byte offsets (and its end) the
// offset in the draft where that byte's source begins.
struct Mapped {
  std::string text;
  std::vector<std::size_t> draftOffset;
};

Mapped mapped(std::string_view draft) {
  Mapped out;
  for (std::size_t i = 0; i < draft.size();) {
    std::size_t length = lineBreakLength(draft.substr(i));
    out.draftOffset.push_back(i);
    if (length > 0) {
      out.text += '\n';
      i += length;
    } else {
      out.text += draft[i++];
    }
  }
  out.draftOffset.push_back(draft.size());
  return out;
}

bool isContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

std::string editorText(std::string_view draft) { return mapped(draft).text; }

std::string draftAfterEdit(std::string_view draft, std::string_view edited) {
  Mapped shown = mapped(draft);
  std::string_view before = shown.text;
  std::size_t limit = std::min(before.size(), edited.size());
  std::size_t prefix = 0;
  while (prefix < limit && before[prefix] == edited[prefix]) ++prefix;
  // Cut between characters, never inside one.
  while (prefix > 0 && prefix < before.size() && isContinuationByte(before[prefix])) --prefix;
  std::size_t suffix = 0;
  while (suffix < limit - prefix && before[before.size() - 1 - suffix] == edited[edited.size() - 1 - suffix]) ++suffix;
  while (suffix > 0 && isContinuationByte(before[before.size() - suffix])) --suffix;

  std::string result(draft.substr(0, shown.draftOffset[prefix]));
  result += edited.substr(prefix, edited.size() - suffix - prefix);
  result += draft.substr(shown.draftOffset[before.size() - suffix]);
  return result;
}

}  // namespace quorbel
