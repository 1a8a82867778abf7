#include "FirebaseVertexAI/ConfigurationError.hpp"

#include <memory>

#include "foundation/Text.hpp"

namespace firebase::vertexai {
namespace {

constexpr const char* kSupportedModelsLink = "https://firebase.google.com/docs/vertex-ai/models";
constexpr const char* kAvailableLocationsLink = "https://firebase.google.com/docs/vertex-ai/locations";

}  // namespace

platform::ErrorPtr ConfigurationError::noDefaultApp() {
  return std::shared_ptr<ConfigurationError>(
      new ConfigurationError(Kind::noDefaultApp, "No instance of the default Firebase app was found."));
}

platform::ErrorPtr ConfigurationError::noProjectID(const std::string& appName) {
  return std::shared_ptr<ConfigurationError>(new ConfigurationError(
      Kind::noProjectID, "The Firebase app named \"" + appName + "\" has no project ID in its configuration."));
}

platform::ErrorPtr ConfigurationError::noAPIKey(const std::string& appName) {
  return std::shared_ptr<ConfigurationError>(new ConfigurationError(
      Kind::noAPIKey, "The Firebase app named \"" + appName + "\" has no API key in its configuration."));
}

platform::ErrorPtr ConfigurationError::invalidModelName(const std::string& modelName) {
  return std::shared_ptr<ConfigurationError>(
      new ConfigurationError(Kind::invalidModelName, "Invalid model name \"" + platform::text::repairUTF8(modelName) + "\" specified; see " +
                                                         kSupportedModelsLink + " for a list of available models."));
}

platform::ErrorPtr ConfigurationError::missingLocation() {
  return std::shared_ptr<ConfigurationError>(
      new ConfigurationError(Kind::missingLocation, "Location must be specified for the Vertex AI service."));
}

platform::ErrorPtr ConfigurationError::invalidLocation(const std::string& location) {
  return std::shared_ptr<ConfigurationError>(
      new ConfigurationError(Kind::invalidLocation, "Invalid location \"" + platform::text::repairUTF8(location) + "\" specified; see " +
                                                        kAvailableLocationsLink + " for a list of available locations."));
}

const char* ConfigurationError::supportedModelsLink() { return kSupportedModelsLink; }

}  // namespace firebase::vertexai
