#pragma once

#include <string>

namespace mervo {

// What the user is told when settings did not reach the shared suite, with
// the store's reason (UserSettings::saveFailure, LLMProviderConfig::saveFailure).
inline std::string notSavedMessage(const std::string& reason) {
  return "The settings could not be saved, so the compose assistant still uses the previous ones. " + reason;
}

// What the user is told when the stored settings could not be read at the
// start, with the store's reason (UserSettings::loadFailure).
inline std::string notReadMessage(const std::string& reason) {
  return "The stored settings could not be read and are left as they are. " + reason;
}

}  // namespace mervo
