#pragma once

#include <string>
#include <string_view>

namespace platform {

// A text as a diagnostic line shows it: the user information of every
// address masked, then control characters escaped (text::escapedForLog), so
// that no password reaches a log and no text from outside (an answer, a
// reply body, a mail) can fake a line or take over the terminal. The console
// and the log write every line this way.
std::string diagnosticText(std::string_view text);

}  // namespace platform
