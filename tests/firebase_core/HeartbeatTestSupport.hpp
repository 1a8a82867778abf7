#pragma once

#include <atomic>
#include <optional>
#include <string>

#include "firebase_core/Heartbeat.hpp"
#include "firebase_core/HeartbeatStorage.hpp"

namespace firebase::testing {

// Midnight UTC of the n-th day after 2024-05-01.
inline Date day(int n) {
  using namespace std::chrono;
  return Date(sys_days(year{2024} / May / 1) + days(n));
}

inline Heartbeat heartbeatOn(int n, std::string agent = "agent/1") {
  return Heartbeat{std::move(agent), day(n), 0, {TimePeriod::daily}};
}

// Storage in memory whose writes can fail and which reports its destruction.
class MemoryStorage : public Storage {
 public:
  explicit MemoryStorage(std::atomic<bool>* destroyed = nullptr) : destroyed_(destroyed) {}
  ~MemoryStorage() override {
    if (destroyed_ != nullptr) *destroyed_ = true;
  }
  std::expected<std::string, StorageError> read() override {
    if (!content) return std::unexpected(StorageError::readError);
    return *content;
  }
  std::expected<void, StorageError> write(const std::optional<std::string>& data) override {
    if (failWrites) return std::unexpected(StorageError::writeError);
    content = data.value_or("");
    return {};
  }
  std::optional<std::string> content;
  std::atomic<bool> failWrites = false;

 private:
  std::atomic<bool>* destroyed_;
};

}  // namespace firebase::testing
