#include "router/ExtensionConfig.hpp"

#include "ProcessWide.hpp"
#include "foundation/Console.hpp"
#include "foundation/UserDefaults.hpp"
#include "shared_settings/DeploymentValues.hpp"
#include "shared_settings/SuiteKeys.hpp"

namespace quorbel {
namespace {

ProcessWide<std::string>& processWideGeminiModel() {
  static auto* model = new ProcessWide<std::string>();
  return *model;
}

ProcessWide<std::string>& processWideAppGroupID() {
  static auto* id = new ProcessWide<std::string>();
  return *id;
}

}  // namespace

std::string ExtensionConfig::value(const std::string& key, const std::string& defaultValue) {
  return deployment::value(key, defaultValue);
}

std::optional<std::string> ExtensionConfig::parseDotEnv(const std::string& key) {
  return deployment::dotEnvResourceValue(key);
}

std::optional<std::string> ExtensionConfig::dotEnvValue(std::string_view text, const std::string& key) {
  return deployment::dotEnvValue(text, key);
}

const std::string& ExtensionConfig::geminiModel() {
  return processWideGeminiModel().get([] { return new std::string(value("GEMINI_MODEL", suite_defaults::geminiModel)); });
}

const std::string& ExtensionConfig::appGroupID() {
  return processWideAppGroupID().get([] { return new std::string(value("APP_GROUP_ID", suite_defaults::appGroupID)); });
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
  return suite->string(suite_keys::currentAPIMode).value_or("direct") == "worker" ? APIMode::worker : APIMode::direct;
}

bool ExtensionConfig::isDebugLoggingEnabled() { return deployment::isDebugLoggingEnabled(); }

std::string_view rawValue(ExtensionConfig::APIMode mode) {
  return mode == ExtensionConfig::APIMode::worker ? "worker" : "direct";
}

std::string_view rawValue(ExtensionConfig::LLMProvider provider) {
  return suite_defaults::providerRawValues.at(static_cast<std::size_t>(provider));
}

std::optional<ExtensionConfig::LLMProvider> providerFromRawValue(std::string_view raw) {
  for (auto provider : {ExtensionConfig::LLMProvider::gemini, ExtensionConfig::LLMProvider::openai,
                        ExtensionConfig::LLMProvider::ollama, ExtensionConfig::LLMProvider::custom})
    if (rawValue(provider) == raw) return provider;
  return std::nullopt;
}

}  // namespace quorbel
