#pragma once

#include <optional>
#include <string>

struct xcb_connection_t;

namespace platform::qtbridge {

// Why Qt could not open a window here, decided before Qt is asked (Qt ends
// the process when no platform plugin starts). The platform plugins are
// those Qt would try, in its order: the "-platform" argument, else
// QT_QPA_PLATFORM, else Wayland before X11 when WAYLAND_DISPLAY or
// XDG_SESSION_TYPE=wayland name a Wayland session, else X11. X11 needs
// DISPLAY and an X server that answers there; Wayland needs its platform
// plugin and the compositor's socket. Plugins that draw without a display
// (offscreen, minimal, vnc and the like) pass when they are installed.
//
// The connection that found the X server stays open while the check lives,
// so keep the check until Qt has connected: were it the server's only
// client, closing it would make a server that resets when its last client
// leaves (Xvfb without -noreset) reset just as Qt connects, and Qt would
// then end the process for want of a display.
class DisplayCheck {
 public:
  DisplayCheck(int argc, char** argv);
  ~DisplayCheck();
  DisplayCheck(const DisplayCheck&) = delete;
  DisplayCheck& operator=(const DisplayCheck&) = delete;

  // Nothing when a window can open; otherwise what is missing, for example
  // "no display was found: DISPLAY is not set".
  const std::optional<std::string>& missingDisplay() const { return missingDisplay_; }

 private:
  std::optional<std::string> missingDisplay_;
  xcb_connection_t* probe_ = nullptr;
};

// The exit status of a program that stops because no display was found.
inline constexpr int kNoDisplayExitStatus = 3;

}  // namespace platform::qtbridge
