#pragma once

#include <string_view>

namespace mervo {

// Ends the process at once, as the platform does for a programming or
// packaging error it cannot go on from: the message goes to standard error
// ("Fatal error: ..."), lines already printed are flushed, nothing else runs.
[[noreturn]] void fatalError(std::string_view message);

// The same for an exception nothing caught, in the platform's words.
[[noreturn]] void terminateWithUncaughtException(std::string_view name, std::string_view reason);

}  // namespace mervo
