#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorbel {

// The extension's deployment values: each key is looked up in the process
// environment, then in the bundle's ".env" resource, then the caller's
// default; an empty value counts as absent.
struct ExtensionConfig {
  enum class APIMode { direct, worker };
  enum class LLMProvider { gemini, openai, ollama, custom };

  static std::string value(const std::string& key, const std::string& defaultValue);
  // The value of the first ".env" line that starts with "KEY=", quotes
  // stripped from its ends; nothing when no line matches or the file is missing.
  static std::optional<std::string> parseDotEnv(const std::string& key);
  // The same lookup in a ".env" text; nothing, too, when it is not UTF-8
  // (a leading byte-order mark is skipped).
  static std::optional<std::string> dotEnvValue(std::string_view text, const std::string& key);

  // Looked up once per process ("GEMINI_MODEL", "APP_GROUP_ID").
  static const std::string& geminiModel();
  static const std::string& appGroupID();
  // The next lookups read afresh, as in a fresh process.
  static void resetForTesting();

  // `current_api_mode` of the shared suite: exactly "worker" is worker.
  static APIMode currentAPIMode();

  // "DEBUG_LOGGING" lowercased is "true", or it is exactly "1". Read afresh
  // at every call.
  static bool isDebugLoggingEnabled();
};

std::string_view rawValue(ExtensionConfig::APIMode mode);
std::string_view rawValue(ExtensionConfig::LLMProvider provider);
// Exact, case-sensitive.
std::optional<ExtensionConfig::LLMProvider> providerFromRawValue(std::string_view raw);

// Appends a dated line to `extension_debug_logs` of the shared suite (the
// standard defaults when it cannot be opened), keeping the newest 20.
void logExtensionDebug(const std::string& message);

}  // namespace quorbel
