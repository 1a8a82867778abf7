#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/UserDefaults.hpp"
#include "test_support/TempDir.hpp"
#include "test_support/TestEnvironment.hpp"

namespace settings_test {

inline constexpr const char* kSuiteName = "group.tesvarin.quorbel";

// Every test starts with empty stores, none of the deployment keys set and
// no ".env" resource.
class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test_support::resetDefaults();
    std::filesystem::remove(dotEnvPath());
    for (const char* key : {"APP_GROUP_ID", "GEMINI_MODEL", "GOOGLE_API_KEY", "FIREBASE_PROJECT_ID", "WORKER_API_KEY",
                            "CLOUDFLARE_WORKER_URL", "DEBUG_LOGGING", "EMAIL_TONE_KEY"})
      setEnv(key, std::nullopt);
  }
  void TearDown() override {
    std::filesystem::remove(dotEnvPath());
    while (!env_.empty()) env_.pop_back();  // newest first, so each restores what it found
  }

  void setEnv(const std::string& key, std::optional<std::string> value) {
    env_.push_back(std::make_unique<test_support::ScopedEnv>(key, std::move(value)));
  }

  static std::filesystem::path dotEnvPath() {
    return test_support::IsolatedEnvironment::bundlePath() / "Resources" / ".env";
  }

  static platform::UserDefaults& suite() { return *platform::UserDefaults::suite(kSuiteName); }
  static platform::UserDefaults& standard() { return platform::UserDefaults::standard(); }

  // Forgets the in-process stores so the next read comes from the files.
  static void rereadStoresFromDisk() { platform::UserDefaults::resetForTesting(); }

 private:
  std::vector<std::unique_ptr<test_support::ScopedEnv>> env_;
};

}  // namespace settings_test
