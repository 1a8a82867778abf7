#include <gtest/gtest.h>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "qtbridge/DisplayCheck.hpp"
#include "test_support/TempDir.hpp"
#include "test_support/TestEnvironment.hpp"

namespace {

using platform::qtbridge::DisplayCheck;

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
  EXPECT_EQ(DisplayCheck(static_cast<int>(argv.size()), argv.data()).missingDisplay(), c.expected);
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

// An X server on an abstract socket that answers one client's connection
// setup (a server without screens, which is all a connection needs) and
// then only watches whether the client hangs up.
class FakeXServer {
 public:
  FakeXServer() : display_(displayWithoutAServer()) {
    listener_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string name = "/tmp/.X11-unix/X" + display_.substr(1);
    std::memcpy(address.sun_path + 1, name.data(), name.size());  // sun_path[0] == 0: abstract
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    if (bind(listener_, reinterpret_cast<const sockaddr*>(&address), length) != 0 || listen(listener_, 1) != 0)
      ADD_FAILURE() << "cannot listen as X display " << display_;
    answering_ = std::thread([this] { answerOneClient(); });
  }
  ~FakeXServer() {
    if (answering_.joinable()) answering_.join();
    if (client_ >= 0) close(client_);
    close(listener_);
  }
  const std::string& display() const { return display_; }

  // Whether the client hung up within the time given (after the setup).
  bool clientHungUp(int milliseconds) {
    if (answering_.joinable()) answering_.join();
    pollfd watched{client_, POLLIN, 0};
    if (poll(&watched, 1, milliseconds) != 1) return false;
    char byte;
    return recv(client_, &byte, 1, MSG_DONTWAIT) == 0;
  }

 private:
  bool readExactly(void* into, std::size_t size) {
    for (std::size_t got = 0; got < size;) {
      const ssize_t n = recv(client_, static_cast<char*>(into) + got, size - got, 0);
      if (n <= 0) return false;
      got += static_cast<std::size_t>(n);
    }
    return true;
  }

  void answerOneClient() {
    client_ = accept(listener_, nullptr, nullptr);
    unsigned char request[12];
    if (client_ < 0 || !readExactly(request, sizeof request)) return;
    const bool littleEndian = request[0] == 'l';
    auto number = [&](int at) { return littleEndian ? request[at] | request[at + 1] << 8 : request[at] << 8 | request[at + 1]; };
    auto padded = [](int n) { return (n + 3) / 4 * 4; };
    std::vector<unsigned char> authorization(static_cast<std::size_t>(padded(number(6)) + padded(number(8))));
    if (!readExactly(authorization.data(), authorization.size())) return;
    // Success, protocol 11.0, eight words of fixed fields and nothing after them.
    unsigned char reply[8 + 32] = {1, 0, 11, 0, 0, 0, 8, 0};
    if (!littleEndian) std::swap(reply[2], reply[3]), std::swap(reply[6], reply[7]);
    (void)!send(client_, reply, sizeof reply, MSG_NOSIGNAL);
  }

  std::string display_;
  int listener_ = -1;
  int client_ = -1;
  std::thread answering_;
};

// A server that resets when its last client leaves (Xvfb without -noreset)
// must not lose the check's connection before Qt has made its own.
TEST(DisplayCheckConnection, StaysOpenWhileTheCheckLives) {
  FakeXServer server;
  test_support::ScopedEnv qpa("QT_QPA_PLATFORM", "xcb");
  test_support::ScopedEnv display("DISPLAY", server.display());
  test_support::ScopedEnv authority("XAUTHORITY", "/nonexistent");
  std::string program = "program";
  char* argv[] = {program.data()};
  {
    const DisplayCheck check(1, argv);
    ASSERT_EQ(check.missingDisplay(), std::nullopt);
    EXPECT_FALSE(server.clientHungUp(0));
  }
  EXPECT_TRUE(server.clientHungUp(static_cast<int>(std::chrono::milliseconds(test_support::kHangGuard).count())));
}

}  // namespace
