#include "settings/LLMProviderConfig.hpp"

#include <algorithm>

#include <fmt/format.h>

#include "foundation/Console.hpp"

namespace mervo {

LLMProviderConfig& LLMProviderConfig::shared() {
  static LLMProviderConfig instance;
  return instance;
}

LLMProviderConfig::LLMProviderConfig(EnvironmentConfig& envConfig) : envConfig_(envConfig) {
  auto hook = [this](const auto&) { fieldDidChange(); };
  subscriptions_.push_back(currentProvider.onChange(hook));
  subscriptions_.push_back(apiKey.onChange(hook));
  subscriptions_.push_back(endpoint.onChange(hook));
  subscriptions_.push_back(selectedModel.onChange(hook));
  subscriptions_.push_back(customModelName.onChange(hook));
  subscriptions_.push_back(timeout.onChange(hook));
  subscriptions_.push_back(maxTokens.onChange(hook));

  loadConfiguration();
  // The loaded provider starts from its defaults; the saved copies keep the
  // loaded values and nothing is written.
  applyProviderDefaults();
  auto storedProvider = platform::UserDefaults::standard().object(providerKey);
  if (!storedProvider || !storedProvider->isString()) applyLaunchProviderPolicy();
}

bool LLMProviderConfig::isExternalProvider() const { return *currentProvider != LLMProvider::gemini; }

std::string LLMProviderConfig::effectiveModel() const {
  switch (*currentProvider) {
    case LLMProvider::gemini: return envConfig_.geminiModel();
    case LLMProvider::openai:
    case LLMProvider::ollama: return selectedModel->empty() ? *customModelName : *selectedModel;
    case LLMProvider::custom: return *customModelName;
  }
  return {};
}

std::string LLMProviderConfig::effectiveAPIKey() const {
  if (isExternalProvider()) return *apiKey;
  return envConfig_.isWorkerConfigured() ? std::string() : envConfig_.googleAPIKey();
}

LLMProviderConfig::Settings LLMProviderConfig::currentSettings() const {
  return {*currentProvider, *apiKey, *endpoint, *selectedModel, *customModelName, *timeout, *maxTokens};
}

void LLMProviderConfig::fieldDidChange() {
  if (isLoadingConfiguration_) return;
  if (*currentProvider == LLMProvider::gemini) {
    saveConfiguration();
  } else {
    checkForUnsavedChanges();
  }
}

void LLMProviderConfig::checkForUnsavedChanges() {
  // The provider counts too: switching to another provider is itself a
  // change that both stores know nothing of until Save. After a failed save
  // even the last saved values are a change: that save's values went to
  // Mervo's own defaults and wait for the suite until a save lands.
  bool changed = currentSettings() != saved_ || saveFailure->has_value();
  hasUnsavedChanges = changed;
  if (changed)
    envConfig_.debugPrint(
        fmt::format("⚠️ LLMProviderConfig: Unsaved changes detected for {}", rawValue(*currentProvider)));
}

void LLMProviderConfig::markAsSaved() { saved_ = currentSettings(); }

void LLMProviderConfig::loadConfiguration() {
  isLoadingConfiguration_ = true;
  auto& store = platform::UserDefaults::standard();
  if (auto raw = store.string(providerKey))
    if (auto provider = fromRawValue<LLMProvider>(*raw)) currentProvider = *provider;
  apiKey = store.string(apiKeyKey).value_or("");
  endpoint = store.string(endpointKey).value_or("");
  selectedModel = store.string(modelKey).value_or("");
  customModelName = store.string(customModelKey).value_or("");
  timeout = store.doubleValue(timeoutKey);
  maxTokens = store.integer(maxTokensKey);
  // Absent reads as 0; negative values are kept as they are.
  if (*timeout == 0) timeout = quorbel::suite_defaults::llmTimeout;
  if (*maxTokens == 0) maxTokens = quorbel::suite_defaults::llmMaxTokens;

  const auto& models = availableModels(*currentProvider);
  if (!models.empty() && std::ranges::find(models, *selectedModel) == models.end()) selectedModel = models.front();

  markAsSaved();
  hasUnsavedChanges = false;
  envConfig_.debugPrint("📖 LLMProviderConfig: Configuration loaded from UserDefaults");
  printSettingsSummary();
  isLoadingConfiguration_ = false;
}

void LLMProviderConfig::applyProviderDefaults() {
  isLoadingConfiguration_ = true;
  auto provider = *currentProvider;
  endpoint = std::string(defaultEndpoint(provider));
  if (const auto& models = availableModels(provider); !models.empty()) selectedModel = models.front();
  if (provider == LLMProvider::gemini || provider == LLMProvider::ollama) apiKey = std::string();
  envConfig_.debugPrint(
      fmt::format("🔧 LLMProviderConfig: Default configuration set for provider: {}", rawValue(provider)));
  isLoadingConfiguration_ = false;
}

void LLMProviderConfig::writeSettings(platform::UserDefaults& store) const {
  store.set(providerKey, std::string(rawValue(*currentProvider)));
  store.set(apiKeyKey, *apiKey);
  store.set(endpointKey, *endpoint);
  store.set(modelKey, *selectedModel);
  store.set(customModelKey, *customModelName);
  store.set(timeoutKey, *timeout);
  store.set(maxTokensKey, *maxTokens);
}

void LLMProviderConfig::printSettingsSummary() const {
  if (!envConfig_.isDebugLoggingEnabled()) return;
  envConfig_.debugPrint(fmt::format("  🎯 Provider: {}", rawValue(*currentProvider)));
  envConfig_.debugPrint(fmt::format("  🌐 Endpoint: '{}'", *endpoint));
  envConfig_.debugPrint(fmt::format("  📝 Model: '{}'", selectedModel->empty() ? *customModelName : *selectedModel));
  envConfig_.debugPrint(fmt::format("  🔑 Has API Key: {}", !apiKey->empty()));
}

void LLMProviderConfig::saveConfiguration() {
  if (isLoadingConfiguration_) return;
  auto& standard = platform::UserDefaults::standard();
  writeSettings(standard);

  // Only the suite reaches the compose assistant: a save that did not land
  // there is no save.
  std::optional<std::string> failure;
  auto suiteName = envConfig_.appGroupID();
  if (auto suite = platform::UserDefaults::openSuite(suiteName)) {
    writeSettings(**suite);
    if (auto written = (*suite)->writeChanges()) {
      envConfig_.debugPrint(
          fmt::format("💾 LLMProviderConfig: Settings saved to shared UserDefaults (App Group: {})", suiteName));
      printSettingsSummary();
    } else {
      failure = written.error()->localizedDescription();
      envConfig_.debugPrint(fmt::format("❌ LLMProviderConfig: Failed to save shared UserDefaults with App Group: {}: {}",
                                        suiteName, *failure));
    }
  } else {
    failure = suite.error()->localizedDescription();
    envConfig_.debugPrint(
        fmt::format("❌ LLMProviderConfig: Failed to access shared UserDefaults with App Group: {}", suiteName));
  }
  if (auto written = standard.writeChanges(); !written && !failure)
    failure = written.error()->localizedDescription();
  saveFailure = failure;

  // Until a save lands the values are not saved, and "Save" stays.
  if (failure) {
    hasUnsavedChanges = true;
    return;
  }
  // The stores now hold exactly these values, so they are the saved copy.
  // Without this the built-in provider's immediate saves would leave a stale
  // copy behind, and a later switch could read as saved while the stores
  // still name another provider.
  markAsSaved();
  hasUnsavedChanges = false;
}

void LLMProviderConfig::switchProvider(LLMProvider provider) {
  currentProvider = provider;
  applyProviderDefaults();
  if (provider == LLMProvider::gemini) {
    saveConfiguration();
  } else {
    // Nothing is written: the switch stays unsaved until Save.
    checkForUnsavedChanges();
  }
}

void LLMProviderConfig::saveConfigurationManually() {
  saveConfiguration();
  envConfig_.debugPrint(
      fmt::format("💾 LLMProviderConfig: Configuration manually saved for provider: {}", rawValue(*currentProvider)));
}

std::vector<std::string> LLMProviderConfig::validateConfiguration() const {
  std::vector<std::string> messages;
  switch (*currentProvider) {
    case LLMProvider::gemini: break;
    case LLMProvider::openai:
      if (apiKey->empty()) messages.emplace_back("OpenAI API key is required");
      if (endpoint->empty()) messages.emplace_back("OpenAI endpoint is required");
      if (selectedModel->empty()) messages.emplace_back("Model selection is required");
      break;
    case LLMProvider::ollama:
      if (endpoint->empty()) messages.emplace_back("Ollama endpoint is required");
      if (selectedModel->empty() && customModelName->empty()) messages.emplace_back("Model name is required");
      break;
    case LLMProvider::custom:
      if (endpoint->empty()) messages.emplace_back("Custom API endpoint is required");
      if (customModelName->empty()) messages.emplace_back("Model name is required");
      break;
  }
  return messages;
}

void LLMProviderConfig::applyLaunchProviderPolicy() {
  currentProvider = LLMProvider::gemini;
  applyProviderDefaults();
  saveConfiguration();
  // A save that did not land made nothing the default: say why instead.
  if (const auto& failure = *saveFailure)
    platform::console::print("❌ Built-in AI could not be set as the default LLM provider: " + *failure);
  else
    platform::console::print("✅ Built-in AI has been set as the default LLM provider");
}

}  // namespace mervo
