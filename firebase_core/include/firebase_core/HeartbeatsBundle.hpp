#pragma once

#include <cstdint>
#include <expected>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "firebase_core/Heartbeat.hpp"
#include "firebase_core/HeartbeatsPayload.hpp"
#include "firebase_core/RingBuffer.hpp"
#include "foundation/Error.hpp"

namespace firebase {

// The content of one heartbeat store file: the newest `capacity` heartbeats
// and, per period, the date of the last heartbeat added for it.
//
// File format (JSON, keys in any order, dates as seconds since 2001):
//   {"capacity": 30,
//    "lastAddedHeartbeatDates": [1, <date>],          period and date, alternating
//    "buffer": {"circularQueue": [<heartbeat> or null, ...], "tailIndex": 0}}
// with each heartbeat {"agent": "...", "date": <date>, "version": 0, "timePeriods": [1]}.
class HeartbeatsBundle {
 public:
  using LastAddedDates = std::map<TimePeriod, Date>;

  // A bundle with `capacity` empty slots; every period starts at the distant
  // past unless dates are given.
  explicit HeartbeatsBundle(std::int64_t capacity,
                            std::optional<LastAddedDates> lastAddedHeartbeatDates = std::nullopt);

  // Stores the heartbeat (replacing the oldest when full) and records its
  // date for its periods. A bundle of capacity 0 keeps nothing.
  void append(const Heartbeat& heartbeat);
  // Takes out the newest heartbeat of that date; the others keep their order.
  std::optional<Heartbeat> takeHeartbeat(Date date);
  // Per agent (sorted), the dates of its heartbeats in slot order.
  HeartbeatsPayload makePayload() const;

  std::int64_t capacity() const { return capacity_; }
  const LastAddedDates& lastAddedHeartbeatDates() const { return lastAddedHeartbeatDates_; }
  const RingBuffer<Heartbeat>& buffer() const { return buffer_; }

  std::expected<std::string, platform::ErrorPtr> encode() const;
  // Absent for anything that is not a well-formed bundle, including one whose
  // slot count differs from its capacity, whose tail is not a slot, or which
  // lacks the last-added date of a period.
  static std::optional<HeartbeatsBundle> decode(std::string_view json);

 private:
  HeartbeatsBundle(std::int64_t capacity, LastAddedDates dates, RingBuffer<Heartbeat> buffer);

  std::int64_t capacity_;
  LastAddedDates lastAddedHeartbeatDates_;
  RingBuffer<Heartbeat> buffer_;
};

}  // namespace firebase
