#pragma once

#include <expected>
#include <string>
#include <string_view>

#include "FirebaseVertexAI/APIConfig.hpp"
#include "FirebaseVertexAI/CountTokensResponse.hpp"
#include "FirebaseVertexAI/GenerateContentRequest.hpp"
#include "foundation/Error.hpp"
#include "foundation/JsonWriter.hpp"
#include "foundation/URLSession.hpp"

namespace firebase::vertexai {

// Asks the model's ":countTokens" method how many tokens a generate request
// would use; the generate request travels inside it.
struct CountTokensRequest {
  using Response = CountTokensResponse;

  std::string modelResourceName;
  GenerateContentRequest generateContentRequest;  // with the count-tokens method
  RequestOptions options;                         // the wrapped request's

  // What counting sends for `generation`, the request that the model named
  // `modelName` would send to generate from the same contents (its model the
  // resource name). For the developer service the contents lose their roles
  // and, on the Firebase endpoints, the wrapped request names the model
  // "models/" + `modelName`. Contents holding an error part (an image that
  // could not be converted) are refused with that part's error, as
  // generation refuses them: nothing is sent.
  static std::expected<CountTokensRequest, platform::ErrorPtr> make(std::string_view modelName,
                                                                    GenerateContentRequest generation);

  // The endpoint's base, the version, the resource name and ":countTokens".
  std::expected<platform::URL, platform::ErrorPtr> url() const;
};

// For the Vertex AI service the wrapped request's "contents" (always),
// "systemInstruction", "tools" and "generationConfig" (when present); for the
// developer service {"generateContentRequest": the wrapped request}.
void writeJSON(platform::json::Writer& writer, const CountTokensRequest& request);

}  // namespace firebase::vertexai
