// The route operation and the built-in service's road: worker proxy or the
// direct Vertex AI call.
#include <chrono>

#include "Diagnostics.hpp"
#include "foundation/Dispatch.hpp"
#include "foundation/FileStamp.hpp"
#include "foundation/Text.hpp"
#include "firebase_core/FIRApp.hpp"
#include "shared_settings/BuiltInModel.hpp"
#include "router/ExtensionLLMAPIError.hpp"
#include "router/ExtensionLLMAPIService.hpp"
#include "shared_settings/ProviderWire.hpp"

namespace quorbel {

using diagnostics::boolText;
using diagnostics::debug;
using Provider = ExtensionConfig::LLMProvider;

namespace {
double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}
}  // namespace

void ExtensionLLMAPIService::generateContent(const std::string& prompt, const std::optional<std::string>& systemPrompt,
                                             LLMCompletion completion) {
  // The suite and the ".env" are read afresh for each request, not for each
  // of the dozen values it looks up.
  platform::files::ReadOnceScope oneReading;
  if (diagnostics::enabled()) {
    debug("🔗 ExtensionLLMAPIService: Starting Content Generation");
    debug("  🎯 Current Provider: {}", rawValue(currentProvider()));
    debug("  📊 Configuration Summary:");
    debug("    - Endpoint: '{}'", effectiveEndpoint());
    debug("    - Model: '{}'", effectiveModel());
    debug("    - Has API Key: {}", boolText(!effectiveAPIKey().empty()));
    debug("    - Timeout: {}s", platform::text::decimalDescription(timeout()));
    debug("    - Max Tokens: {}", maxTokens());
    debug("    - Prompt length: {} chars", platform::text::characterCount(prompt));
    debug("    - System prompt: {}", diagnostics::systemPromptSummary(systemPrompt));
  }

  switch (currentProvider()) {
    case Provider::gemini:
      debug("➡️ ExtensionLLMAPIService: Routing to Gemini generation");
      return generateWithGemini(prompt, systemPrompt, std::move(completion));
    case Provider::openai:
      debug("➡️ ExtensionLLMAPIService: Routing to OpenAI generation");
      return generateWithOpenAI(prompt, systemPrompt, std::move(completion));
    case Provider::ollama:
      debug("➡️ ExtensionLLMAPIService: Routing to Ollama generation");
      return generateWithOllama(prompt, systemPrompt, std::move(completion));
    case Provider::custom:
      debug("➡️ ExtensionLLMAPIService: Routing to Custom API generation");
      return generateWithCustomAPI(prompt, systemPrompt, std::move(completion));
  }
}

void ExtensionLLMAPIService::generateWithGemini(const std::string& prompt,
                                                const std::optional<std::string>& systemPrompt,
                                                LLMCompletion completion) {
  if (diagnostics::enabled()) {
    debug("🚀 ExtensionLLMAPIService: Starting Gemini content generation");
    debug("  📝 Model: {}", effectiveModel());
    debug("  🔧 API Mode: {}", rawValue(ExtensionConfig::currentAPIMode()));
    debug("  🌐 Worker URL available: {}", boolText(!ExtensionConfig::value("CLOUDFLARE_WORKER_URL", "").empty()));
    debug("  🔑 Worker API Key available: {}", boolText(!ExtensionConfig::value("WORKER_API_KEY", "").empty()));
    debug("  📊 Prompt length: {} chars", platform::text::characterCount(prompt));
    debug("  📋 System prompt: {}", diagnostics::systemPromptSummary(systemPrompt));
  }

  bool useWorker = ExtensionConfig::currentAPIMode() == ExtensionConfig::APIMode::worker &&
                   !ExtensionConfig::value("CLOUDFLARE_WORKER_URL", "").empty() &&
                   !ExtensionConfig::value("WORKER_API_KEY", "").empty();
  if (useWorker) {
    debug("➡️ ExtensionLLMAPIService: Using Worker proxy for Gemini");
    return generateViaWorker(prompt, systemPrompt, std::move(completion));
  }
  generateWithVertexAI(prompt, systemPrompt, completion);
}

// The client's configuration errors (no project ID or API key in the default
// app's options, a model name it cannot use) are delivered as the router's own
// error with the client's text, before anything is sent.
void ExtensionLLMAPIService::generateWithVertexAI(const std::string& prompt,
                                                  const std::optional<std::string>& systemPrompt,
                                                  const LLMCompletion& completion) {
  if (!firebase::FIRApp::defaultApp()) {
    debug("❌ ExtensionLLMAPIService: Firebase not configured, cannot use built-in Gemini");
    completion(std::unexpected(ExtensionLLMAPIError::make(ExtensionLLMAPIError::Case::firebaseNotConfigured)));
    return;
  }
  debug("✅ ExtensionLLMAPIService: Firebase configured, using built-in Gemini API");
  auto model = makeBuiltInModel(effectiveModel());
  if (!model) {
    debug("❌ ExtensionLLMAPIService: Vertex AI client cannot be used: {}", model.error()->localizedDescription());
    completion(std::unexpected(ExtensionLLMAPIError::serviceNotAvailable(model.error()->localizedDescription())));
    return;
  }

  std::string text = prompt;
  if (systemPrompt && !systemPrompt->empty()) {
    text = *systemPrompt + "\n\nUser: " + prompt + "\nAssistant:";
    debug("  🔄 Combined prompt with system message (total: {} chars)", platform::text::characterCount(text));
  }
  debug("🌐 ExtensionLLMAPIService: Sending request to Firebase Vertex AI...");

  auto start = std::chrono::steady_clock::now();
  (*model)->generateContent(
      std::move(text), platform::DispatchQueue::main(),
      [completion, start](firebase::vertexai::Result<firebase::vertexai::GenerateContentResponse> reply) {
        double duration = secondsSince(start);
        if (!reply) {
          debug("❌ ExtensionLLMAPIService: Gemini API call failed");
          debug(diagnostics::durationLine(duration));
          debug("  💥 Error: {}", reply.error()->localizedDescription());
          debug("  🔍 Error details: {}", reply.error()->debugDescription());
          return completion(std::unexpected(reply.error()));
        }
        auto answer = reply->text();
        if (!answer) {
          debug("❌ ExtensionLLMAPIService: Gemini API returned empty response");
          debug(diagnostics::durationLine(duration));
          return completion(std::unexpected(ExtensionLLMAPIError::make(ExtensionLLMAPIError::Case::emptyResponse)));
        }
        debug("✅ ExtensionLLMAPIService: Gemini API call successful");
        debug(diagnostics::durationLine(duration));
        debug("  📊 Response length: {} chars", platform::text::characterCount(*answer));
        debug("  📝 Response preview: {}", platform::text::truncated(*answer, wire::kPreviewLimit));
        completion(std::move(*answer));
      });
}

}  // namespace quorbel
