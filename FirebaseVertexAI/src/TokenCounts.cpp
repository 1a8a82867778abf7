#include "FirebaseVertexAI/TokenCounts.hpp"

#include "Decoding.hpp"

namespace firebase::vertexai::wire {

ModalityTokenCount readModalityTokenCount(Decoder& decoder) {
  auto modality = decoder.required("modality");
  ContentModality contentModality = readProtoEnum<ContentModality>(modality);
  return {std::move(contentModality), decoder.required("tokenCount").int64()};
}

std::vector<ModalityTokenCount> readTokenCounts(const Decoder& decoder, std::string_view key) {
  auto counts = decoder.ifPresent(key);
  return counts ? counts->array(readModalityTokenCount) : std::vector<ModalityTokenCount>{};
}

std::int64_t readCount(const Decoder& decoder, std::string_view key) {
  auto count = decoder.ifPresent(key);
  return count ? count->int64() : 0;
}

}  // namespace firebase::vertexai::wire
