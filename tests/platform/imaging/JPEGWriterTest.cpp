#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "imaging/JPEGWriter.hpp"
#include "test_support/TestImages.hpp"

namespace platform::imaging {
namespace {

using test_support::decodeJPEG;
using test_support::largestDifferenceFromTestPicture;
using test_support::testBitmap;

struct EncodingCase {
  const char* name;
  CGImage image;
  JPEGWriteOptions options;
  int components;  // what the JPEG holds
  bool inGrey;     // whether it shows the test picture's grey
};

void PrintTo(const EncodingCase& c, std::ostream* os) { *os << c.name; }

class JPEGWriterEncodingTest : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(JPEGWriterEncodingTest, DecodesAtItsSizeCloseToThePicture) {
  const auto& c = GetParam();
  const auto jpeg = writeJPEG(c.image, c.options);
  ASSERT_TRUE(jpeg);
  const auto decoded = decodeJPEG(*jpeg);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->width, c.image.width());
  EXPECT_EQ(decoded->height, c.image.height());
  EXPECT_EQ(decoded->components, c.components);
  EXPECT_LE(largestDifferenceFromTestPicture(*decoded, c.inGrey), test_support::kCloseToTheTestPicture);
}

const JPEGWriteOptions kQuality80{.quality = 80};

const EncodingCase kEncodingCases[] = {
    {"Gray8", testBitmap(37, 21, PixelFormat::gray8), kQuality80, 1, true},
    {"RGB8", testBitmap(37, 21, PixelFormat::rgb8), kQuality80, 3, false},
    {"RGBA8KeepsColourAndDropsAlpha", testBitmap(37, 21, PixelFormat::rgba8), kQuality80, 3, false},
    {"RowsWithPadding", testBitmap(37, 21, PixelFormat::rgb8, 5), kQuality80, 3, false},
    {"OnePixel", testBitmap(1, 1, PixelFormat::rgba8), kQuality80, 3, false},
    {"OneRowMuchWiderThanABlock", testBitmap(1000, 1, PixelFormat::gray8), kQuality80, 1, true},
    {"LargerThanTheFirstOutputBuffer", testBitmap(600, 400, PixelFormat::rgb8), kQuality80, 3, false},
    {"GreyRenderedInColour", testBitmap(37, 21, PixelFormat::gray8),
     {.quality = 80, .colorSpace = CGColorSpace::sRGB}, 3, true},
    {"ColourRenderedInGrey", testBitmap(37, 21, PixelFormat::rgba8),
     {.quality = 80, .colorSpace = CGColorSpace::genericGrayGamma2_2}, 1, true},
    {"ColourRenderedInColour", testBitmap(37, 21, PixelFormat::rgb8), {.quality = 80, .colorSpace = CGColorSpace::sRGB},
     3, false},
};

INSTANTIATE_TEST_SUITE_P(Formats, JPEGWriterEncodingTest, ::testing::ValuesIn(kEncodingCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(JPEGWriterTest, TheQualityIsTheEncodersOrTheOneAskedFor) {
  const CGImage image = testBitmap(16, 16, PixelFormat::rgb8);
  for (const std::optional<int> quality : {std::optional<int>(), std::optional<int>(80), std::optional<int>(100)}) {
    const auto decoded = decodeJPEG(writeJPEG(image, {.quality = quality}).value());
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->luminanceDCQuantizer, test_support::standardLuminanceDCQuantizer(quality.value_or(75)))
        << quality.value_or(-1);
  }
}

struct RefusalCase {
  const char* name;
  CGImage image;
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

class JPEGWriterRefusalTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(JPEGWriterRefusalTest, CannotEncode) {
  const auto jpeg = writeJPEG(GetParam().image);
  ASSERT_FALSE(jpeg);
  EXPECT_EQ(jpeg.error(), JPEGWriteError::couldNotEncode);
}

CGImage withBytes(std::size_t width, std::size_t height, std::size_t bytesPerRow, std::size_t byteCount) {
  return CGImage(width, height, bytesPerRow, PixelFormat::rgb8, std::vector<std::uint8_t>(byteCount, 0x80));
}

const RefusalCase kRefusals[] = {
    {"NoPixels", CGImage(0, 0, 0, PixelFormat::rgba8, {})},
    {"NoWidth", withBytes(0, 4, 12, 48)},
    {"NoHeight", withBytes(4, 0, 12, 48)},
    {"Gray16", testBitmap(8, 8, PixelFormat::gray16)},
    {"RGBA16", testBitmap(8, 8, PixelFormat::rgba16)},
    {"BytesEndBeforeTheLastRow", withBytes(4, 4, 12, 47)},
    {"NoBytesAtAll", withBytes(4, 4, 12, 0)},
    {"RowStrideShorterThanARow", withBytes(4, 4, 11, 48)},
    {"RowStrideThatOverflows", withBytes(4, 3, std::numeric_limits<std::size_t>::max() / 2 + 1, 48)},
    {"WiderThanAJPEGMayBe", withBytes(65501, 1, 65501 * 3, 65501 * 3)},
    {"TallerThanAJPEGMayBe", withBytes(1, 65501, 3, 65501 * 3)},
};

INSTANTIATE_TEST_SUITE_P(Bitmaps, JPEGWriterRefusalTest, ::testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(JPEGWriterTest, TheLastRowNeedsNoPadding) {
  // Three rows of 12 bytes with a 16-byte stride: 16 + 16 + 12 bytes.
  const auto jpeg = writeJPEG(withBytes(4, 3, 16, 44));
  ASSERT_TRUE(jpeg);
  EXPECT_TRUE(decodeJPEG(*jpeg));
}

}  // namespace
}  // namespace platform::imaging
