#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FirebaseVertexAI/ProtoEnum.hpp"
#include "FirebaseVertexAI/Schema.hpp"
#include "foundation/JsonWriter.hpp"

namespace firebase::vertexai {

// A kind of output a caller may ask the model for.
class ResponseModality : public ProtoEnum<ResponseModality> {
 public:
  enum class Kind { text, image };
  static constexpr std::array<std::string_view, 2> kRawValues = {"TEXT", "IMAGE"};
  using ProtoEnum::ProtoEnum;
  static const ResponseModality text;
  static const ResponseModality image;
};

inline const ResponseModality ResponseModality::text{Kind::text};
inline const ResponseModality ResponseModality::image{Kind::image};

// Sampling and output settings a model sends with every request. Each is
// sent only when set; nothing is checked here, the service judges the values.
struct GenerationConfig {
  std::optional<float> temperature = std::nullopt;
  std::optional<float> topP = std::nullopt;
  std::optional<std::int64_t> topK = std::nullopt;
  std::optional<std::int64_t> candidateCount = std::nullopt;
  std::optional<std::int64_t> maxOutputTokens = std::nullopt;
  std::optional<float> presencePenalty = std::nullopt;
  std::optional<float> frequencyPenalty = std::nullopt;
  std::optional<std::vector<std::string>> stopSequences = std::nullopt;
  std::optional<std::string> responseMIMEType = std::nullopt;  // sent as "responseMimeType"
  SchemaPtr responseSchema = nullptr;  // absent when null
  std::optional<std::vector<ResponseModality>> responseModalities = std::nullopt;
};

void writeJSON(platform::json::Writer& writer, const GenerationConfig& config);

}  // namespace firebase::vertexai
