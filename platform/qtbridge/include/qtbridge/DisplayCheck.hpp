#pragma once

#include <optional>
#include <string>

namespace platform::qtbridge {

// Why Qt could not open a window here, decided before Qt is asked (Qt ends
// the process when no platform plugin starts). The platform plugins are
// those Qt would try, in its order: the "-platform" argument, else
// QT_QPA_PLATFORM, else Wayland before X11 when WAYLAND_DISPLAY or
// XDG_SESSION_TYPE=wayland name a Wayland session, else X11. X11 needs
// DISPLAY and an X server that answers there; Wayland needs its platform
// plugin and the compositor's socket. Plugins that draw without a display
// (offscreen, minimal, vnc and the like) pass when they are installed.
// Nothing when a window can open; otherwise what is missing, for example
// "no display was found: DISPLAY is not set".
std::optional<std::string> missingDisplay(int argc, char** argv);

// The exit status of a program that stops because no display was found.
inline constexpr int kNoDisplayExitStatus = 3;

}  // namespace platform::qtbridge
