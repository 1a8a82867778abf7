#include "FirebaseVertexAI/TokenCounts.hpp"

#include "Decoding.hpp"

namespace firebase::vertexai::wire {

ModalityTokenCount readModalityTokenCount(Decoder& decoder) {
  auto modality = decoder.required("modality");
  ContentModality contentModality = readProtoEnum<ContentModality>(modality);
  return {std::move(contentModality), decoder.required("tokenCount").int64()};
}

}  // namespace firebase::vertexai::wire
