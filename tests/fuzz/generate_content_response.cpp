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
#include "SilentLog.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace firebase::vertexai;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  auto response = GenerateContentResponse::decode(bytes);
  if (!response) {
    (void)GenerateContentError::internalError(response.error())->localizedDescription();
    return 0;
  }
  (void)response->text();
  (void)response->functionCalls();
  for (const auto& candidate : response->candidates) {
    const auto encoded = encodeJSON(candidate.content);
    if (!encoded) std::abort();
    const auto decoded = ModelContent::decode(*encoded);
    if (!decoded || !(*decoded == candidate.content)) std::abort();
  }
  return 0;
}
