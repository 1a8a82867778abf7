#include "FirebaseVertexAI/VertexAI.hpp"

#include <mutex>
#include <unordered_map>

#include "FirebaseVertexAI/ConfigurationError.hpp"
#include "FirebaseVertexAI/FirebaseVertexAIComponent.hpp"
#include "FirebaseVertexAI/VertexLog.hpp"
#include "Hasher.hpp"
#include "firebase_core/FIRComponentContainer.hpp"

namespace firebase::vertexai {
namespace {

// Declared while the program starts, before any app is configured: the core
// reads the declared classes once, at its first configuration.
[[maybe_unused]] const bool kComponentDeclared = [] {
  FIRLibraryClass::declare(std::make_shared<FirebaseVertexAIComponent>());
  return true;
}();

// The process-wide cache; entries are never removed.
struct InstanceCache {
  std::mutex lock;
  std::unordered_map<VertexAI::InstanceKey, std::shared_ptr<VertexAI>, VertexAI::InstanceKeyHash> instances;
};
InstanceCache& instanceCache() {
  static InstanceCache cache;
  return cache;
}

// A model of a name the client does not expect is made all the same.
void warnUnlessPrefixed(const std::string& modelName, const std::string& prefix, const std::string& family,
                        VertexLogMessageCode code) {
  if (modelName.starts_with(prefix)) return;
  logVertexAI(kGULLoggerLevelWarning, code,
              "Unsupported " + family + " model \"" + modelName + "\"; see " + ConfigurationError::supportedModelsLink() +
                  " for a list supported " + family + " model names.");
}

}  // namespace

std::size_t VertexAI::InstanceKeyHash::operator()(const InstanceKey& key) const {
  Hasher hasher;
  hasher.feed(key.appName);
  if (key.location) {
    hasher.feed(std::size_t{1});
    hasher.feed(*key.location);
  } else {
    hasher.feed(std::size_t{0});
  }
  hasher.feed(hashValue(key.apiConfig));
  return hasher.value();
}

APIConfig VertexAI::defaultAPIConfig() {
  return {APIConfig::Service::vertexAI(APIConfig::Service::Endpoint::firebaseVertexAIProd), APIConfig::Version::v1beta};
}

Result<FirebaseInfo> makeFirebaseInfo(const std::shared_ptr<FIRApp>& app) {
  const auto options = app->options();
  FirebaseInfo info;
  auto projectID = options.projectID();
  if (!projectID) return std::unexpected(ConfigurationError::noProjectID(app->name()));
  auto apiKey = options.APIKey();
  if (!apiKey) return std::unexpected(ConfigurationError::noAPIKey(app->name()));
  info.projectID = std::move(*projectID);
  info.apiKey = std::move(*apiKey);
  info.appCheck = FIRComponentInstanceForProtocol<FIRAppCheckInterop>(app->container());
  info.auth = FIRComponentInstanceForProtocol<FIRAuthInterop>(app->container());
  info.firebaseAppID = options.googleAppID().value_or(std::string());
  info.app = app;
  return info;
}

Result<std::shared_ptr<VertexAI>> VertexAI::vertexAI(std::shared_ptr<FIRApp> app, const std::string& location) {
  return vertexAI(std::move(app), location, defaultAPIConfig());
}

Result<std::shared_ptr<VertexAI>> VertexAI::vertexAI(std::shared_ptr<FIRApp> app, std::optional<std::string> location,
                                                     APIConfig apiConfig) {
  if (!app) app = FIRApp::defaultApp();
  if (!app) return std::unexpected(ConfigurationError::noDefaultApp());
  auto& cache = instanceCache();
  std::lock_guard lock(cache.lock);
  InstanceKey key{app->name(), location, apiConfig};
  if (auto found = cache.instances.find(key); found != cache.instances.end()) return found->second;
  auto info = makeFirebaseInfo(app);
  if (!info) return std::unexpected(info.error());
  auto instance = std::make_shared<VertexAI>(std::move(*info), apiConfig, std::move(location));
  cache.instances.emplace(std::move(key), instance);
  return instance;
}

void VertexAI::resetInstances() {
  auto& cache = instanceCache();
  std::lock_guard lock(cache.lock);
  cache.instances.clear();
}

Result<std::shared_ptr<GenerativeModel>> VertexAI::generativeModel(const std::string& modelName,
                                                                   RequestOptions requestOptions,
                                                                   GenerativeModel::Settings settings) const {
  warnUnlessPrefixed(modelName, "gemini-", "Gemini", VertexLogMessageCode::unsupportedGeminiModel);
  auto resourceName = modelResourceName(modelName);
  if (!resourceName) return std::unexpected(resourceName.error());
  return std::make_shared<GenerativeModel>(modelName, std::move(*resourceName), firebaseInfo_, apiConfig_,
                                           std::move(settings), requestOptions, platform::URLSession::shared());
}

Result<std::shared_ptr<ImagenModel>> VertexAI::imagenModel(const std::string& modelName, RequestOptions requestOptions,
                                                           std::optional<ImagenGenerationConfig> generationConfig,
                                                           std::optional<ImagenSafetySettings> safetySettings) const {
  warnUnlessPrefixed(modelName, "imagen-", "Imagen", VertexLogMessageCode::unsupportedImagenModel);
  auto resourceName = modelResourceName(modelName);
  if (!resourceName) return std::unexpected(resourceName.error());
  return std::make_shared<ImagenModel>(std::move(*resourceName), apiConfig_, firebaseInfo_,
                                       platform::URLSession::shared(), std::move(generationConfig),
                                       std::move(safetySettings), requestOptions);
}

Result<std::string> VertexAI::modelResourceName(const std::string& modelName) const {
  if (!isPlainPathSegment(modelName)) return std::unexpected(ConfigurationError::invalidModelName(modelName));
  if (apiConfig_.service.kind == APIConfig::Service::Kind::vertexAI) return vertexAIModelResourceName(modelName);
  return developerModelResourceName(modelName);
}

Result<std::string> VertexAI::vertexAIModelResourceName(const std::string& modelName) const {
  if (!location_) return std::unexpected(ConfigurationError::missingLocation());
  if (!isPlainPathSegment(*location_)) return std::unexpected(ConfigurationError::invalidLocation(*location_));
  return "projects/" + firebaseInfo_.projectID + "/locations/" + *location_ + "/publishers/google/models/" + modelName;
}

std::string VertexAI::developerModelResourceName(const std::string& modelName) const {
  if (apiConfig_.service.endpoint == APIConfig::Service::Endpoint::generativeLanguage) return "models/" + modelName;
  return "projects/" + firebaseInfo_.projectID + "/models/" + modelName;
}

}  // namespace firebase::vertexai
