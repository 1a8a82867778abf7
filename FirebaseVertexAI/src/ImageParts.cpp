#include "FirebaseVertexAI/ImageParts.hpp"

#include "DefaultErrorDescription.hpp"
#include "imaging/JPEGWriter.hpp"

namespace firebase::vertexai {
namespace {

using platform::imaging::JPEGWriteError;
using platform::imaging::JPEGWriteOptions;

constexpr int kJPEGQuality = 80;

std::vector<Part> errorPart(ImageConversionError::Kind kind) {
  return {ErrorPart(std::make_shared<ImageConversionError>(kind))};
}

std::vector<Part> jpegPart(std::vector<std::uint8_t> jpeg) { return {InlineDataPart(std::move(jpeg), "image/jpeg")}; }

// Encoders that report only that they failed.
std::vector<Part> jpegPartOrConversionError(const platform::imaging::CGImage& image, const JPEGWriteOptions& options) {
  auto jpeg = platform::imaging::writeJPEG(image, options);
  if (!jpeg) return errorPart(ImageConversionError::Kind::couldNotConvertToJPEG);
  return jpegPart(std::move(*jpeg));
}

}  // namespace

std::string ImageConversionError::localizedDescription() const { return defaultErrorDescription(kDomain, code()); }

std::vector<Part> partsValue(const platform::imaging::CGImage& image) {
  auto jpeg = platform::imaging::writeJPEG(image, {.quality = kJPEGQuality});
  if (jpeg) return jpegPart(std::move(*jpeg));
  return errorPart(jpeg.error() == JPEGWriteError::couldNotCreateDestination
                       ? ImageConversionError::Kind::couldNotAllocateDestination
                       : ImageConversionError::Kind::couldNotConvertToJPEG);
}

std::vector<Part> partsValue(const platform::imaging::CIImage& image) {
  return jpegPartOrConversionError(image.source(),
                                   {.colorSpace = image.colorSpace().value_or(platform::imaging::CGColorSpace::sRGB)});
}

std::vector<Part> partsValue(const platform::imaging::NSImage& image) {
  const auto* bitmap = image.cgImage();
  if (!bitmap) return errorPart(ImageConversionError::Kind::invalidUnderlyingImage);
  return jpegPartOrConversionError(*bitmap, {.quality = kJPEGQuality});
}

PartsRepresentable::PartsRepresentable(const platform::imaging::CGImage& image) : parts_(vertexai::partsValue(image)) {}
PartsRepresentable::PartsRepresentable(const platform::imaging::CIImage& image) : parts_(vertexai::partsValue(image)) {}
PartsRepresentable::PartsRepresentable(const platform::imaging::NSImage& image) : parts_(vertexai::partsValue(image)) {}

}  // namespace firebase::vertexai
