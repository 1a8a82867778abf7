#include "imaging/JPEGWriter.hpp"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jerror.h>
#include <jpeglib.h>

namespace platform::imaging {
namespace {

enum class ColorModel { gray, rgb };

ColorModel modelOf(CGColorSpace space) {
  return space == CGColorSpace::genericGrayGamma2_2 ? ColorModel::gray : ColorModel::rgb;
}

struct InputLayout {
  J_COLOR_SPACE space;
  int components;
};

// What libjpeg reads each 8-bit format as; the fourth byte of rgba8 is
// skipped. libjpeg here takes 8-bit samples only.
std::optional<InputLayout> inputLayout(PixelFormat format) {
  switch (format) {
    case PixelFormat::gray8: return InputLayout{JCS_GRAYSCALE, 1};
    case PixelFormat::rgb8: return InputLayout{JCS_RGB, 3};
    case PixelFormat::rgba8: return InputLayout{JCS_EXT_RGBX, 4};
    case PixelFormat::gray16:
    case PixelFormat::rgba16: return std::nullopt;
  }
  return std::nullopt;
}

// Whether the bytes hold every row's pixels (the last row needs no padding),
// within what a JPEG may measure.
bool coversItsRows(const CGImage& image) {
  if (image.width() == 0 || image.height() == 0) return false;
  if (image.width() > JPEG_MAX_DIMENSION || image.height() > JPEG_MAX_DIMENSION) return false;
  const std::size_t pixelBytes = image.width() * bytesPerPixel(image.pixelFormat());
  if (image.bytesPerRow() < pixelBytes || image.bytes().size() < pixelBytes) return false;
  return (image.height() - 1) <= (image.bytes().size() - pixelBytes) / image.bytesPerRow();
}

// libjpeg reports a failure by calling error_exit, which must not return:
// it jumps back into compress().
struct JumpingErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

[[noreturn]] void jumpBack(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<JumpingErrorManager*>(cinfo->err)->jump, 1);
}

// Warnings (a corrupt-data note, say) go nowhere rather than to stderr.
void ignoreMessage(j_common_ptr) {}

// The output grows by doubling in a malloc'd buffer that this file frees, so
// that a failure half-way leaves nothing libjpeg would have to free.
struct GrowingDestination {
  jpeg_destination_mgr base;
  unsigned char* buffer;
  std::size_t capacity;
};

void startOutput(j_compress_ptr cinfo) {
  auto* destination = reinterpret_cast<GrowingDestination*>(cinfo->dest);
  destination->base.next_output_byte = destination->buffer;
  destination->base.free_in_buffer = destination->capacity;
}

boolean growOutput(j_compress_ptr cinfo) {
  auto* destination = reinterpret_cast<GrowingDestination*>(cinfo->dest);
  auto* grown = static_cast<unsigned char*>(std::realloc(destination->buffer, destination->capacity * 2));
  if (!grown) {
    cinfo->err->msg_code = JERR_OUT_OF_MEMORY;
    cinfo->err->error_exit(reinterpret_cast<j_common_ptr>(cinfo));
  }
  destination->buffer = grown;
  destination->base.next_output_byte = grown + destination->capacity;
  destination->base.free_in_buffer = destination->capacity;
  destination->capacity *= 2;
  return TRUE;
}

void finishOutput(j_compress_ptr) {}

struct Job {
  const CGImage* image;
  InputLayout input;
  bool grayToRGB;  // the bitmap is grey and is rendered in colour
  bool rgbToGray;  // the bitmap is in colour and is rendered in grey
  std::optional<int> quality;
};

constexpr std::size_t kInitialOutputSize = 64 * 1024;

// Runs libjpeg over the rows. Nothing here may own anything with a
// destructor, since a failure jumps straight back to the setjmp below.
std::optional<JPEGWriteError> compress(const Job& job, GrowingDestination& destination) {
  jpeg_compress_struct cinfo{};
  JumpingErrorManager errors{};
  cinfo.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = jumpBack;
  errors.base.output_message = ignoreMessage;
  volatile bool destinationReady = false;
  if (setjmp(errors.jump)) {
    jpeg_destroy_compress(&cinfo);
    return destinationReady ? JPEGWriteError::couldNotEncode : JPEGWriteError::couldNotCreateDestination;
  }
  jpeg_create_compress(&cinfo);
  destination.buffer = static_cast<unsigned char*>(std::malloc(kInitialOutputSize));
  if (!destination.buffer) {
    jpeg_destroy_compress(&cinfo);
    return JPEGWriteError::couldNotCreateDestination;
  }
  destination.capacity = kInitialOutputSize;
  destination.base.init_destination = startOutput;
  destination.base.empty_output_buffer = growOutput;
  destination.base.term_destination = finishOutput;
  cinfo.dest = &destination.base;
  destinationReady = true;

  const CGImage& image = *job.image;
  cinfo.image_width = static_cast<JDIMENSION>(image.width());
  cinfo.image_height = static_cast<JDIMENSION>(image.height());
  cinfo.in_color_space = job.grayToRGB ? JCS_RGB : job.input.space;
  cinfo.input_components = job.grayToRGB ? 3 : job.input.components;
  jpeg_set_defaults(&cinfo);
  if (job.rgbToGray) jpeg_set_colorspace(&cinfo, JCS_GRAYSCALE);
  if (job.quality) jpeg_set_quality(&cinfo, *job.quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);

  JSAMPARRAY expanded =
      job.grayToRGB ? (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                                 cinfo.image_width * 3, 1)
                    : nullptr;
  while (cinfo.next_scanline < cinfo.image_height) {
    // libjpeg takes rows as writable but only reads them.
    auto* row = const_cast<JSAMPLE*>(image.bytes().data() + cinfo.next_scanline * image.bytesPerRow());
    if (expanded) {
      for (JDIMENSION x = 0; x < cinfo.image_width; ++x)
        expanded[0][3 * x] = expanded[0][3 * x + 1] = expanded[0][3 * x + 2] = row[x];
      row = expanded[0];
    }
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return std::nullopt;
}

}  // namespace

std::expected<std::vector<std::uint8_t>, JPEGWriteError> writeJPEG(const CGImage& image,
                                                                   const JPEGWriteOptions& options) {
  const auto input = inputLayout(image.pixelFormat());
  if (!input || !coversItsRows(image)) return std::unexpected(JPEGWriteError::couldNotEncode);
  const ColorModel source = input->space == JCS_GRAYSCALE ? ColorModel::gray : ColorModel::rgb;
  const ColorModel target = options.colorSpace ? modelOf(*options.colorSpace) : source;
  const Job job{.image = &image,
                .input = *input,
                .grayToRGB = source == ColorModel::gray && target == ColorModel::rgb,
                .rgbToGray = source == ColorModel::rgb && target == ColorModel::gray,
                .quality = options.quality};

  GrowingDestination destination{};
  const auto failure = compress(job, destination);
  std::vector<std::uint8_t> jpeg;
  if (!failure) jpeg.assign(destination.buffer, destination.base.next_output_byte);
  std::free(destination.buffer);
  if (failure) return std::unexpected(*failure);
  return jpeg;
}

}  // namespace platform::imaging
