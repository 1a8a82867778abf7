#pragma once

#include <expected>
#include <memory>
#include <optional>
#include <string>

#include "foundation/Error.hpp"

namespace quorbel {

// The built-in service's direct road: the default app that carries the
// service's project and key, and the generative-model client that sends a
// prompt with them. The app core and the Vertex AI client fill it in; tests
// put a double in its place. Callers check `builtInServiceProblem` before
// asking for a model, because the client cannot work without these values.
class BuiltInService {
 public:
  struct AppOptions {
    std::string projectID;
    std::string apiKey;
    std::string googleAppID;
  };

  virtual ~BuiltInService() = default;

  // Configures the default app from the bundle's options list unless one
  // exists. Returns a description of the failure when it cannot.
  virtual std::optional<std::string> configureDefaultAppIfNeeded() = 0;

  // The default app's options; absent while no default app is configured.
  virtual std::optional<AppOptions> defaultAppOptions() = 0;

  // One generate-content call with a text prompt, blocking the calling thread
  // (never the main thread). The response's text, absent when the response
  // has none, or the client's error unchanged.
  virtual std::expected<std::optional<std::string>, platform::ErrorPtr> generateContent(
      const std::string& modelName, const std::string& prompt, double timeoutSeconds) = 0;

  static BuiltInService& shared();
  // The same service, for work that outlives the caller's turn (the model
  // call runs on another thread).
  static std::shared_ptr<BuiltInService> sharedInstance();
  static void setShared(std::shared_ptr<BuiltInService> service);
};

// A model name the client accepts: not empty, no "/", no white space or line
// break.
bool isUsableModelName(const std::string& modelName);

// Why the built-in service cannot be used with this model, or nothing when it
// can: no default app, a default app without project ID or API key, or an
// unusable model name.
std::optional<std::string> builtInServiceProblem(BuiltInService& service, const std::string& modelName);

}  // namespace quorbel
