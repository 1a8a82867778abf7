#pragma once

namespace platform::qtbridge {

// Posts kApplicationDidBecomeActiveNotification on the default notification
// centre each time the application becomes the active one (its first window
// activated included). Call once, on the main thread, after the QApplication
// exists.
void installApplicationActivationNotifications();

}  // namespace platform::qtbridge
