#include "FirebaseVertexAI/ImagenGenerationResponse.hpp"

#include <algorithm>
#include <array>
#include <type_traits>
#include <variant>

#include "Decoding.hpp"
#include "QuotedServerText.hpp"
#include "foundation/Base64.hpp"

namespace firebase::vertexai {
namespace {

using wire::Decoder;

template <typename ImageType>
constexpr std::array<std::string_view, 2> kImageKeys{};
template <>
constexpr std::array<std::string_view, 2> kImageKeys<ImagenInlineImage> = {"mimeType", "bytesBase64Encoded"};
template <>
constexpr std::array<std::string_view, 2> kImageKeys<ImagenGCSImage> = {"mimeType", "gcsUri"};

ImagenInlineImage readImage(Decoder& decoder, std::type_identity<ImagenInlineImage>) {
  ImagenInlineImage image;
  image.mimeType = decoder.required("mimeType").string();
  auto encoded = decoder.required("bytesBase64Encoded");
  auto bytes = platform::base64::decode(encoded.string());
  // Without the string: it is the server's, raw, and may be megabytes long.
  if (!bytes) encoded.failDataCorrupted("Failed to decode data from base64-encoded string.");
  image.data = std::move(*bytes);
  return image;
}

ImagenGCSImage readImage(Decoder& decoder, std::type_identity<ImagenGCSImage>) {
  ImagenGCSImage image;
  image.mimeType = decoder.required("mimeType").string();
  image.gcsURI = decoder.required("gcsUri").string();
  return image;
}

struct FilterReason {
  std::string text;
};
struct Unsupported {};

template <typename ImageType>
using Prediction = std::variant<ImageType, FilterReason, Unsupported>;

// Reading a value takes its strings out of the document, so the keys decide
// first how a prediction is read, and it is read once.
template <typename ImageType>
Prediction<ImageType> readPrediction(Decoder& prediction) {
  const auto& value = prediction.value();
  if (!value.is_object()) prediction.failDataCorrupted("Failed to decode Prediction.");
  if (std::ranges::all_of(kImageKeys<ImageType>, [&](std::string_view key) { return value.contains(key); }))
    return readImage(prediction, std::type_identity<ImageType>{});
  if (const auto* reason = platform::json::member(value, "raiFilteredReason"); reason && reason->is_string())
    return FilterReason{prediction.required("raiFilteredReason").string()};
  if (vertexAIWouldLog(kGULLoggerLevelWarning))
    logVertexAI(kGULLoggerLevelWarning, VertexLogMessageCode::decodedUnsupportedImagenPredictionType,
                "Ignoring unsupported Imagen prediction: " + platform::json::serialize(value).value_or("{}"));
  return Unsupported{};
}

template <typename ImageType>
ImagenGenerationResponse<ImageType> readResponse(Decoder& decoder) {
  auto predictions = decoder.required("predictions");
  ImagenGenerationResponse<ImageType> response;
  std::vector<std::string> reasons;
  for (auto& prediction : predictions.array(readPrediction<ImageType>)) {
    if (auto* image = std::get_if<ImageType>(&prediction)) response.images.push_back(std::move(*image));
    if (auto* reason = std::get_if<FilterReason>(&prediction)) reasons.push_back(std::move(reason->text));
  }
  std::string joined;
  for (std::size_t i = 0; i < reasons.size(); ++i) joined += (i == 0 ? "" : "\n") + reasons[i];
  if (response.images.empty() && reasons.empty())
    predictions.failDataCorrupted("No images or filtered reasons in response.");
  if (response.images.empty()) Decoder::fail(std::make_shared<ImagenImagesBlockedError>(joined));
  if (!joined.empty()) response.filteredReason = std::move(joined);
  return response;
}

}  // namespace

template <typename ImageType>
std::expected<ImagenGenerationResponse<ImageType>, platform::ErrorPtr> ImagenGenerationResponse<ImageType>::decode(
    std::string_view json) {
  return platform::json::decodeDocument(json, readResponse<ImageType>);
}

std::string ImagenImagesBlockedError::localizedDescription() const { return quotedServerText(message_, message_.size()); }

template struct ImagenGenerationResponse<ImagenInlineImage>;
template struct ImagenGenerationResponse<ImagenGCSImage>;

}  // namespace firebase::vertexai
