#include "compose/PopoverSizeDefaults.hpp"

#include <algorithm>

#include "foundation/UserDefaults.hpp"

namespace quorbel::popover_size {

namespace {
constexpr const char* kWidthKey = "preferredPopoverWidthKey";
constexpr const char* kHeightKey = "preferredPopoverHeightKey";
}  // namespace

double storedWidth() { return platform::UserDefaults::standard().doubleValue(kWidthKey); }

double storedHeight() { return platform::UserDefaults::standard().doubleValue(kHeightKey); }

double openingDimension(double stored, double fallback) {
  if (!(stored > 0)) return fallback;  // NaN included
  return std::clamp(stored, kSmallestOpeningDimension, kLargestOpeningDimension);
}

void store(double width, double height) {
  auto& defaults = platform::UserDefaults::standard();
  defaults.set(kWidthKey, width);
  defaults.set(kHeightKey, height);
}

}  // namespace quorbel::popover_size
