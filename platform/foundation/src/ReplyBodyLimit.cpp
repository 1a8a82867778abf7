#include "foundation/ReplyBodyLimit.hpp"

#include <fmt/format.h>

#include <algorithm>

#include "foundation/URLSession.hpp"

namespace platform {

ReplyBodyLimit::ReplyBodyLimit(std::size_t requestedBytes)
    : bytes_(std::min(requestedBytes, kMaximumReplyBodyBytes)) {}

bool ReplyBodyLimit::admit(std::size_t chunkBytes) {
  if (chunkBytes > bytes_ - received_) return false;
  received_ += chunkBytes;
  return true;
}

ErrorPtr ReplyBodyLimit::exceededError(const std::string& url) const {
  return makeError(kURLErrorDomain, URLErrorDataLengthExceedsMaximum,
                   fmt::format("The reply is larger than the limit of {}.", describeByteCount(bytes_)),
                   {{"NSErrorFailingURLStringKey", url},
                    {"NSUnderlyingError", fmt::format("decoded body above {} bytes", bytes_)}});
}

std::string describeByteCount(std::size_t bytes) {
  constexpr std::size_t kKB = 1024;
  constexpr std::size_t kMB = 1024 * kKB;
  if (bytes >= kMB && bytes % kMB == 0) return fmt::format("{} MB", bytes / kMB);
  if (bytes >= kKB && bytes % kKB == 0) return fmt::format("{} KB", bytes / kKB);
  return fmt::format("{} bytes", bytes);
}

}  // namespace platform
