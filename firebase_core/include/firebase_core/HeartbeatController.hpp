#pragma once

#include <functional>
#include <memory>
#include <string>

#include "firebase_core/HeartbeatDate.hpp"
#include "firebase_core/HeartbeatStorage.hpp"
#include "firebase_core/HeartbeatsPayload.hpp"

namespace firebase {

// Records at most one heartbeat per UTC day for a heartbeat id and drains them
// into payloads. All store work runs on the store's queue, in the order asked.
class HeartbeatController {
 public:
  using DateProvider = std::function<Date()>;

  static constexpr std::int64_t kHeartbeatsStoreCapacity = 30;

  // The shared store for the id, and the system clock.
  explicit HeartbeatController(const std::string& id);
  // Any store and clock; the clock's dates are reduced to midnight UTC.
  HeartbeatController(std::shared_ptr<HeartbeatStorageProtocol> storage, DateProvider dateSource);

  // Records today's heartbeat for the agent when one is due; returns at once.
  void log(const std::string& agent);
  // Empties the store into a payload (the empty payload when nothing was
  // stored or the store could not be written). Today stays logged.
  HeartbeatsPayload flush();
  // The same, handing the payload over on the store's queue.
  void flushAsync(std::function<void(const HeartbeatsPayload&)> completionHandler);
  // Takes today's heartbeat out of the store; nothing more is logged today.
  HeartbeatsPayload flushHeartbeatFromToday();

 private:
  Date today() const { return dateProvider_(); }

  std::shared_ptr<HeartbeatStorageProtocol> storage_;
  DateProvider dateProvider_;
};

}  // namespace firebase
