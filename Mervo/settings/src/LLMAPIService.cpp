#include "settings/LLMAPIService.hpp"

#include <fmt/format.h>

#include "ConnectionTest.hpp"
#include "foundation/Dispatch.hpp"
#include "foundation/Text.hpp"
#include "firebase_core/FIRApp.hpp"
#include "shared_settings/BuiltInModel.hpp"
#include "settings/LLMAPIError.hpp"

namespace mervo {

using namespace connection_test;

namespace {

// Sends the provider's test request and reads the reply with its reader.
void testHTTPProvider(const EnvironmentConfig& env, const std::optional<ProviderRequest>& request,
                      LLMResult (*readReply)(const std::string&), LLMCompletion completion) {
  if (!request) return deliver(completion, std::unexpected(LLMAPIError::make(LLMAPIError::Case::invalidRequest)));
  executeTestRequest(env, *request, [readReply, completion](ExchangeResult reply) {
    deliver(completion, reply ? readReply(*reply) : LLMResult(std::unexpected(reply.error())));
  });
}

}  // namespace

LLMAPIService& LLMAPIService::shared() {
  static LLMAPIService instance(EnvironmentConfig::shared(), LLMProviderConfig::shared());
  return instance;
}

LLMAPIService::LLMAPIService(EnvironmentConfig& envConfig, LLMProviderConfig& llmConfig)
    : envConfig_(envConfig), llmConfig_(llmConfig) {}

std::vector<std::string> LLMAPIService::builtInAvailabilityIssues() const {
  auto issues = llmConfig_.validateConfiguration();
  if (*llmConfig_.currentProvider != LLMProvider::gemini) return issues;
  if (envConfig_.isWorkerConfigured() || envConfig_.isFirebaseConfigured()) return issues;
  issues.emplace_back("Built-in Gemini service is not available");
  return issues;
}

void LLMAPIService::printConfigurationSummary() const {
  if (!envConfig_.isDebugLoggingEnabled()) return;
  auto provider = *llmConfig_.currentProvider;
  envConfig_.debugPrint("🔗 LLMAPIService: Starting Connection Test");
  envConfig_.debugPrint(fmt::format("  🎯 Current Provider: {}", displayName(provider)));
  envConfig_.debugPrint("  📊 Configuration Summary:");
  envConfig_.debugPrint(
      fmt::format("    - Endpoint: '{}'", provider == LLMProvider::gemini ? std::string() : *llmConfig_.endpoint));
  envConfig_.debugPrint(fmt::format("    - Model: '{}'", llmConfig_.effectiveModel()));
  envConfig_.debugPrint(fmt::format("    - Has API Key: {}", !llmConfig_.effectiveAPIKey().empty()));
  envConfig_.debugPrint(fmt::format("    - Timeout: {}s", platform::text::decimalDescription(*llmConfig_.timeout)));
  envConfig_.debugPrint(fmt::format("    - Max Tokens: {}", *llmConfig_.maxTokens));
}

void LLMAPIService::testConnection(quorbel::LLMCompletion completion) const {
  printConfigurationSummary();
  switch (*llmConfig_.currentProvider) {
    case LLMProvider::gemini:
      envConfig_.debugPrint("➡️ LLMAPIService: Routing to Gemini test");
      testBuiltInGemini(std::move(completion));
      return;
    case LLMProvider::openai:
      envConfig_.debugPrint("➡️ LLMAPIService: Routing to OpenAI test");
      testHTTPProvider(envConfig_, llmConfig_.buildOpenAIRequest(kTestPrompt, kTestSystemPrompt),
                       parseOpenAITestResponse, std::move(completion));
      return;
    case LLMProvider::ollama:
      envConfig_.debugPrint("➡️ LLMAPIService: Routing to Ollama test");
      testHTTPProvider(envConfig_, llmConfig_.buildOllamaRequest(kTestPrompt, kTestSystemPrompt),
                       parseOllamaTestResponse, std::move(completion));
      return;
    case LLMProvider::custom:
      envConfig_.debugPrint("➡️ LLMAPIService: Routing to Custom API test");
      testCustomAPI(std::move(completion));
      return;
  }
}

void LLMAPIService::testCustomAPI(quorbel::LLMCompletion completion) const {
  envConfig_.debugPrint("🧪 LLMAPIService: Testing Custom API Connection");
  envConfig_.debugPrint(fmt::format("  🌐 Endpoint: '{}'", *llmConfig_.endpoint));
  envConfig_.debugPrint(fmt::format("  🎯 Model: '{}'", llmConfig_.effectiveModel()));
  envConfig_.debugPrint(fmt::format("  🔑 Has API Key: {}", !llmConfig_.effectiveAPIKey().empty()));
  auto request = llmConfig_.buildCustomRequest(kTestPrompt, kTestSystemPrompt);
  if (!request) {
    envConfig_.debugPrint("❌ LLMAPIService: Failed to build test request for Custom API");
    return deliver(completion, std::unexpected(LLMAPIError::make(LLMAPIError::Case::invalidRequest)));
  }
  envConfig_.debugPrint("✅ LLMAPIService: Test request built, executing...");
  executeTestRequest(envConfig_, *request, [env = envConfig_, completion](ExchangeResult reply) {
    if (!reply) {
      env.debugPrint(
          fmt::format("❌ LLMAPIService: Test HTTP request failed: {}", reply.error()->localizedDescription()));
      return deliver(completion, std::unexpected(reply.error()));
    }
    env.debugPrint("✅ LLMAPIService: Test HTTP request successful, parsing response...");
    deliver(completion, parseCustomTestResponse(env, *reply));
  });
}

void LLMAPIService::testBuiltInGemini(quorbel::LLMCompletion completion) const {
  // The application has no API mode: the worker is tested whenever it is
  // configured.
  if (envConfig_.isWorkerConfigured())
    return testWorkerProxy(envConfig_, llmConfig_.effectiveModel(), *llmConfig_.timeout, std::move(completion));
  if (!firebase::FIRApp::defaultApp())
    return deliver(completion, std::unexpected(LLMAPIError::make(LLMAPIError::Case::firebaseNotConfigured)));
  if (!envConfig_.isFirebaseConfigured())
    return deliver(completion,
                   std::unexpected(LLMAPIError::serviceNotAvailable("Built-in Gemini service is not configured")));
  testVertexAIDirectly(std::move(completion));
}

// The client's configuration errors (options without project ID or API key,
// a model name it cannot use) are delivered as configuration errors with the
// client's text; nothing is sent.
void LLMAPIService::testVertexAIDirectly(quorbel::LLMCompletion completion) const {
  auto model = quorbel::makeBuiltInModel(llmConfig_.effectiveModel());
  if (!model)
    return deliver(completion, std::unexpected(LLMAPIError::configurationError(model.error()->localizedDescription())));
  (*model)->generateContent(
      kBuiltInTestText, platform::DispatchQueue::main(),
      [completion](firebase::vertexai::Result<firebase::vertexai::GenerateContentResponse> response) {
        if (!response) return deliver(completion, std::unexpected(response.error()));
        auto text = response->text();
        if (!text) return deliver(completion, std::unexpected(LLMAPIError::make(LLMAPIError::Case::emptyResponse)));
        deliver(completion, std::move(*text));
      });
}

}  // namespace mervo
