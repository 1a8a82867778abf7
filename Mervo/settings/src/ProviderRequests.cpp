// The connection test's request descriptions, built from the store's fields in
// the providers' wire formats.
#include <fmt/format.h>

#include "foundation/Json.hpp"
#include "foundation/Text.hpp"
#include "shared_settings/ProviderWire.hpp"
#include "settings/LLMProviderConfig.hpp"

namespace mervo {

namespace wire = quorbel::wire;

namespace {

constexpr const char* kJSONContentType = "application/json";

}  // namespace

std::string LLMProviderConfig::requestBase() const { return isExternalProvider() ? *endpoint : std::string(); }

std::optional<ProviderRequest> LLMProviderConfig::buildOpenAIRequest(
    const std::string& prompt, const std::optional<std::string>& systemPrompt) const {
  auto body = wire::chatCompletionsBody(
      effectiveModel(), wire::chatMessages(prompt, systemPrompt, wire::SystemMessagePolicy::whenGiven), *maxTokens);
  auto text = platform::json::serialize(body);
  if (!text) return std::nullopt;
  return ProviderRequest{
      LLMProvider::openai,
      wire::openAIURL(requestBase()),
      {{"Content-Type", kJSONContentType}, {"Authorization", "Bearer " + effectiveAPIKey()}},
      std::move(*text),
      *timeout,
  };
}

std::optional<ProviderRequest> LLMProviderConfig::buildOllamaRequest(
    const std::string& prompt, const std::optional<std::string>& systemPrompt) const {
  auto body = wire::ollamaGenerateBody(effectiveModel(), wire::ollamaPrompt(prompt, systemPrompt), *maxTokens);
  auto text = platform::json::serialize(body);
  if (!text) return std::nullopt;
  return ProviderRequest{
      LLMProvider::ollama, wire::ollamaURL(requestBase()), {{"Content-Type", kJSONContentType}}, std::move(*text),
      *timeout,
  };
}

std::optional<ProviderRequest> LLMProviderConfig::buildCustomRequest(
    const std::string& prompt, const std::optional<std::string>& systemPrompt) const {
  auto base = requestBase();
  auto model = effectiveModel();
  auto key = effectiveAPIKey();
  envConfig_.debugPrint("🔨 LLMProviderConfig: Building Custom API Request");
  envConfig_.debugPrint(fmt::format("  🎯 Model: '{}'", model));
  envConfig_.debugPrint(fmt::format("  🌐 Endpoint: '{}'", base));
  envConfig_.debugPrint(fmt::format("  🔑 Has API Key: {}", !key.empty()));
  envConfig_.debugPrint(fmt::format("  ⏱️ Timeout: {}s", platform::text::decimalDescription(*timeout)));
  envConfig_.debugPrint(fmt::format("  📊 Max Tokens: {}", *maxTokens));
  envConfig_.debugPrint(fmt::format("  💬 Prompt length: {} chars", platform::text::characterCount(prompt)));
  envConfig_.debugPrint(fmt::format(
      "  🤖 System prompt: {}",
      systemPrompt ? fmt::format("provided ({} chars)", platform::text::characterCount(*systemPrompt)) : "none"));

  auto url = wire::customEndpointURL(base);
  auto messages = wire::chatMessages(prompt, systemPrompt, wire::SystemMessagePolicy::whenNotEmpty);
  auto messageCount = messages.size();
  auto body = wire::chatCompletionsBody(model, std::move(messages), *maxTokens);
  envConfig_.debugPrint(fmt::format("  📨 Using OpenAI-compatible format with {} messages", messageCount));
  envConfig_.debugPrint(fmt::format("  📦 Request body structure: {}", platform::json::sortedKeysDescription(body)));

  std::map<std::string, std::string> headers{{"Content-Type", kJSONContentType}};
  if (!key.empty()) {
    headers["Authorization"] = "Bearer " + key;
    envConfig_.debugPrint("  🔑 Authorization header added");
  } else {
    envConfig_.debugPrint("  ⚠️ No API key provided - request will be sent without Authorization header");
  }

  auto text = platform::json::serialize(body);
  if (!text) {
    envConfig_.debugPrint("❌ LLMProviderConfig: Failed to serialize request body to JSON");
    return std::nullopt;
  }
  envConfig_.debugPrint("✅ LLMProviderConfig: Custom API request built successfully");
  if (url.appendedPath) envConfig_.debugPrint(fmt::format("  🔧 Auto-appended '/chat/completions' to endpoint: {}", url.url));
  return ProviderRequest{LLMProvider::custom, std::move(url.url), std::move(headers), std::move(*text), *timeout};
}

}  // namespace mervo
