#include "FirebaseVertexAI/APIConfig.hpp"

#include <cctype>
#include <string>

#include "foundation/Text.hpp"

namespace firebase::vertexai {
namespace {

// The characters a URL path may hold as they are (RFC 3986), and "%" with
// two hex digits: anything else in a resource name (a blank, "?", "#", a
// non-ASCII letter) would change or break the address.
bool isValidPath(std::string_view path) {
  static constexpr std::string_view kAllowedPunctuation = "-._~!$&'()*+,;=:@/";
  for (std::size_t i = 0; i < path.size(); ++i) {
    const auto c = static_cast<unsigned char>(path[i]);
    if (std::isalnum(c) || kAllowedPunctuation.find(static_cast<char>(c)) != std::string_view::npos) continue;
    if (c == '%' && i + 2 < path.size() && std::isxdigit(static_cast<unsigned char>(path[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(path[i + 2]))) {
      i += 2;
      continue;
    }
    return false;
  }
  return true;
}

}  // namespace

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

std::expected<platform::URL, platform::ErrorPtr> modelMethodURL(const APIConfig& apiConfig, std::string_view model,
                                                                std::string_view methodSuffix) {
  const std::string address = std::string(baseAddress(apiConfig.service.endpoint)) + "/" +
                              std::string(versionString(apiConfig.version)) + "/" + std::string(model) +
                              std::string(methodSuffix);
  auto parsed = isValidPath(model) ? platform::URL::parse(address) : std::nullopt;
  if (!parsed)
    return std::unexpected(invalidRequestURLError("The model resource name \"" + platform::text::repairUTF8(model) +
                                                  "\" does not form a valid URL."));
  return *parsed;
}

platform::ErrorPtr invalidRequestURLError(const std::string& description) {
  return platform::makeError(platform::kURLErrorDomain, platform::URLErrorBadURL, description);
}

}  // namespace firebase::vertexai
