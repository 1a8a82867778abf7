#pragma once

#include <chrono>
#include <string>

namespace quorbel {

// The date as the platform prints one by default: "2025-01-31 09:15:02 +0000".
std::string defaultDateDescription(std::chrono::system_clock::time_point time);

// What every Write request leaves behind for diagnosing the extension: the
// console lines, a line in `extension_debug_logs`, and a dated stamp under
// `extension_test_regular` (standard defaults) and `extension_test_shared`
// (the shared suite). Nothing reads the stamps.
void recordGenerateReplyCall();

}  // namespace quorbel
