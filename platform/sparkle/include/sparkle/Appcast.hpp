#pragma once

#include <cstddef>
#include <expected>
#include <string_view>
#include <vector>

#include "foundation/Error.hpp"
#include "sparkle/AppcastItem.hpp"

namespace sparkle {

// A feed may be at most this large, and its elements nested at most this
// deep; a larger or deeper one is refused before (or as soon as) it is seen.
inline constexpr std::size_t kMaximumFeedBytes = 1024 * 1024;
inline constexpr int kMaximumFeedDepth = 32;

// Reads an RSS 2.0 update feed with the sparkle namespace: every item of the
// channel that names a version, in feed order. Refuses (AppcastParseError)
// what is not well-formed XML, carries a document type declaration, is not
// an RSS channel, or breaks the limits above.
std::expected<std::vector<AppcastItem>, platform::ErrorPtr> parseAppcast(std::string_view bytes);

// The refusal of a feed over kMaximumFeedBytes, also when the download stops
// it before the parser sees it.
platform::ErrorPtr feedTooLargeError();

}  // namespace sparkle
