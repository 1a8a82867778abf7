#include "compose/DraftEditing.hpp"

#include <algorithm>
#include <vector>

namespace quorbel {

namespace {

constexpr std::string_view kParagraphSeparator = "\xE2\x80\xA9";

// The editor's text, and for each of its byte offsets (and its end) the
// offset in the draft where that byte's source begins.
struct Mapped {
  std::string text;
  std::vector<std::size_t> draftOffset;
};

Mapped mapped(std::string_view draft) {
  Mapped out;
  for (std::size_t i = 0; i < draft.size();) {
    std::size_t length = 0;
    if (draft.substr(i, 2) == "\r\n") length = 2;
    else if (draft[i] == '\r') length = 1;
    else if (draft.substr(i, kParagraphSeparator.size()) == kParagraphSeparator) length = kParagraphSeparator.size();
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
