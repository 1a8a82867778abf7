#include "firebase_core/GzipData.hpp"

#include <fmt/format.h>
#include <zlib.h>

#include <map>
#include <stdexcept>
#include <string>

namespace firebase::gzip {

namespace {

constexpr std::size_t kChunkSize = 1024;

platform::ErrorPtr makeError(long code, std::map<std::string, std::string> userInfo = {},
                             std::string description = {}) {
  if (description.empty())
    description = fmt::format("The operation couldn't be completed. ({} error {}.)", kErrorDomain, code);
  return platform::makeError(kErrorDomain, code, std::move(description), std::move(userInfo));
}

platform::ErrorPtr zlibError(int status, const char* message = nullptr) {
  std::map<std::string, std::string> userInfo{{kZlibErrorKey, std::to_string(status)}};
  if (message == nullptr) return makeError(kErrorInternal, std::move(userInfo));
  userInfo["NSLocalizedDescription"] = message;
  return makeError(kErrorInternal, std::move(userInfo), message);
}

// zlib's stream API takes mutable input pointers it never writes through.
Bytef* input(std::span<const std::uint8_t> data) { return const_cast<Bytef*>(data.data()); }

}  // namespace

std::expected<Data, platform::ErrorPtr> dataByGzippingData(std::span<const std::uint8_t> data) {
  if (data.empty()) return Data{};
  if (data.size() > kMaximumLength) return std::unexpected(makeError(kErrorGreaterThan32BitsToCompress));

  z_stream stream{};
  stream.next_in = input(data);
  stream.avail_in = static_cast<uInt>(data.size());
  int status = deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
  if (status != Z_OK) return std::unexpected(zlibError(status));

  Data output;
  output.reserve(data.size() / 4);
  std::uint8_t chunk[kChunkSize];
  do {
    stream.next_out = chunk;
    stream.avail_out = kChunkSize;
    status = deflate(&stream, Z_FINISH);
    if (status != Z_OK && status != Z_STREAM_END) {
      deflateEnd(&stream);
      return std::unexpected(zlibError(status));
    }
    output.insert(output.end(), chunk, chunk + (kChunkSize - stream.avail_out));
  } while (status != Z_STREAM_END);
  if (stream.avail_in != 0) {
    throw std::logic_error(
        fmt::format("Should have finished deflating without using all input, {} bytes left", stream.avail_in));
  }
  deflateEnd(&stream);
  return output;
}

std::expected<Data, platform::ErrorPtr> dataByInflatingGzippedData(std::span<const std::uint8_t> data) {
  if (data.empty()) return Data{};
  // Too long for zlib's 32-bit counters: reported like compression does,
  // never answered silently with nothing.
  if (data.size() > kMaximumLength) return std::unexpected(makeError(kErrorGreaterThan32BitsToCompress));

  z_stream stream{};
  stream.next_in = input(data);
  stream.avail_in = static_cast<uInt>(data.size());
  int status = inflateInit2(&stream, 15 + 32);
  if (status != Z_OK) return std::unexpected(zlibError(status));

  Data output;
  output.reserve(data.size() * 4);
  std::uint8_t chunk[kChunkSize];
  for (;;) {
    stream.next_out = chunk;
    stream.avail_out = kChunkSize;
    status = inflate(&stream, Z_NO_FLUSH);
    if (status != Z_OK && status != Z_STREAM_END) {
      auto error = zlibError(status, stream.msg);
      inflateEnd(&stream);
      return std::unexpected(error);
    }
    output.insert(output.end(), chunk, chunk + (kChunkSize - stream.avail_out));
    if (status == Z_STREAM_END) break;
    // Input used up before the end of the stream: zlib will report that as
    // Z_BUF_ERROR on the next round.
  }
  const uInt remaining = stream.avail_in;
  inflateEnd(&stream);
  if (remaining != 0) {
    return std::unexpected(makeError(kErrorDataRemaining, {{kRemainingBytesKey, std::to_string(remaining)}}));
  }
  return output;
}

}  // namespace firebase::gzip
