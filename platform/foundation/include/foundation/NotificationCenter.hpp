#pragma once

#include <any>
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

struct Notification {
  std::string name;
  const void* object = nullptr;  // the sender, compared by identity
  std::map<std::string, std::any> userInfo;
};

// In-process notifications, delivered synchronously on the posting thread in
// the order observers were added. An observer removed while a notification
// is being delivered is not called from then on, not even for that one.
class NotificationCenter {
 public:
  using Observer = std::function<void(const Notification&)>;
  using Token = std::uint64_t;

  static NotificationCenter& defaultCenter();

  // Observes notifications of that name (any name when empty) from that sender
  // (any sender when null).
  Token addObserver(std::string name, const void* object, Observer observer);
  void removeObserver(Token token);
  void post(const Notification& notification);
  void post(const std::string& name, const void* object = nullptr);

 private:
  struct Registration {
    Observer observer;
    std::atomic<bool> active{true};
  };
  struct Entry {
    Token token;
    std::string name;
    const void* object;
    std::shared_ptr<Registration> registration;
  };
  std::mutex mutex_;
  std::vector<Entry> entries_;
  Token nextToken_ = 1;
};

// Posted when the application becomes the active one.
inline constexpr const char* kApplicationDidBecomeActiveNotification = "NSApplicationDidBecomeActiveNotification";

}  // namespace platform
