#pragma once

#include <string>
#include <string_view>

namespace mervo {

// The application's deployment values: each key is looked up in the process
// environment, then in the bundle's ".env" resource, then the caller's
// default, exactly as the extension does. Nothing is cached, so a changed
// environment takes effect at the next read.
class EnvironmentConfig {
 public:
  static EnvironmentConfig& shared();

  std::string value(const std::string& key, const std::string& defaultValue) const;

  std::string appGroupID() const;         // APP_GROUP_ID
  std::string geminiModel() const;        // GEMINI_MODEL
  std::string googleAPIKey() const;       // GOOGLE_API_KEY
  std::string firebaseProjectID() const;  // FIREBASE_PROJECT_ID
  std::string workerAPIKey() const;       // WORKER_API_KEY
  std::string workerURL() const;          // CLOUDFLARE_WORKER_URL

  // WORKER_API_KEY and CLOUDFLARE_WORKER_URL are both set.
  bool isWorkerConfigured() const;
  // The worker is not configured, and GOOGLE_API_KEY and FIREBASE_PROJECT_ID
  // are both set.
  bool isFirebaseConfigured() const;

  // DEBUG_LOGGING lowercased is "true", or it is exactly "1".
  bool isDebugLoggingEnabled() const;
  // Prints the line when debug logging is on at this moment.
  void debugPrint(std::string_view line) const;
};

}  // namespace mervo
