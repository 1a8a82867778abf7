#include "FirebaseVertexAI/APIConfig.hpp"

namespace firebase::vertexai {

std::string_view baseAddress(APIConfig::Service::Endpoint endpoint) {
  switch (endpoint) {
    case APIConfig::Service::Endpoint::firebaseVertexAIProd: return "https://firebasevertexai.googleapis.com";
    case APIConfig::Service::Endpoint::firebaseVertexAIStaging:
      return "https://staging-firebasevertexai.sandbox.googleapis.com";
    case APIConfig::Service::Endpoint::generativeLanguage: return "https://generativelanguage.googleapis.com";
  }
  return {};
}

std::string_view hostName(APIConfig::Service::Endpoint endpoint) {
  return baseAddress(endpoint).substr(std::string_view("https://").size());
}

std::string_view versionString(APIConfig::Version version) {
  return version == APIConfig::Version::v1 ? "v1" : "v1beta";
}

}  // namespace firebase::vertexai
