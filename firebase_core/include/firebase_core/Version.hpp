#pragma once

#include <string>

namespace firebase {

// The core version: it leads every log line, names the "fire-ios" user-agent
// component and is the default version of registered libraries.
const std::string& FIRFirebaseVersion();

}  // namespace firebase
