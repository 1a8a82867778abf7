#include "FirebaseVertexAI/GenerateContentRequest.hpp"

#include <cctype>

#include "FirebaseVertexAI/JSONEncoding.hpp"
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

std::string_view methodSuffix(GenerateContentRequest::APIMethod method) {
  return method == GenerateContentRequest::APIMethod::streamGenerateContent ? ":streamGenerateContent?alt=sse"
                                                                            : ":generateContent";
}

platform::ErrorPtr invalidRequestURLError(const std::string& description) {
  return platform::makeError(platform::kURLErrorDomain, platform::URLErrorBadURL, description);
}

}  // namespace

std::expected<platform::URL, platform::ErrorPtr> GenerateContentRequest::url() const {
  if (apiMethod == APIMethod::countTokens)
    return std::unexpected(invalidRequestURLError("GenerateContentRequest should be a property of CountTokensRequest."));
  auto base = requestBaseAddress(apiConfig.service.endpoint);
  if (!base) return std::unexpected(base.error());
  const std::string address =
      *base + "/" + std::string(versionString(apiConfig.version)) + "/" + model + std::string(methodSuffix(apiMethod));
  auto parsed = isValidPath(model) ? platform::URL::parse(address) : std::nullopt;
  if (!parsed)
    return std::unexpected(invalidRequestURLError("The model resource name \"" + platform::text::repairUTF8(model) +
                                                  "\" does not form a valid URL."));
  return *parsed;
}

void writeJSON(platform::json::Writer& writer, const GenerateContentRequest& request) {
  writer.beginObject();
  if (request.apiMethod == GenerateContentRequest::APIMethod::countTokens) writeMember(writer, "model", request.model);
  writeMember(writer, "contents", request.contents);
  writeMemberIfPresent(writer, "generationConfig", request.generationConfig);
  writeMemberIfPresent(writer, "safetySettings", request.safetySettings);
  writeMemberIfPresent(writer, "tools", request.tools);
  writeMemberIfPresent(writer, "toolConfig", request.toolConfig);
  writeMemberIfPresent(writer, "systemInstruction", request.systemInstruction);
  writer.endObject();
}

}  // namespace firebase::vertexai
