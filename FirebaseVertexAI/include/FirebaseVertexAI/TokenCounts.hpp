#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "FirebaseVertexAI/ProtoEnum.hpp"
#include "FirebaseVertexAI/VertexLog.hpp"

namespace firebase::vertexai {

// A kind of content that tokens are counted for.
class ContentModality : public ProtoEnum<ContentModality> {
 public:
  enum class Kind { text, image, video, audio, document };
  static constexpr std::array<std::string_view, 5> kRawValues = {"TEXT", "IMAGE", "VIDEO", "AUDIO", "DOCUMENT"};
  static constexpr std::string_view kTypeName = "ContentModality";
  static constexpr VertexLogMessageCode kUnrecognizedCode =
      VertexLogMessageCode::generateContentResponseUnrecognizedContentModality;
  static constexpr std::string_view kUnspecifiedRawValue = "MODALITY_UNSPECIFIED";
  using ProtoEnum::ProtoEnum;
  static const ContentModality text;
  static const ContentModality image;
  static const ContentModality video;
  static const ContentModality audio;
  static const ContentModality document;
};

inline const ContentModality ContentModality::text{Kind::text};
inline const ContentModality ContentModality::image{Kind::image};
inline const ContentModality ContentModality::video{Kind::video};
inline const ContentModality ContentModality::audio{Kind::audio};
inline const ContentModality ContentModality::document{Kind::document};

// The tokens of one modality, in usage metadata.
struct ModalityTokenCount {
  ContentModality modality;
  std::int64_t tokenCount;
  bool operator==(const ModalityTokenCount&) const = default;
};

}  // namespace firebase::vertexai
