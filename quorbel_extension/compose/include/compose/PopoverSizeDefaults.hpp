#pragma once

namespace quorbel::popover_size {

// The popover's last size in the extension's standard defaults
// ("preferredPopoverWidthKey", "preferredPopoverHeightKey"); 0 when unset.
double storedWidth();
double storedHeight();
void store(double width, double height);

// One dimension the popover opens with: the fallback when the stored value is
// not above 0, else the stored value as it is up to kLargestOpeningDimension
// points. Anything larger (edited in by hand, infinity) is bounded there, so
// that it converts to whole pixels.
constexpr double kLargestOpeningDimension = 4096;
double openingDimension(double stored, double fallback);

}  // namespace quorbel::popover_size
