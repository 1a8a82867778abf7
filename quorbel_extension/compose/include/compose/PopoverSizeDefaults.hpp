#pragma once

namespace quorbel::popover_size {

// The popover's last size in the extension's standard defaults
// ("preferredPopoverWidthKey", "preferredPopoverHeightKey"); 0 when unset.
double storedWidth();
double storedHeight();
void store(double width, double height);

// One dimension the popover opens with: the fallback when the stored value is
// not above 0, else the stored value as it is from kSmallestOpeningDimension
// up to kLargestOpeningDimension points. Anything outside (edited in by hand:
// infinity, or a fraction of a point) is bounded there, so that it converts
// to whole pixels and the popover has at least one to be shown with.
constexpr double kSmallestOpeningDimension = 1;
constexpr double kLargestOpeningDimension = 4096;
double openingDimension(double stored, double fallback);

}  // namespace quorbel::popover_size
