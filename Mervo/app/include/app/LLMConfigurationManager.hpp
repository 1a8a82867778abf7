#pragma once

#include <optional>

#include "observable/Published.hpp"
#include "settings/EnvironmentConfig.hpp"
#include "settings/LLMAPIService.hpp"
#include "settings/LLMProviderConfig.hpp"

namespace mervo {

// The AI Models screen's status: whether the provider settings can be used,
// how the screen's last connection test ended, and whether the built-in
// service is reachable with this deployment. Each screen makes one of its
// own; it keeps no settings and writes nothing. Main thread only.
class LLMConfigurationManager {
 public:
  // Computes the two flags at once; no test has run yet.
  explicit LLMConfigurationManager(LLMAPIService& service = LLMAPIService::shared(),
                                   LLMProviderConfig& llmConfig = LLMProviderConfig::shared(),
                                   EnvironmentConfig& envConfig = EnvironmentConfig::shared());
  LLMConfigurationManager(const LLMConfigurationManager&) = delete;
  LLMConfigurationManager& operator=(const LLMConfigurationManager&) = delete;

  platform::Published<bool> isConfigurationValid{false};
  // Absent until a test of this screen has finished; written by the screen.
  platform::Published<std::optional<bool>> lastTestSuccessful{std::nullopt};
  platform::Published<bool> isBuiltinServiceAvailable{false};

  // Recomputes the two flags from the settings held now, saved or not; both
  // are assigned (and announced) even when they stay the same.
  void refreshStatus();

 private:
  LLMAPIService& service_;
  LLMProviderConfig& llmConfig_;
  EnvironmentConfig& envConfig_;
};

}  // namespace mervo
