#include "test_support/TestImages.hpp"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

namespace test_support {

using platform::imaging::PixelFormat;

RGB testColor(std::size_t x, std::size_t y, std::size_t width, std::size_t height) {
  const auto scale = [](std::size_t value, std::size_t range) {
    return range <= 1 ? 0 : static_cast<int>(value * 255 / (range - 1));
  };
  return {scale(x, width), scale(y, height), 255 - scale(x + y, width + height - 1)};
}

int luma(RGB color) { return (299 * color.r + 587 * color.g + 114 * color.b + 500) / 1000; }

platform::imaging::CGImage testBitmap(std::size_t width, std::size_t height, PixelFormat format,
                                      std::size_t rowPadding) {
  const std::size_t bytesPerRow = width * platform::imaging::bytesPerPixel(format) + rowPadding;
  std::vector<std::uint8_t> bytes(bytesPerRow * height, 0xEE);
  for (std::size_t y = 0; y < height; ++y) {
    std::uint8_t* out = bytes.data() + y * bytesPerRow;
    for (std::size_t x = 0; x < width; ++x) {
      const RGB c = testColor(x, y, width, height);
      const auto wide = [](int v) { return static_cast<std::uint16_t>(v * 257); };
      switch (format) {
        case PixelFormat::gray8: *out++ = static_cast<std::uint8_t>(luma(c)); break;
        case PixelFormat::rgb8:
        case PixelFormat::rgba8:
          *out++ = static_cast<std::uint8_t>(c.r);
          *out++ = static_cast<std::uint8_t>(c.g);
          *out++ = static_cast<std::uint8_t>(c.b);
          if (format == PixelFormat::rgba8) *out++ = static_cast<std::uint8_t>(x % 256);  // alpha varies, unused
          break;
        case PixelFormat::gray16: {
          const std::uint16_t v = wide(luma(c));
          std::memcpy(out, &v, 2);
          out += 2;
          break;
        }
        case PixelFormat::rgba16: {
          const std::uint16_t v[4] = {wide(c.r), wide(c.g), wide(c.b), 0xFFFF};
          std::memcpy(out, v, 8);
          out += 8;
          break;
        }
      }
    }
  }
  return {width, height, bytesPerRow, format, std::move(bytes)};
}

RGB DecodedJPEG::colorAt(std::size_t x, std::size_t y) const {
  const std::uint8_t* p = pixels.data() + (y * width + x) * static_cast<std::size_t>(components);
  return components == 1 ? RGB{p[0], p[0], p[0]} : RGB{p[0], p[1], p[2]};
}

namespace {

struct JumpingErrors {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

[[noreturn]] void jumpBack(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<JumpingErrors*>(cinfo->err)->jump, 1); }
void ignoreMessage(j_common_ptr) {}

// libjpeg jumps back here on failure, so the decoded rows go into a buffer
// that the caller owns and sized before reading begins.
bool decodeInto(std::span<const std::uint8_t> bytes, DecodedJPEG& out) {
  jpeg_decompress_struct cinfo{};
  JumpingErrors errors{};
  cinfo.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = jumpBack;
  errors.base.output_message = ignoreMessage;
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&cinfo, TRUE);
  out.luminanceDCQuantizer = cinfo.quant_tbl_ptrs[0] ? cinfo.quant_tbl_ptrs[0]->quantval[0] : 0;
  jpeg_start_decompress(&cinfo);
  out.width = cinfo.output_width;
  out.height = cinfo.output_height;
  out.components = cinfo.output_components;
  out.pixels.resize(out.width * out.height * static_cast<std::size_t>(out.components));
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPLE* row = out.pixels.data() + cinfo.output_scanline * out.width * static_cast<std::size_t>(out.components);
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

}  // namespace

std::optional<DecodedJPEG> decodeJPEG(std::span<const std::uint8_t> bytes) {
  DecodedJPEG jpeg;
  if (bytes.empty() || !decodeInto(bytes, jpeg)) return std::nullopt;
  return jpeg;
}

int largestDifferenceFromTestPicture(const DecodedJPEG& jpeg, bool inGrey) {
  int largest = 0;
  for (std::size_t y = 0; y < jpeg.height; ++y) {
    for (std::size_t x = 0; x < jpeg.width; ++x) {
      RGB expected = testColor(x, y, jpeg.width, jpeg.height);
      if (inGrey) expected = {luma(expected), luma(expected), luma(expected)};
      const RGB actual = jpeg.colorAt(x, y);
      largest = std::max({largest, std::abs(actual.r - expected.r), std::abs(actual.g - expected.g),
                          std::abs(actual.b - expected.b)});
    }
  }
  return largest;
}

int standardLuminanceDCQuantizer(int quality) {
  const int scale = quality < 50 ? 5000 / quality : 200 - quality * 2;
  return std::clamp((16 * scale + 50) / 100, 1, 255);
}

}  // namespace test_support
