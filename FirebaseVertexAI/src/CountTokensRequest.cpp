#include "FirebaseVertexAI/CountTokensRequest.hpp"

#include "FirebaseVertexAI/JSONEncoding.hpp"

namespace firebase::vertexai {

std::expected<CountTokensRequest, platform::ErrorPtr> CountTokensRequest::make(std::string_view modelName,
                                                                               GenerateContentRequest generation) {
  if (auto error = rejectErrorParts(generation.contents)) return std::unexpected(std::move(error));
  std::string resourceName = generation.model;
  const auto& service = generation.apiConfig.service;
  if (service.kind == APIConfig::Service::Kind::developer) {
    for (auto& content : generation.contents) content = ModelContent::fromParts(std::nullopt, content.parts());
    if (service.endpoint != APIConfig::Service::Endpoint::generativeLanguage)
      generation.model = "models/" + std::string(modelName);
  }
  generation.apiMethod = GenerateContentRequest::APIMethod::countTokens;
  const RequestOptions options = generation.options;
  return CountTokensRequest{std::move(resourceName), std::move(generation), options};
}

std::expected<platform::URL, platform::ErrorPtr> CountTokensRequest::url() const {
  return modelMethodURL(generateContentRequest.apiConfig, modelResourceName, ":countTokens");
}

void writeJSON(platform::json::Writer& writer, const CountTokensRequest& request) {
  const auto& wrapped = request.generateContentRequest;
  writer.beginObject();
  if (wrapped.apiConfig.service.kind == APIConfig::Service::Kind::developer) {
    writeMember(writer, "generateContentRequest", wrapped);
  } else {
    writeMember(writer, "contents", wrapped.contents);
    writeMemberIfPresent(writer, "systemInstruction", wrapped.systemInstruction);
    writeMemberIfPresent(writer, "tools", wrapped.tools);
    writeMemberIfPresent(writer, "generationConfig", wrapped.generationConfig);
  }
  writer.endObject();
}

}  // namespace firebase::vertexai
