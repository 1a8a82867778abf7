#pragma once

#include <cstddef>
#include <string>

#include "foundation/Error.hpp"

namespace platform {

// The most decoded body bytes one reply may bring, whatever the caller asks.
inline constexpr std::size_t kMaximumReplyBodyBytes = std::size_t{64} * 1024 * 1024;

// Counts the decoded bytes of one reply against its limit. Decoded, because a
// compressed reply can inflate a thousandfold: a small gzip body must stop at
// the limit, not at the end of the machine's memory. Every task of the URL
// session counts through one of these, whether it keeps the body or hands it
// over as it arrives.
class ReplyBodyLimit {
 public:
  // The caller's limit, never above kMaximumReplyBodyBytes.
  explicit ReplyBodyLimit(std::size_t requestedBytes = kMaximumReplyBodyBytes);

  std::size_t bytes() const { return bytes_; }
  std::size_t received() const { return received_; }

  // Counts a decoded chunk; false, counting nothing, when it would take the
  // body past the limit.
  bool admit(std::size_t chunkBytes);
  // Starts counting again, for the reply of a redirected attempt.
  void restart() { received_ = 0; }

  // The transport error of a reply that went past the limit; it names the
  // limit.
  ErrorPtr exceededError(const std::string& url) const;

 private:
  std::size_t bytes_;
  std::size_t received_ = 0;
};

// "64 MB" for whole megabytes, "100 KB" for whole kilobytes, else "1500 bytes".
std::string describeByteCount(std::size_t bytes);

}  // namespace platform
