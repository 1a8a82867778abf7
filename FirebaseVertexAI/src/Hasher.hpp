#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

namespace firebase::vertexai {

// Combines the values fed to it, in order, into one hash.
class Hasher {
 public:
  void feed(std::size_t value) { state_ ^= value + 0x9e3779b97f4a7c15ULL + (state_ << 6) + (state_ >> 2); }
  void feed(std::string_view text) { feed(std::hash<std::string_view>{}(text)); }
  std::size_t value() const { return state_; }

 private:
  std::size_t state_ = 0;
};

}  // namespace firebase::vertexai
