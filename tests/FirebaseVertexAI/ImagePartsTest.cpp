#include <gtest/gtest.h>

#include <functional>

#include "FirebaseVertexAI/ImageParts.hpp"
#include "FirebaseVertexAI/ModelContent.hpp"
#include "test_support/TestImages.hpp"

namespace firebase::vertexai {
namespace {

using platform::imaging::CGColorSpace;
using platform::imaging::CGImage;
using platform::imaging::CIImage;
using platform::imaging::NSImage;
using platform::imaging::PixelFormat;
using test_support::testBitmap;

struct ConvertedCase {
  const char* name;
  std::function<std::vector<Part>()> convert;
  std::size_t width, height;
  int components;
  bool inGrey;
  int quality;  // what the JPEG was encoded at
};

void PrintTo(const ConvertedCase& c, std::ostream* os) { *os << c.name; }

class ImagePartTest : public ::testing::TestWithParam<ConvertedCase> {};

TEST_P(ImagePartTest, IsOneJPEGOfTheImage) {
  const auto& c = GetParam();
  const auto parts = c.convert();
  ASSERT_EQ(parts.size(), 1u);
  const auto* part = std::get_if<InlineDataPart>(&parts[0]);
  ASSERT_NE(part, nullptr);
  EXPECT_EQ(part->mimeType(), "image/jpeg");
  const auto jpeg = test_support::decodeJPEG(part->data());
  ASSERT_TRUE(jpeg);
  EXPECT_EQ(jpeg->width, c.width);
  EXPECT_EQ(jpeg->height, c.height);
  EXPECT_EQ(jpeg->components, c.components);
  EXPECT_EQ(jpeg->luminanceDCQuantizer, test_support::standardLuminanceDCQuantizer(c.quality));
  EXPECT_LE(test_support::largestDifferenceFromTestPicture(*jpeg, c.inGrey), test_support::kCloseToTheTestPicture);
}

const ConvertedCase kConverted[] = {
    {"Bitmap", [] { return partsValue(testBitmap(48, 40, PixelFormat::rgba8)); }, 48, 40, 3, false, 80},
    {"GreyBitmap", [] { return partsValue(testBitmap(17, 5, PixelFormat::gray8)); }, 17, 5, 1, true, 80},
    {"ImageObject", [] { return partsValue(NSImage(testBitmap(45, 39, PixelFormat::rgb8, 3))); }, 45, 39, 3, false, 80},
    {"ImageToRenderWithoutColourSpaceIsSRGB",
     [] { return partsValue(CIImage(testBitmap(50, 44, PixelFormat::gray8))); }, 50, 44, 3, true, 75},
    {"ImageToRenderInItsGreyColourSpace",
     [] { return partsValue(CIImage(testBitmap(50, 44, PixelFormat::rgb8), CGColorSpace::genericGrayGamma2_2)); }, 50,
     44, 1, true, 75},
    {"ImageToRenderInSRGB", [] { return partsValue(CIImage(testBitmap(50, 44, PixelFormat::rgba8), CGColorSpace::sRGB)); },
     50, 44, 3, false, 75},
    {"ThroughPartsRepresentable",
     [] { return PartsRepresentable(testBitmap(48, 48, PixelFormat::rgb8)).partsValue(); }, 48, 48, 3, false, 80},
};

INSTANTIATE_TEST_SUITE_P(Kinds, ImagePartTest, ::testing::ValuesIn(kConverted),
                         [](const auto& info) { return std::string(info.param.name); });

struct FailedCase {
  const char* name;
  std::function<std::vector<Part>()> convert;
  ImageConversionError::Kind error;
};

void PrintTo(const FailedCase& c, std::ostream* os) { *os << c.name; }

class FailedImagePartTest : public ::testing::TestWithParam<FailedCase> {};

TEST_P(FailedImagePartTest, IsOneErrorPart) {
  const auto parts = GetParam().convert();
  ASSERT_EQ(parts.size(), 1u);
  const auto* part = std::get_if<ErrorPart>(&parts[0]);
  ASSERT_NE(part, nullptr);
  const auto* error = platform::errorAs<ImageConversionError>(part->error());
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(error->kind(), GetParam().error);
}

const CGImage kEmpty(0, 0, 0, PixelFormat::rgba8, {});
const CGImage kSixteenBit = testBitmap(4, 4, PixelFormat::rgba16);

const FailedCase kFailed[] = {
    {"ImageObjectWithoutBitmap", [] { return partsValue(NSImage()); },
     ImageConversionError::Kind::invalidUnderlyingImage},
    {"ZeroSizedBitmap", [] { return partsValue(kEmpty); }, ImageConversionError::Kind::couldNotConvertToJPEG},
    {"ZeroSizedImageObject", [] { return partsValue(NSImage(kEmpty)); },
     ImageConversionError::Kind::couldNotConvertToJPEG},
    {"ZeroSizedImageToRender", [] { return partsValue(CIImage(kEmpty)); },
     ImageConversionError::Kind::couldNotConvertToJPEG},
    {"SixteenBitBitmap", [] { return partsValue(kSixteenBit); }, ImageConversionError::Kind::couldNotConvertToJPEG},
    {"SixteenBitImageObject", [] { return partsValue(NSImage(kSixteenBit)); },
     ImageConversionError::Kind::couldNotConvertToJPEG},
    {"SixteenBitImageToRender", [] { return partsValue(CIImage(testBitmap(4, 4, PixelFormat::gray16))); },
     ImageConversionError::Kind::couldNotConvertToJPEG},
    {"BitmapShorterThanItsRows", [] { return partsValue(CGImage(4, 4, 12, PixelFormat::rgb8, std::vector<std::uint8_t>(40))); },
     ImageConversionError::Kind::couldNotConvertToJPEG},
};

INSTANTIATE_TEST_SUITE_P(Kinds, FailedImagePartTest, ::testing::ValuesIn(kFailed),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ImagePartsTest, ATextAndAnImageGiveTheirPartsInArgumentOrder) {
  const ModelContent content({"What is this?", NSImage(testBitmap(8, 8, PixelFormat::rgb8)), NSImage()});
  ASSERT_EQ(content.parts().size(), 3u);
  EXPECT_EQ(content.parts()[0], Part(TextPart("What is this?")));
  EXPECT_TRUE(std::holds_alternative<InlineDataPart>(content.parts()[1]));
  EXPECT_TRUE(std::holds_alternative<ErrorPart>(content.parts()[2]));
}

TEST(ImagePartsTest, ConversionErrorsCompareByCase) {
  using Kind = ImageConversionError::Kind;
  EXPECT_EQ(ImageConversionError(Kind::couldNotConvertToJPEG), ImageConversionError(Kind::couldNotConvertToJPEG));
  EXPECT_FALSE(ImageConversionError(Kind::invalidUnderlyingImage) == ImageConversionError(Kind::couldNotConvertToJPEG));
  EXPECT_EQ(ImageConversionError(Kind::couldNotAllocateDestination).code(), 1);
  EXPECT_EQ(ImageConversionError(Kind::couldNotConvertToJPEG).localizedDescription(),
            "The operation couldn\u2019t be completed. (FirebaseVertexAI.ImageConversionError error 2.)");
}

}  // namespace
}  // namespace firebase::vertexai
