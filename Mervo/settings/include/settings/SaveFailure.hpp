#pragma once

#include <string>

namespace mervo {

// What the user is told when settings did not reach the shared suite, with
// the store's reason (UserSettings::saveFailure, LLMProviderConfig::saveFailure).
inline std::string notSavedMessage(const std::string& reason) {
  return "The settings could not be saved, so the compose assistant still uses the previous ones. " + reason;
}

}  // namespace mervo
