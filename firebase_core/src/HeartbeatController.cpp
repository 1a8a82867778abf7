#include "firebase_core/HeartbeatController.hpp"

#include <vector>

namespace firebase {

namespace {

Date systemNow() { return std::chrono::time_point_cast<Date::duration>(std::chrono::system_clock::now()); }

// Empties a stored bundle but keeps its last-added dates, so a heartbeat
// already logged today is not logged again after a flush.
std::optional<HeartbeatsBundle> resetBundle(const std::optional<HeartbeatsBundle>& stored) {
  if (!stored) return std::nullopt;
  return HeartbeatsBundle(HeartbeatController::kHeartbeatsStoreCapacity, stored->lastAddedHeartbeatDates());
}

HeartbeatsPayload payloadOfSwap(const HeartbeatStorageProtocol::SwapResult& result) {
  if (!result || !*result) return HeartbeatsPayload::emptyPayload();
  return (*result)->makePayload();
}

}  // namespace

HeartbeatController::HeartbeatController(const std::string& id)
    : HeartbeatController(HeartbeatStorage::instance(id), systemNow) {}

HeartbeatController::HeartbeatController(std::shared_ptr<HeartbeatStorageProtocol> storage, DateProvider dateSource)
    : storage_(std::move(storage)),
      dateProvider_([source = std::move(dateSource)] { return startOfDayUTC(source()); }) {}

void HeartbeatController::log(const std::string& agent) {
  const Date date = today();
  storage_->updateAsync([agent, date](std::optional<HeartbeatsBundle> stored) -> std::optional<HeartbeatsBundle> {
    HeartbeatsBundle bundle = stored ? std::move(*stored) : HeartbeatsBundle(kHeartbeatsStoreCapacity);
    std::vector<TimePeriod> duePeriods;
    for (const auto& [period, lastAdded] : bundle.lastAddedHeartbeatDates()) {
      if ((date - lastAdded).count() >= kSecondsPerTimePeriodDay) duePeriods.push_back(period);
    }
    if (!duePeriods.empty()) bundle.append(Heartbeat{agent, date, 0, duePeriods});
    return bundle;
  });
}

HeartbeatsPayload HeartbeatController::flush() { return payloadOfSwap(storage_->swap(resetBundle)); }

void HeartbeatController::flushAsync(std::function<void(const HeartbeatsPayload&)> completionHandler) {
  storage_->swapAsync(resetBundle,
                      [completionHandler = std::move(completionHandler)](HeartbeatStorageProtocol::SwapResult result) {
                        completionHandler(payloadOfSwap(result));
                      });
}

HeartbeatsPayload HeartbeatController::flushHeartbeatFromToday() {
  const Date date = today();
  std::optional<Heartbeat> taken;
  storage_->updateSync([&](std::optional<HeartbeatsBundle> stored) -> std::optional<HeartbeatsBundle> {
    if (!stored) return std::nullopt;
    taken = stored->takeHeartbeat(date);
    return stored;
  });
  return taken ? taken->makePayload() : HeartbeatsPayload::emptyPayload();
}

}  // namespace firebase
