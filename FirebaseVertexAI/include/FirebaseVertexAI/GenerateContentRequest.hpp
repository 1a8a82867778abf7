#pragma once

#include <expected>
#include <optional>
#include <string>
#include <vector>

#include "FirebaseVertexAI/APIConfig.hpp"
#include "FirebaseVertexAI/FunctionCalling.hpp"
#include "FirebaseVertexAI/GenerateContentResponse.hpp"
#include "FirebaseVertexAI/GenerationConfig.hpp"
#include "FirebaseVertexAI/ModelContent.hpp"
#include "FirebaseVertexAI/Safety.hpp"
#include "foundation/Error.hpp"
#include "foundation/JsonWriter.hpp"
#include "foundation/URLSession.hpp"

namespace firebase::vertexai {

// One call to a model: its body (the contents with the call's settings) and
// what sending it needs (where, which method, the request options).
struct GenerateContentRequest {
  enum class APIMethod { generateContent, streamGenerateContent, countTokens };
  using Response = GenerateContentResponse;

  std::string model;  // the model's resource name
  std::vector<ModelContent> contents;
  std::optional<GenerationConfig> generationConfig = std::nullopt;
  std::optional<std::vector<SafetySetting>> safetySettings = std::nullopt;
  std::optional<std::vector<Tool>> tools = std::nullopt;
  std::optional<ToolConfig> toolConfig = std::nullopt;
  std::optional<ModelContent> systemInstruction = std::nullopt;
  APIConfig apiConfig;
  APIMethod apiMethod;
  RequestOptions options;

  // The endpoint's base (or VERTEXAI_BASE_URL), "/", the version, "/", the
  // model resource name and the method (":generateContent",
  // ":streamGenerateContent?alt=sse"). A resource name that does not form a
  // valid URL path, an unusable VERTEXAI_BASE_URL, and a count-tokens request
  // (which travels only inside a count-tokens request of its own), give an
  // error instead (NSURLErrorDomain, bad URL).
  std::expected<platform::URL, platform::ErrorPtr> url() const;
};

// "model" only for the count-tokens method (the URL names it otherwise),
// "contents" always, the optional settings only when present.
void writeJSON(platform::json::Writer& writer, const GenerateContentRequest& request);

}  // namespace firebase::vertexai
