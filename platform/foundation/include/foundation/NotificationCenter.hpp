#pragma once

#include <any>
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
// the order observers were added.
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
  struct Entry {
    Token token;
    std::string name;
    const void* object;
    std::shared_ptr<Observer> observer;
  };
  std::mutex mutex_;
  std::vector<Entry> entries_;
  Token nextToken_ = 1;
};

// Posted when the application becomes the active one.
inline constexpr const char* kApplicationDidBecomeActiveNotification = "NSApplicationDidBecomeActiveNotification";

}  // namespace platform
