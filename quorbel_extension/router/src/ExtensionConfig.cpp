#include "router/ExtensionConfig.hpp"

#include <fstream>
#include <sstream>

#include "ProcessWide.hpp"
#include "foundation/Bundle.hpp"
#include "foundation/Console.hpp"
#include "foundation/Text.hpp"
#include "foundation/UserDefaults.hpp"

namespace quorbel {
namespace {

constexpr const char* kDefaultAppGroupID = "group.tesvarin.quorbel";
constexpr const char* kDefaultGeminiModel = "gemini-2.0-flash-lite";

// The whole ".env" resource, or nothing when it is missing or unreadable.
std::optional<std::string> readDotEnvResource() {
  auto path = platform::Bundle::main().pathForResource(".env");
  if (!path) return std::nullopt;
  std::ifstream file(*path, std::ios::binary);
  if (!file) return std::nullopt;
  std::ostringstream contents;
  contents << file.rdbuf();
  if (file.bad()) return std::nullopt;
  return contents.str();
}

ProcessWide<std::string>& processWideGeminiModel() {
  static auto* model = new ProcessWide<std::string>();
  return *model;
}

ProcessWide<std::string>& processWideAppGroupID() {
  static auto* id = new ProcessWide<std::string>();
  return *id;
}

std::string stripQuotesAtEnds(std::string_view value) {
  auto isQuote = [](char c) { return c == '"' || c == '\''; };
  while (!value.empty() && isQuote(value.front())) value.remove_prefix(1);
  while (!value.empty() && isQuote(value.back())) value.remove_suffix(1);
  return std::string(value);
}

}  // namespace

std::string ExtensionConfig::value(const std::string& key, const std::string& defaultValue) {
  if (auto fromEnvironment = platform::process_info::environmentValue(key); fromEnvironment && !fromEnvironment->empty())
    return *fromEnvironment;
  if (auto fromFile = parseDotEnv(key); fromFile && !fromFile->empty()) return *fromFile;
  return defaultValue;
}

std::optional<std::string> ExtensionConfig::parseDotEnv(const std::string& key) {
  auto text = readDotEnvResource();
  if (!text) return std::nullopt;
  return dotEnvValue(*text, key);
}

std::optional<std::string> ExtensionConfig::dotEnvValue(std::string_view text, const std::string& key) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  if (!platform::text::isValidUTF8(text)) return std::nullopt;
  const std::string prefix = key + "=";
  for (const auto& rawLine : platform::text::splitAtNewlines(text)) {
    std::string line = platform::text::trimWhitespaceAndNewlines(rawLine);
    // The first matching line decides, even when its value is empty.
    if (line.starts_with(prefix)) return stripQuotesAtEnds(std::string_view(line).substr(prefix.size()));
  }
  return std::nullopt;
}

const std::string& ExtensionConfig::geminiModel() {
  return processWideGeminiModel().get([] { return new std::string(value("GEMINI_MODEL", kDefaultGeminiModel)); });
}

const std::string& ExtensionConfig::appGroupID() {
  return processWideAppGroupID().get([] { return new std::string(value("APP_GROUP_ID", kDefaultAppGroupID)); });
}

void ExtensionConfig::resetForTesting() {
  processWideGeminiModel().resetForTesting();
  processWideAppGroupID().resetForTesting();
}

ExtensionConfig::APIMode ExtensionConfig::currentAPIMode() {
  auto suite = platform::UserDefaults::suite(appGroupID());
  if (!suite) {
    platform::console::print("Error: Could not access shared UserDefaults for API mode");
    return APIMode::direct;
  }
  return suite->string("current_api_mode").value_or("direct") == "worker" ? APIMode::worker : APIMode::direct;
}

bool ExtensionConfig::isDebugLoggingEnabled() {
  std::string setting = value("DEBUG_LOGGING", "false");
  return platform::text::lowercased(setting) == "true" || setting == "1";
}

std::string_view rawValue(ExtensionConfig::APIMode mode) {
  return mode == ExtensionConfig::APIMode::worker ? "worker" : "direct";
}

std::string_view rawValue(ExtensionConfig::LLMProvider provider) {
  switch (provider) {
    case ExtensionConfig::LLMProvider::gemini: return "gemini";
    case ExtensionConfig::LLMProvider::openai: return "openai";
    case ExtensionConfig::LLMProvider::ollama: return "ollama";
    case ExtensionConfig::LLMProvider::custom: return "custom";
  }
  return "gemini";
}

std::optional<ExtensionConfig::LLMProvider> providerFromRawValue(std::string_view raw) {
  for (auto provider : {ExtensionConfig::LLMProvider::gemini, ExtensionConfig::LLMProvider::openai,
                        ExtensionConfig::LLMProvider::ollama, ExtensionConfig::LLMProvider::custom})
    if (rawValue(provider) == raw) return provider;
  return std::nullopt;
}

}  // namespace quorbel
