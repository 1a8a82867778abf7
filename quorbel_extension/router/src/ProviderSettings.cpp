// The service object and the provider settings it reads from the shared
// suite at every request.
#include <cstdio>
#include <mutex>

#include "Diagnostics.hpp"
#include "ProcessWide.hpp"
#include "foundation/DiagnosticText.hpp"
#include "foundation/UserDefaults.hpp"
#include "router/ExtensionLLMAPIService.hpp"
#include "shared_settings/SuiteKeys.hpp"

namespace quorbel {
namespace {
// The shared suite, or nothing. Its getters then answer their defaults,
// which would pass for settings the user chose (a provider of Ollama would
// quietly become the built-in service), so the reason goes to standard error
// once: again only when it changes, or after the suite could be read.
std::shared_ptr<platform::UserDefaults> openSharedSuite(const std::string& name) {
  static std::mutex mutex;
  static std::string lastReason;
  auto opened = platform::UserDefaults::openSuite(name);
  std::lock_guard lock(mutex);
  if (opened) {
    lastReason.clear();
    return *opened;
  }
  const std::string reason = opened.error()->localizedDescription();
  if (reason != lastReason) {
    const std::string line = platform::diagnosticText(
        fmt::format("⚠️ ExtensionLLMAPIService: Cannot read the shared settings \"{}\", so every provider setting "
                    "takes its default: {}",
                    name, reason));
    std::fprintf(stderr, "%s\n", line.c_str());
    lastReason = reason;
  }
  return nullptr;
}
}  // namespace

namespace {
ProcessWide<ExtensionLLMAPIService>& sharedService() {
  static auto* service = new ProcessWide<ExtensionLLMAPIService>();
  return *service;
}
}  // namespace

ExtensionLLMAPIService& ExtensionLLMAPIService::shared() {
  return sharedService().get([] { return new ExtensionLLMAPIService(); });
}

void ExtensionLLMAPIService::resetForTesting() { sharedService().resetForTesting(); }

ExtensionLLMAPIService::ExtensionLLMAPIService()
    : appGroupID_(ExtensionConfig::value("APP_GROUP_ID", suite_defaults::appGroupID)) {
  platform::console::print("🚀 ExtensionLLMAPIService: Initialized with appGroupID: " + appGroupID_);
}

std::string ExtensionLLMAPIService::stringSetting(const std::string& key) const {
  auto suite = openSharedSuite(appGroupID_);
  return suite ? suite->string(key).value_or("") : "";
}

ExtensionConfig::LLMProvider ExtensionLLMAPIService::currentProvider() const {
  return providerFromRawValue(stringSetting(suite_keys::llmProvider)).value_or(ExtensionConfig::LLMProvider::gemini);
}

std::string ExtensionLLMAPIService::apiKey() const { return stringSetting(suite_keys::llmAPIKey); }

std::string ExtensionLLMAPIService::endpoint() const {
  auto suite = openSharedSuite(appGroupID_);
  if (!suite) {
    diagnostics::debug("⚠️ ExtensionLLMAPIService: Cannot access UserDefaults with app group: {}", appGroupID_);
    return "";
  }
  std::string value = suite->string(suite_keys::llmEndpoint).value_or("");
  diagnostics::debug("🔧 ExtensionLLMAPIService: Read endpoint from UserDefaults: '{}'", value);
  return value;
}

std::string ExtensionLLMAPIService::model() const { return stringSetting(suite_keys::llmModel); }

std::string ExtensionLLMAPIService::customModel() const { return stringSetting(suite_keys::llmCustomModel); }

double ExtensionLLMAPIService::timeout() const {
  auto suite = openSharedSuite(appGroupID_);
  double seconds = suite ? suite->doubleValue(suite_keys::llmTimeout) : 0;
  return seconds > 0 ? seconds : suite_defaults::llmTimeout;
}

std::int64_t ExtensionLLMAPIService::maxTokens() const {
  auto suite = openSharedSuite(appGroupID_);
  std::int64_t tokens = suite ? suite->integer(suite_keys::llmMaxTokens) : 0;
  return tokens > 0 ? tokens : suite_defaults::llmMaxTokens;
}

std::string ExtensionLLMAPIService::effectiveModel() const {
  switch (currentProvider()) {
    case ExtensionConfig::LLMProvider::gemini: return ExtensionConfig::value("GEMINI_MODEL", suite_defaults::geminiModel);
    case ExtensionConfig::LLMProvider::openai:
    case ExtensionConfig::LLMProvider::ollama: {
      std::string chosen = model();
      return chosen.empty() ? customModel() : chosen;
    }
    case ExtensionConfig::LLMProvider::custom: return customModel();
  }
  return {};
}

std::string ExtensionLLMAPIService::effectiveAPIKey() const {
  if (currentProvider() != ExtensionConfig::LLMProvider::gemini) return apiKey();
  if (ExtensionConfig::currentAPIMode() == ExtensionConfig::APIMode::worker) return "";
  return ExtensionConfig::value("GOOGLE_API_KEY", "");
}

std::string ExtensionLLMAPIService::effectiveEndpoint() const {
  auto provider = currentProvider();
  if (provider == ExtensionConfig::LLMProvider::gemini) return "";
  std::string value = endpoint();
  diagnostics::debug("🌐 ExtensionLLMAPIService: Effective endpoint for {}: '{}'", rawValue(provider), value);
  return value;
}

}  // namespace quorbel
