#pragma once

namespace quorbel::popover_size {

// The popover's last size in the extension's standard defaults
// ("preferredPopoverWidthKey", "preferredPopoverHeightKey"); 0 when unset.
double storedWidth();
double storedHeight();
void store(double width, double height);

}  // namespace quorbel::popover_size
