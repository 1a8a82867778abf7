#include "test_support/TestEnvironment.hpp"

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "foundation/Bundle.hpp"
#include "foundation/Console.hpp"
#include "foundation/Dispatch.hpp"
#include "foundation/UserDefaults.hpp"

namespace test_support {

namespace {
std::filesystem::path& rootSlot() {
  static std::filesystem::path root;
  return root;
}
}  // namespace

void IsolatedEnvironment::SetUp() {
  std::string pattern = (std::filesystem::temp_directory_path() / "quorbel-env-XXXXXX").string();
  rootSlot() = mkdtemp(pattern.data());
  auto root = rootSlot();
  setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
  setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
  std::filesystem::create_directories(bundlePath() / "Resources");
  platform::Bundle::setMainBundlePath(bundlePath());
}

void IsolatedEnvironment::TearDown() {
  platform::UserDefaults::resetForTesting();
  std::error_code ec;
  std::filesystem::remove_all(rootSlot(), ec);
}

const std::filesystem::path& IsolatedEnvironment::root() { return rootSlot(); }

std::filesystem::path IsolatedEnvironment::bundlePath() { return rootSlot() / "test.bundle"; }

void resetDefaults() {
  platform::UserDefaults::resetForTesting();
  std::error_code ec;
  std::filesystem::remove_all(platform::paths::configHome() / "quorbel", ec);
}

struct ConsoleCapture::State {
  mutable std::mutex mutex;
  std::vector<std::string> lines;
};

ConsoleCapture::ConsoleCapture() : state_(std::make_shared<State>()) {
  platform::console::setSink([state = state_](std::string_view line) {
    std::lock_guard lock(state->mutex);
    state->lines.emplace_back(line);
  });
}

ConsoleCapture::~ConsoleCapture() { platform::console::setSink(nullptr); }

std::vector<std::string> ConsoleCapture::lines() const {
  std::lock_guard lock(state_->mutex);
  return state_->lines;
}

bool ConsoleCapture::contains(std::string_view line) const {
  auto all = lines();
  return std::find(all.begin(), all.end(), line) != all.end();
}

std::string ConsoleCapture::joined() const {
  std::string out;
  for (const auto& line : lines()) out += line + "\n";
  return out;
}

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

bool runMainQueueUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  return platform::RunLoop::runUntil(done, timeout);
}

}  // namespace test_support
