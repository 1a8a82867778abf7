#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "FirebaseVertexAI/APIConfig.hpp"
#include "FirebaseVertexAI/FirebaseInfo.hpp"
#include "FirebaseVertexAI/GenerativeModel.hpp"
#include "FirebaseVertexAI/ImagenModel.hpp"
#include "FirebaseVertexAI/Operation.hpp"
#include "firebase_core/FIRApp.hpp"

namespace firebase::vertexai {

// The client's entry point: one app and one location bound to an API
// configuration, shared by everyone who asks for that binding, and the
// factory of the models that talk to the backend.
//
//   auto vertex = VertexAI::vertexAI(nullptr, "us-central1");
//   if (!vertex) ... (*vertex).error() says why (no default app, no key) ...
//   auto model = (*vertex)->generativeModel("gemini-2.0-flash-lite", RequestOptions{180});
//
// Configuration errors come back as ConfigurationError values; nothing is
// made or kept for them.
class VertexAI {
 public:
  // The key of the instance cache.
  struct InstanceKey {
    std::string appName;
    std::optional<std::string> location;
    APIConfig apiConfig;
    bool operator==(const InstanceKey&) const = default;
  };
  // Feeds the app name, then 1 and the location or 0 without one, then the
  // API configuration.
  struct InstanceKeyHash {
    std::size_t operator()(const InstanceKey& key) const;
  };

  // The Vertex AI service on its production endpoint, version v1beta.
  static APIConfig defaultAPIConfig();

  // The shared instance for the app (the default app when null) and the
  // location, with the default API configuration. Safe from any thread: two
  // callers asking for one key get one instance.
  static Result<std::shared_ptr<VertexAI>> vertexAI(std::shared_ptr<FIRApp> app, const std::string& location);
  // The same for any location (or none) and API configuration.
  static Result<std::shared_ptr<VertexAI>> vertexAI(std::shared_ptr<FIRApp> app, std::optional<std::string> location,
                                                    APIConfig apiConfig);

  // Forgets every shared instance, as FIRApp::resetApps forgets the apps
  // (tests start from none).
  static void resetInstances();

  // A new model for the name. A name that does not begin with "gemini-" is
  // only warned about; an empty one, or one holding white space, a line
  // break, "/", "?", "#" or "%", is refused.
  Result<std::shared_ptr<GenerativeModel>> generativeModel(const std::string& modelName,
                                                           RequestOptions requestOptions,
                                                           GenerativeModel::Settings settings = {}) const;

  // A new image model for the name, refused and warned about as above with
  // "imagen-" for the expected prefix.
  Result<std::shared_ptr<ImagenModel>> imagenModel(const std::string& modelName, RequestOptions requestOptions,
                                                   std::optional<ImagenGenerationConfig> generationConfig = std::nullopt,
                                                   std::optional<ImagenSafetySettings> safetySettings = std::nullopt) const;

  // The resource name the backend knows the model by, by the service's form.
  Result<std::string> modelResourceName(const std::string& modelName) const;
  Result<std::string> vertexAIModelResourceName(const std::string& modelName) const;
  std::string developerModelResourceName(const std::string& modelName) const;

  const FirebaseInfo& firebaseInfo() const { return firebaseInfo_; }
  const APIConfig& apiConfig() const { return apiConfig_; }
  const std::optional<std::string>& location() const { return location_; }

  VertexAI(FirebaseInfo firebaseInfo, APIConfig apiConfig, std::optional<std::string> location)
      : firebaseInfo_(std::move(firebaseInfo)), apiConfig_(apiConfig), location_(std::move(location)) {}

 private:
  FirebaseInfo firebaseInfo_;
  APIConfig apiConfig_;
  std::optional<std::string> location_;
};

// The key, project, app identifier and token providers of an app, or the
// configuration error of an app without project ID or API key.
Result<FirebaseInfo> makeFirebaseInfo(const std::shared_ptr<FIRApp>& app);

}  // namespace firebase::vertexai
