#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "foundation/UserDefaults.hpp"
#include "observable/Published.hpp"
#include "settings/EnvironmentConfig.hpp"
#include "settings/LLMProvider.hpp"
#include "settings/ProviderRequest.hpp"

namespace mervo {

// The provider settings the AI Models screen edits. They load from the
// application's standard defaults and are saved there and then to the shared
// suite, where the extension reads them. While the provider is the built-in
// `gemini` every change is saved at once; for the others a change waits for
// Save and shows as hasUnsavedChanges. All use is on the main thread.
class LLMProviderConfig {
 public:
  static LLMProviderConfig& shared();

  // Loads the stored settings and applies the loaded provider's defaults; on
  // a first launch (no provider stored) also applies the launch policy.
  explicit LLMProviderConfig(EnvironmentConfig& envConfig = EnvironmentConfig::shared());
  LLMProviderConfig(const LLMProviderConfig&) = delete;
  LLMProviderConfig& operator=(const LLMProviderConfig&) = delete;

  // Every assignment to these runs the change hook, whether through set() or
  // operator=.
  platform::Published<LLMProvider> currentProvider{LLMProvider::gemini};
  platform::Published<std::string> apiKey{std::string()};
  platform::Published<std::string> endpoint{std::string()};
  platform::Published<std::string> selectedModel{std::string()};
  platform::Published<std::string> customModelName{std::string()};
  platform::Published<double> timeout{30.0};  // seconds
  platform::Published<std::int64_t> maxTokens{quorbel::suite_defaults::llmMaxTokens};
  platform::Published<bool> hasUnsavedChanges{false};
  // Why the last save did not reach the stores (the shared suite could not be
  // opened, or a file not written: the values stay unsaved and wait for the
  // next save); nothing after a save that did.
  platform::Published<std::optional<std::string>> saveFailure{std::nullopt};

  bool isExternalProvider() const;
  // GEMINI_MODEL for `gemini`; the selected (else the custom) model for
  // `openai` and `ollama`; the custom model name for `custom`.
  std::string effectiveModel() const;
  // The key for external providers; for `gemini` GOOGLE_API_KEY, or nothing
  // while the worker proxy is configured.
  std::string effectiveAPIKey() const;

  void switchProvider(LLMProvider provider);
  void saveConfigurationManually();
  // Messages that make the configuration unusable; empty when it is valid.
  std::vector<std::string> validateConfiguration() const;
  // Makes `gemini` current with its defaults and saves it; prints that it
  // did, or, when the save did not land, why not.
  void applyLaunchProviderPolicy();

  // Request descriptions for the connection test; nothing when the body
  // cannot be written as JSON.
  std::optional<ProviderRequest> buildOpenAIRequest(const std::string& prompt,
                                                    const std::optional<std::string>& systemPrompt) const;
  std::optional<ProviderRequest> buildOllamaRequest(const std::string& prompt,
                                                    const std::optional<std::string>& systemPrompt) const;
  std::optional<ProviderRequest> buildCustomRequest(const std::string& prompt,
                                                    const std::optional<std::string>& systemPrompt) const;

  static constexpr const char* providerKey = quorbel::suite_keys::llmProvider;
  static constexpr const char* apiKeyKey = quorbel::suite_keys::llmAPIKey;
  static constexpr const char* endpointKey = quorbel::suite_keys::llmEndpoint;
  static constexpr const char* modelKey = quorbel::suite_keys::llmModel;
  static constexpr const char* customModelKey = quorbel::suite_keys::llmCustomModel;
  static constexpr const char* timeoutKey = quorbel::suite_keys::llmTimeout;
  static constexpr const char* maxTokensKey = quorbel::suite_keys::llmMaxTokens;

 private:
  // Everything that is saved, as a whole: what the fields hold now, or what
  // the stores were last given.
  struct Settings {
    LLMProvider provider = LLMProvider::gemini;
    std::string apiKey, endpoint, selectedModel, customModelName;
    double timeout = quorbel::suite_defaults::llmTimeout;
    std::int64_t maxTokens = quorbel::suite_defaults::llmMaxTokens;
    bool operator==(const Settings&) const = default;
  };

  Settings currentSettings() const;
  void fieldDidChange();
  void checkForUnsavedChanges();
  void markAsSaved();
  void loadConfiguration();
  void applyProviderDefaults();
  void saveConfiguration();
  void writeSettings(platform::UserDefaults& store) const;
  void printSettingsSummary() const;
  // The URL base of the request builders: empty while the provider is `gemini`.
  std::string requestBase() const;

  EnvironmentConfig& envConfig_;
  Settings saved_;
  bool isLoadingConfiguration_ = false;
  std::vector<platform::Cancellable> subscriptions_;
};

}  // namespace mervo
