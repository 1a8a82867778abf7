// The generate-content response decoder, which reads every reply and every
// streamed chunk of the Vertex AI client: whatever the bytes, it answers a
// response or an error that can be told to a person, and the content of
// every decoded candidate encodes again and decodes back to the same content.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "FirebaseVertexAI/GenerateContentError.hpp"
#include "FirebaseVertexAI/GenerateContentResponse.hpp"
#include "FirebaseVertexAI/JSONEncoding.hpp"
#include "ShownText.hpp"
#include "SilentLog.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace firebase::vertexai;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  auto response = GenerateContentResponse::decode(bytes);
  if (!response) {
    requireShowable(GenerateContentError::internalError(response.error())->localizedDescription());
    return 0;
  }
  (void)response->text();
  (void)response->functionCalls();
  // A response the model refuses reads as well as any failure.
  if (response->promptFeedback) requireShowable(GenerateContentError::promptBlocked(*response)->localizedDescription());
  if (!response->candidates.empty() && response->candidates.front().finishReason)
    requireShowable(
        GenerateContentError::responseStoppedEarly(*response->candidates.front().finishReason, *response)
            ->localizedDescription());
  for (const auto& candidate : response->candidates) {
    const auto encoded = encodeJSON(candidate.content);
    if (!encoded) std::abort();
    const auto decoded = ModelContent::decode(*encoded);
    if (!decoded || !(*decoded == candidate.content)) std::abort();
  }
  return 0;
}
