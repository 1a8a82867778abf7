#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "FirebaseVertexAI/ProtoEnum.hpp"

// What a caller may set for image generation; every setting is optional and
// sent only when set.
namespace firebase::vertexai {

class ImagenAspectRatio : public ProtoEnum<ImagenAspectRatio> {
 public:
  enum class Kind { square1x1, portrait9x16, landscape16x9, portrait3x4, landscape4x3 };
  static constexpr std::array<std::string_view, 5> kRawValues = {"1:1", "9:16", "16:9", "3:4", "4:3"};
  using ProtoEnum::ProtoEnum;
  static const ImagenAspectRatio square1x1;
  static const ImagenAspectRatio portrait9x16;
  static const ImagenAspectRatio landscape16x9;
  static const ImagenAspectRatio portrait3x4;
  static const ImagenAspectRatio landscape4x3;
};

inline const ImagenAspectRatio ImagenAspectRatio::square1x1{Kind::square1x1};
inline const ImagenAspectRatio ImagenAspectRatio::portrait9x16{Kind::portrait9x16};
inline const ImagenAspectRatio ImagenAspectRatio::landscape16x9{Kind::landscape16x9};
inline const ImagenAspectRatio ImagenAspectRatio::portrait3x4{Kind::portrait3x4};
inline const ImagenAspectRatio ImagenAspectRatio::landscape4x3{Kind::landscape4x3};

// The type the images come back in.
struct ImagenImageFormat {
  std::string mimeType;
  std::optional<std::int64_t> compressionQuality;

  static ImagenImageFormat png();
  // A quality outside 0 to 100 is logged as a warning and sent all the same.
  static ImagenImageFormat jpeg(std::optional<std::int64_t> compressionQuality = std::nullopt);

  bool operator==(const ImagenImageFormat&) const = default;
};

struct ImagenGenerationConfig {
  std::optional<std::string> negativePrompt = std::nullopt;
  std::optional<std::int64_t> numberOfImages = std::nullopt;
  std::optional<ImagenAspectRatio> aspectRatio = std::nullopt;
  std::optional<ImagenImageFormat> imageFormat = std::nullopt;
  std::optional<bool> addWatermark = std::nullopt;

  bool operator==(const ImagenGenerationConfig&) const = default;
};

class ImagenSafetyFilterLevel : public ProtoEnum<ImagenSafetyFilterLevel> {
 public:
  enum class Kind { blockLowAndAbove, blockMediumAndAbove, blockOnlyHigh, blockNone };
  static constexpr std::array<std::string_view, 4> kRawValues = {"block_low_and_above", "block_medium_and_above",
                                                                 "block_only_high", "block_none"};
  using ProtoEnum::ProtoEnum;
  static const ImagenSafetyFilterLevel blockLowAndAbove;
  static const ImagenSafetyFilterLevel blockMediumAndAbove;
  static const ImagenSafetyFilterLevel blockOnlyHigh;
  static const ImagenSafetyFilterLevel blockNone;
};

inline const ImagenSafetyFilterLevel ImagenSafetyFilterLevel::blockLowAndAbove{Kind::blockLowAndAbove};
inline const ImagenSafetyFilterLevel ImagenSafetyFilterLevel::blockMediumAndAbove{Kind::blockMediumAndAbove};
inline const ImagenSafetyFilterLevel ImagenSafetyFilterLevel::blockOnlyHigh{Kind::blockOnlyHigh};
inline const ImagenSafetyFilterLevel ImagenSafetyFilterLevel::blockNone{Kind::blockNone};

class ImagenPersonFilterLevel : public ProtoEnum<ImagenPersonFilterLevel> {
 public:
  enum class Kind { blockAll, allowAdult, allowAll };
  static constexpr std::array<std::string_view, 3> kRawValues = {"dont_allow", "allow_adult", "allow_all"};
  using ProtoEnum::ProtoEnum;
  static const ImagenPersonFilterLevel blockAll;
  static const ImagenPersonFilterLevel allowAdult;
  static const ImagenPersonFilterLevel allowAll;
};

inline const ImagenPersonFilterLevel ImagenPersonFilterLevel::blockAll{Kind::blockAll};
inline const ImagenPersonFilterLevel ImagenPersonFilterLevel::allowAdult{Kind::allowAdult};
inline const ImagenPersonFilterLevel ImagenPersonFilterLevel::allowAll{Kind::allowAll};

struct ImagenSafetySettings {
  std::optional<ImagenSafetyFilterLevel> safetyFilterLevel = std::nullopt;
  std::optional<ImagenPersonFilterLevel> personFilterLevel = std::nullopt;

  bool operator==(const ImagenSafetySettings&) const = default;
};

}  // namespace firebase::vertexai
