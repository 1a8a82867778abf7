#include "foundation/NotificationCenter.hpp"

#include <algorithm>

namespace platform {

NotificationCenter& NotificationCenter::defaultCenter() {
  // Never destroyed: objects that live until the process ends, such as the
  // configured apps, stop observing from their destructors at exit.
  static auto* center = new NotificationCenter;
  return *center;
}

NotificationCenter::Token NotificationCenter::addObserver(std::string name, const void* object, Observer observer) {
  std::lock_guard lock(mutex_);
  Token token = nextToken_++;
  auto registration = std::make_shared<Registration>();
  registration->observer = std::move(observer);
  entries_.push_back({token, std::move(name), object, std::move(registration)});
  return token;
}

void NotificationCenter::removeObserver(Token token) {
  std::lock_guard lock(mutex_);
  std::erase_if(entries_, [token](const Entry& e) {
    if (e.token != token) return false;
    e.registration->active = false;
    return true;
  });
}

void NotificationCenter::post(const Notification& notification) {
  std::vector<std::shared_ptr<Registration>> matching;
  {
    // Observers run unlocked so that they may add or remove observers.
    std::lock_guard lock(mutex_);
    for (const auto& e : entries_) {
      bool nameMatches = e.name.empty() || e.name == notification.name;
      bool objectMatches = e.object == nullptr || e.object == notification.object;
      if (nameMatches && objectMatches) matching.push_back(e.registration);
    }
  }
  // An earlier observer may have removed a later one, whose owner may be gone.
  for (const auto& registration : matching)
    if (registration->active) registration->observer(notification);
}

void NotificationCenter::post(const std::string& name, const void* object) {
  post(Notification{name, object, {}});
}

}  // namespace platform
