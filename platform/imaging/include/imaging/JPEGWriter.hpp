#pragma once

#include <cstdint>
#include <expected>
#include <optional>
#include <vector>

#include "imaging/Images.hpp"

namespace platform::imaging {

struct JPEGWriteOptions {
  // 0 to 100; absent: the encoder's default (75).
  std::optional<int> quality = std::nullopt;
  // The colour space to render into: grey gives a one-component JPEG, sRGB a
  // colour one. Absent: the bitmap's own (grey for grey formats).
  std::optional<CGColorSpace> colorSpace = std::nullopt;
};

enum class JPEGWriteError {
  couldNotCreateDestination,  // the encoder or its output buffer could not be set up
  couldNotEncode,             // the bitmap cannot be encoded, or encoding failed
};

// The bitmap as a baseline JFIF stream, at its own size. Alpha is dropped (a
// JPEG has none): each pixel keeps the colour it holds. Only 8-bit formats
// are encoded; a 16-bit format, a bitmap without pixels, one larger than a
// JPEG may be (65,500 pixels a side) or one whose bytes do not cover its
// rows fails with couldNotEncode.
std::expected<std::vector<std::uint8_t>, JPEGWriteError> writeJPEG(const CGImage& image,
                                                                   const JPEGWriteOptions& options = {});

}  // namespace platform::imaging
