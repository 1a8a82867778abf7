#pragma once

#include <vector>

#include "FirebaseVertexAI/Part.hpp"
#include "foundation/Error.hpp"
#include "imaging/Images.hpp"

namespace firebase::vertexai {

// Why an image could not become a part. It has no texts of its own: as an
// error object it has what an error enumeration gets by default.
class ImageConversionError final : public platform::Error {
 public:
  static constexpr const char* kDomain = "FirebaseVertexAI.ImageConversionError";
  enum class Kind {
    invalidUnderlyingImage,       // the image has no bitmap that can be drawn
    couldNotAllocateDestination,  // no JPEG output could be set up
    couldNotConvertToJPEG,        // the JPEG encoding itself failed
  };

  explicit ImageConversionError(Kind kind) : kind_(kind) {}

  Kind kind() const { return kind_; }
  bool operator==(const ImageConversionError& other) const { return kind_ == other.kind_; }

  std::string domain() const override { return kDomain; }
  long code() const override { return static_cast<long>(kind_); }
  std::string localizedDescription() const override;

 private:
  Kind kind_;
};

// Each image kind as exactly one part: its JPEG bytes as inline data with
// the type "image/jpeg", or, when the conversion fails, an error part
// carrying an ImageConversionError (a request holding it fails before it is
// sent). The image is encoded at its own size, afresh on every call.

// At quality 80; a bitmap the encoder cannot take gives
// couldNotConvertToJPEG.
std::vector<Part> partsValue(const platform::imaging::CGImage& image);
// Rendered in the image's colour space, or in sRGB when it has none, at the
// encoder's default quality; any failure gives couldNotConvertToJPEG.
std::vector<Part> partsValue(const platform::imaging::CIImage& image);
// Its bitmap at quality 80; no bitmap gives invalidUnderlyingImage, any other
// failure couldNotConvertToJPEG.
std::vector<Part> partsValue(const platform::imaging::NSImage& image);

}  // namespace firebase::vertexai
