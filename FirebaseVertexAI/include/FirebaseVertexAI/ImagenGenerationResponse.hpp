#pragma once

#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FirebaseVertexAI/Part.hpp"
#include "foundation/Error.hpp"

namespace firebase::vertexai {

// A generated image carried in the response: its type and bytes ("mimeType",
// "bytesBase64Encoded"). Decoding the bytes into a picture is the caller's.
struct ImagenInlineImage {
  std::string mimeType;
  Bytes data;
  bool operator==(const ImagenInlineImage&) const = default;
};

// A generated image the service wrote to storage ("mimeType", "gcsUri").
struct ImagenGCSImage {
  std::string mimeType;
  std::string gcsURI;
  bool operator==(const ImagenGCSImage&) const = default;
};

// The images of one generation and, when the service filtered some out, its
// reasons joined by "\n".
template <typename ImageType>
struct ImagenGenerationResponse {
  std::vector<ImageType> images;
  std::optional<std::string> filteredReason;

  bool operator==(const ImagenGenerationResponse&) const = default;

  // Reads "predictions" in order: a prediction with every key of the image
  // type is an image, and one that does not read as an image (Base64 that
  // does not decode, say) fails the response, naming its index; one with a
  // text "raiFilteredReason" is a filter reason; any other object is skipped
  // with a warning. No images and no reasons is a decoding error; reasons
  // without images an ImagenImagesBlockedError.
  static std::expected<ImagenGenerationResponse, platform::ErrorPtr> decode(std::string_view json);
};

extern template struct ImagenGenerationResponse<ImagenInlineImage>;
extern template struct ImagenGenerationResponse<ImagenGCSImage>;

// Every image of a generation was filtered out; the message holds the
// service's reasons.
class ImagenImagesBlockedError final : public platform::Error {
 public:
  static constexpr const char* kDomain = "com.google.firebase.vertexai.Imagen";
  static constexpr long kCode = 1000;

  explicit ImagenImagesBlockedError(std::string message) : message_(std::move(message)) {}

  const std::string& message() const { return message_; }

  std::string domain() const override { return kDomain; }
  long code() const override { return kCode; }
  // The reasons as the server gave them, made safe to show (see quotedServerText).
  std::string localizedDescription() const override;

 private:
  std::string message_;
};

}  // namespace firebase::vertexai
