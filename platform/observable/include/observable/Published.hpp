#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <utility>

namespace platform {

// Cancels its subscription when destroyed (or when cancel() is called).
class Cancellable {
 public:
  Cancellable() = default;
  explicit Cancellable(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
  Cancellable(Cancellable&& other) noexcept : cancel_(std::exchange(other.cancel_, nullptr)) {}
  Cancellable& operator=(Cancellable&& other) noexcept {
    if (this != &other) {
      cancel();
      cancel_ = std::exchange(other.cancel_, nullptr);
    }
    return *this;
  }
  ~Cancellable() { cancel(); }
  void cancel() {
    if (auto c = std::exchange(cancel_, nullptr)) c();
  }

 private:
  std::function<void()> cancel_;
};

// A list of callbacks that can be told something. Subscribers added during a
// send hear from the next send on; one cancelled during a send is not called
// again, not even later in that send (its owner may be gone).
template <typename... Args>
class Signal {
 public:
  using Callback = std::function<void(const Args&...)>;

  Signal() : slots_(std::make_shared<Slots>()) {}
  Signal(const Signal&) = delete;
  Signal& operator=(const Signal&) = delete;

  [[nodiscard]] Cancellable subscribe(Callback callback) {
    auto id = slots_->next++;
    slots_->callbacks.emplace(id, std::make_shared<Callback>(std::move(callback)));
    std::weak_ptr<Slots> weak = slots_;
    return Cancellable([weak, id] {
      if (auto liveSlots = weak.lock()) liveSlots->callbacks.erase(id);
    });
  }

  void send(const Args&... args) const {
    auto current = slots_;               // a callback may destroy this signal
    auto snapshot = current->callbacks;  // callbacks may subscribe or cancel
    for (auto& [id, callback] : snapshot)
      if (current->callbacks.contains(id)) (*callback)(args...);
  }

 private:
  struct Slots {
    std::uint64_t next = 0;
    std::map<std::uint64_t, std::shared_ptr<Callback>> callbacks;
  };
  std::shared_ptr<Slots> slots_;
};

// An observable field: observers hear of every assignment, before and after
// the value changes, the way declarative views bind to published fields.
template <typename T>
class Published {
 public:
  Published() = default;
  explicit Published(T initial) : value_(std::move(initial)) {}
  Published(const Published&) = delete;
  Published& operator=(const Published&) = delete;

  const T& get() const { return value_; }
  const T& operator*() const { return value_; }
  const T* operator->() const { return &value_; }
  operator const T&() const { return value_; }

  Published& operator=(T newValue) {
    set(std::move(newValue));
    return *this;
  }
  void set(T newValue) {
    willChange_.send(newValue);
    value_ = std::move(newValue);
    didChange_.send(value_);
  }

  // Told the new value before it is stored.
  [[nodiscard]] Cancellable onWillChange(std::function<void(const T&)> callback) {
    return willChange_.subscribe(std::move(callback));
  }
  // Told the new value after it is stored.
  [[nodiscard]] Cancellable onChange(std::function<void(const T&)> callback) {
    return didChange_.subscribe(std::move(callback));
  }

 private:
  T value_{};
  Signal<T> willChange_;
  Signal<T> didChange_;
};

}  // namespace platform
