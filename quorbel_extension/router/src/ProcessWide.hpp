#pragma once

#include <mutex>
#include <utility>
#include <vector>

namespace quorbel {

// One object for the life of the process, made on first use. Tests may start
// it afresh; the object they replace is kept, never destroyed, since a request
// it started may still hold it.
template <typename T>
class ProcessWide {
 public:
  // The object, made by `make` (returning a new T*) on first use.
  template <typename Make>
  T& get(const Make& make) {
    std::lock_guard lock(mutex_);
    if (!current_) current_ = make();
    return *current_;
  }

  // The next get() makes a new object, as in a fresh process.
  void resetForTesting() {
    std::lock_guard lock(mutex_);
    if (current_) retired_.push_back(std::exchange(current_, nullptr));
  }

 private:
  std::mutex mutex_;
  T* current_ = nullptr;
  std::vector<T*> retired_;
};

}  // namespace quorbel
