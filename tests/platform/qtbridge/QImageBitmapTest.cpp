#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include "FirebaseVertexAI/ImageParts.hpp"
#include "qtbridge/QImageBitmap.hpp"
#include "test_support/TestImages.hpp"

namespace platform::qtbridge {
namespace {

using imaging::CGImage;
using imaging::PixelFormat;

// The bitmap's bytes of the pixel at (x, y).
std::vector<int> pixelAt(const CGImage& bitmap, std::size_t x, std::size_t y) {
  const std::size_t size = imaging::bytesPerPixel(bitmap.pixelFormat());
  const auto* p = bitmap.bytes().data() + y * bitmap.bytesPerRow() + x * size;
  return {p, p + size};
}

struct FormatCase {
  const char* name;
  QImage::Format format;
  QColor color;  // of every pixel
  PixelFormat pixelFormat;
  std::vector<int> pixel;  // what the bitmap holds for it
};

void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }

class QImageBitmapTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(QImageBitmapTest, HoldsTheImagesPixels) {
  const auto& c = GetParam();
  QImage image(5, 3, c.format);
  image.fill(c.color);
  const CGImage bitmap = toCGImage(image);
  EXPECT_EQ(bitmap.width(), 5u);
  EXPECT_EQ(bitmap.height(), 3u);
  EXPECT_EQ(bitmap.pixelFormat(), c.pixelFormat);
  ASSERT_GE(bitmap.bytesPerRow(), 5 * imaging::bytesPerPixel(c.pixelFormat));
  ASSERT_GE(bitmap.bytes().size(), 3 * bitmap.bytesPerRow());
  EXPECT_EQ(pixelAt(bitmap, 0, 0), c.pixel);
  EXPECT_EQ(pixelAt(bitmap, 4, 2), c.pixel);
}

const FormatCase kFormats[] = {
    {"ARGB32", QImage::Format_ARGB32, QColor(10, 20, 30, 255), PixelFormat::rgba8, {10, 20, 30, 255}},
    {"RGB32", QImage::Format_RGB32, QColor(200, 100, 50), PixelFormat::rgba8, {200, 100, 50, 255}},
    {"PremultipliedIsUndone", QImage::Format_ARGB32_Premultiplied, QColor(200, 100, 50, 51), PixelFormat::rgba8,
     {200, 100, 50, 51}},
    {"RGBA8888", QImage::Format_RGBA8888, QColor(1, 2, 3, 4), PixelFormat::rgba8, {1, 2, 3, 4}},
    {"RGB888WithRowPadding", QImage::Format_RGB888, QColor(7, 8, 9), PixelFormat::rgb8, {7, 8, 9}},
    {"Grayscale8WithRowPadding", QImage::Format_Grayscale8, QColor(90, 90, 90), PixelFormat::gray8, {90}},
    {"Grayscale16BecomesEightBit", QImage::Format_Grayscale16, QColor(90, 90, 90), PixelFormat::gray8, {90}},
    {"RGBA64BecomesEightBit", QImage::Format_RGBA64, QColor(7, 8, 9), PixelFormat::rgba8, {7, 8, 9, 255}},
    {"RGB16", QImage::Format_RGB16, QColor(255, 0, 0), PixelFormat::rgba8, {255, 0, 0, 255}},
};

INSTANTIATE_TEST_SUITE_P(Formats, QImageBitmapTest, ::testing::ValuesIn(kFormats),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(QImageBitmapTest, ANullImageHasNoPixels) {
  const CGImage bitmap = toCGImage(QImage());
  EXPECT_EQ(bitmap.width(), 0u);
  EXPECT_EQ(bitmap.height(), 0u);
  EXPECT_TRUE(bitmap.bytes().empty());
}

TEST(QImageBitmapTest, AnImageBecomesOneJPEGPartOfItsPicture) {
  QImage image(60, 45, QImage::Format_ARGB32_Premultiplied);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const auto c = test_support::testColor(x, y, image.width(), image.height());
      image.setPixelColor(x, y, QColor(c.r, c.g, c.b));
    }
  const auto parts = firebase::vertexai::partsValue(toCGImage(image));
  ASSERT_EQ(parts.size(), 1u);
  const auto* part = std::get_if<firebase::vertexai::InlineDataPart>(&parts[0]);
  ASSERT_NE(part, nullptr);
  EXPECT_EQ(part->mimeType(), "image/jpeg");
  const auto jpeg = test_support::decodeJPEG(part->data());
  ASSERT_TRUE(jpeg);
  EXPECT_EQ(jpeg->width, 60u);
  EXPECT_EQ(jpeg->height, 45u);
  EXPECT_LE(test_support::largestDifferenceFromTestPicture(*jpeg, false), test_support::kCloseToTheTestPicture);
}

}  // namespace
}  // namespace platform::qtbridge
