#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "imaging/Images.hpp"

// A test picture in every bitmap format, and a JPEG reader that is libjpeg's
// own decoder (not the encoder under test), to check what was encoded.
namespace test_support {

struct RGB {
  int r, g, b;
};

// The test picture: red grows to the right, green downwards, blue the other
// way; smooth, so that a JPEG of it stays close.
RGB testColor(std::size_t x, std::size_t y, std::size_t width, std::size_t height);
// Its grey (ITU-R BT.601 weights, as JPEG's luminance).
int luma(RGB color);

// The test picture as a bitmap of the format, each row followed by
// `rowPadding` bytes of 0xEE.
platform::imaging::CGImage testBitmap(std::size_t width, std::size_t height, platform::imaging::PixelFormat format,
                                      std::size_t rowPadding = 0);

struct DecodedJPEG {
  std::size_t width = 0;
  std::size_t height = 0;
  int components = 0;                // 1 (grey) or 3 (colour)
  std::vector<std::uint8_t> pixels;  // rows without padding
  int luminanceDCQuantizer = 0;      // the first entry of the first table: the encoder's quality shows there

  RGB colorAt(std::size_t x, std::size_t y) const;
};

// Absent when the bytes are not a JPEG libjpeg can read.
std::optional<DecodedJPEG> decodeJPEG(std::span<const std::uint8_t> bytes);

// The largest difference, over every pixel and component, between the
// decoded picture and the test picture, or the test picture's grey when
// `inGrey`.
int largestDifferenceFromTestPicture(const DecodedJPEG& jpeg, bool inGrey);

// How far a JPEG of the test picture may stray from it at quality 75 or
// better, at the sizes the tests use (its colours change slowly enough).
constexpr int kCloseToTheTestPicture = 16;

// The first quantizer libjpeg's standard luminance table gives at a quality
// (16 scaled as libjpeg scales it).
int standardLuminanceDCQuantizer(int quality);

}  // namespace test_support
