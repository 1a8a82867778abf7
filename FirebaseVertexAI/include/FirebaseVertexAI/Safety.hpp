#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "FirebaseVertexAI/ProtoEnum.hpp"
#include "FirebaseVertexAI/VertexLog.hpp"
#include "foundation/JsonWriter.hpp"

namespace firebase::vertexai {

class HarmCategory : public ProtoEnum<HarmCategory> {
 public:
  enum class Kind { harassment, hateSpeech, sexuallyExplicit, dangerousContent, civicIntegrity };
  static constexpr std::array<std::string_view, 5> kRawValues = {
      "HARM_CATEGORY_HARASSMENT", "HARM_CATEGORY_HATE_SPEECH", "HARM_CATEGORY_SEXUALLY_EXPLICIT",
      "HARM_CATEGORY_DANGEROUS_CONTENT", "HARM_CATEGORY_CIVIC_INTEGRITY"};
  static constexpr std::string_view kTypeName = "HarmCategory";
  static constexpr VertexLogMessageCode kUnrecognizedCode =
      VertexLogMessageCode::generateContentResponseUnrecognizedHarmCategory;
  static constexpr std::string_view kUnspecifiedRawValue = "HARM_CATEGORY_UNSPECIFIED";
  using ProtoEnum::ProtoEnum;
  static const HarmCategory harassment;
  static const HarmCategory hateSpeech;
  static const HarmCategory sexuallyExplicit;
  static const HarmCategory dangerousContent;
  static const HarmCategory civicIntegrity;
};

inline const HarmCategory HarmCategory::harassment{Kind::harassment};
inline const HarmCategory HarmCategory::hateSpeech{Kind::hateSpeech};
inline const HarmCategory HarmCategory::sexuallyExplicit{Kind::sexuallyExplicit};
inline const HarmCategory HarmCategory::dangerousContent{Kind::dangerousContent};
inline const HarmCategory HarmCategory::civicIntegrity{Kind::civicIntegrity};

// The service's rating of one harm category for a prompt or a candidate.
struct SafetyRating {
  class HarmProbability : public ProtoEnum<HarmProbability> {
   public:
    enum class Kind { negligible, low, medium, high };
    static constexpr std::array<std::string_view, 4> kRawValues = {"NEGLIGIBLE", "LOW", "MEDIUM", "HIGH"};
    static constexpr std::string_view kTypeName = "HarmProbability";
    static constexpr VertexLogMessageCode kUnrecognizedCode =
        VertexLogMessageCode::generateContentResponseUnrecognizedHarmProbability;
    static constexpr std::string_view kUnspecifiedRawValue = "HARM_PROBABILITY_UNSPECIFIED";
    using ProtoEnum::ProtoEnum;
    static const HarmProbability negligible;
    static const HarmProbability low;
    static const HarmProbability medium;
    static const HarmProbability high;
  };

  class HarmSeverity : public ProtoEnum<HarmSeverity> {
   public:
    enum class Kind { negligible, low, medium, high };
    static constexpr std::array<std::string_view, 4> kRawValues = {
        "HARM_SEVERITY_NEGLIGIBLE", "HARM_SEVERITY_LOW", "HARM_SEVERITY_MEDIUM", "HARM_SEVERITY_HIGH"};
    static constexpr std::string_view kTypeName = "HarmSeverity";
    static constexpr VertexLogMessageCode kUnrecognizedCode =
        VertexLogMessageCode::generateContentResponseUnrecognizedHarmSeverity;
    static constexpr std::string_view kUnspecifiedRawValue = "HARM_SEVERITY_UNSPECIFIED";
    using ProtoEnum::ProtoEnum;
    static const HarmSeverity negligible;
    static const HarmSeverity low;
    static const HarmSeverity medium;
    static const HarmSeverity high;
  };

  HarmCategory category;
  HarmProbability probability;
  float probabilityScore = 0;
  HarmSeverity severity{std::string(HarmSeverity::kUnspecifiedRawValue)};
  float severityScore = 0;
  bool blocked = false;

  bool operator==(const SafetyRating&) const = default;
};

inline const SafetyRating::HarmProbability SafetyRating::HarmProbability::negligible{Kind::negligible};
inline const SafetyRating::HarmProbability SafetyRating::HarmProbability::low{Kind::low};
inline const SafetyRating::HarmProbability SafetyRating::HarmProbability::medium{Kind::medium};
inline const SafetyRating::HarmProbability SafetyRating::HarmProbability::high{Kind::high};
inline const SafetyRating::HarmSeverity SafetyRating::HarmSeverity::negligible{Kind::negligible};
inline const SafetyRating::HarmSeverity SafetyRating::HarmSeverity::low{Kind::low};
inline const SafetyRating::HarmSeverity SafetyRating::HarmSeverity::medium{Kind::medium};
inline const SafetyRating::HarmSeverity SafetyRating::HarmSeverity::high{Kind::high};

// A caller's blocking threshold for one harm category, sent with requests.
struct SafetySetting {
  class HarmBlockThreshold : public ProtoEnum<HarmBlockThreshold> {
   public:
    enum class Kind { blockLowAndAbove, blockMediumAndAbove, blockOnlyHigh, blockNone, off };
    static constexpr std::array<std::string_view, 5> kRawValues = {
        "BLOCK_LOW_AND_ABOVE", "BLOCK_MEDIUM_AND_ABOVE", "BLOCK_ONLY_HIGH", "BLOCK_NONE", "OFF"};
    using ProtoEnum::ProtoEnum;
    static const HarmBlockThreshold blockLowAndAbove;
    static const HarmBlockThreshold blockMediumAndAbove;
    static const HarmBlockThreshold blockOnlyHigh;
    static const HarmBlockThreshold blockNone;
    static const HarmBlockThreshold off;
  };

  class HarmBlockMethod : public ProtoEnum<HarmBlockMethod> {
   public:
    enum class Kind { severity, probability };
    static constexpr std::array<std::string_view, 2> kRawValues = {"SEVERITY", "PROBABILITY"};
    using ProtoEnum::ProtoEnum;
    static const HarmBlockMethod severity;
    static const HarmBlockMethod probability;
  };

  HarmCategory harmCategory;  // sent as "category"
  HarmBlockThreshold threshold;
  std::optional<HarmBlockMethod> method = std::nullopt;
};

inline const SafetySetting::HarmBlockThreshold SafetySetting::HarmBlockThreshold::blockLowAndAbove{
    Kind::blockLowAndAbove};
inline const SafetySetting::HarmBlockThreshold SafetySetting::HarmBlockThreshold::blockMediumAndAbove{
    Kind::blockMediumAndAbove};
inline const SafetySetting::HarmBlockThreshold SafetySetting::HarmBlockThreshold::blockOnlyHigh{Kind::blockOnlyHigh};
inline const SafetySetting::HarmBlockThreshold SafetySetting::HarmBlockThreshold::blockNone{Kind::blockNone};
inline const SafetySetting::HarmBlockThreshold SafetySetting::HarmBlockThreshold::off{Kind::off};
inline const SafetySetting::HarmBlockMethod SafetySetting::HarmBlockMethod::severity{Kind::severity};
inline const SafetySetting::HarmBlockMethod SafetySetting::HarmBlockMethod::probability{Kind::probability};

void writeJSON(platform::json::Writer& writer, const SafetySetting& setting);

}  // namespace firebase::vertexai

template <>
struct std::hash<firebase::vertexai::SafetyRating> {
  std::size_t operator()(const firebase::vertexai::SafetyRating& rating) const noexcept;
};
