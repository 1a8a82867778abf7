// The image-generation response decoder, for inline and for storage images:
// whatever the bytes, it answers at least one image or an error, and never
// a filter reason that is empty; every error can be told to a person.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "FirebaseVertexAI/GenerateContentError.hpp"
#include "FirebaseVertexAI/ImagenGenerationResponse.hpp"
#include "ShownText.hpp"
#include "SilentLog.hpp"

namespace {

template <typename ImageType>
void decode(std::string_view bytes) {
  const auto response = firebase::vertexai::ImagenGenerationResponse<ImageType>::decode(bytes);
  if (!response) {
    (void)response.error()->debugDescription();
    requireShowable(firebase::vertexai::GenerateContentError::internalError(response.error())->localizedDescription());
    return;
  }
  if (response->images.empty() || (response->filteredReason && response->filteredReason->empty())) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace firebase::vertexai;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  decode<ImagenInlineImage>(bytes);
  decode<ImagenGCSImage>(bytes);
  return 0;
}
