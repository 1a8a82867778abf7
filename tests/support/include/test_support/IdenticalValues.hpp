#pragma once

#include <bit>
#include <cstdint>

#include "foundation/PropertyValue.hpp"

namespace test_support {

// Equal in type and value, floating-point numbers (reals and dates) bit for
// bit, so that NaN, -0 and their payloads count. Header only: the fuzz
// targets use it too.
inline bool identical(const platform::PropertyValue& a, const platform::PropertyValue& b) {
  auto sameBits = [](double x, double y) { return std::bit_cast<std::uint64_t>(x) == std::bit_cast<std::uint64_t>(y); };
  if (a.asReal() && b.asReal()) return sameBits(*a.asReal(), *b.asReal());
  if (a.asDate() && b.asDate()) return sameBits(a.asDate()->secondsSinceReferenceDate, b.asDate()->secondsSinceReferenceDate);
  if (a.asArray() && b.asArray()) {
    const auto &x = *a.asArray(), &y = *b.asArray();
    if (x.size() != y.size()) return false;
    for (std::size_t i = 0; i < x.size(); ++i)
      if (!identical(x[i], y[i])) return false;
    return true;
  }
  if (a.asDictionary() && b.asDictionary()) {
    const auto &x = *a.asDictionary(), &y = *b.asDictionary();
    if (x.size() != y.size()) return false;
    for (auto i = x.begin(), j = y.begin(); i != x.end(); ++i, ++j)
      if (i->first != j->first || !identical(i->second, j->second)) return false;
    return true;
  }
  return a == b;
}

}  // namespace test_support
