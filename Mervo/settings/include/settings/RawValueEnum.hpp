#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>

namespace mervo {

// Enumerations that are stored and exchanged as fixed strings. Each one lists
// its cases with their raw values, in declaration order, in a specialisation:
//   template <> struct RawValueCases<E> { static constexpr std::array cases{...}; };
template <typename E>
struct RawValueCases;

template <typename E>
constexpr std::string_view rawValue(E value) {
  for (const auto& [candidate, raw] : RawValueCases<E>::cases)
    if (candidate == value) return raw;
  return {};
}

// Exact and case-sensitive: any other text names no case.
template <typename E>
constexpr std::optional<E> fromRawValue(std::string_view raw) {
  for (const auto& [candidate, candidateRaw] : RawValueCases<E>::cases)
    if (candidateRaw == raw) return candidate;
  return std::nullopt;
}

// Every case in declaration order.
template <typename E>
constexpr auto allCases() {
  constexpr auto& cases = RawValueCases<E>::cases;
  std::array<E, cases.size()> all{};
  for (std::size_t i = 0; i < cases.size(); ++i) all[i] = cases[i].first;
  return all;
}

}  // namespace mervo
