#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "qtbridge/DisplayCheck.hpp"
#include "test_support/TempDir.hpp"

namespace {

using platform::qtbridge::missingDisplay;

// A Wayland session to point at: a platform plugin file where Qt looks
// (QT_PLUGIN_PATH) and, when asked, a compositor socket that accepts.
class FakeWayland {
 public:
  explicit FakeWayland(bool compositorRuns) {
    folder_.write("plugins/platforms/libqwayland-generic.so", "");
    if (!compositorRuns) return;
    listener_ = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::string path = (folder_.path() / "wayland-test").string();
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    listen(listener_, 1);
  }
  ~FakeWayland() {
    if (listener_ >= 0) close(listener_);
  }
  std::string pluginPath() const { return (folder_.path() / "plugins").string(); }
  std::string runtimeDir() const { return folder_.path().string(); }

 private:
  test_support::TempDir folder_;
  int listener_ = -1;
};

// An X display that no server listens on here: neither its socket file nor
// its abstract socket exists. Any fixed number may belong to a running
// server on some machine.
std::string displayWithoutAServer() {
  std::ifstream sockets("/proc/net/unix");
  const std::string listening((std::istreambuf_iterator<char>(sockets)), std::istreambuf_iterator<char>());
  for (int number = 77;; ++number) {
    const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
    if (!std::filesystem::exists(socket) && listening.find(socket + "\n") == std::string::npos)
      return ":" + std::to_string(number);
  }
}

// Stands for that display in a case's DISPLAY and expected text.
constexpr const char* kNoServer = "<no server>";

struct DisplayCase {
  const char* name;
  std::vector<std::string> arguments;
  std::optional<std::string> qpaPlatform, display, waylandDisplay, sessionType;
  std::optional<bool> waylandCompositorRuns;  // a Wayland plugin is installed when set
  std::optional<std::string> expected;
};
void PrintTo(const DisplayCase& c, std::ostream* os) { *os << c.name; }

class DisplayCheckTest : public ::testing::TestWithParam<DisplayCase> {};

TEST_P(DisplayCheckTest, DecidesAsQtWould) {
  auto c = GetParam();
  for (auto* text : {&c.display, &c.expected})
    if (auto at = text->value_or("").find(kNoServer); at != std::string::npos)
      (*text)->replace(at, std::strlen(kNoServer), displayWithoutAServer());
  std::optional<FakeWayland> wayland;
  if (c.waylandCompositorRuns) wayland.emplace(*c.waylandCompositorRuns);
  test_support::TempDir noPlugins;
  test_support::ScopedEnv qpa("QT_QPA_PLATFORM", c.qpaPlatform);
  test_support::ScopedEnv display("DISPLAY", c.display);
  test_support::ScopedEnv waylandDisplay("WAYLAND_DISPLAY", c.waylandDisplay);
  test_support::ScopedEnv session("XDG_SESSION_TYPE", c.sessionType);
  test_support::ScopedEnv plugins("QT_PLUGIN_PATH", wayland ? wayland->pluginPath() : noPlugins.path().string());
  test_support::ScopedEnv runtime("XDG_RUNTIME_DIR", wayland ? wayland->runtimeDir() : noPlugins.path().string());

  std::vector<std::string> arguments{"program"};
  arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
  std::vector<char*> argv;
  for (auto& argument : arguments) argv.push_back(argument.data());
  EXPECT_EQ(missingDisplay(static_cast<int>(argv.size()), argv.data()), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Sessions, DisplayCheckTest,
    ::testing::Values(
        DisplayCase{"NothingSet", {}, {}, {}, {}, {}, {}, "no display was found: DISPLAY is not set"},
        DisplayCase{"OffscreenNeedsNoDisplay", {}, "offscreen", {}, {}, {}, {}, std::nullopt},
        DisplayCase{"PluginNamesIgnoreCase", {}, "Offscreen", {}, {}, {}, {}, std::nullopt},
        DisplayCase{"NoPluginOfThatName", {}, "offscren", {}, {}, {}, {},
                    "no display was found: Qt has no platform plugin named offscren"},
        DisplayCase{"MisspeltPluginThenAFallback", {}, "offscren;minimal", {}, {}, {}, {}, std::nullopt},
        DisplayCase{"PlatformArgumentWinsOverTheEnvironment", {"-platform", "offscreen"}, "xcb", {}, {}, {}, {},
                    std::nullopt},
        DisplayCase{"PluginOptionsIgnored", {}, "xcb:dpi=96", {}, {}, {}, {}, "no display was found: DISPLAY is not set"},
        DisplayCase{"UnreachableXServer", {}, {}, kNoServer, {}, {}, {},
                    std::string("no display was found: no X server answers at DISPLAY ") + kNoServer},
        DisplayCase{"FallbackListTriesEachInTurn", {}, "xcb;offscreen", {}, {}, {}, {}, std::nullopt},
        DisplayCase{"WaylandSessionWithItsCompositor", {}, {}, {}, "wayland-test", {}, true, std::nullopt},
        DisplayCase{"WaylandSessionTypeWithoutACompositor", {}, {}, {}, {}, "wayland", false,
                    "no display was found: no Wayland compositor answers at WAYLAND_DISPLAY; DISPLAY is not set"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
