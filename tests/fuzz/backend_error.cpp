// The error body of a failed Vertex AI call: whatever the bytes, it decodes
// into a backend error with its description, fit to show, or answers a
// decoding error.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FirebaseVertexAI/BackendError.hpp"
#include "ShownText.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace firebase::vertexai;
  auto error = BackendError::decode(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!error) return 0;
  requireShowable(error->localizedDescription());
  (void)error->isServiceDisabledError();
  return 0;
}
