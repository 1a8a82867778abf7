// OpenAI chat completions.
#include "Diagnostics.hpp"
#include "ProviderReply.hpp"
#include "foundation/Text.hpp"
#include "router/ExtensionLLMAPIError.hpp"
#include "router/ExtensionLLMAPIService.hpp"
#include "shared_settings/ProviderWire.hpp"

namespace quorbel {

using diagnostics::boolText;
using diagnostics::debug;

namespace {
const char* chatFaultLine(wire::ChatReplyFault fault) {
  switch (fault) {
    case wire::ChatReplyFault::noChoices: return "❌ ExtensionLLMAPIService: No 'choices' array found in OpenAI response";
    case wire::ChatReplyFault::emptyChoices: return "❌ ExtensionLLMAPIService: Empty 'choices' array in OpenAI response";
    case wire::ChatReplyFault::noMessage: return "❌ ExtensionLLMAPIService: No 'message' object in first choice";
    case wire::ChatReplyFault::noContent: return "❌ ExtensionLLMAPIService: No 'content' string in message";
  }
  return "";
}
}  // namespace

void ExtensionLLMAPIService::generateWithOpenAI(const std::string& prompt,
                                                const std::optional<std::string>& systemPrompt,
                                                LLMCompletion completion) {
  if (diagnostics::enabled()) {
    debug("🚀 ExtensionLLMAPIService: Starting OpenAI content generation");
    debug("  📝 Model: {}", effectiveModel());
    debug("  🌐 Endpoint: {}", effectiveEndpoint());
    debug("  🔑 Has API Key: {}", boolText(!effectiveAPIKey().empty()));
    debug("  ⚙️ Max Tokens: {}", maxTokens());
    debug("  🌡️ Temperature: 0.7");
    debug("  📊 Prompt length: {} chars", platform::text::characterCount(prompt));
    debug("  📋 System prompt: {}", diagnostics::systemPromptSummary(systemPrompt));
  }

  auto messages = wire::chatMessages(prompt, systemPrompt, wire::SystemMessagePolicy::whenGiven);
  debug("  📨 Prepared {} messages for OpenAI API", messages.size());
  auto body = wire::chatCompletionsBody(effectiveModel(), std::move(messages), maxTokens());

  std::string endpoint = effectiveEndpoint();
  if (endpoint.empty()) {
    debug("❌ ExtensionLLMAPIService: OpenAI endpoint is not configured");
    completion(std::unexpected(ExtensionLLMAPIError::make(ExtensionLLMAPIError::Case::endpointNotConfigured)));
    return;
  }
  std::string urlText = wire::openAIURL(endpoint);
  debug("🌐 ExtensionLLMAPIService: Sending OpenAI API request to {}", urlText);

  platform::HeaderFields headers{{"Content-Type", "application/json"}, {"Authorization", "Bearer " + effectiveAPIKey()}};
  makeJSONRequest(urlText, headers, body, completion,
                  provider_reply::resultHandler(*this, "❌ ExtensionLLMAPIService: OpenAI HTTP request failed: ",
                                                "✅ ExtensionLLMAPIService: OpenAI HTTP request successful, parsing response...",
                                                &ExtensionLLMAPIService::parseOpenAIResponse));
}

void ExtensionLLMAPIService::parseOpenAIResponse(const std::string& body, const LLMCompletion& completion) {
  static constexpr provider_reply::ParserTexts kTexts{
      "🔍 ExtensionLLMAPIService: Parsing OpenAI response", wire::kRawReplyLimit,
      "❌ ExtensionLLMAPIService: OpenAI JSON parsing error: ",
      "❌ ExtensionLLMAPIService: OpenAI response is not valid JSON object"};
  auto reply = provider_reply::readObject(body, completion, kTexts);
  if (!reply) return;

  auto answer = wire::readChatAnswer(*reply);
  if (!answer) {
    debug(chatFaultLine(answer.error()));
    completion(std::unexpected(ExtensionLLMAPIError::make(ExtensionLLMAPIError::Case::invalidResponse)));
    return;
  }
  debug("✅ ExtensionLLMAPIService: OpenAI response parsed successfully");
  provider_reply::printAnswerSummary(*answer);
  completion(std::move(*answer));
}

}  // namespace quorbel
