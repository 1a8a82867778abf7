#pragma once

#include <string>

#include "observable/Published.hpp"
#include "settings/UserSettings.hpp"

namespace mervo {

// The system prompt the compose assistant uses: the one the settings
// assemble as they were loaded, or as the last save that reached the shared
// suite left them. A save the suite did not take leaves it as it was.
// Main thread only.
class PromptInForce {
 public:
  explicit PromptInForce(UserSettings& userSettings);
  PromptInForce(const PromptInForce&) = delete;
  PromptInForce& operator=(const PromptInForce&) = delete;

  platform::Published<std::string> prompt;

 private:
  platform::Cancellable saves_;
};

}  // namespace mervo
