// A local Ollama server's generate endpoint, without streaming.
#include "Diagnostics.hpp"
#include "ProviderReply.hpp"
#include "foundation/Text.hpp"
#include "router/ExtensionLLMAPIError.hpp"
#include "router/ExtensionLLMAPIService.hpp"
#include "shared_settings/ProviderWire.hpp"

namespace quorbel {

using diagnostics::debug;
namespace json = platform::json;

namespace {
double nanosecondsToSeconds(std::int64_t nanoseconds) { return static_cast<double>(nanoseconds) / 1'000'000'000.0; }
}  // namespace

void ExtensionLLMAPIService::generateWithOllama(const std::string& prompt,
                                                const std::optional<std::string>& systemPrompt,
                                                LLMCompletion completion) {
  if (diagnostics::enabled()) {
    debug("🚀 ExtensionLLMAPIService: Starting Ollama content generation");
    debug("  📝 Model: {}", effectiveModel());
    debug("  🌐 Endpoint: {}", effectiveEndpoint());
    debug("  ⚙️ Max Tokens (num_predict): {}", maxTokens());
    debug("  🌡️ Temperature: 0.7");
    debug("  📊 Prompt length: {} chars", platform::text::characterCount(prompt));
    debug("  📋 System prompt: {}", diagnostics::systemPromptSummary(systemPrompt));
  }

  std::string combined = wire::ollamaPrompt(prompt, systemPrompt);
  if (systemPrompt)
    debug("  🔄 Combined prompt with system message (total: {} chars)", platform::text::characterCount(combined));
  auto body = wire::ollamaGenerateBody(effectiveModel(), combined, maxTokens());

  std::string endpoint = effectiveEndpoint();
  if (endpoint.empty()) {
    debug("❌ ExtensionLLMAPIService: Ollama endpoint is not configured");
    completion(std::unexpected(ExtensionLLMAPIError::make(ExtensionLLMAPIError::Case::endpointNotConfigured)));
    return;
  }
  std::string urlText = wire::ollamaURL(endpoint);
  if (diagnostics::enabled()) {
    debug("🌐 ExtensionLLMAPIService: Sending Ollama API request to {}", urlText);
    debug("  📨 Using Ollama generate endpoint (non-streaming)");
  }

  platform::HeaderFields headers{{"Content-Type", "application/json"}};
  makeJSONRequest(urlText, headers, body, completion,
                  provider_reply::resultHandler(*this, "❌ ExtensionLLMAPIService: Ollama HTTP request failed: ",
                                                "✅ ExtensionLLMAPIService: Ollama HTTP request successful, parsing response...",
                                                &ExtensionLLMAPIService::parseOllamaResponse));
}

void ExtensionLLMAPIService::parseOllamaResponse(const std::string& body, const LLMCompletion& completion) {
  static constexpr provider_reply::ParserTexts kTexts{
      "🔍 ExtensionLLMAPIService: Parsing Ollama response", wire::kRawReplyLimit,
      "❌ ExtensionLLMAPIService: Ollama JSON parsing error: ",
      "❌ ExtensionLLMAPIService: Ollama response is not valid JSON object"};
  auto reply = provider_reply::readObject(body, completion, kTexts);
  if (!reply) return;

  auto answer = wire::readOllamaAnswer(*reply);
  if (!answer) {
    debug("❌ ExtensionLLMAPIService: No 'response' field found in Ollama response");
    // The server's own message is only shown here, never to the user.
    if (auto serverError = json::stringMember(*reply, "error")) debug("  ❌ Error message from Ollama: {}", *serverError);
    completion(std::unexpected(ExtensionLLMAPIError::make(ExtensionLLMAPIError::Case::invalidResponse)));
    return;
  }
  if (diagnostics::enabled()) {
    debug("✅ ExtensionLLMAPIService: Ollama response parsed successfully");
    provider_reply::printAnswerSummary(*answer);
    if (auto done = json::boolMember(*reply, "done")) debug("  ✅ Generation completed: {}", diagnostics::boolText(*done));
    if (auto total = json::integerMember(*reply, "total_duration"))
      debug("  ⏱️ Total duration: {:.2f}s", nanosecondsToSeconds(*total));
    if (auto load = json::integerMember(*reply, "load_duration"))
      debug("  📊 Load duration: {:.2f}s", nanosecondsToSeconds(*load));
  }
  completion(std::move(*answer));
}

}  // namespace quorbel
