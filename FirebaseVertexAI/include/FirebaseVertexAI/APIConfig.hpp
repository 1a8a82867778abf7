#pragma once

#include <cstddef>
#include <expected>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "foundation/Error.hpp"
#include "foundation/URLSession.hpp"

namespace firebase::vertexai {

// Which form of the API a model talks to, on which endpoint, in which version.
struct APIConfig {
  struct Service {
    // The Vertex AI form names the project and the location in model
    // resource names; the developer form the project only, or only the model.
    enum class Kind { vertexAI, developer };
    enum class Endpoint { firebaseVertexAIProd, firebaseVertexAIStaging, generativeLanguage };

    Kind kind;
    Endpoint endpoint;

    static Service vertexAI(Endpoint endpoint) { return {Kind::vertexAI, endpoint}; }
    static Service developer(Endpoint endpoint) { return {Kind::developer, endpoint}; }
    bool operator==(const Service&) const = default;
  };
  enum class Version { v1, v1beta };

  Service service;
  Version version;

  bool operator==(const APIConfig&) const = default;
};

// The endpoint's raw value: "https://" and its host, without a trailing "/".
std::string_view baseAddress(APIConfig::Service::Endpoint endpoint);
// The endpoint whose raw value the text is exactly; absent for any other.
std::optional<APIConfig::Service::Endpoint> endpointFromRawValue(std::string_view rawValue);
// The process environment variable that replaces the endpoint's base address
// in every request URL (loopback tests, private deployments).
inline constexpr const char* kBaseURLVariable = "VERTEXAI_BASE_URL";
// Where a request to the endpoint goes: the value of VERTEXAI_BASE_URL when
// it is set (an http or https address without a trailing "/", else a bad-URL
// error naming the variable), or the endpoint's own base address.
std::expected<std::string, platform::ErrorPtr> requestBaseAddress(APIConfig::Service::Endpoint endpoint);
// The endpoint's host name alone.
std::string_view hostName(APIConfig::Service::Endpoint endpoint);
// "v1" or "v1beta".
std::string_view versionString(APIConfig::Version version);
// Exactly "v1" or "v1beta"; absent for any other text.
std::optional<APIConfig::Version> versionFromRawValue(std::string_view rawValue);

// Feeds the service (0 for the Vertex AI form, 1 for the developer form, then
// the endpoint's raw value) and then the version's raw value.
std::size_t hashValue(const APIConfig& config);

// Where a request for a model's method goes: the endpoint's base, "/", the
// version, "/", the model resource name unchanged and the method's suffix
// (":generateContent", ":countTokens", ":predict", ...). A resource name
// that does not form a valid URL path gives an error instead
// (NSURLErrorDomain, bad URL).
std::expected<platform::URL, platform::ErrorPtr> modelMethodURL(const APIConfig& apiConfig, std::string_view model,
                                                                std::string_view methodSuffix);
// The error of a request that cannot form its URL.
platform::ErrorPtr invalidRequestURLError(const std::string& description);
// Whether a name can stand in a URL path as one segment, as it is: not empty,
// and only the characters a path holds unescaped (ASCII letters and digits
// and "-._~!$&'()*+,;=:@"). A "/", "?", "#" or "%", a blank, a control
// character or a letter outside ASCII would change or break the address.
bool isPlainPathSegment(std::string_view name);

// Applied to every request of a model.
struct RequestOptions {
  double timeout;  // seconds
  bool operator==(const RequestOptions&) const = default;
};

}  // namespace firebase::vertexai

template <>
struct std::hash<firebase::vertexai::APIConfig> {
  std::size_t operator()(const firebase::vertexai::APIConfig& config) const {
    return firebase::vertexai::hashValue(config);
  }
};
