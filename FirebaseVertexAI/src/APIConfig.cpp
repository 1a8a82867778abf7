#include "FirebaseVertexAI/APIConfig.hpp"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>

#include "Hasher.hpp"
#include "foundation/Text.hpp"
#include "foundation/URLCredentials.hpp"

namespace firebase::vertexai {
namespace {

// The characters a segment of a URL path may hold as they are (RFC 3986).
bool isPlainPathCharacter(char c) {
  static constexpr std::string_view kAllowedPunctuation = "-._~!$&'()*+,;=:@";
  return std::isalnum(static_cast<unsigned char>(c)) || kAllowedPunctuation.find(c) != std::string_view::npos;
}

// Segments of plain characters between "/", and "%" with two hex digits:
// anything else in a resource name (a blank, "?", "#", a non-ASCII letter)
// would change or break the address.
bool isValidPath(std::string_view path) {
  for (std::size_t i = 0; i < path.size(); ++i) {
    const auto c = static_cast<unsigned char>(path[i]);
    if (c == '/' || isPlainPathCharacter(path[i])) continue;
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

namespace {
constexpr APIConfig::Service::Endpoint kEndpoints[] = {APIConfig::Service::Endpoint::firebaseVertexAIProd,
                                                       APIConfig::Service::Endpoint::firebaseVertexAIStaging,
                                                       APIConfig::Service::Endpoint::generativeLanguage};

// Paths are appended to the base, so it may carry no query, no fragment, no
// trailing "/" and nothing a path does not hold as it is.
bool isUsableBaseAddress(const std::string& text) {
  auto url = platform::URL::parse(text);
  if (!url || url->host().empty()) return false;
  const std::string scheme = platform::text::lowercased(url->scheme());
  return (scheme == "http" || scheme == "https") && !text.ends_with('/') &&
         text.find_first_of("?#") == std::string::npos && isValidPath(url->path());
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

std::optional<APIConfig::Service::Endpoint> endpointFromRawValue(std::string_view rawValue) {
  for (auto endpoint : kEndpoints)
    if (baseAddress(endpoint) == rawValue) return endpoint;
  return std::nullopt;
}

std::expected<std::string, platform::ErrorPtr> requestBaseAddress(APIConfig::Service::Endpoint endpoint) {
  const char* replacement = std::getenv(kBaseURLVariable);
  if (!replacement || !*replacement) return std::string(baseAddress(endpoint));
  std::string base = replacement;
  if (!isUsableBaseAddress(base))
    return std::unexpected(platform::makeError(
        platform::kURLErrorDomain, platform::URLErrorBadURL,
        std::string(kBaseURLVariable) + " must be an http or https address without a trailing \"/\"; it is \"" +
            platform::text::repairUTF8(platform::withURLCredentialsMasked(base)) + "\"."));
  return base;
}

std::string_view hostName(APIConfig::Service::Endpoint endpoint) {
  return baseAddress(endpoint).substr(std::string_view("https://").size());
}

std::string_view versionString(APIConfig::Version version) {
  return version == APIConfig::Version::v1 ? "v1" : "v1beta";
}

std::optional<APIConfig::Version> versionFromRawValue(std::string_view rawValue) {
  for (auto version : {APIConfig::Version::v1, APIConfig::Version::v1beta})
    if (versionString(version) == rawValue) return version;
  return std::nullopt;
}

std::size_t hashValue(const APIConfig& config) {
  Hasher hasher;
  hasher.feed(config.service.kind == APIConfig::Service::Kind::vertexAI ? 0u : 1u);
  hasher.feed(baseAddress(config.service.endpoint));
  hasher.feed(versionString(config.version));
  return hasher.value();
}

std::expected<platform::URL, platform::ErrorPtr> modelMethodURL(const APIConfig& apiConfig, std::string_view model,
                                                                std::string_view methodSuffix) {
  auto base = requestBaseAddress(apiConfig.service.endpoint);
  if (!base) return std::unexpected(base.error());
  const std::string address =
      *base + "/" + std::string(versionString(apiConfig.version)) + "/" + std::string(model) + std::string(methodSuffix);
  auto parsed = isValidPath(model) ? platform::URL::parse(address) : std::nullopt;
  if (!parsed)
    return std::unexpected(invalidRequestURLError("The model resource name \"" + platform::text::repairUTF8(model) +
                                                  "\" does not form a valid URL."));
  return *parsed;
}

bool isPlainPathSegment(std::string_view name) {
  return !name.empty() && std::ranges::all_of(name, isPlainPathCharacter);
}

platform::ErrorPtr invalidRequestURLError(const std::string& description) {
  return platform::makeError(platform::kURLErrorDomain, platform::URLErrorBadURL, description);
}

}  // namespace firebase::vertexai
