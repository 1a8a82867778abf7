#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace firebase::vertexai {

// How much of one text from the server (a message, a reason, a key) an error
// description quotes: room for the longest message the service writes.
inline constexpr std::size_t kQuotedServerTextCharacters = 1000;

// Text from the server as an error description quotes it, for a window or a
// terminal to show: valid UTF-8; line breaks as "\n"; every other control
// character, which a terminal would obey (an escape sequence, a bell),
// replaced by U+FFFD; and at most `maxCharacters` characters, followed by
// "..." when there were more.
std::string quotedServerText(std::string_view text, std::size_t maxCharacters = kQuotedServerTextCharacters);

}  // namespace firebase::vertexai
