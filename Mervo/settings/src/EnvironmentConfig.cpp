#include "settings/EnvironmentConfig.hpp"

#include "foundation/Console.hpp"
#include "shared_settings/DeploymentValues.hpp"
#include "shared_settings/SuiteKeys.hpp"

namespace mervo {

EnvironmentConfig& EnvironmentConfig::shared() {
  static EnvironmentConfig instance;
  return instance;
}

std::string EnvironmentConfig::value(const std::string& key, const std::string& defaultValue) const {
  return quorbel::deployment::value(key, defaultValue);
}

std::string EnvironmentConfig::appGroupID() const { return value("APP_GROUP_ID", quorbel::suite_defaults::appGroupID); }
std::string EnvironmentConfig::geminiModel() const { return value("GEMINI_MODEL", quorbel::suite_defaults::geminiModel); }
std::string EnvironmentConfig::googleAPIKey() const { return value("GOOGLE_API_KEY", ""); }
std::string EnvironmentConfig::firebaseProjectID() const { return value("FIREBASE_PROJECT_ID", ""); }
std::string EnvironmentConfig::workerAPIKey() const { return value("WORKER_API_KEY", ""); }
std::string EnvironmentConfig::workerURL() const { return value("CLOUDFLARE_WORKER_URL", ""); }

bool EnvironmentConfig::isWorkerConfigured() const { return !workerAPIKey().empty() && !workerURL().empty(); }

bool EnvironmentConfig::isFirebaseConfigured() const {
  // The Google key counts as absent while the worker proxy is configured.
  if (isWorkerConfigured()) return false;
  return !googleAPIKey().empty() && !firebaseProjectID().empty();
}

bool EnvironmentConfig::isDebugLoggingEnabled() const { return quorbel::deployment::isDebugLoggingEnabled(); }

void EnvironmentConfig::debugPrint(std::string_view line) const {
  if (isDebugLoggingEnabled()) platform::console::print(line);
}

}  // namespace mervo
