#include "FirebaseVertexAI/GenerationConfig.hpp"

#include "FirebaseVertexAI/JSONEncoding.hpp"

namespace firebase::vertexai {

void writeJSON(platform::json::Writer& writer, const GenerationConfig& config) {
  writer.beginObject();
  writeMemberIfPresent(writer, "temperature", config.temperature);
  writeMemberIfPresent(writer, "topP", config.topP);
  writeMemberIfPresent(writer, "topK", config.topK);
  writeMemberIfPresent(writer, "candidateCount", config.candidateCount);
  writeMemberIfPresent(writer, "maxOutputTokens", config.maxOutputTokens);
  writeMemberIfPresent(writer, "presencePenalty", config.presencePenalty);
  writeMemberIfPresent(writer, "frequencyPenalty", config.frequencyPenalty);
  writeMemberIfPresent(writer, "stopSequences", config.stopSequences);
  writeMemberIfPresent(writer, "responseMimeType", config.responseMIMEType);
  if (config.responseSchema) writeMember(writer, "responseSchema", config.responseSchema);
  writeMemberIfPresent(writer, "responseModalities", config.responseModalities);
  writer.endObject();
}

}  // namespace firebase::vertexai
