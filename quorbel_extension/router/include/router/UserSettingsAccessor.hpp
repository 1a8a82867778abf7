#pragma once

#include <memory>
#include <string>

#include "foundation/UserDefaults.hpp"

namespace quorbel {

// Turns the prompt settings of the shared suite into the effective system
// prompt that heads every prompt the popover sends.
class UserSettingsAccessor {
 public:
  static UserSettingsAccessor& shared();
  // The next shared() makes a new accessor, as in a fresh process.
  static void resetForTesting();

  // The custom prompt (untrimmed) when switched on and not blank; otherwise
  // buildSystemPrompt().
  std::string effectiveSystemPrompt();
  // Default prompt + tone + length + context section, always with context.
  std::string buildSystemPrompt();

  const std::string& appGroupID() const { return appGroupID_; }

 private:
  UserSettingsAccessor();
  std::string appGroupID_;
  platform::UserDefaults* userDefaults_;
  std::shared_ptr<platform::UserDefaults> suite_;  // keeps the suite alive
};

}  // namespace quorbel
