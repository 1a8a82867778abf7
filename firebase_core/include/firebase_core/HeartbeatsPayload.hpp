#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "firebase_core/HeartbeatDate.hpp"

namespace firebase {

// What a flush of the heartbeat store hands out: for each user agent, the
// days on which it was logged.
struct HeartbeatsPayload {
  struct UserAgentPayload {
    std::string agent;
    std::vector<Date> dates;
    bool operator==(const UserAgentPayload&) const = default;
  };

  static constexpr std::int64_t kVersion = 2;

  std::vector<UserAgentPayload> userAgentPayloads;
  std::int64_t version = kVersion;

  // No entries, whatever the version.
  bool isEmpty() const { return userAgentPayloads.empty(); }
  bool operator==(const HeartbeatsPayload&) const = default;

  // The shared payload with no entries (version 2).
  static const HeartbeatsPayload& emptyPayload();

  // {"heartbeats": [{"agent": ..., "dates": ["yyyy-MM-dd", ...]}], "version": 2},
  // gzip-compressed and in URL-safe base64 without padding: an HTTP header
  // value. Falls back to the empty payload's value when the JSON cannot be
  // written, and to the uncompressed JSON when compression fails.
  std::string headerValue() const;

  // The JSON that headerValue compresses; absent when a text is not UTF-8.
  std::optional<std::string> headerJSON() const;
  // Reads that JSON back (dates at midnight UTC); absent when it does not match.
  static std::optional<HeartbeatsPayload> fromHeaderJSON(std::string_view json);
};

// Null for no payload or an empty one; otherwise its header value.
std::optional<std::string> FIRHeaderValueFromHeartbeatsPayload(const HeartbeatsPayload* payload);

}  // namespace firebase
