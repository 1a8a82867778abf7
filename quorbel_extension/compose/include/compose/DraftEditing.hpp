#pragma once

#include <string>
#include <string_view>

namespace quorbel {

// A draft shown in a plain-text editor must come back byte for byte unless
// the user changes it. Editors keep no CR LF, lone CR or paragraph separator
// (U+2029), nor Qt's frame marks U+FDD0 and U+FDD1: each becomes a line
// break. These two functions map between the draft and the editor's text so
// that only the stretch the user edited changes.

// The editor's text for a draft: every CR LF, CR, U+2029, U+FDD0 and U+FDD1
// becomes LF.
std::string editorText(std::string_view draft);

// The draft after the user turned the editor's text from editorText(draft)
// into `edited`: the stretch between the longest common beginning and end
// is replaced, everything around it is kept as it stood in the draft.
std::string draftAfterEdit(std::string_view draft, std::string_view edited);

}  // namespace quorbel
