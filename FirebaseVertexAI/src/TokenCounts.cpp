#include "FirebaseVertexAI/TokenCounts.hpp"

#include "Decoding.hpp"

namespace firebase::vertexai::wire {

ModalityTokenCount readModalityTokenCount(Decoder& decoder) {
  ContentModality modality = readProtoEnumOrUnspecified<ContentModality>(decoder, "modality");
  return {std::move(modality), readCount(decoder, "tokenCount")};
}

std::vector<ModalityTokenCount> readTokenCounts(const Decoder& decoder, std::string_view key) {
  auto counts = decoder.ifPresent(key);
  return counts ? counts->array(readModalityTokenCount) : std::vector<ModalityTokenCount>{};
}

std::int64_t readCount(const Decoder& decoder, std::string_view key) {
  auto count = decoder.ifPresent(key);
  return count ? count->int64() : 0;
}

std::string readText(const Decoder& decoder, std::string_view key) {
  auto text = decoder.ifPresent(key);
  return text ? text->string() : std::string();
}

}  // namespace firebase::vertexai::wire
