#pragma once

#include <deque>
#include <memory>
#include <mutex>
#include <utility>
#include <variant>

#include "FirebaseVertexAI/Operation.hpp"
#include "foundation/Dispatch.hpp"

namespace firebase::vertexai {

// Hands a stream's elements and its end to the caller's queue in the order
// they were produced, one at a time even on a concurrent queue, and the end
// exactly once; whatever is produced after the end is dropped. Producers may
// call from any thread.
template <typename T>
class StreamDelivery : public std::enable_shared_from_this<StreamDelivery<T>> {
 public:
  StreamDelivery(platform::DispatchQueue& queue, StreamHandlers<T> handlers)
      : queue_(queue), handlers_(std::move(handlers)) {}

  void yield(T element) { push(Event(std::in_place_index<0>, std::move(element))); }
  // Null for a normal end.
  void end(platform::ErrorPtr error) { push(Event(std::in_place_index<1>, std::move(error))); }
  bool hasEnded() const {
    std::lock_guard lock(mutex_);
    return ended_;
  }

 private:
  using Event = std::variant<T, platform::ErrorPtr>;

  void push(Event event) {
    std::lock_guard lock(mutex_);
    if (ended_) return;
    ended_ = event.index() == 1;
    pending_.push_back(std::move(event));
    if (scheduled_) return;
    scheduled_ = true;
    queue_.async([self = this->shared_from_this()] { self->drain(); });
  }

  // One batch per work item, so that a fast stream never keeps the queue
  // from its other work.
  void drain() {
    std::deque<Event> batch;
    {
      std::lock_guard lock(mutex_);
      batch.swap(pending_);
    }
    for (auto& event : batch) {
      if (event.index() == 0) {
        handlers_.onElement(std::move(std::get<0>(event)));
      } else {
        auto onEnd = std::exchange(handlers_.onEnd, nullptr);
        handlers_.onElement = nullptr;  // lets go of what the caller's handlers hold
        onEnd(std::move(std::get<1>(event)));
      }
    }
    std::lock_guard lock(mutex_);
    if (pending_.empty()) {
      scheduled_ = false;
      return;
    }
    queue_.async([self = this->shared_from_this()] { self->drain(); });
  }

  platform::DispatchQueue& queue_;
  StreamHandlers<T> handlers_;
  mutable std::mutex mutex_;
  std::deque<Event> pending_;
  bool scheduled_ = false;
  bool ended_ = false;
};

}  // namespace firebase::vertexai
