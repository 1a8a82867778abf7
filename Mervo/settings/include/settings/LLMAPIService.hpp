#pragma once

#include <string>
#include <vector>

#include "shared_settings/LLMResult.hpp"
#include "settings/EnvironmentConfig.hpp"
#include "settings/LLMProviderConfig.hpp"

namespace mervo {

// Tests the connection to the provider chosen in the provider configuration,
// over the routes the extension uses, and tells whether the built-in service
// can be used at all. It holds no state of its own.
class LLMAPIService {
 public:
  static LLMAPIService& shared();

  LLMAPIService(EnvironmentConfig& envConfig, LLMProviderConfig& llmConfig);

  // The validation messages of the provider settings, plus "Built-in Gemini
  // service is not available" for `gemini` when neither the worker proxy nor
  // direct Google access is configured.
  std::vector<std::string> builtInAvailabilityIssues() const;

  // Sends one short test prompt with the current settings. Returns at once;
  // the completion runs exactly once, later, in a main-queue work item of its
  // own, with the provider's answer or an error: an LLMAPIError, or the
  // transport's, the JSON reader's or the built-in client's error unchanged.
  // Call on the main thread.
  void testConnection(quorbel::LLMCompletion completion) const;

 private:
  void testBuiltInGemini(quorbel::LLMCompletion completion) const;
  void testVertexAIDirectly(quorbel::LLMCompletion completion) const;
  void testCustomAPI(quorbel::LLMCompletion completion) const;
  void printConfigurationSummary() const;

  EnvironmentConfig& envConfig_;
  LLMProviderConfig& llmConfig_;
};

}  // namespace mervo
