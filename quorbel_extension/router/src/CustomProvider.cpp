// Any endpoint that speaks the chat-completions format, at a user-typed URL.
#include "Diagnostics.hpp"
#include "ProviderReply.hpp"
#include "foundation/Text.hpp"
#include "router/ExtensionLLMAPIError.hpp"
#include "router/ExtensionLLMAPIService.hpp"
#include "shared_settings/ProviderWire.hpp"

namespace quorbel {

using diagnostics::boolText;
using diagnostics::debug;
namespace json = platform::json;

void ExtensionLLMAPIService::generateWithCustomAPI(const std::string& prompt,
                                                   const std::optional<std::string>& systemPrompt,
                                                   LLMCompletion completion) {
  if (diagnostics::enabled()) {
    debug("🚀 ExtensionLLMAPIService: Starting Custom API content generation");
    debug("  📝 Current Provider: {}", rawValue(currentProvider()));
    debug("  🌐 User Endpoint: '{}'", endpoint());
    debug("  🎯 Effective Model: '{}'", effectiveModel());
    debug("  🔑 Has API Key: {}", boolText(!effectiveAPIKey().empty()));
    debug("  🔧 Current API Mode: {}", rawValue(ExtensionConfig::currentAPIMode()));
    debug("  🌐 Worker URL available: {}", boolText(!ExtensionConfig::value("CLOUDFLARE_WORKER_URL", "").empty()));
    debug("  🔑 Worker API Key available: {}", boolText(!ExtensionConfig::value("WORKER_API_KEY", "").empty()));
  }

  auto messages = wire::chatMessages(prompt, systemPrompt, wire::SystemMessagePolicy::whenNotEmpty);
  std::size_t messageCount = messages.size();
  auto body = wire::chatCompletionsBody(effectiveModel(), std::move(messages), maxTokens());
  if (diagnostics::enabled()) {
    debug("  📨 Using OpenAI-compatible format with {} messages", messageCount);
    debug("  📦 Request body structure: {}", json::sortedKeysDescription(body));
  }

  platform::HeaderFields headers{{"Content-Type", "application/json"}};
  std::string key = effectiveAPIKey();
  if (!key.empty()) {
    headers.emplace_back("Authorization", "Bearer " + key);
    debug("  🔑 Authorization header added");
  } else {
    debug("  ⚠️ No API key provided - request will be sent without Authorization header");
  }

  std::string endpoint = effectiveEndpoint();
  if (endpoint.empty()) {
    debug("❌ ExtensionLLMAPIService: Custom API endpoint is not configured");
    completion(std::unexpected(ExtensionLLMAPIError::make(ExtensionLLMAPIError::Case::endpointNotConfigured)));
    return;
  }
  auto url = wire::customEndpointURL(endpoint);
  if (url.appendedPath) debug("  🔧 Auto-appended '/chat/completions' to endpoint: {}", url.url);
  if (diagnostics::enabled()) {
    debug("  🌐 Final endpoint URL: {}", url.url);
    debug("✅ ExtensionLLMAPIService: Custom API request prepared, executing HTTP request...");
  }

  makeJSONRequest(url.url, headers, body, completion,
                  provider_reply::resultHandler(*this, "❌ ExtensionLLMAPIService: HTTP request failed: ",
                                                "✅ ExtensionLLMAPIService: HTTP request successful, parsing custom response...",
                                                &ExtensionLLMAPIService::parseCustomResponse));
}

void ExtensionLLMAPIService::parseCustomResponse(const std::string& body, const LLMCompletion& completion) {
  static constexpr provider_reply::ParserTexts kTexts{"🔍 ExtensionLLMAPIService: Parsing Custom API Response",
                                                      wire::kRawReplyLimit,
                                                      "❌ ExtensionLLMAPIService: JSON parsing error: ",
                                                      "❌ ExtensionLLMAPIService: Response is not valid JSON object"};
  auto reply = provider_reply::readObject(body, completion, kTexts);
  if (!reply) return;

  if (auto answer = wire::readCustomAnswer(*reply)) {
    debug("✅ ExtensionLLMAPIService: {}", wire::customReplyShapeDescription(answer->shape));
    completion(std::move(answer->text));
    return;
  }
  if (diagnostics::enabled()) {
    debug("❌ ExtensionLLMAPIService: No supported response format found");
    debug(wire::kCustomReplyShapesHint);
    if (auto sample = wire::sampleField(*reply)) debug("  📄 Sample field: {}", *sample);
  }
  completion(std::unexpected(ExtensionLLMAPIError::make(ExtensionLLMAPIError::Case::invalidResponse)));
}

}  // namespace quorbel
