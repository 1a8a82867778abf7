#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace firebase {

// A fixed number of slots written round-robin: each push overwrites the slot
// at the tail and hands back what was there. The tail is always a slot (or 0
// when there are none), so no operation can index outside the slots.
template <typename Element>
class RingBuffer {
 public:
  using Slots = std::vector<std::optional<Element>>;

  explicit RingBuffer(std::size_t capacity) : circularQueue_(capacity) {}

  // A buffer rebuilt from stored slots; absent when the tail is not one of them.
  static std::optional<RingBuffer> restore(Slots slots, std::int64_t tailIndex) {
    const auto count = static_cast<std::int64_t>(slots.size());
    const bool tailValid = count == 0 ? tailIndex == 0 : (tailIndex >= 0 && tailIndex < count);
    if (!tailValid) return std::nullopt;
    RingBuffer buffer(0);
    buffer.circularQueue_ = std::move(slots);
    buffer.tailIndex_ = static_cast<std::size_t>(tailIndex);
    return buffer;
  }

  // Stores the element at the tail and returns the one it replaced.
  std::optional<Element> push(Element element) {
    if (circularQueue_.empty()) return std::nullopt;
    auto replaced = std::exchange(circularQueue_[tailIndex_], std::move(element));
    tailIndex_ = (tailIndex_ + 1) % circularQueue_.size();
    return replaced;
  }

  // Steps the tail back and takes that slot's element, when it has one.
  std::optional<Element> pop() {
    if (circularQueue_.empty()) return std::nullopt;
    tailIndex_ = tailIndex_ == 0 ? circularQueue_.size() - 1 : tailIndex_ - 1;
    return std::exchange(circularQueue_[tailIndex_], std::nullopt);
  }

  // The stored elements in slot order (not in order of age).
  std::vector<Element> elements() const {
    std::vector<Element> result;
    for (const auto& slot : circularQueue_) {
      if (slot) result.push_back(*slot);
    }
    return result;
  }

  // Not named "slots": Qt code that includes this header defines that word.
  const Slots& storedSlots() const { return circularQueue_; }
  std::size_t tailIndex() const { return tailIndex_; }

 private:
  Slots circularQueue_;
  std::size_t tailIndex_ = 0;
};

}  // namespace firebase
