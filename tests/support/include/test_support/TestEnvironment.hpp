#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

namespace test_support {

// Points $XDG_CONFIG_HOME, $XDG_DATA_HOME and the main bundle at temporary
// folders for the whole test process, so tests never touch the user's files.
// Each test target registers it once (see QUORBEL_TEST_ENVIRONMENT).
class IsolatedEnvironment : public ::testing::Environment {
 public:
  void SetUp() override;
  void TearDown() override;
  static const std::filesystem::path& root();
  // The main bundle's folder (Info.plist and Resources/).
  static std::filesystem::path bundlePath();
};

// Starts every test with fresh defaults: removes the preferences folder and
// forgets cached defaults instances.
void resetDefaults();

// Collects the lines printed through platform::console while alive.
class ConsoleCapture {
 public:
  ConsoleCapture();
  ~ConsoleCapture();
  std::vector<std::string> lines() const;
  bool contains(std::string_view line) const;
  std::string joined() const;

 private:
  struct State;
  std::shared_ptr<State> state_;
};

// How long a test waits for something that must happen: long enough that
// only a hang reaches it, however slow or loaded the machine (a sanitizer
// build on a busy machine included).
inline constexpr std::chrono::seconds kHangGuard{120};

// Waits, off the main queue, until the predicate holds (false after kHangGuard).
bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = kHangGuard);

// Runs the main queue until the predicate holds (false after kHangGuard).
bool runMainQueueUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = kHangGuard);

}  // namespace test_support

// Registers the isolated environment for a test target.
#define QUORBEL_TEST_ENVIRONMENT                                                                    \
  [[maybe_unused]] static ::testing::Environment* const quorbel_isolated_environment_ =             \
      ::testing::AddGlobalTestEnvironment(new ::test_support::IsolatedEnvironment)
