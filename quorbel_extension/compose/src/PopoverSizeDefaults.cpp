#include "compose/PopoverSizeDefaults.hpp"

#include "foundation/UserDefaults.hpp"

namespace quorbel::popover_size {

namespace {
constexpr const char* kWidthKey = "preferredPopoverWidthKey";
constexpr const char* kHeightKey = "preferredPopoverHeightKey";
}  // namespace

double storedWidth() { return platform::UserDefaults::standard().doubleValue(kWidthKey); }

double storedHeight() { return platform::UserDefaults::standard().doubleValue(kHeightKey); }

void store(double width, double height) {
  auto& defaults = platform::UserDefaults::standard();
  defaults.set(kWidthKey, width);
  defaults.set(kHeightKey, height);
}

}  // namespace quorbel::popover_size
