#pragma once

#include <cstdint>
#include <expected>
#include <span>
#include <vector>

#include "foundation/Error.hpp"

// Gzip compression and inflation of byte buffers over zlib.
namespace firebase::gzip {

using Data = std::vector<std::uint8_t>;

inline constexpr const char* kErrorDomain = "com.google.GULNSDataZlibErrorDomain";
// Input longer than kMaximumLength bytes (zlib counts in 32 bits).
inline constexpr long kErrorGreaterThan32BitsToCompress = 1024;
// zlib reported an error; user info kZlibErrorKey holds its status.
inline constexpr long kErrorInternal = 1025;
// Bytes follow the end of the stream; user info kRemainingBytesKey holds their count.
inline constexpr long kErrorDataRemaining = 1026;
inline constexpr const char* kZlibErrorKey = "GULNSDataZlibErrorKey";
inline constexpr const char* kRemainingBytesKey = "GULNSDataZlibRemainingBytesKey";
inline constexpr std::uint64_t kMaximumLength = 4294967295u;

// Gzip-wrapped deflate at the default level. Nothing to compress gives
// nothing back, without an error.
std::expected<Data, platform::ErrorPtr> dataByGzippingData(std::span<const std::uint8_t> data);

// Inflates a gzip or zlib stream (the header is detected). Nothing to inflate
// gives nothing back, without an error.
std::expected<Data, platform::ErrorPtr> dataByInflatingGzippedData(std::span<const std::uint8_t> data);

}  // namespace firebase::gzip
