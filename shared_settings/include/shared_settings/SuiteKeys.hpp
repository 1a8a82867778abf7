#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// The shared suite's contract: the keys both programs read and write, the
// values a reader takes when a key is absent, and the deployment defaults
// both look up. The settings application may store the prompt settings under
// renamed keys (its deployment values); the extension always reads these.
namespace quorbel::suite_keys {

// Provider settings: written by the settings application, read by the router.
inline constexpr const char* llmProvider = "llm_provider";
inline constexpr const char* llmAPIKey = "llm_api_key";
inline constexpr const char* llmEndpoint = "llm_endpoint";
inline constexpr const char* llmModel = "llm_model";
inline constexpr const char* llmCustomModel = "llm_custom_model";
inline constexpr const char* llmTimeout = "llm_timeout";
inline constexpr const char* llmMaxTokens = "llm_max_tokens";
inline constexpr const char* currentAPIMode = "current_api_mode";

// Prompt settings: written by the settings application, read by the extension.
inline constexpr const char* customSystemPrompt = "customSystemPrompt";
inline constexpr const char* useCustomPrompt = "useCustomPrompt";
inline constexpr const char* emailTone = "emailTone";
inline constexpr const char* responseLength = "responseLength";
inline constexpr const char* includeContext = "includeContext";
inline constexpr const char* autoSuggestReplies = "autoSuggestReplies";

// The extension's own diagnostics.
inline constexpr const char* extensionDebugLogs = "extension_debug_logs";

}  // namespace quorbel::suite_keys

namespace quorbel::suite_defaults {

// `llm_provider` values, in the order both programs list the providers.
inline constexpr std::array<std::string_view, 4> providerRawValues{"gemini", "openai", "ollama", "custom"};

// A timeout or token limit that is absent, or not above zero, reads as these.
inline constexpr double llmTimeout = 30.0;  // seconds
inline constexpr std::int64_t llmMaxTokens = 2048;

inline constexpr const char* emailTone = "professional";
inline constexpr const char* responseLength = "medium";

// Deployment values (APP_GROUP_ID, GEMINI_MODEL) when neither the
// environment nor the bundle's ".env" sets them.
inline constexpr const char* appGroupID = "group.tesvarin.quorbel";
inline constexpr const char* geminiModel = "gemini-2.0-flash-lite";

}  // namespace quorbel::suite_defaults
