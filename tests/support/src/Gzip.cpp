#include "test_support/Gzip.hpp"

#include <zlib.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace test_support {

std::string gzippedZeros(std::size_t count) {
  z_stream stream{};
  // Window bits 31: deflate with the gzip wrapper.
  if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 31, 9, Z_DEFAULT_STRATEGY) != Z_OK)
    throw std::runtime_error("cannot start deflating");
  std::vector<unsigned char> zeros(1 << 20, 0), out(1 << 16);
  std::string compressed;
  std::size_t left = count;
  int status = Z_OK;
  do {
    std::size_t chunk = std::min(left, zeros.size());
    left -= chunk;
    stream.next_in = zeros.data();
    stream.avail_in = static_cast<uInt>(chunk);
    const int flush = left == 0 ? Z_FINISH : Z_NO_FLUSH;
    do {
      stream.next_out = out.data();
      stream.avail_out = static_cast<uInt>(out.size());
      status = deflate(&stream, flush);
      compressed.append(reinterpret_cast<const char*>(out.data()), out.size() - stream.avail_out);
    } while (stream.avail_out == 0 && status != Z_STREAM_END);
  } while (status != Z_STREAM_END);
  deflateEnd(&stream);
  return compressed;
}

}  // namespace test_support
