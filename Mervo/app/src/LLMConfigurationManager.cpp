#include "app/LLMConfigurationManager.hpp"

namespace mervo {

LLMConfigurationManager::LLMConfigurationManager(LLMAPIService& service, LLMProviderConfig& llmConfig,
                                                 EnvironmentConfig& envConfig)
    : service_(service), llmConfig_(llmConfig), envConfig_(envConfig) {
  refreshStatus();
}

void LLMConfigurationManager::refreshStatus() {
  isConfigurationValid = service_.builtInAvailabilityIssues().empty();
  if (*llmConfig_.currentProvider != LLMProvider::gemini) {
    isBuiltinServiceAvailable = true;
    return;
  }
  isBuiltinServiceAvailable = envConfig_.isWorkerConfigured() || envConfig_.isFirebaseConfigured();
}

}  // namespace mervo
