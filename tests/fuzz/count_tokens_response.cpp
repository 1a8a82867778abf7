// The count-tokens response decoder: whatever the bytes, it answers the
// counts or a decoding error, which says what was wrong and where.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FirebaseVertexAI/CountTokensResponse.hpp"
#include "FirebaseVertexAI/GenerateContentError.hpp"
#include "ShownText.hpp"
#include "SilentLog.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace firebase::vertexai;
  auto response = CountTokensResponse::decode(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!response) {
    (void)response.error()->debugDescription();
    requireShowable(GenerateContentError::internalError(response.error())->localizedDescription());
  }
  return 0;
}
