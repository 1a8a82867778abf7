#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

// Qt-free stand-ins for the three kinds of platform image a caller may hand
// over: a bitmap (CGImage), an image to be rendered (CIImage) and an image
// object that may or may not hold a bitmap (NSImage). They hold pixels only;
// making them from files or toolkits is their producers' business.
namespace platform::imaging {

// How a bitmap's pixels lie in memory, component by component.
enum class PixelFormat {
  gray8,   // one byte of grey
  rgb8,    // red, green, blue bytes
  rgba8,   // red, green, blue and alpha (or padding) bytes
  gray16,  // one 16-bit grey value in the machine's byte order
  rgba16,  // red, green, blue, alpha as 16-bit values in the machine's byte order
};

constexpr std::size_t bytesPerPixel(PixelFormat format) {
  switch (format) {
    case PixelFormat::gray8: return 1;
    case PixelFormat::rgb8: return 3;
    case PixelFormat::rgba8: return 4;
    case PixelFormat::gray16: return 2;
    case PixelFormat::rgba16: return 8;
  }
  return 0;
}

// The colour spaces an image may be rendered in; each decides whether the
// rendering keeps colour or only grey.
enum class CGColorSpace { sRGB, genericGrayGamma2_2 };

// An immutable bitmap. Row r starts at byte r * bytesPerRow; rows may carry
// padding after their pixels. Nothing is checked here: a bitmap may describe
// no pixels at all, or more than its bytes hold, and whoever reads it checks.
// Copies share the bytes.
class CGImage {
 public:
  CGImage(std::size_t width, std::size_t height, std::size_t bytesPerRow, PixelFormat pixelFormat,
          std::vector<std::uint8_t> bytes)
      : width_(width), height_(height), bytesPerRow_(bytesPerRow), pixelFormat_(pixelFormat),
        bytes_(std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes))) {}

  std::size_t width() const { return width_; }
  std::size_t height() const { return height_; }
  std::size_t bytesPerRow() const { return bytesPerRow_; }
  PixelFormat pixelFormat() const { return pixelFormat_; }
  const std::vector<std::uint8_t>& bytes() const { return *bytes_; }

 private:
  std::size_t width_;
  std::size_t height_;
  std::size_t bytesPerRow_;
  PixelFormat pixelFormat_;
  std::shared_ptr<const std::vector<std::uint8_t>> bytes_;
};

// An image to be rendered: its pixels and, when it has one, the colour
// space it is meant to be shown in.
class CIImage {
 public:
  explicit CIImage(CGImage source, std::optional<CGColorSpace> colorSpace = std::nullopt)
      : source_(std::move(source)), colorSpace_(colorSpace) {}

  const CGImage& source() const { return source_; }
  const std::optional<CGColorSpace>& colorSpace() const { return colorSpace_; }

 private:
  CGImage source_;
  std::optional<CGColorSpace> colorSpace_;
};

// An image object, which may have nothing that can be drawn (no
// representation at all, say).
class NSImage {
 public:
  NSImage() = default;
  explicit NSImage(CGImage bitmap) : bitmap_(std::move(bitmap)) {}

  // The bitmap to draw, or null when there is none.
  const CGImage* cgImage() const { return bitmap_ ? &*bitmap_ : nullptr; }

 private:
  std::optional<CGImage> bitmap_;
};

}  // namespace platform::imaging
