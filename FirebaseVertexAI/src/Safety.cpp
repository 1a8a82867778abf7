#include "FirebaseVertexAI/Safety.hpp"

#include "Decoding.hpp"
#include "FirebaseVertexAI/JSONEncoding.hpp"

namespace firebase::vertexai {

void writeJSON(platform::json::Writer& writer, const SafetySetting& setting) {
  writer.beginObject();
  writeMember(writer, "category", setting.harmCategory);
  writeMember(writer, "threshold", setting.threshold);
  writeMemberIfPresent(writer, "method", setting.method);
  writer.endObject();
}

namespace wire {

SafetyRating readSafetyRating(Decoder& decoder) {
  SafetyRating rating{readProtoEnumOrUnspecified<HarmCategory>(decoder, "category"),
                      readProtoEnumOrUnspecified<SafetyRating::HarmProbability>(decoder, "probability")};
  if (auto value = decoder.ifPresent("probabilityScore")) rating.probabilityScore = value->float32();
  rating.severity = readProtoEnumOrUnspecified<SafetyRating::HarmSeverity>(decoder, "severity");
  if (auto value = decoder.ifPresent("severityScore")) rating.severityScore = value->float32();
  if (auto value = decoder.ifPresent("blocked")) rating.blocked = value->boolean();
  return rating;
}

}  // namespace wire

}  // namespace firebase::vertexai

std::size_t std::hash<firebase::vertexai::SafetyRating>::operator()(
    const firebase::vertexai::SafetyRating& rating) const noexcept {
  // 0.0 and -0.0 are equal, so they hash alike.
  auto score = [](float value) { return std::hash<float>()(value == 0 ? 0.0f : value); };
  std::size_t seed = 0;
  auto combine = [&seed](std::size_t h) { seed ^= h + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2); };
  combine(std::hash<firebase::vertexai::HarmCategory>()(rating.category));
  combine(std::hash<firebase::vertexai::SafetyRating::HarmProbability>()(rating.probability));
  combine(score(rating.probabilityScore));
  combine(std::hash<firebase::vertexai::SafetyRating::HarmSeverity>()(rating.severity));
  combine(score(rating.severityScore));
  combine(std::hash<bool>()(rating.blocked));
  return seed;
}
