// The body of a streamed Vertex AI reply, as it arrives in pieces: whatever
// the bytes and however they are cut, the reader hands over decoded responses
// or ends with an error that can be told to a person, keeping no more than
// its line limit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "FirebaseVertexAI/BackendError.hpp"
#include "FirebaseVertexAI/EventStreamReader.hpp"
#include "FirebaseVertexAI/GenerateContentError.hpp"
#include "ShownText.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace firebase::vertexai;
  if (size == 0) return 0;
  // The first byte chooses the size of the pieces; a small limit lets long
  // lines reach it.
  const std::size_t pieceSize = 1 + data[0] % 64;
  constexpr std::size_t kLineLimit = 4096;
  std::string_view body(reinterpret_cast<const char*>(data + 1), size - 1);
  EventStreamReader reader(kLineLimit, BackendError::errorFromBody);
  auto take = [](GenerateContentResponse response) { (void)response.text(); };
  platform::ErrorPtr end;
  for (std::size_t at = 0; at < body.size() && !end; at += pieceSize) end = reader.read(body.substr(at, pieceSize), take);
  if (!end) end = reader.finish(take);
  if (end) requireShowable(GenerateContentError::internalError(end)->localizedDescription());
  if (reader.lines().peakBufferedBytes() > kLineLimit || reader.extraText().size() > kLineLimit) std::abort();
  return 0;
}
