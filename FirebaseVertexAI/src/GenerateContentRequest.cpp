#include "FirebaseVertexAI/GenerateContentRequest.hpp"

#include "FirebaseVertexAI/JSONEncoding.hpp"

namespace firebase::vertexai {
namespace {

std::string_view methodSuffix(GenerateContentRequest::APIMethod method) {
  return method == GenerateContentRequest::APIMethod::streamGenerateContent ? ":streamGenerateContent?alt=sse"
                                                                            : ":generateContent";
}

}  // namespace

std::expected<platform::URL, platform::ErrorPtr> GenerateContentRequest::url() const {
  if (apiMethod == APIMethod::countTokens)
    return std::unexpected(invalidRequestURLError("GenerateContentRequest should be a property of CountTokensRequest."));
  return modelMethodURL(apiConfig, model, methodSuffix(apiMethod));
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
