#include "qtbridge/QImageBitmap.hpp"

#include <QImage>

namespace platform::qtbridge {
namespace {

using platform::imaging::PixelFormat;

// The bitmap format that holds the image's pixels as they are, when there is
// one; otherwise the image is converted first.
QImage::Format nearestBitmapFormat(QImage::Format format) {
  switch (format) {
    case QImage::Format_Grayscale8:
    case QImage::Format_Grayscale16: return QImage::Format_Grayscale8;
    case QImage::Format_RGB888: return QImage::Format_RGB888;
    case QImage::Format_RGBX8888: return QImage::Format_RGBX8888;
    default: return QImage::Format_RGBA8888;
  }
}

PixelFormat pixelFormatOf(QImage::Format format) {
  switch (format) {
    case QImage::Format_Grayscale8: return PixelFormat::gray8;
    case QImage::Format_RGB888: return PixelFormat::rgb8;
    default: return PixelFormat::rgba8;
  }
}

}  // namespace

platform::imaging::CGImage toCGImage(const QImage& image) {
  if (image.isNull()) return {0, 0, 0, PixelFormat::rgba8, {}};
  const QImage::Format format = nearestBitmapFormat(image.format());
  const QImage pixels = image.format() == format ? image : image.convertToFormat(format);
  const uchar* bytes = pixels.constBits();
  return {static_cast<std::size_t>(pixels.width()), static_cast<std::size_t>(pixels.height()),
          static_cast<std::size_t>(pixels.bytesPerLine()), pixelFormatOf(format),
          std::vector<std::uint8_t>(bytes, bytes + pixels.sizeInBytes())};
}

}  // namespace platform::qtbridge
