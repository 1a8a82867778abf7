#include "app/PromptInForce.hpp"

namespace mervo {

PromptInForce::PromptInForce(UserSettings& userSettings) : prompt(userSettings.effectiveSystemPrompt()) {
  // Every save assigns its outcome.
  saves_ = userSettings.saveFailure.onChange([this, &userSettings](const std::optional<std::string>& failure) {
    if (!failure) prompt = userSettings.effectiveSystemPrompt();
  });
}

}  // namespace mervo
