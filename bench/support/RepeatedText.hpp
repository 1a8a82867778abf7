#pragma once

// Large inputs for the benchmarks, built from a short unit.

#include <string>

namespace bench_support {

// The unit repeated until the text has at least `bytes` bytes.
inline std::string repeated(const std::string& unit, std::size_t bytes) {
  std::string text;
  text.reserve(bytes + unit.size());
  while (text.size() < bytes) text += unit;
  return text;
}

}  // namespace bench_support
